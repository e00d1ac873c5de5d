#include "platform/data_dir_replacement.h"

#include <cstdlib>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/child_process.h"
#include "common/folder_content.h"
#include "platform/data_dir_lock.h"
#include "platform/platform_error.h"

namespace {

// What lies beside the data folder after a replacement: the folder, and on
// Windows the lock file its holder takes there ("Data.lock"; Linux locks
// the parent folder itself and leaves no file).
QStringList dataAndItsLock() {
#ifdef _WIN32
    return {"Data", "Data.lock"};
#else
    return {"Data"};
#endif
}

using testing_files::Content;
using testing_files::contentOf;
using testing_files::writeFile;

constexpr int kCompleted = 99;

// The child: a replacement of the data directory that stops dead at step
// `stopAt` (0: with half of the new files written), or ends with kCompleted.
const testing_child::Entry replaceChild("data-dir-replace", [](const testing_child::Arguments& a) {
    const QString data = QString::fromStdString(a.at(0));
    const int stopAt = std::stoi(a.at(1));
    platform::DataDirLock held;
    if (!held.lock(data)) return 1;
    platform::DataDirReplacement::afterStep = [stopAt](int step) {
        if (step == stopAt) std::_Exit(0);
    };
    platform::DataDirReplacement replacement(held);
    writeFile(replacement.folder() + "/TP.DBF", "new titles");
    if (stopAt == 0) std::_Exit(0);  // half of the new files written
    writeFile(replacement.folder() + "/TPDET.DBF", "new surfaces");
    replacement.commit();
    return kCompleted;
});

class DataDirReplacementTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::DataDirLock lock;
    const Content oldData{{"TP.DBF", "old titles"}, {"Terralog.ini", "[INDEX]"}, {"Scanari/", ""},
                          {"Scanari/t1.jpg", "picture"}};
    const Content newFiles{{"TP.DBF", "new titles"}, {"TPDET.DBF", "new surfaces"}};

    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(data() + "/Scanari"));
        for (const auto& [name, bytes] : oldData)
            if (!name.endsWith('/')) writeFile(data() + "/" + name, bytes);
        ASSERT_TRUE(lock.lock(data()));
    }
    void TearDown() override { platform::DataDirReplacement::afterStep = nullptr; }

    QString data() const { return dir.filePath("Data"); }
    Content expectedAfterSwap() const {
        Content c = newFiles;
        c["Scanari/"];
        c["Scanari/t1.jpg"] = "picture";
        return c;
    }
    QStringList besideData() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    void replace() {
        platform::DataDirReplacement replacement(lock);
        for (const auto& [name, bytes] : newFiles) writeFile(replacement.folder() + "/" + name, bytes);
        replacement.commit();
    }
};

TEST_F(DataDirReplacementTest, CommitSwapsTheFilesAndKeepsTheSubfolders) {
    replace();
    EXPECT_EQ(contentOf(data()), expectedAfterSwap());
    EXPECT_EQ(besideData(), dataAndItsLock());
}

TEST_F(DataDirReplacementTest, WithoutCommitNothingChanges) {
    {
        platform::DataDirReplacement replacement(lock);
        writeFile(replacement.folder() + "/TP.DBF", "half");
    }
    EXPECT_EQ(contentOf(data()), oldData);
    EXPECT_EQ(besideData(), dataAndItsLock());
}

TEST_F(DataDirReplacementTest, ANewFileNamedAsASubfolderIsRefusedBeforeAnyChange) {
    {
        platform::DataDirReplacement replacement(lock);
        writeFile(replacement.folder() + "/Scanari", "a file");
        EXPECT_THROW(replacement.commit(), platform::PlatformError);
    }
    EXPECT_EQ(contentOf(data()), oldData);
    EXPECT_EQ(besideData(), dataAndItsLock());
}

TEST_F(DataDirReplacementTest, AMissingDataDirectoryIsCreated) {
    QTemporaryDir other;
    platform::DataDirLock otherLock;
    ASSERT_TRUE(otherLock.lock(other.filePath("Data")));
    {
        platform::DataDirReplacement replacement(otherLock);
        writeFile(replacement.folder() + "/TP.DBF", "new");
        replacement.commit();
    }
    EXPECT_EQ(contentOf(other.filePath("Data")), (Content{{"TP.DBF", "new"}}));
}

TEST_F(DataDirReplacementTest, ReplacingNeedsTheLock) {
    platform::DataDirLock none;
    EXPECT_THROW(platform::DataDirReplacement::finishInterrupted(none), platform::PlatformError);
}

// A process stopped at each step of a replacement, before its files are all
// written and after every durable step of the swap, leaves the old data or
// the new one whole once the next start has finished what it left.
TEST_F(DataDirReplacementTest, ACrashAtAnyStepLeavesOneWholeDataDirectory) {
    for (int stopAt = 0;; ++stopAt) {
        SCOPED_TRACE(stopAt);
        QTemporaryDir scratch;
        const QString data = scratch.filePath("Data");
        ASSERT_TRUE(QDir().mkpath(data + "/Scanari"));
        for (const auto& [name, bytes] : oldData)
            if (!name.endsWith('/')) writeFile(data + "/" + name, bytes);

        testing_child::ChildProcess child(replaceChild, {data.toStdString(), std::to_string(stopAt)});
        const testing_child::Status status = child.wait();
        ASSERT_EQ(status.end, testing_child::Status::End::Exited) << status.describe();

        platform::DataDirLock next;
        ASSERT_TRUE(next.lock(data));
        platform::DataDirReplacement::finishInterrupted(next);
        EXPECT_EQ(contentOf(data), stopAt == 0 ? oldData : expectedAfterSwap());
        EXPECT_EQ(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), dataAndItsLock());
        if (status.exited(kCompleted)) {
            EXPECT_GT(stopAt, 3);
            break;
        }
        ASSERT_TRUE(status.exited(0)) << status.describe();
    }
}

}  // namespace
