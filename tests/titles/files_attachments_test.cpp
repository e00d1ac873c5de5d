// Files attached to a title: attaching, showing, pointing to a moved file
// and moving every stored path with it, removing.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "dialog_fixture.h"
#include "form_fixture.h"
#include "ui/data_grid.h"

namespace titlestest {
namespace {

using Rows = std::vector<std::string>;

class Attachments : public FormFixture {
protected:
    int ana = 0, bob = 0, cal = 0;  // titles, in the list's holder order

    void SetUp() override {
        FormFixture::SetUp();
        dialogtest::ProgramWindows::ensure();
        ana = addTitle("1", "ANA");
        bob = addTitle("2", "BOB");
        cal = addTitle("3", "CAL");
    }

    void showTitle(int idtp) {
        openForm();
        choosePage(12);
        form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(idtp)));
    }

    // A file that exists, in a folder of the test directory.
    QString makeFile(const QString& folder, const QString& name) {
        QDir().mkpath(dir.path() + "/" + folder);
        const QString path = dir.path() + "/" + folder + "/" + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    Rows files() { return tableRows("Fisiere.dbf", "IDTP, FISIER"); }
    std::string row(int idtp, const QString& path) { return std::to_string(idtp) + "|" + path.toStdString(); }

    std::vector<platform::DialogRequest> fileDialogs() const {
        return answers.requestsOf(platform::DialogKind::OpenFile);
    }
};

TEST_F(Attachments, AttachingStoresThePathAndEnablesShowAndRemove) {
    showTitle(bob);
    EXPECT_TRUE(form->PozaAddB->isEnabled());
    EXPECT_FALSE(form->PozaShowB->isEnabled());
    EXPECT_FALSE(form->PozaDelB->isEnabled());

    const QString first = makeFile("scanari", "titlu 2.jpg");
    answers.openFile(first);
    form->PozaAddB->click();
    EXPECT_EQ(files(), Rows{row(bob, first)});
    EXPECT_TRUE(form->PozaShowB->isEnabled());
    EXPECT_TRUE(form->PozaDelB->isEnabled());
    EXPECT_EQ(column(form->Tp, "FISIER"), Rows{first.toStdString()});
    EXPECT_EQ(form->DBGrid2->toolTip(), first);

    // The next attach starts in the folder of the current file; a cancel stores nothing.
    answers.openFile(std::nullopt);
    form->PozaAddItem->trigger();
    ASSERT_EQ(fileDialogs().size(), 2u);
    EXPECT_EQ(fileDialogs()[0].caption, "Atasare fisier");
    EXPECT_EQ(fileDialogs()[0].folder, "");
    EXPECT_EQ(fileDialogs()[0].filter, "");
    EXPECT_EQ(fileDialogs()[1].folder, dir.path() + "/scanari/");
    EXPECT_EQ(files().size(), 1u);

    // Another title lists only its own files.
    form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(cal)));
    EXPECT_EQ(form->Tp.recordCount(), 0);
    EXPECT_EQ(form->DBGrid2->toolTip(), "");
    EXPECT_FALSE(form->PozaShowB->isEnabled());
}

TEST_F(Attachments, APathLongerThanTheFieldIsRefusedWhole) {
    showTitle(ana);
    const QString folder = dir.path() + "/";
    const QString fits = folder + QString(120 - folder.size() - 4, 'a') + ".jpg";
    const QString tooLong = folder + QString(121 - folder.size() - 4, 'b') + ".jpg";
    ASSERT_EQ(fits.size(), 120);
    answers.openFile(tooLong).message(mrOk).openFile(fits);
    form->PozaAddB->click();
    EXPECT_TRUE(files().empty());
    EXPECT_FALSE(form->PozaShowB->isEnabled());
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Atasare fisier|Adresa fisierului este prea lunga (peste 120 de caractere)"))
        << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith("|1|4"));
    form->PozaAddB->click();
    EXPECT_EQ(files(), Rows{row(ana, fits)});
}

TEST_F(Attachments, AFileThatExistsOpensWithTheDesktopsApplication) {
    const QString plan = makeFile("scanari", "plan.pdf");
    const QString poza = makeFile("scanari", "poza.png");
    addFile(ana, plan);
    addFile(ana, poza);
    showTitle(ana);
    answers.shellOpen().shellOpen().shellOpen();
    form->PozaShowB->click();
    form->Tp.moveTo(1);
    emit form->DBGrid2->rowDoubleClicked(1);
    emit form->DBGrid2->enterPressed();
    const auto opened = answers.requestsOf(platform::DialogKind::ShellOpen);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].path, plan);
    EXPECT_EQ(opened[1].path, poza);
    EXPECT_EQ(opened[2].path, poza);
    EXPECT_TRUE(messages().isEmpty());
}

class MovedFiles : public Attachments {
protected:
    QString moved;  // the folder the files went to

    void SetUp() override {
        Attachments::SetUp();
        addFile(ana, "C:\\Scanari\\titlu 1.jpg");
        addFile(ana, "C:\\Scanari\\plan.pdf");
        addFile(bob, "D:\\alte\\poza 2.png");
        addFile(bob, "");
        addFile(cal, "/home/primaria/scan.tif");
        moved = dir.path() + "/mutat/";
        showTitle(ana);
    }

    static QString missing() {
        return "Arata poza|Fisierul titlu 1.jpg nu mai exista la adresa C:\\Scanari\\!\rDoriti sa indicati o adresa "
               "noua?|1|3";
    }
};

TEST_F(MovedFiles, AMissingFileCanBePointedToAgainOnlyByItsOwnName) {
    const Rows before = files();
    const struct {
        int answer;
        std::optional<QString> chosen;
        const char* report;  // what is said after the file dialog, if anything
    } cases[] = {
        {mrNu, std::nullopt, nullptr},
        {mrDa, std::nullopt, nullptr},
        {mrDa, QString("C:\\Scanari\\titlu 1.jpg"),
         "Schimbare adresa|Adresa este aceeasi!\rFisierul titlu 1.jpg nu exista la adresa indicata!|1|4"},
        {mrDa, QString("/mutat/poza.jpg"), "Schimbare adresa|Fisierul titlu 1.jpg nu a fost indicat corect!|1|4"},
        {mrDa, QString("/mutat/Titlu 1.jpg"), "Schimbare adresa|Fisierul titlu 1.jpg nu a fost indicat corect!|1|4"},
    };
    for (const auto& c : cases) {
        const int asked = messages().size();
        const size_t dialogs = fileDialogs().size();
        answers.message(c.answer);
        if (c.answer == mrDa) answers.openFile(c.chosen);
        if (c.report) answers.message(mrOk);
        form->PozaShowB->click();
        QStringList expected{missing()};
        if (c.report) expected << c.report;
        EXPECT_EQ(messages().mid(asked), expected);
        EXPECT_EQ(fileDialogs().size(), dialogs + (c.answer == mrDa ? 1 : 0));
        EXPECT_EQ(files(), before);
    }
    // The dialog starts at the old place with the old name.
    EXPECT_EQ(fileDialogs().back().folder, "C:\\Scanari\\titlu 1.jpg");
    EXPECT_EQ(fileDialogs().back().caption, "Atasare fisier");
    EXPECT_TRUE(answers.requestsOf(platform::DialogKind::ShellOpen).empty());
}

TEST_F(MovedFiles, NuMovesOnlyThisFile) {
    answers.message(mrDa).openFile(moved + "titlu 1.jpg").message(mrNu);
    form->PozaShowB->click();
    EXPECT_EQ(messages().last(),
              "Schimbare adresa|Adresa a fost schimbata!\rDoriti sa schimbam adresa la toate fisierele memorate?|3|3");
    EXPECT_EQ(files(), (Rows{row(ana, moved + "titlu 1.jpg"), row(ana, "C:\\Scanari\\plan.pdf"),
                             row(bob, "D:\\alte\\poza 2.png"), row(bob, ""), row(cal, "/home/primaria/scan.tif")}));
}

TEST_F(MovedFiles, DaMovesEveryStoredPathKeepingEachName) {
    form->Tp.moveTo(0);
    answers.message(mrDa).openFile(moved + "titlu 1.jpg").message(mrDa);
    form->PozaShowB->click();
    EXPECT_EQ(files(), (Rows{row(ana, moved + "titlu 1.jpg"), row(ana, moved + "plan.pdf"),
                             row(bob, moved + "poza 2.png"), row(bob, ""), row(cal, moved + "scan.tif")}));
    // The form is back: the files of the same title, the progress window gone.
    EXPECT_TRUE(form->Tp.isOpen());
    EXPECT_EQ(column(form->Tp, "FISIER"), (Rows{(moved + "titlu 1.jpg").toStdString(), (moved + "plan.pdf").toStdString()}));
    EXPECT_EQ(current(form->Tp, "IDTP"), std::to_string(ana));
    EXPECT_FALSE(form->Ty.isOpen());
    EXPECT_TRUE(form->Ty.tableName().empty());
    EXPECT_FALSE(TContor::instance().isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(TContor::instance().Descr->text(), "Schimb adresele...");
    EXPECT_EQ(TContor::instance().Bar->maximum(), 5);
    EXPECT_EQ(TContor::instance().Bar->value(), 5);
}

TEST_F(MovedFiles, AFailedMoveChangesNoPathAndGivesTheFormBack) {
    // A name that fits its old folder but not the new one stops the walk
    // there, and the paths it had changed go back; the file the user found
    // again was stored before the question.
    exec("DELETE FROM " + quoted("Fisiere.dbf") + " WHERE IDTP=" + QString::number(cal));
    const QString longName = QString(100, 'n') + ".jpg";
    addFile(cal, "D:\\" + longName);
    addFile(cal, "E:\\ultim.jpg");
    answers.message(mrDa).openFile(moved + "titlu 1.jpg").message(mrDa);
    EXPECT_ANY_THROW(form->PozaShowB->click());
    EXPECT_EQ(files(), (Rows{row(ana, moved + "titlu 1.jpg"), row(ana, "C:\\Scanari\\plan.pdf"),
                             row(bob, "D:\\alte\\poza 2.png"), row(bob, ""), row(cal, "D:\\" + longName),
                             row(cal, "E:\\ultim.jpg")}));
    EXPECT_TRUE(form->Tp.isOpen());
    EXPECT_EQ(form->Tp.recordCount(), 2);
    EXPECT_EQ(current(form->Tp, "IDTP"), std::to_string(ana));
    EXPECT_FALSE(form->Ty.isOpen());
    EXPECT_FALSE(TContor::instance().isVisible());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Attachments, RemovingAsksAndKeepsTheFileOnDisk) {
    const QString plan = makeFile("scanari", "plan.pdf");
    const QString poza = makeFile("scanari", "poza.png");
    addFile(ana, plan);
    addFile(ana, poza);
    showTitle(ana);

    answers.message(mrNu).message(mrDa).message(mrDa);
    form->PozaDelB->click();
    EXPECT_EQ(files().size(), 2u);
    emit form->DBGrid2->deletePressed();
    EXPECT_EQ(files(), Rows{row(ana, poza)});
    EXPECT_TRUE(form->PozaDelB->isEnabled());
    form->PozaDelItem->trigger();
    EXPECT_TRUE(files().empty());
    EXPECT_FALSE(form->PozaDelB->isEnabled());
    EXPECT_FALSE(form->PozaShowB->isEnabled());
    EXPECT_EQ(messages(), QStringList(3, "Dezactivare poza|Doriti dezactivarea pozei?|3|3"));
    EXPECT_TRUE(QFile::exists(plan));
    EXPECT_TRUE(QFile::exists(poza));

    // The Delete key asks only while "Sterge poza" is enabled.
    emit form->DBGrid2->deletePressed();
    EXPECT_EQ(messages().size(), 3);
}

}  // namespace
}  // namespace titlestest
