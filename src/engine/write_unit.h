#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/folder_lock.h"
#include "engine/journal.h"
#include "engine/table_file.h"

namespace engine {

// What a unit tells the reading of a table it wrote through when it ends:
// committed, the reading equals the file; rolled back, it is out of date.
class UnitReading {
public:
    virtual ~UnitReading() = default;
    virtual void unitEnded(bool committed) = 0;
};

// The writes of one statement, or of a transaction, to the files of one
// folder: committed or rolled back whole, also across a crash. Pages written
// stay in memory until commit (or until they outgrow a limit); their original
// bytes go to the journal first. See journal.cpp for the protocol.
class WriteUnit {
public:
    WriteUnit() = default;
    ~WriteUnit();  // rolls back a unit still open
    WriteUnit(const WriteUnit&) = delete;
    WriteUnit& operator=(const WriteUnit&) = delete;

    // A table file joins, held exclusively until the unit ends. `reading`
    // (may be empty) is told how the unit ended.
    void join(const std::shared_ptr<TableFile>& file, const std::shared_ptr<UnitReading>& reading);
    bool holds(const TableFile& file) const;
    // The reading that writes the file in this unit, if any is left.
    std::shared_ptr<UnitReading> readingOf(const TableFile& file) const;
    void setReading(const TableFile& file, const std::shared_ptr<UnitReading>& reading);

    // Through TableFile: the bytes at `offset` of a joined file.
    void write(TableFile& file, uint64_t offset, std::string_view bytes);
    // Around TableFile::replace of a joined file (ALTER, pack): the old file
    // is kept until the unit ends.
    void beforeReplace(TableFile& file);
    void afterReplace(TableFile& file);
    // Before a new table, the file `created`, is placed at `path`.
    void beforeCreate(const std::string& path, const FileIdentity& created);
    // A small file about to be rewritten by the caller: put back on rollback.
    void protectFile(const std::string& path);

    // Durable when it returns; on failure rolled back, then TableError.
    void commit();
    // Puts every file back. Throws TableError when that fails; the journal
    // then stays and the next opening rolls back.
    void rollback();
    // A write of the unit failed midway: rolled back at once, the unit refuses
    // any further write and its commit throws.
    void abandon();
    bool isOpen() const { return state_ == State::Open; }

    // The bytes of changed pages a unit holds before it writes them out
    // (64 MB); the crash test lowers it to stop units between such writes.
    static void setMemoryLimit(size_t bytes);

private:
    struct Member {
        std::shared_ptr<TableFile> file;
        std::weak_ptr<UnitReading> reading;
        uint32_t journalIndex = UINT32_MAX;
        uint64_t originalSize = 0;
        uint64_t diskSize = 0;  // what is on disk now
        uint64_t size = 0;      // with the pages held here
        std::unordered_map<uint64_t, std::string> dirty;
        std::unordered_set<uint64_t> saved;
        bool written = false;   // pages of the unit reached the file
        bool replaced = false;  // the old file is kept whole: no more originals
    };
    enum class State { Open, Committed, RolledBack };

    Member& member(const TableFile& file) const;
    void checkOpen() const;
    void checkFolder(const std::string& path);
    Journal& journal(const std::string& path);
    void journalTable(Member& m);
    std::string& page(Member& m, uint64_t number);
    void writeOut(Member& m);
    void spill();
    void restore();
    void end(bool committed);

    State state_ = State::Open;
    bool abandoned_ = false;
    std::string folder_;
    std::vector<std::unique_ptr<Member>> members_;
    mutable Member* last_ = nullptr;
    std::unique_ptr<Journal> journal_;
    size_t dirtyBytes_ = 0;
    bool diskTouched_ = false;  // something of the unit reached a file already
    std::vector<std::string> backups_;
    std::unordered_set<std::string> protected_;
    FolderLock writers_;  // the folder's writers' lock, from the first file to the end
};

// The unit that statements on one catalog join while a Transaction is open.
struct UnitHost {
    std::shared_ptr<WriteUnit> open;
};

}  // namespace engine
