#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/os.h"

namespace engine {

class WriteUnit;

// What tells a file apart from its earlier self: another program's write
// changes the size or a time, a replacement by rename changes the file
// (its inode, or its file index on Windows).
struct FileIdentity {
    uint64_t device = 0;
    uint64_t index = 0;
    uint64_t size = 0;
    int64_t modified = 0;
    int64_t changed = 0;

    static FileIdentity of(const os::FileInfo& info) {
        return {info.device, info.index, info.size, info.modified, info.changed};
    }
    bool sameFile(const FileIdentity& other) const { return device == other.device && index == other.index; }
    bool operator==(const FileIdentity& o) const {
        return sameFile(o) && size == o.size && modified == o.modified && changed == o.changed;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The open file of one table, shared by every catalog of the process so that
// the process holds one descriptor, and so one set of operating-system locks,
// per table. See table_file.cpp for the rules every write follows.
class TableFile {
public:
    // The file at `path`, which must exist; the same object for the same file.
    static std::shared_ptr<TableFile> open(const std::string& path);
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    const std::string& path() const { return path_; }
    FileIdentity identity() const;
    // Opens the path again when it names another file than the one open (a
    // replacement by another program).
    void follow(const FileIdentity& onDisk);

    // Reads up to `size` bytes at `offset`; returns how many were read.
    size_t readAt(uint64_t offset, char* out, size_t size) const;
    // A second handle of the file now open, for reading it on after the
    // path has come to name another file. It shares the open file and so its
    // locks.
    os::File duplicate() const;

    // Holding the file for reading: fails when another program holds it
    // exclusively. Does nothing while this process holds it exclusively.
    class ReadLock {
    public:
        explicit ReadLock(TableFile& file);
        ~ReadLock();
        ReadLock(const ReadLock&) = delete;
        ReadLock& operator=(const ReadLock&) = delete;

    private:
        TableFile& file_;
    };
    // Exclusive use, counted: the first holder takes the operating-system lock,
    // the last one gives it back. Fails when another program uses the file.
    void acquireExclusive();
    void releaseExclusive();
    bool heldExclusively() const { return exclusive_ > 0; }
    // One unit of writes (a statement or a transaction) holds a file at a
    // time, whichever catalog it came from; within it, one statement at a time.
    bool isBeingWritten() const { return unit_ != nullptr; }
    void joinUnit(WriteUnit* unit) { unit_ = unit; }
    void leaveUnit() { unit_ = nullptr; }
    bool hasOpenStatement() const { return statementOpen_; }
    void setOpenStatement(bool open) { statementOpen_ = open; }

    // In-place writes of a statement, held by its unit until it commits.
    // A new record (followed by the end-of-file byte) at `offset`, then the
    // header's date and record count.
    void appendRecord(uint64_t offset, std::string_view recordAndEnd, uint32_t newCount);
    // Bytes of one record: a cell or the deletion flag.
    void writeRecordBytes(uint64_t offset, std::string_view bytes);
    // The header's date of last update, when it is not today's already.
    void stampHeader();
    // After a rollback the header may carry an older date again.
    void forgetStamp() { stamped_ = {}; }

    // The unit's own access: bytes straight to the file, and its sync.
    void writeThrough(uint64_t offset, std::string_view bytes);
    void syncFile();

    // A whole new file built beside this one: when `fill` has written all of
    // it, it is synced and renamed over the table's file, which this object
    // then holds open (with the exclusive lock, if held). On failure the old
    // file is untouched and the new one removed.
    class NewFile;
    void replace(NewFile& replacement);

private:
    explicit TableFile(std::string path);
    void openFile();
    void writeAt(uint64_t offset, std::string_view bytes);
    [[noreturn]] void failed(const char* what) const;

    std::string path_;
    os::File file_;
    bool writable_ = false;
    int exclusive_ = 0;  // holders in this process
    int readers_ = 0;
    WriteUnit* unit_ = nullptr;
    bool statementOpen_ = false;
    // The date this process last wrote into the header of the open file, so
    // a statement rewrites it only when the day has changed.
    std::array<uint8_t, 3> stamped_{};
};

// A file being written beside a table, under the name ".<table>.xxxxxx",
// locked while it is written: an opening of a table in the folder removes
// such a file when nobody holds it (a stopped ALTER, pack or CREATE). Nothing
// of it is visible under the table's name until TableFile::replace or create.
class TableFile::NewFile {
public:
    explicit NewFile(const std::string& besidePath);
    ~NewFile();  // removes the file unless it was renamed into place
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void write(std::string_view bytes);
    // The file's identity, which it keeps when it takes its name.
    FileIdentity identity() const;
    // Overwrites bytes already written (a header whose count is known last).
    void patch(uint64_t offset, std::string_view bytes);
    // Places the complete file as `path`, which must not exist yet.
    void create(const std::string& path);

private:
    friend class TableFile;
    void flush();
    void placeAs(const std::string& path, bool replaceExisting);
    [[noreturn]] void failed(const char* what) const;

    std::string target_;
    std::string tempPath_;
    os::File file_;
    uint64_t written_ = 0;
    std::string buffer_;
};

}  // namespace engine
