// A user action that makes several writes is all of them or none: the disk
// fills up at each of the action's writes in turn, and the tables then hold
// everything the action changes or nothing of it.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

#include "app/message_dialog.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/fault_injection.h"

#include "dialog_fixture.h"
#include "form_fixture.h"

namespace titlestest {
namespace {

using Rows = std::vector<std::string>;
using Snapshot = std::vector<Rows>;

class WholeActions : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        dialogtest::ProgramWindows::ensure();  // the progress window the move shows
    }

    static engine::Value number(int id) { return engine::Value::number(engine::Decimal::fromInt(id)); }

    Snapshot snapshot() {
        return {tableRows("TP.dbf", "IDTP, IDANEXA, ANEXA"), tableRows("TPDET.dbf", "IDDET, IDTP"),
                tableRows("Fisiere.dbf", "IDTP, FISIER"), tableRows("Anexe1.dbf", "IDANEXA, NUME")};
    }

    // The files on disk, by their real names.
    std::map<std::string, std::string> tableFiles() {
        std::map<std::string, std::string> files;
        for (const QString& name : {"TP.dbf", "TPDET.dbf", "Fisiere.dbf", "Anexe1.dbf"}) {
            const std::string path = engine::Database::global().resolve(store().tablePath(name).toStdString());
            std::ifstream in(path, std::ios::binary);
            files[path].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return files;
    }
    // As new files, which the catalog cannot take for the ones it read.
    void putBack(const std::map<std::string, std::string>& files) {
        for (const auto& [path, bytes] : files) {
            std::ofstream(path + ".new", std::ios::binary | std::ios::trunc) << bytes;
            std::rename((path + ".new").c_str(), path.c_str());
        }
    }

    void failEverywhere(const std::function<void()>& action) {
        const Snapshot before = snapshot();
        const auto files = tableFiles();
        engine::faults::arm({});
        action();
        const long operations = engine::faults::operations();
        engine::faults::disarm();
        const Snapshot after = snapshot();
        ASSERT_NE(before, after);
        for (long k = 1; k <= operations; ++k) {
            putBack(files);
            engine::faults::arm(engine::faults::Plan::diskFullFrom(k));
            bool failed = false;
            try {
                action();
            } catch (const engine::Error&) {
                failed = true;
            }
            engine::faults::disarm();
            EXPECT_EQ(snapshot(), failed ? before : after) << "the disk full from write " << k << " on";
        }
    }
};

TEST_F(WholeActions, DeletingATitleWithItsSurfacesAndFiles) {
    const int kept = addTitle("7", "ANA");
    addSurface(kept, "EXTRAVILAN", "Arabil", "1");
    addFile(kept, "/scan/ana.jpg");
    const int gone = addTitle("125", "BOGDAN");
    addSurface(gone, "EXTRAVILAN", "Arabil", "2");
    addSurface(gone, "INTRAVILAN", "Vii", "3");
    addFile(gone, "/scan/b1.jpg");
    addFile(gone, "/scan/b2.jpg");
    openForm();
    choosePage(12);
    failEverywhere([&] {
        form->Tx.close();
        form->Tx.open();
        ASSERT_TRUE(form->Tx.locate("IDTP", number(gone)));
        form->Tp.open();
        answers.message(mrDa);
        form->TitluDeleteBClick();
    });
}

TEST_F(WholeActions, DeletingALineAndFreeingItsTitles) {
    const int line = addLine("Anexa 2A", "BRADU", "POPESCU ION");
    addLine("Anexa 2A", "BRADU", "STAN ION");
    addLinkedTitle(line, "Anexa 2A", "9", "POPESCU ION");
    addLinkedTitle(line, "Anexa 2A", "10", "POPESCU ANA");
    openForm();
    failEverywhere([&] {
        form->Anex.close();
        form->Anex.open();
        ASSERT_TRUE(form->Anex.locate("IDANEXA", number(line)));
        answers.message(mrDa);
        form->DeleteLineBClick();
    });
}

TEST_F(WholeActions, MovingTheStoredFilesOfEveryTitle) {
    const int ana = addTitle("7", "ANA");
    addFile(ana, "C:\\Scanari\\a.jpg");
    addFile(ana, "C:\\Scanari\\b.jpg");
    const int bob = addTitle("8", "BOB");
    addFile(bob, "D:\\alte\\c.png");
    openForm();
    choosePage(12);
    failEverywhere([&] { form->RelocateFiles(QStringLiteral("E:\\nou\\")); });
}

}  // namespace
}  // namespace titlestest
