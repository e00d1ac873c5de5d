// The window "Salvare - Restaurare", driven through the script of its
// dialogs and messages.
#include "backup/backup_window.h"

#include <memory>

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include "app/about_window.h"
#include "app/admin_window.h"
#include "app/application.h"
#include "app/main_menu.h"
#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "app/startup_window.h"
#include "backup/archive.h"
#include "backup_fixture.h"
#include "platform/interaction.h"
#include "platform/machine_store.h"
#include "ui/picture_button.h"

namespace {

using platform::DialogKind;
using testbackup::contentOf;
using testbackup::readFile;
using testbackup::writeFile;

// The program's own application object, so that errors reaching an event
// handler end in the error box as in the program.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_backup";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new TerralogApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const applicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The windows start-up and the backup window use, each the one of the run
// while the test lasts.
struct Windows {
    TForm1 form1;
    TForm2 form2;
    TForm3 form3;
    TForm4 form4;
    TContor contor;
    TErori erori;
};

class BackupWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<Windows> windows;
    TForm1* form1 = nullptr;
    std::unique_ptr<TForm21> form21;
    std::unique_ptr<platform::ScriptedAnswers> script;
    int ended = 0;

    void SetUp() override {
        platform::MachineStore::instance().useFolders(dir.filePath("etc"), dir.filePath("home"));
        QDir().mkpath(appDir());
        windows = std::make_unique<Windows>();
        form1 = &windows->form1;
        script = std::make_unique<platform::ScriptedAnswers>();
        ASSERT_TRUE(form1->runStartup(appDir()));
        form21 = std::make_unique<TForm21>();
        form21->EndProgram = [this] { ++ended; };
        writeFile(dataDir() + "/Terralog.ini", "[SETARI]\r\nPRIMARIA=Primaria Tutova\r\n");
    }
    void TearDown() override {
        EXPECT_TRUE(script->problems().isEmpty()) << script->problems().join("\n").toStdString();
        EXPECT_EQ(script->pending(), 0);
        EXPECT_TRUE(form21->isEnabled());
        EXPECT_FALSE(TContor::instance().isVisible());
        script.reset();
        form21.reset();
        windows.reset();
        platform::MachineStore::instance().useDefaultLocations();
    }

    QString appDir() const { return dir.filePath("app"); }
    QString dataDir() const { return dir.filePath("app/Data"); }
    QString path(const QString& name) const { return dir.filePath(name); }
    std::vector<platform::DialogRequest> messages() const { return script->requestsOf(DialogKind::Message); }
    std::vector<platform::DialogRequest> errors() const { return script->requestsOf(DialogKind::ErrorBox); }
};

TEST_F(BackupWindowTest, TheWindowShowsItsTwoButtons) {
    EXPECT_EQ(form21->windowTitle(), "Salvare - Restaurare");
    EXPECT_EQ(form21->BE1->text(), "Salveaza baza de date");
    EXPECT_EQ(form21->LbSpeedButton1->text(), "Restaureaza baza de date");
    form21->show();
    QTest::keyClick(form21.get(), Qt::Key_Escape);
    EXPECT_FALSE(form21->isVisible());
}

TEST_F(BackupWindowTest, SaveWritesTheArchiveAndSaysSo) {
    script->saveFile(path("copie"));
    script->message(mrOk);
    form21->BE1->click();

    const auto saveDialogs = script->requestsOf(DialogKind::SaveFile);
    ASSERT_EQ(saveDialogs.size(), 1u);
    EXPECT_EQ(saveDialogs[0].caption, "Unde salvam arhiva ?");
    EXPECT_EQ(saveDialogs[0].filter, "Arhiva terralog (*.tlg)");
    EXPECT_EQ(saveDialogs[0].defaultExtension, "tlg");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].heading, "Informatie");
    EXPECT_EQ(messages()[0].text, "Salvare incheiata cu succes !");
    EXPECT_EQ(messages()[0].messageKind, int(mkInformation));
    EXPECT_EQ(messages()[0].buttons, int(mbOk));

    QStringList names;
    for (const backup::ArchiveEntry& e : backup::Archive(path("copie.tlg")).verify()) names << e.fileName;
    names.sort();
    EXPECT_EQ(names, (QStringList{"ANEXE1.DBF", "Fisiere.dbf", "RF.DBF", "TP.DBF", "TPDET.DBF", "Terralog.ini"}));
    EXPECT_EQ(TContor::instance().Descr->text(), "Salvez starea actuala...");
    EXPECT_EQ(TContor::instance().Bar->maximum(), 6);
}

TEST_F(BackupWindowTest, ReplacingAnArchiveIsAskedAndNuLeavesItUntouched) {
    writeFile(path("copie.tlg"), "the old archive");
    script->saveFile(path("copie.tlg"));
    script->message(mrNu);
    form21->BE1->click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].heading, "Atentionare");
    EXPECT_EQ(messages()[0].text, "Vreti sa inlocuiti salvarea " + path("copie.tlg") + "?");
    EXPECT_EQ(messages()[0].messageKind, int(mkWarning));
    EXPECT_EQ(messages()[0].buttons, int(mbDa + mbNu));
    EXPECT_EQ(readFile(path("copie.tlg")), "the old archive");

    script->saveFile(path("copie.tlg"));
    script->message(mrDa);
    script->message(mrOk);
    form21->BE1->click();
    EXPECT_EQ(backup::Archive(path("copie.tlg")).verify().size(), 6u);
}

// With the real windows, as a clerk meets them: the save dialog takes the
// name of an existing archive without a question of its own, and only the
// program asks before replacing it.
TEST_F(BackupWindowTest, OnlyTheProgramAsksBeforeReplacingAnArchive) {
    writeFile(path("copie.tlg"), "the old archive");
    script.reset();
    QStringList seen;
    QElapsedTimer clock;
    clock.start();
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen << "intrebarea dialogului: " + box->text();
            box->button(QMessageBox::Yes)->click();
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            if (!seen.contains("dialogul de fisiere")) seen << "dialogul de fisiere";
            // Again on every tick while the dialog stays, as a busy machine
            // may not have taken the name yet. Queued, so that the timer
            // goes on answering what comes next.
            // The dialog leaves a name typed in its focused edit as it is,
            // so the focus goes first.
            if (QWidget* focused = files->focusWidget()) focused->clearFocus();
            files->selectFile(path("copie.tlg"));
            QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
        } else if (auto* message = qobject_cast<TErori*>(modal)) {
            seen << message->textLabel()->text();
            message->button(1)->click();  // NU
        } else if (auto* other = qobject_cast<QDialog*>(modal); other && clock.elapsed() > 30000) {
            seen << "ramas deschis: " + other->windowTitle();
            other->reject();
        }
    });
    user.start();
    form21->BitBtn1Click();
    user.stop();
    script = std::make_unique<platform::ScriptedAnswers>();
    EXPECT_EQ(seen, (QStringList{"dialogul de fisiere",
                                 "Vreti sa inlocuiti salvarea " + QDir::toNativeSeparators(path("copie.tlg")) + "?"}));
    EXPECT_EQ(readFile(path("copie.tlg")), "the old archive");
}

TEST_F(BackupWindowTest, ACancelledDialogDoesNothing) {
    script->saveFile(std::nullopt);
    form21->BE1->click();
    script->openFile(std::nullopt);
    form21->LbSpeedButton1->click();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(testbackup::entriesOf(dir.path()), (QStringList{"app", "etc"}));
}

TEST_F(BackupWindowTest, AFailedSaveReportsTheErrorAndLeavesNoFile) {
    script->saveFile(path("lipsa/copie.tlg"));
    form21->BE1->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(errors()[0].text.contains("nu poate fi scrisa")) << errors()[0].text.toStdString();
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(QFile::exists(path("lipsa")));
}

TEST_F(BackupWindowTest, ADataDirectoryWithoutDataWritesNoArchiveAndSaysSo) {
    for (const QString& name : QDir(dataDir()).entryList(QDir::Files)) writeFile(dataDir() + "/" + name, "");
    script->saveFile(path("copie.tlg"));
    script->message(mrOk);
    form21->BE1->click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains("nu am scris nici o arhiva"));
    EXPECT_FALSE(QFile::exists(path("copie.tlg")));
}

TEST_F(BackupWindowTest, RestoreReplacesTheDataAndEndsTheProgram) {
    const testbackup::Content saved = contentOf(dataDir());
    script->saveFile(path("copie.tlg"));
    script->message(mrOk);
    form21->BE1->click();
    writeFile(dataDir() + "/Terralog.ini", "changed after the save");
    writeFile(dataDir() + "/Nou.txt", "added after the save");
    QDir().mkpath(dataDir() + "/Scanari");
    writeFile(dataDir() + "/Scanari/t1.jpg", "kept");

    script->openFile(path("copie.tlg"));
    script->message(mrOk);
    form21->LbSpeedButton1->click();

    const auto openDialogs = script->requestsOf(DialogKind::OpenFile);
    ASSERT_EQ(openDialogs.size(), 1u);
    EXPECT_EQ(openDialogs[0].caption, "Indicati salvarea precedenta Terralog");
    EXPECT_EQ(openDialogs[0].filter, "Arhiva terralog (*.tlg)");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].heading, "Informatie");
    EXPECT_EQ(messages()[1].text, "Restaurare incheiata cu succes !\r\nVa rog sa porniti programul din nou !");
    EXPECT_EQ(TContor::instance().Descr->text(), "Restaurez baza de date...");
    testbackup::Content expected = saved;
    expected["Scanari/"];
    expected["Scanari/t1.jpg"] = "kept";
    EXPECT_EQ(contentOf(dataDir()), expected);
    EXPECT_EQ(ended, 1);
}

TEST_F(BackupWindowTest, AMissingArchiveIsNamedAndNothingEnds) {
    script->openFile(path("lipsa"));
    script->message(mrOk);
    form21->LbSpeedButton1->click();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].heading, "Eroare");
    EXPECT_EQ(messages()[0].text, "Salvarea " + path("lipsa.tlg") + " nu exista !");
    EXPECT_EQ(messages()[0].messageKind, int(mkError));
    EXPECT_EQ(ended, 0);
}

TEST_F(BackupWindowTest, ADamagedArchiveChangesNothingAndTheErrorSaysSo) {
    const testbackup::Content before = contentOf(dataDir());
    writeFile(path("rea.tlg"), testbackup::le32(2) + testbackup::record("Data\\TP.DBF", testbackup::randomBytes(100, 1)));
    script->openFile(path("rea.tlg"));
    form21->LbSpeedButton1->click();
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(errors()[0].text.contains("Inregistrarea 2 din 2")) << errors()[0].text.toStdString();
    EXPECT_TRUE(errors()[0].text.endsWith("Datele nu au fost schimbate."));
    EXPECT_EQ(contentOf(dataDir()), before);
    EXPECT_EQ(ended, 1);
}

}  // namespace
