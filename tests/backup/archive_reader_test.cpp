// The reader, over archives built byte by byte.
#include "backup/archive_reader.h"

#include <algorithm>

#include "backup/archive_error.h"
#include "backup_fixture.h"

namespace {

using testbackup::le32;
using testbackup::record;
using testbackup::recordSized;
using testbackup::zlibStream;

// Hands out at most `step` bytes a read, so that records fall anywhere
// across the reader's buffer.
class TrickleSource : public backup::ByteSource {
public:
    TrickleSource(const QByteArray& bytes, size_t step) : inner_(bytes.constData(), size_t(bytes.size())), step_(step) {}
    size_t read(char* buffer, size_t size) override { return inner_.read(buffer, std::min(size, step_)); }
    int64_t size() const override { return inner_.size(); }

private:
    backup::MemorySource inner_;
    size_t step_;
};

class CollectingSink : public backup::ByteSink {
public:
    void write(const char* data, size_t size) override { bytes.append(data, qsizetype(size)); }
    QByteArray bytes;
};

struct Read {
    std::vector<std::pair<QString, QByteArray>> records;
};

Read readAll(backup::ByteSource& source) {
    backup::ArchiveReader reader(source, "proba.tlg");
    reader.count();
    Read read;
    backup::RecordHeader header;
    while (reader.next(header)) {
        CollectingSink sink;
        reader.content(&sink);
        EXPECT_EQ(sink.bytes.size(), header.size);
        read.records.emplace_back(header.fileName, sink.bytes);
    }
    return read;
}

Read readAll(const QByteArray& bytes) {
    backup::MemorySource source(bytes.constData(), size_t(bytes.size()));
    return readAll(source);
}

// The message of the error reading `bytes` raises; empty when none.
std::string refusal(const QByteArray& bytes) {
    try {
        readAll(bytes);
    } catch (const backup::ArchiveError& e) {
        return e.what();
    }
    return std::string();
}

TEST(ArchiveReader, RecordsEndingAnywhereInTheBufferReadExactly) {
    const std::vector<std::pair<QString, QByteArray>> files{
        {"TP.DBF", testbackup::tableLike(300000, 1)},   {"a", "x"},
        {"RF.DBF", testbackup::randomBytes(70001, 2)},  {"Terralog.ini", "[INDEX]\r\nIDTP=7\r\n"},
        {"TPDET.DBF", testbackup::tableLike(600000, 3)}, {"z", QByteArray(1, '\0')}};
    QByteArray bytes = le32(qsizetype(files.size()));
    for (const auto& [name, content] : files) bytes += record("Data\\" + name.toLatin1(), content);

    for (size_t step : {size_t(1), size_t(3), size_t(4096), size_t(65537), size_t(bytes.size())}) {
        SCOPED_TRACE(step);
        TrickleSource source(bytes, step);
        EXPECT_EQ(readAll(source).records, files);
    }
}

TEST(ArchiveReader, StreamsOfAnyLevelAndNamesInCodePage1250) {
    const QByteArray content = testbackup::tableLike(50000, 4);
    for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE(level);
        const QByteArray bytes = le32(1) + le32(12) + QByteArray("Data\\Anex\xe3.t") + le32(content.size()) +
                                 zlibStream(content, level);
        const Read read = readAll(bytes);
        ASSERT_EQ(read.records.size(), 1u);
        EXPECT_EQ(read.records[0].first, QString::fromUtf8("Anexă.t"));
        EXPECT_EQ(read.records[0].second, content);
    }
}

TEST(ArchiveReader, AZipBombStopsAtTheRecordsSize) {
    const QByteArray zeros(20 << 20, '\0');
    const QByteArray bytes = le32(1) + recordSized("Data\\TP.DBF", zeros, 1000);
    backup::MemorySource source(bytes.constData(), size_t(bytes.size()));
    backup::ArchiveReader reader(source, "bomba.tlg");
    backup::RecordHeader header;
    ASSERT_TRUE(reader.next(header));
    CollectingSink sink;
    EXPECT_THROW(reader.content(&sink), backup::ArchiveError);
    EXPECT_LE(sink.bytes.size(), 1000);
}

struct Hostile {
    const char* what;
    QByteArray bytes;
    const char* message;  // a part of the error's text
};

QByteArray corrupted(QByteArray bytes, int from_end, char mask) {
    bytes[bytes.size() - from_end] = char(bytes[bytes.size() - from_end] ^ mask);
    return bytes;
}

QByteArray ok(const QByteArray& name = "Data\\TP.DBF") { return record(name, "continut"); }

TEST(ArchiveReader, RefusesEveryRecordTheFormatDoesNotAllow) {
    const QByteArray stream = zlibStream("continut");
    const Hostile cases[] = {
        {"empty file", "", "se termina inainte de numarul de fisiere"},
        {"negative count", le32(-1) + ok(), "numarul de fisiere este -1"},
        {"zero count", le32(0), "numarul de fisiere este 0"},
        {"count larger than the file holds", le32(1000) + ok(), "nu poate cuprinde 1000 fisiere"},
        {"fewer records than counted", le32(2) + record("Data\\TP.DBF", testbackup::randomBytes(100, 5)),
         "Inregistrarea 2 din 2"},
        {"more records than counted", le32(1) + ok() + ok("Data\\RF.DBF"), "dupa ultimul fisier mai urmeaza"},
        {"negative name length", le32(1) + le32(-5) + "Data\\TP.DBF" + le32(8) + stream, "lungimea numelui este -5"},
        {"zero name length", le32(1) + le32(0) + le32(8) + stream, "lungimea numelui este 0"},
        {"name longer than the archive", le32(1) + le32(250) + "Data\\TP.DBF" + le32(8) + stream,
         "mai mult decat restul arhivei"},
        {"empty file name", le32(1) + record("Data\\", "continut"), "lungimea numelui este 5"},
        {"other separator", le32(1) + ok("Data/TP.DBF"), "nu incepe cu Data\\"},
        {"absolute path", le32(1) + ok("/etc/passwd"), "nu incepe cu Data\\"},
        {"drive path", le32(1) + ok("C:\\Data\\TP.DBF"), "nu incepe cu Data\\"},
        {"parent folder", le32(1) + ok("Data\\..\\TP.DBF"), "separator de directoare"},
        {"name that is ..", le32(1) + ok("Data\\.."), "in afara directorului de date"},
        {"name that is .", le32(1) + ok("Data\\."), "in afara directorului de date"},
        {"slash inside", le32(1) + ok("Data\\Scanari/TP.DBF"), "separator de directoare"},
        {"subfolder", le32(1) + ok("Data\\Scanari\\t1.jpg"), "separator de directoare"},
        {"drive letter inside", le32(1) + ok("Data\\C:TP.DBF"), "unitate de disc"},
        {"NUL byte", le32(1) + ok(QByteArray("Data\\TP\0.DBF", 12)), "caracter de control"},
        {"same name in other letter case", le32(2) + ok("Data\\TP.DBF") + ok("Data\\tp.dbf"),
         "repeta pe cel al inregistrarii 1"},
        {"same name twice", le32(2) + ok("Data\\TP.DBF") + ok("Data\\TP.DBF"), "repeta pe cel al inregistrarii 1"},
        {"negative size", le32(1) + recordSized("Data\\TP.DBF", "continut", -8), "marimea fisierului este -8"},
        {"zero size", le32(1) + recordSized("Data\\TP.DBF", "continut", 0), "marimea fisierului este 0"},
        {"size no stream can reach", le32(1) + recordSized("Data\\TP.DBF", "continut", 2147483647),
         "2147483647 octeti nu pot iesi"},
        {"stream longer than the size", le32(1) + recordSized("Data\\TP.DBF", "continut", 5), "mai mult de 5 octeti"},
        {"stream shorter than the size", le32(1) + recordSized("Data\\TP.DBF", "continut", 9), "numai 8 din 9 octeti"},
        {"Adler-32 wrong", corrupted(le32(1) + ok(), 1, 0x01), "incorrect data check"},
        {"deflate data damaged", corrupted(le32(1) + ok(), 8, 0x5A), "fluxul comprimat"},
        {"not a zlib header", le32(1) + le32(11) + "Data\\TP.DBF" + le32(8) + "PK\x03\x04xxxxxxxxxxxxx",
         "fluxul comprimat este deteriorat"},
        {"preset dictionary", le32(1) + le32(11) + "Data\\TP.DBF" + le32(8) + "\x78\xbb" + QByteArray(20, '\1'),
         "cere un dictionar"},
        {"archive ends inside the stream", (le32(1) + ok()).chopped(3), "se termina in fluxul comprimat"},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string message = refusal(c.bytes);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_NE(message.find("proba.tlg"), std::string::npos) << message;
    }
}

TEST(ArchiveReader, TheMessageNamesTheRecordAndTheByte) {
    const QByteArray first = ok("Data\\RF.DBF");
    const std::string message = refusal(le32(2) + first + recordSized("Data\\TP.DBF", "continut", 3));
    EXPECT_NE(message.find("Inregistrarea 2 din 2 (Data\\TP.DBF), la octetul"), std::string::npos) << message;
}

}  // namespace
