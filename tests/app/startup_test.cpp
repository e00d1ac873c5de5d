#include "app/startup_window.h"

#include <QFile>
#include <QSignalSpy>
#include <QUuid>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/about_window.h"
#include "app/application.h"
#include "app/admin_window.h"
#include "app/formats.h"
#include "app/message_dialog.h"
#include "app/progress_window.h"
#include "app_fixture.h"
#include "engine/database.h"
#include "engine/os.h"
#include "engine/query.h"
#include "platform/single_instance.h"
#include "ui/balloon_hint.h"

namespace {

using platform::DialogKind;

class Startup : public AppFixture {
protected:
    QString appDir() const { return dir.filePath("app"); }

    void exec(const QString& statement) {
        engine::Query q;
        q.add(statement.toStdString());
        q.execSQL();
    }
    int count(const QString& file) {
        engine::Query q;
        q.add("SELECT * FROM \"" + form1->store().tablePath(file).toStdString() + "\"");
        q.open();
        return q.recordCount();
    }
    QByteArray bytesOf(const QString& file) {
        QFile f(form1->store().tablePath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::vector<platform::DialogRequest> errorBoxes() const { return script->requestsOf(DialogKind::ErrorBox); }
};

TEST_F(Startup, FirstStartInAnEmptyFolderCreatesEverythingAndShowsTheMenu) {
    QDir(appDir()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(appDir()));
    form1->show();
    form1->Timer1.stop();
    EXPECT_EQ(form1->StatusLab->text(), "Incarcare date");
    EXPECT_EQ(form1->Label1->text(), "Terralog v.1.18");

    EXPECT_TRUE(form1->runStartup(appDir() + "/"));
    EXPECT_EQ(form1->AppDir(), QDir::toNativeSeparators(appDir()));
    EXPECT_TRUE(QFileInfo(appDir() + "/Data").isDir());
    EXPECT_TRUE(QFileInfo(appDir() + "/TmpSQL").isDir());
    EXPECT_EQ(engine::Database::global().tempDir(), QDir::toNativeSeparators(appDir() + "/TmpSQL").toStdString());
    EXPECT_EQ(QDir(appDir() + "/Data").entryList(QDir::Files, QDir::Name),
              QStringList({"ANEXE1.DBF", "Fisiere.dbf", "RF.DBF", "TP.DBF", "TPDET.DBF"}));
    EXPECT_EQ(store().ReadRegistryValue("CALE"), QDir::toNativeSeparators(appDir()));
    EXPECT_EQ(store().ReadRegistryValue("VER"), "Terralog v.1.18");
    EXPECT_EQ(form1->StatusLab->text(), "Refac bazele de date ...");
    EXPECT_EQ(form1->Bar1->value(), 100);
    EXPECT_FALSE(form1->isVisible());
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->windowTitle(), "Terralog v.1.18");
    EXPECT_EQ(TForm2::instance().Label1->text(), "Terralog v.1.18");
    EXPECT_FALSE(form1->AdminUnlocked);
    EXPECT_TRUE(script->requests().empty());
    menu->hide();
}

TEST_F(Startup, ExistingDataIsUpgradedPackedAndTheOfficeNameLoaded) {
    form1->runStartup(appDir());
    menu->hide();
    exec("INSERT INTO \"" + store().tablePath("RF.DBF") + "\" (IDRF) VALUES (2)");
    exec("INSERT INTO \"" + store().tablePath("RF.DBF") + "\" (IDRF) VALUES (3)");
    exec("DELETE FROM \"" + store().tablePath("RF.DBF") + "\" WHERE IDRF=2");
    QFile::remove(store().tablePath("TP.DBF"));
    exec("CREATE TABLE \"" + store().tablePath("TP.DBF") + "\" (IDTP DECIMAL(10,0), FISIER CHAR(120))");
    exec("INSERT INTO \"" + store().tablePath("TP.DBF") + "\" (IDTP, FISIER) VALUES (4, \"x.jpg\")");
    store().WriteSetting("SETARI", "PRIMARIA", "Primaria Tutova");
    const qsizetype rfBefore = bytesOf("RF.DBF").size();

    EXPECT_TRUE(form1->runStartup(appDir()));
    EXPECT_EQ(count("Fisiere.dbf"), 1);
    EXPECT_LT(bytesOf("RF.DBF").size(), rfBefore);
    EXPECT_EQ(count("RF.DBF"), 1);
    EXPECT_EQ(TForm4::instance().officeNameEdit()->text(), "Primaria Tutova");
    EXPECT_TRUE(errorBoxes().empty());
    menu->hide();
}

TEST_F(Startup, AnErrorCreatingTablesStopsBeforeTheMenu) {
    // A plain file where the data folder should be.
    QDir(appDir()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(appDir()));
    QFile blocker(appDir() + "/Data");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    form1->show();
    form1->Timer1.stop();

    EXPECT_FALSE(form1->runStartup(appDir()));
    EXPECT_TRUE(form1->startupFailed());
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(store().ReadRegistryValue("VER"), "");
    form1->hide();
}

TEST_F(Startup, ATableInUseStopsThePackingButTheMenuStillOpens) {
    form1->runStartup(appDir());
    menu->hide();
    // A deleted row in each table, which a pack would remove.
    const std::pair<const char*, const char*> tables[] = {{"TPDET.DBF", "IDDET"}, {"ANEXE1.DBF", "IDANEXA"}, {"RF.DBF", "IDRF"}};
    for (const auto& [file, id] : tables) {
        exec(QString("INSERT INTO \"%1\" (%2) VALUES (1)").arg(store().tablePath(file), id));
        exec(QString("DELETE FROM \"%1\"").arg(store().tablePath(file)));
    }
    const QByteArray anexeBefore = bytesOf("ANEXE1.DBF");
    engine::os::File other = engine::os::File::open(store().tablePath("TPDET.DBF").toStdString(), engine::os::File::Open::Read);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other.lock(engine::os::LockMode::Shared));

    EXPECT_TRUE(form1->runStartup(appDir()));
    other.close();
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].text.contains("TPDET", Qt::CaseInsensitive)) << errorBoxes()[0].text.toStdString();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(form1->isVisible());
    // The tables after the failing one were not packed in this run.
    EXPECT_EQ(bytesOf("ANEXE1.DBF"), anexeBefore);
    EXPECT_EQ(form1->Bar1->value(), 20);
    menu->hide();
}

TEST_F(Startup, ProcessFormatsIgnoreTheSystemLocale) {
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    EXPECT_EQ(QLocale().groupSeparator(), ",");
    EXPECT_EQ(QLocale().toString(1234.5, 'f', 2), "1234.50");
    EXPECT_EQ(formatDate(QDate(2009, 3, 7)), "07.03.2009");
    EXPECT_EQ(parseDate("01.01.1900"), QDate(1900, 1, 1));
}

TEST_F(Startup, ShowProblemPointsABalloonAtTheControl) {
    QLineEdit edit;
    edit.setObjectName("NrE");
    edit.show();
    form1->ShowProblem("Completati numarul titlului!", &edit);
    const auto balloons = script->requestsOf(DialogKind::Balloon);
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].caption, "Problema !");
    EXPECT_EQ(balloons[0].text, "Completati numarul titlului!");
    EXPECT_EQ(balloons[0].target, "NrE");
    EXPECT_EQ(ui::BalloonHint::lastShown().title, "Problema !");
    EXPECT_EQ(ui::BalloonHint::lastShown().duration, 5000);
    EXPECT_EQ(ui::BalloonHint::lastShown().target, &edit);
    ui::BalloonHint::hide();
}

TEST_F(Startup, ProgressWindowKeepsItsOwnerDisabledUntilDistruge) {
    QWidget owner;
    owner.show();
    TContor& contor = TContor::instance();
    contor.Descr->setText("Import date");
    contor.Arata(&owner);
    EXPECT_TRUE(contor.isVisible());
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_EQ(owner.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(contor.size(), QSize(329, 71));
    EXPECT_EQ(contor.Bar->maximum(), 100);
    EXPECT_EQ(contor.Bar->width(), 300);
    contor.Distruge(&owner);
    EXPECT_FALSE(contor.isVisible());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(owner.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&owner));
    EXPECT_EQ(QApplication::focusWidget(), &owner);
}

TEST_F(Startup, ErrorsReachingAnEventHandlerGoToTheErrorBox) {
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, [] { throw std::runtime_error("Tabela nu poate fi deschisa."); });
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_EQ(errorBoxes()[0].text, "Tabela nu poate fi deschisa.");
}

TEST_F(Startup, ASecondStartBringsTheMenuForwardRestored) {
    const QString title = "Terralog test " + QUuid::createUuid().toString();
    platform::SingleInstance running(title);
    ASSERT_EQ(running.claim(), platform::SingleInstance::Claim::Own);
    QObject::connect(&running, &platform::SingleInstance::activationRequested, &bringRunningInstanceForward);
    QSignalSpy asked(&running, &platform::SingleInstance::activationRequested);
    menu->show();
    menu->showMinimized();
    ASSERT_TRUE(menu->isMinimized());

    platform::SingleInstance second(title);
    EXPECT_EQ(second.claim(), platform::SingleInstance::Claim::RunningAsked);
    ASSERT_TRUE(asked.wait(3000));
    EXPECT_FALSE(menu->isMinimized());
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

// The running instance holds the session's lock but does not answer: the
// second start says so before it ends.
TEST_F(Startup, ASecondStartThatCannotReachTheRunningOneSaysSo) {
    script->message(mrOk);
    tellRunningInstanceUnreachable();
    ASSERT_EQ(script->requests().size(), 1u);
    const platform::DialogRequest& told = lastRequest();
    EXPECT_EQ(told.kind, DialogKind::Message);
    EXPECT_EQ(told.messageKind, int(mkError));
    EXPECT_EQ(told.buttons, int(mbOk));
    EXPECT_EQ(told.text, "\rTerralog este deja pornit in aceasta sesiune, dar nu raspunde."
                         "\rInchideti-l si porniti programul din nou.");
}

}  // namespace
