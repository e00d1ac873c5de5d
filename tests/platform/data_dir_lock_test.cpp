#include "platform/data_dir_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/platform_error.h"

namespace {

// Whether a lock on `dataDir` can be taken in another process.
bool lockableElsewhere(const QString& dataDir) {
    const pid_t child = ::fork();
    if (child == 0) {
        platform::DataDirLock other;
        ::_exit(other.lock(dataDir) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

class DataDirLockTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data() const { return dir.filePath("Data"); }
};

TEST_F(DataDirLockTest, OneHolderAtATimeInAnyProcess) {
    platform::DataDirLock first;
    ASSERT_TRUE(first.lock(data()));
    EXPECT_TRUE(first.holds(data() + "/"));
    EXPECT_FALSE(lockableElsewhere(data()));
    platform::DataDirLock second;
    EXPECT_FALSE(second.lock(data()));
    EXPECT_FALSE(second.locked());

    first.unlock();
    EXPECT_TRUE(lockableElsewhere(data()));
    EXPECT_TRUE(second.lock(data()));
}

TEST_F(DataDirLockTest, TheDataDirectoryNeedNotExistAndGetsNoFile) {
    platform::DataDirLock lock;
    ASSERT_TRUE(lock.lock(data()));
    EXPECT_FALSE(QDir(data()).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(DataDirLockTest, ALockOfACrashedHolderIsFree) {
    int held[2];
    ASSERT_EQ(::pipe(held), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::DataDirLock lock;
        if (!lock.lock(data())) ::_exit(1);
        ::write(held[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char x = 0;
    ASSERT_EQ(::read(held[0], &x, 1), 1);  // the child holds it now
    EXPECT_FALSE(lockableElsewhere(data()));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(lockableElsewhere(data()));
    ::close(held[0]);
    ::close(held[1]);
}

TEST_F(DataDirLockTest, AProgramStartedByTheHolderDoesNotKeepIt) {
    platform::DataDirLock lock;
    ASSERT_TRUE(lock.lock(data()));
    QProcess sleeper;
    sleeper.start("sleep", {"30"});
    ASSERT_TRUE(sleeper.waitForStarted());
    lock.unlock();
    EXPECT_TRUE(lockableElsewhere(data()));
    sleeper.kill();
    sleeper.waitForFinished();
}

TEST_F(DataDirLockTest, AMissingHolderFolderIsAnError) {
    platform::DataDirLock lock;
    EXPECT_THROW(lock.lock(dir.filePath("missing/Data")), platform::PlatformError);
    EXPECT_FALSE(lock.locked());
}

}  // namespace
