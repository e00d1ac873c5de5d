// The built program itself, started as a user would start it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "common/test_paths.h"

namespace {

QString programPath() { return QString::fromStdString(testing_paths::builtProgram("terralog")); }

class Program : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString appDir = dir.filePath("Terralog");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    void SetUp() override {
        if (!QFile::exists(programPath())) GTEST_SKIP() << "the program is not built";
        ASSERT_TRUE(QDir().mkpath(appDir));
        ASSERT_TRUE(QFile::copy(programPath(), appDir + "/terralog"));
        // Its machine-wide store, lock and socket in the temporary folder.
        for (const char* sub : {"etc", "home", "tmp"}) QDir().mkpath(dir.filePath(sub));
        env.insert("XDG_CONFIG_DIRS", dir.filePath("etc"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("home"));
        env.insert("TMPDIR", dir.filePath("tmp"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
    }

    void start(QProcess& p) {
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(appDir + "/terralog", {});
        ASSERT_TRUE(p.waitForStarted(5000));
    }
};

TEST_F(Program, WithoutADisplayItSaysHowToRunOnAVirtualOne) {
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess p;
    start(p);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("xvfb-run -a")) << "stderr";
    EXPECT_FALSE(QFileInfo::exists(appDir + "/Data"));
}

TEST_F(Program, ASecondStartLeavesTheFirstRunningAndEnds) {
    QProcess first;
    start(first);
    // The first start creates the tables beside the program and writes CALE.
    for (int i = 0; i < 100 && !QFile::exists(dir.filePath("etc/Vorelco.ini")); ++i) QThread::msleep(100);
    ASSERT_TRUE(QFile::exists(appDir + "/Data/Fisiere.dbf"));
    ASSERT_TRUE(QFileInfo(appDir + "/TmpSQL").isDir());

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished(5000);
    // A start after a crash is not blocked by what the crashed run left.
    QProcess third;
    start(third);
    EXPECT_FALSE(third.waitForFinished(2500));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished(5000);
}

}  // namespace
