#include "platform/data_dir_lock.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/child_process.h"
#include "platform/platform_error.h"

namespace {

using testing_child::Arguments;
using testing_child::ChildProcess;

// The child: 1 when it could take the lock on the data directory, 0 when not.
const testing_child::Entry tryLockChild("data-dir-try-lock", [](const Arguments& a) {
    platform::DataDirLock other;
    return other.lock(QString::fromStdString(a.at(0))) ? 1 : 0;
});

// Whether a lock on `dataDir` can be taken in another process.
bool lockableElsewhere(const QString& dataDir) {
    ChildProcess child(tryLockChild, {dataDir.toStdString()});
    return child.wait().exited(1);
}

// The child: holds the lock until it is killed (or the parent lets go).
const testing_child::Entry holdLockChild("data-dir-hold-lock", [](const Arguments& a) {
    platform::DataDirLock lock;
    if (!lock.lock(QString::fromStdString(a.at(0)))) return 1;
    testing_child::report("held\n");
    testing_child::waitForParent();
    return 0;
});

// The child: a program that runs until the parent lets it end.
const testing_child::Entry idleChild("idle", [](const Arguments&) {
    testing_child::waitForParent();
    return 0;
});

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
    // On Windows the lock is a file beside the folder, "Data.lock".
#ifdef _WIN32
    const QStringList besideData{"Data.lock"};
#else
    const QStringList besideData;
#endif
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), besideData);
}

TEST_F(DataDirLockTest, ALockOfACrashedHolderIsFree) {
    ChildProcess holder(holdLockChild, {data().toStdString()});
    ASSERT_TRUE(holder.waitForOutput("held\n")) << holder.status().describe();  // the child holds it now
    EXPECT_FALSE(lockableElsewhere(data()));
    EXPECT_TRUE(holder.kill().killed());
    EXPECT_TRUE(lockableElsewhere(data()));
}

TEST_F(DataDirLockTest, AProgramStartedByTheHolderDoesNotKeepIt) {
    platform::DataDirLock lock;
    ASSERT_TRUE(lock.lock(data()));
    ChildProcess program(idleChild);
    lock.unlock();
    EXPECT_TRUE(lockableElsewhere(data()));
    EXPECT_TRUE(program.status().running());
}

TEST_F(DataDirLockTest, AMissingHolderFolderIsAnError) {
    platform::DataDirLock lock;
    EXPECT_THROW(lock.lock(dir.filePath("missing/Data")), platform::PlatformError);
    EXPECT_FALSE(lock.locked());
}

}  // namespace
