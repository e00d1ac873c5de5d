// The start-up sequence holds the data directory and finishes what an
// interrupted restore left.
#include <QFile>

#include "app/main_menu.h"
#include "app/startup_window.h"
#include "app_fixture.h"
#include "common/child_process.h"
#include "platform/data_dir_lock.h"

namespace {

using platform::DialogKind;

// The child: 1 when it could take the lock on the data directory, 0 when not.
const testing_child::Entry tryLockChild("data-dir-try-lock", [](const testing_child::Arguments& a) {
    platform::DataDirLock other;
    return other.lock(QString::fromStdString(a.at(0))) ? 1 : 0;
});

class StartupDataDir : public AppFixture {
protected:
    QString appDir() const { return dir.filePath("app"); }
    QString dataDir() const { return dir.filePath("app/Data"); }

    // Whether another process could take the data directory now.
    bool lockableElsewhere() const {
        testing_child::ChildProcess child(tryLockChild, {dataDir().toStdString()});
        return child.wait().exited(1);
    }
};

TEST_F(StartupDataDir, TheRunHoldsTheDataDirectory) {
    EXPECT_TRUE(form1->runStartup(appDir()));
    menu->hide();
    EXPECT_TRUE(form1->dataDirLock().holds(dataDir()));
    EXPECT_FALSE(lockableElsewhere());
    form1.reset();
    EXPECT_TRUE(lockableElsewhere());
}

TEST_F(StartupDataDir, AWorkingFolderNotYetMadeIsMadeAtTheFirstStart) {
    // An installed program's first start in a new home: ~/.local/share/terralog.
    const QString working = dir.filePath("home/.local/share/terralog");
    EXPECT_TRUE(form1->runStartup(working));
    menu->hide();
    EXPECT_TRUE(script->requestsOf(DialogKind::ErrorBox).empty());
    EXPECT_TRUE(QFile::exists(working + "/Data/TP.DBF"));
    EXPECT_TRUE(form1->dataDirLock().holds(working + "/Data"));
}

TEST_F(StartupDataDir, ADataDirectoryHeldElsewhereStopsTheStart) {
    platform::DataDirLock restoring;
    ASSERT_TRUE(restoring.lock(dataDir()));
    form1->show();
    form1->Timer1.stop();
    EXPECT_FALSE(form1->runStartup(appDir()));
    const auto errors = script->requestsOf(DialogKind::ErrorBox);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].text.contains("sunt folosite de alt program")) << errors[0].text.toStdString();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(QFile::exists(dataDir() + "/TP.DBF"));
    form1->hide();
}

TEST_F(StartupDataDir, ACompleteRestoreLeftBeforeItsSwapIsFinished) {
    // A crash after the new content was complete, before it replaced Data.
    ASSERT_TRUE(QDir().mkpath(dataDir() + ".restore-ready"));
    QFile restored(dataDir() + ".restore-ready/Terralog.ini");
    ASSERT_TRUE(restored.open(QIODevice::WriteOnly));
    restored.write("[SETARI]\r\nPRIMARIA=Restaurata\r\n");
    restored.close();
    QFile old(dataDir() + "/Vechi.txt");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();

    EXPECT_TRUE(form1->runStartup(appDir()));
    menu->hide();
    EXPECT_EQ(store().ReadSetting("SETARI", "PRIMARIA"), "Restaurata");
    EXPECT_FALSE(QFile::exists(dataDir() + "/Vechi.txt"));
    EXPECT_TRUE(QFile::exists(dataDir() + "/TP.DBF"));
    EXPECT_EQ(QDir(dir.filePath("app")).entryList(QDir::Dirs | QDir::NoDotAndDotDot), (QStringList{"Data", "TmpSQL"}));
}

}  // namespace
