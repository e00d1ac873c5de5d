#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/table.h"

namespace engine {

struct TableCondition;
struct UnitHost;

// The catalog of table files a process works on. Paths are given as the
// statements write them: "\" or "/" as separator, the file name matched
// without regard to letter case in its folder ("TP.dbf" opens TP.DBF).
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The process-wide catalog that the program's datasets use by default.
    static Database& global();

    // The table, read from disk the first time and again whenever the file
    // changed since (size, time or identity). Before a reading, what a stopped
    // process left in the table's folder is rolled back or removed (see
    // journal.h). Throws TableError naming the path when the file is missing,
    // damaged, or held exclusively by another program.
    std::shared_ptr<Table> table(std::string_view path);
    // Lets go of every table this catalog keeps open (a folder about to be
    // swapped must have no open file on Windows). Tables still used by a
    // result or a dataset stay open until those end.
    void forgetTables();
    bool exists(std::string_view path) const;
    // The path on disk a statement path names (the existing file when one
    // matches without regard to case, else the path with platform separators).
    std::string resolve(std::string_view path) const;
    // The folder of the file a statement path names, as last found (finding
    // it anew may read folders).
    std::string folderOf(std::string_view path);

    // A new empty table: version byte 0x03, code page byte 0xC8 (1250), an end
    // of file byte. Throws TableError if a file of that name exists.
    void createTable(std::string_view path, const std::vector<FieldDef>& fields);
    // Adds fields after the existing ones and drops fields, keeping every
    // record: a complete new file is written beside the old one and renamed
    // over it, so the old table or the new one is whole at every moment.
    void alterTable(std::string_view path, const std::vector<FieldDef>& add, const std::vector<std::string>& drop);
    // Removes the records marked deleted, the same way (new file, atomic
    // rename). A table that holds none leaves its file untouched. A damaged
    // table (see integrity.h) is refused, as by alterTable: rewriting it
    // would lose the records its header does not count.
    void packTable(std::string_view path);

    // What is wrong with the table's file (integrity.h): its header and size,
    // and with `records` every record. Throws TableError when the file is
    // missing or held exclusively by another program.
    TableCondition examineTable(std::string_view path, bool records);
    // Writes a damaged table anew, the same way as a pack, with every whole
    // record its file holds, whatever its header counts; a cell of a record
    // not deleted that is no value of its field becomes blank, a deletion
    // flag that is neither ' ' nor '*' becomes ' '. First the file is copied
    // as it is to `copyPath` (a name not taken), on the disk before anything
    // is rewritten. Returns what was wrong; a sound table is left untouched,
    // and no copy made. Throws TableError, nothing rewritten, for a header
    // that does not read or a copy that cannot be made.
    TableCondition repairTable(std::string_view path, const std::string& copyPath);

    // Exclusive use of a table: an operating-system lock that other processes
    // respect, held until the handle is destroyed. Throws TableError when
    // another program has the file open for use.
    class ExclusiveLock {
    public:
        virtual ~ExclusiveLock() = default;
    };
    std::unique_ptr<ExclusiveLock> lockExclusive(std::string_view path);

    // Where temporary files go; accepted and remembered, nothing is required
    // to be put there.
    void setTempDir(std::string dir) { tempDir_ = std::move(dir); }
    const std::string& tempDir() const { return tempDir_; }

private:
    friend class Transaction;
    UnitHost& units();

    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string tempDir_;
};

}  // namespace engine
