// Saves, read back by Python's zlib and by our reader.
#include "backup/archive_writer.h"

#include "backup/archive.h"
#include "backup/archive_error.h"
#include "backup_fixture.h"
#include "data/progress.h"

namespace {

using testbackup::Content;
using testbackup::contentOf;
using testbackup::entriesOf;
using testbackup::readFile;
using testbackup::runPython;
using testbackup::writeFile;

class ArchiveWriterTest : public testbackup::BackupFixture {
protected:
    // What Python extracts from the archive, and the names it printed.
    Content extractedByPython(const QString& archive, QStringList* names = nullptr) {
        const QString out = path("python-out");
        QDir(out).removeRecursively();
        EXPECT_TRUE(QDir().mkpath(out));
        const auto [ok, output] = runPython({"read", archive, out});
        EXPECT_TRUE(ok) << output.toStdString();
        if (names) {
            names->clear();
            for (const QString& line : output.split('\n', Qt::SkipEmptyParts)) *names << line.section('\t', 0, 0);
        }
        return contentOf(out);
    }
};

TEST_F(ArchiveWriterTest, PythonsZlibReadsWhatASaveWrites) {
    put({{"TP.DBF", testbackup::tableLike(3 << 20, 1)},
         {"RF.DBF", testbackup::randomBytes(200000, 2)},
         {"Terralog.ini", "[INDEX]\r\nIDTP=12\r\n"},
         {".ascuns", "hidden"},
         {"citire.txt", "read-only"},
         {QString::fromUtf8("Anexă.txt"), "1250"},
         {"Gol.DBF", ""},
         {"Scanari/", ""},
         {"Scanari/t1.jpg", "not saved"}});
    ASSERT_TRUE(QFile::setPermissions(data() + "/citire.txt", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const QStringList files = backup::listDataFiles(data());
    EXPECT_EQ(files.size(), 6);
    backup::Archive(path("copie.tlg")).write(files);

    Content expected = contentOf(data());
    expected.erase("Gol.DBF");
    expected.erase("Scanari/");
    expected.erase("Scanari/t1.jpg");
    QStringList names;
    EXPECT_EQ(extractedByPython(path("copie.tlg"), &names), expected);
    QStringList listed;
    for (const QString& file : files) listed << "Data\\" + QFileInfo(file).fileName();
    EXPECT_EQ(names, listed);  // in the order the directory listed them
}

// Pieces of every size join into one stream, whatever their data compresses to.
TEST_F(ArchiveWriterTest, PiecesJoinIntoOneStream) {
    const QByteArray samples[] = {testbackup::tableLike(100000, 3), testbackup::randomBytes(70000, 4),
                                  QByteArray(90000, '\0'), QByteArray("x")};
    Content expected;
    QStringList files;
    int n = 0;
    for (const QByteArray& sample : samples)
        for (qsizetype size : {qsizetype(1), qsizetype(4095), qsizetype(4096), qsizetype(4097), sample.size()}) {
            if (size > sample.size()) continue;
            const QString name = QStringLiteral("f%1").arg(n++);
            expected[name] = sample.left(size);
            writeFile(data() + "/" + name, sample.left(size));
            files << data() + "/" + name;
        }
    for (size_t piece : {size_t(1) << 12, size_t(7), size_t(1) << 20}) {
        SCOPED_TRACE(piece);
        backup::ArchiveWriter writer(path("bucati.tlg"));
        writer.setPieceSize(piece);
        writer.setThreads(3);
        writer.write(files);
        EXPECT_EQ(extractedByPython(path("bucati.tlg")), expected);
        EXPECT_EQ(backup::Archive(path("bucati.tlg")).verify().size(), files.size());
    }
}

TEST_F(ArchiveWriterTest, ProgressCountsTheFiles) {
    put({{"TP.DBF", "a"}, {"RF.DBF", "b"}, {"Fisiere.dbf", "c"}});
    data::CountingProgress progress;
    backup::Archive(path("a.tlg")).write(backup::listDataFiles(data()), &progress);
    EXPECT_EQ(progress.maximum(), 3);
    EXPECT_EQ(progress.position(), 3);
}

TEST_F(ArchiveWriterTest, AFileEmptiedAfterTheListIsLeftOut) {
    put({{"TP.DBF", "titles"}, {"RF.DBF", "land register"}});
    const QStringList files = backup::listDataFiles(data());
    writeFile(data() + "/RF.DBF", "");
    backup::Archive(path("a.tlg")).write(files);
    EXPECT_EQ(extractedByPython(path("a.tlg")), (Content{{"TP.DBF", "titles"}}));
}

// A save that fails anywhere leaves the old archive as it was and nothing else.
TEST_F(ArchiveWriterTest, AFailedSaveLeavesTheOldArchive) {
    put({{"TP.DBF", testbackup::tableLike(100000, 5)}, {"RF.DBF", "land register"}});
    const QStringList files = backup::listDataFiles(data());
    writeFile(path("veche.tlg"), "the old archive");
    QFile::remove(files.last());
    EXPECT_THROW(backup::Archive(path("veche.tlg")).write(files), backup::ArchiveError);
    EXPECT_EQ(readFile(path("veche.tlg")), "the old archive");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"Data", "veche.tlg"}));

    EXPECT_THROW(backup::Archive(path("lipsa/noua.tlg")).write(backup::listDataFiles(data())), backup::ArchiveError);
}

TEST_F(ArchiveWriterTest, NamesThatWouldNotRestoreAsTheyAreAreRefusedFirst) {
    const Content cases[] = {
        {{"TP.DBF", "a"}, {"tp.dbf", "b"}},
        {{"TP\\DBF", "a"}},
        {{QString::fromUtf8("Ţară.dbf"), "a"}, {QString::fromUtf8("Țară.dbf"), "comma below: not in 1250"}},
        {{QString::fromUtf8("日本.txt"), "a"}},
    };
    for (const Content& c : cases) {
        SCOPED_TRACE(c.rbegin()->first.toStdString());
        QDir(data()).removeRecursively();
        QDir().mkpath(data());
        put(c);
        writeFile(path("veche.tlg"), "old");
        EXPECT_THROW(backup::Archive(path("veche.tlg")).write(backup::listDataFiles(data())), backup::ArchiveError);
        EXPECT_EQ(readFile(path("veche.tlg")), "old");
        EXPECT_EQ(entriesOf(dir.path()), (QStringList{"Data", "veche.tlg"}));
    }
}

}  // namespace
