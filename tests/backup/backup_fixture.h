#pragma once

#include <zlib.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/folder_content.h"
#include "platform/data_dir_lock.h"

// Readable failures of file names and contents.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace testbackup {

using testing_files::Content;
using testing_files::contentOf;
using testing_files::entriesOf;
using testing_files::readFile;
using testing_files::writeFile;

inline QByteArray le32(int64_t value) {
    QByteArray out;
    for (int shift = 0; shift < 32; shift += 8) out.append(char((uint64_t(value) >> shift) & 0xFF));
    return out;
}

inline QByteArray zlibStream(const QByteArray& content, int level = 9) {
    uLongf size = compressBound(uLong(content.size()));
    QByteArray out(int(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(content.constData()),
              uLong(content.size()), level);
    out.resize(int(size));
    return out;
}

// L, name, S and the stream.
inline QByteArray recordSized(const QByteArray& name, const QByteArray& content, int64_t size) {
    return le32(name.size()) + name + le32(size) + zlibStream(content);
}
inline QByteArray record(const QByteArray& name, const QByteArray& content) {
    return recordSized(name, content, content.size());
}

// Bytes like a table's: records of a few repeated words and numbers.
inline QByteArray tableLike(int size, unsigned seed) {
    static const char* const words[] = {"POPESCU ", "IONESCU ", "ARABIL  ", "PASUNE  ", "VIE     ", "TARLA 12",
                                        "DRUM    ", "CANAL   "};
    std::mt19937 rng(seed);
    QByteArray out;
    while (out.size() < size) {
        out.append(' ');
        for (int f = 0; f < 6; ++f) out.append(words[rng() % 8]);
        out.append(QByteArray::number(int(rng() % 100000)).rightJustified(8, ' '));
    }
    out.resize(size);
    return out;
}

inline QByteArray randomBytes(int size, unsigned seed) {
    std::mt19937 rng(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (char& c : out) c = char(rng());
    return out;
}

// Python's zlib, run on the script beside these tests; its output, and
// whether it ended well.
inline std::pair<bool, QString> runPython(const QStringList& arguments) {
    QProcess python;
    python.start("python3", QStringList{TERRALOG_BACKUP_SCRIPT} + arguments);
    python.waitForFinished(120000);
    const QString output = QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError());
    return {python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0, output};
}

// A temporary folder with an empty data directory "Data" in it.
class BackupFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    platform::DataDirLock lock;

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(data())); }

    QString data() const { return dir.filePath("Data"); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void put(const Content& content) {
        for (const auto& [name, bytes] : content) {
            if (name.endsWith('/'))
                ASSERT_TRUE(QDir().mkpath(data() + "/" + name));
            else
                writeFile(data() + "/" + name, bytes);
        }
    }
};

}  // namespace testbackup
