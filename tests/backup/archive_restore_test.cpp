// Restores into a data directory: what comes in, what stays, what a fault or
// a crash leaves.
#include "backup/archive.h"

#include "backup/archive_error.h"
#include "backup/archive_writer.h"
#include "backup_fixture.h"
#include "common/child_process.h"
#include "data/progress.h"
#include "engine/os.h"
#include "platform/data_dir_replacement.h"

namespace {

using testbackup::Content;
using testbackup::contentOf;
using testbackup::entriesOf;
using testbackup::le32;
using testbackup::record;
using testbackup::writeFile;

// The progress that kills the process as record `at` begins.
class KillingProgress : public data::CountingProgress {
public:
    explicit KillingProgress(int at) : at_(at) {}
    void setPosition(int position) override {
        if (position == at_) engine::os::killSelf();
        CountingProgress::setPosition(position);
    }

private:
    int at_;
};

constexpr int kArchivedRecords = 4;

// The child: restores the archive into the data directory and kills itself
// as record `stop` begins, or at step `stop` - records of the swap.
const testing_child::Entry restoreChild("restore-killed", [](const testing_child::Arguments& a) {
    const QString data = QString::fromStdString(a.at(0));
    const int stop = std::stoi(a.at(2));
    platform::DataDirLock held;
    if (!held.lock(data)) return 1;
    KillingProgress progress(stop <= kArchivedRecords ? stop : -1);
    platform::DataDirReplacement::afterStep = [stop](int step) {
        if (step == stop - kArchivedRecords) engine::os::killSelf();
    };
    backup::Archive(QString::fromStdString(a.at(1))).restore(held, &progress);
    return 0;
});

class ArchiveRestoreTest : public testbackup::BackupFixture {
protected:
    const Content oldData{{"TP.DBF", "old titles"},
                          {"Vechi.txt", "not in the archive"},
                          {"Terralog.ini", "[INDEX]\r\nIDTP=3\r\n"},
                          {"Scanari/", ""},
                          {"Scanari/t1.jpg", "picture"}};
    const Content archived{{"TP.DBF", testbackup::tableLike(400000, 7)},
                           {"TPDET.DBF", testbackup::tableLike(900000, 8)},
                           {"Terralog.ini", "[INDEX]\r\nIDTP=9\r\n"},
                           {".ascuns", "hidden"}};

    void SetUp() override {
        BackupFixture::SetUp();
        put(oldData);
        ASSERT_TRUE(lock.lock(data()));
    }

    Content restoredData() const {
        Content c = archived;
        c["Scanari/"];
        c["Scanari/t1.jpg"] = "picture";
        return c;
    }

    // The archived files in a folder of their own, for a writer to take.
    QStringList archivedFiles() {
        const QString source = path("sursa");
        QDir().mkpath(source);
        QStringList files;
        for (const auto& [name, bytes] : archived) {
            writeFile(source + "/" + name, bytes);
            files << source + "/" + name;
        }
        return files;
    }
};

TEST_F(ArchiveRestoreTest, ArchivesOfAnIndependentWriterRestoreByteForByte) {
    for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE(level);
        const auto [ok, output] =
            testbackup::runPython(QStringList{"write", path("python.tlg"), QString::number(level)} + archivedFiles());
        ASSERT_TRUE(ok) << output.toStdString();
        backup::Archive(path("python.tlg")).restore(lock);
        EXPECT_EQ(contentOf(data()), restoredData());
        EXPECT_EQ(entriesOf(dir.path()), (QStringList{"Data", "python.tlg", "sursa"}));
    }
}

TEST_F(ArchiveRestoreTest, OurArchiveComesBackWhole) {
    backup::Archive archive(path("copie.tlg"));
    archive.write(archivedFiles());
    data::CountingProgress progress;
    archive.restore(lock, &progress);
    EXPECT_EQ(contentOf(data()), restoredData());
    EXPECT_EQ(progress.maximum(), 4);
    EXPECT_EQ(progress.position(), 4);
}

// Every way the reader refuses an archive, seen from the data directory:
// nothing written into it or beside it, nothing lost.
TEST_F(ArchiveRestoreTest, ARefusedArchiveChangesNothing) {
    const QByteArray good = record("Data\\TP.DBF", "new titles");
    const QByteArray archives[] = {
        le32(0),
        le32(2) + good + record("Data\\..\\..\\evil", "outside"),
        le32(2) + good + record("Data\\Scanari\\t1.jpg", "into a subfolder"),
        le32(2) + good + record("/tmp/evil", "absolute"),
        le32(2) + good + record("Data\\tp.dbf", "same name"),
        le32(1) + good + "trailing",
        (le32(2) + good + record("Data\\RF.DBF", testbackup::randomBytes(5000, 3))).chopped(100),
        le32(1) + good.chopped(1) + char(good.back() ^ 1),
        le32(1) + record("Data\\Scanari", "a file where a subfolder is"),
    };
    for (const QByteArray& bytes : archives) {
        SCOPED_TRACE(bytes.left(40).toHex().toStdString());
        writeFile(path("rea.tlg"), bytes);
        EXPECT_THROW(backup::Archive(path("rea.tlg")).restore(lock), platform::PlatformError);
        EXPECT_EQ(contentOf(data()), oldData);
        EXPECT_EQ(entriesOf(dir.path()), (QStringList{"Data", "rea.tlg"}));
    }
}

TEST_F(ArchiveRestoreTest, AMissingArchiveIsAnError) {
    EXPECT_THROW(backup::Archive(path("lipsa.tlg")).restore(lock), backup::ArchiveError);
    EXPECT_EQ(contentOf(data()), oldData);
}

// A restore killed after each record, and at each step of the swap, leaves
// the old data or the new one whole once the next start finished it.
TEST_F(ArchiveRestoreTest, ARestoreKilledHalfWayLeavesAWholeDataDirectory) {
    backup::Archive archive(path("copie.tlg"));
    archive.write(archivedFiles());
    lock.unlock();

    for (int stop = 1;; ++stop) {
        SCOPED_TRACE(stop);
        testing_child::ChildProcess child(restoreChild,
                                          {data().toStdString(), path("copie.tlg").toStdString(), std::to_string(stop)});
        const testing_child::Status status = child.wait();
        const bool killed = status.killed();
        ASSERT_TRUE(killed || status.exited(0)) << status.describe();

        platform::DataDirLock next;
        ASSERT_TRUE(next.lock(data()));
        platform::DataDirReplacement::finishInterrupted(next);
        const Content now = contentOf(data());
        EXPECT_TRUE(now == oldData || now == restoredData());
        EXPECT_EQ(now == oldData, stop <= kArchivedRecords);
        EXPECT_EQ(entriesOf(dir.path()), (QStringList{"Data", "copie.tlg", "sursa"}));
        if (!killed) break;
        // Back to the old data for the next round.
        QDir(data()).removeRecursively();
        QDir().mkpath(data());
        put(oldData);
    }
}

}  // namespace
