#pragma once

#include <zlib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>

#include "engine/os.h"

namespace backup {

// Where an archive's bytes come from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `buffer`; 0 only at the end. Throws ArchiveError.
    virtual size_t read(char* buffer, size_t size) = 0;
    // The number of bytes the source holds.
    virtual int64_t size() const = 0;
};

// An archive file, read from its start.
class FileSource : public ByteSource {
public:
    // Throws ArchiveError when the file cannot be opened.
    explicit FileSource(const QString& path);

    size_t read(char* buffer, size_t size) override;
    int64_t size() const override { return size_; }

private:
    QString path_;
    engine::os::File file_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// Bytes already in memory.
class MemorySource : public ByteSource {
public:
    MemorySource(const char* data, size_t size) : data_(data), size_(size) {}
    size_t read(char* buffer, size_t size) override;
    int64_t size() const override { return int64_t(size_); }

private:
    const char* data_;
    size_t size_;
    size_t position_ = 0;
};

// Where a record's content goes.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const char* data, size_t size) = 0;
};

struct RecordHeader {
    int index = 0;           // 1 for the first record
    QString fileName;        // without "Data\"
    int32_t size = 0;        // S, bytes of the file
    int64_t offset = 0;      // where the record starts in the archive
};

// Reads an archive record by record and refuses, naming the record and the
// byte, everything that is not exactly what the format allows: a count, a
// name length or a size that is not positive or more than the rest of the
// archive can hold, a name that is not "Data\" and a plain file name, or
// that repeats another one in any letter case, a zlib stream that is
// damaged, fails its Adler-32 check or yields more or fewer bytes than the
// record's size, and anything after the last record. The content is never
// inflated beyond the record's size.
//
// Use: count(), then next() and content() for each record until next()
// returns false, which it does only once the whole archive checked out.
class ArchiveReader {
public:
    ArchiveReader(ByteSource& source, const QString& archiveName);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // N, the number of records.
    int count();
    // The header of the next record; false after the last one.
    bool next(RecordHeader& header);
    // The content of the record next() returned: its S bytes go to `sink`
    // (nowhere when null) and the reading stops right after its stream.
    void content(ByteSink* sink);

private:
    [[noreturn]] void fail(const QString& problem) const;
    int64_t position() const { return bufferStart_ + int64_t(pos_); }
    int64_t remaining() const { return source_.size() - position(); }
    bool refill();
    void readExact(char* out, size_t size, const char* what);
    int32_t readInt(const char* what);

    ByteSource& source_;
    QString archiveName_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    int64_t bufferStart_ = 0;
    int count_ = -1;
    int read_ = 0;
    bool contentPending_ = false;
    RecordHeader current_;
    std::map<QString, int> names_;  // same-name key -> record index
    z_stream zlib_{};
    bool zlibReady_ = false;
    std::vector<char> out_;
};

}  // namespace backup
