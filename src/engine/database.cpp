#include "engine/database.h"

#include <algorithm>
#include <cstring>

#include "engine/dbf_format.h"
#include "engine/dbf_table.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_names.h"
#include "engine/heap_policy.h"
#include "engine/integrity.h"
#include "engine/journal.h"
#include "engine/table_file.h"
#include "engine/text.h"
#include "engine/write_unit.h"

namespace engine {
namespace {

constexpr size_t kCopyChunk = 4 << 20;
constexpr size_t kMaxHeaderLength = 0xFFFF;
constexpr size_t kMaxRecordLength = 0xFFFF;
constexpr uint64_t kMaxRecordCount = 0xFFFFFFFF;

os::FileInfo statTable(const std::string& path) {
    os::FileInfo info;
    if (!os::pathInfo(path, info)) {
        const os::Error error = os::lastError();
        if (error.kind == os::Failure::NotFound) throw TableError("Table does not exist: " + path);
        throw TableError("Cannot open the table file " + path + ": " + os::describe(error));
    }
    if (!info.regular) throw TableError("Table does not exist: " + path);
    return info;
}

// Exclusive use of a file for as long as it lives.
class ExclusiveHold {
public:
    explicit ExclusiveHold(std::shared_ptr<TableFile> file) : file_(std::move(file)) { file_->acquireExclusive(); }
    ~ExclusiveHold() { file_->releaseExclusive(); }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

private:
    std::shared_ptr<TableFile> file_;
};

class ExclusiveHandle final : public Database::ExclusiveLock {
public:
    explicit ExclusiveHandle(std::shared_ptr<TableFile> file) : hold_(std::move(file)) {}

private:
    ExclusiveHold hold_;
};

void checkSizes(const DbfLayout& layout, const std::string& path) {
    if (layout.fields.empty()) throw TableError("The table " + path + " must have at least one field");
    if (layout.headerLength > kMaxHeaderLength || layout.recordLength > kMaxRecordLength)
        throw TableError("The table " + path + " would have too many or too wide fields");
}

ReadAt readerOf(const TableFile& file) {
    return [&file](uint64_t offset, char* out, size_t size) { return file.readAt(offset, out, size); };
}

// The file's layout and its records, read anew (the caller holds the file
// exclusively). A damaged file is refused unless `keepWholeRecords`, which
// counts every whole record it holds.
DbfLayout readLayout(const TableFile& file, size_t& count, bool keepWholeRecords = false) {
    DbfLayout layout;
    TableCondition condition;
    if (!readTableHeader(file.path(), uint64_t(file.identity().size), readerOf(file), layout, condition))
        throw TableError(condition.describe());
    if (!condition.sizeAgrees() && !keepWholeRecords) throw TableError(condition.describe());
    count = size_t(condition.wholeRecords);
    return layout;
}

// Calls `each` with every whole record of the file, in order.
template <class Each>
void forEachRecord(const TableFile& file, const DbfLayout& layout, size_t count, Each each) {
    const size_t length = layout.recordLength;
    const size_t perChunk = std::max<size_t>(1, kCopyChunk / length);
    std::string buffer(std::min(perChunk, std::max<size_t>(count, 1)) * length, '\0');
    for (size_t start = 0; start < count;) {
        const size_t want = std::min(perChunk, count - start);
        const size_t got = file.readAt(layout.headerLength + uint64_t(start) * length, &buffer[0], want * length) / length;
        if (got < want) throw TableError("The table file " + file.path() + " was cut short while being rewritten");
        for (size_t i = 0; i < got; ++i) each(std::string_view(buffer.data() + i * length, length));
        start += got;
    }
}

// A copy of the file's bytes under `copyPath`, a name not taken yet, on the
// disk with its folder entry when it returns; nothing of it is left when it
// fails.
void copyFile(const TableFile& file, const std::string& copyPath) {
    const std::string name = "the copy " + copyPath;
    os::File copy = os::File::open(copyPath, os::File::Open::CreateNew);
    if (!copy) fileio::fail("create", name, os::lastError());
    try {
        const uint64_t size = uint64_t(file.identity().size);
        std::string buffer(size_t(std::min<uint64_t>(kCopyChunk, std::max<uint64_t>(size, 1))), '\0');
        for (uint64_t at = 0; at < size;) {
            const size_t got = file.readAt(at, &buffer[0], size_t(std::min<uint64_t>(buffer.size(), size - at)));
            if (got == 0) throw TableError("The table file " + file.path() + " was cut short while being copied");
            fileio::writeAt(copy, at, std::string_view(buffer.data(), got), name);
            at += got;
        }
        fileio::sync(copy, name);
        fileio::syncDirectory(fileio::folderOf(copyPath));
    } catch (...) {
        copy.close();
        os::remove(copyPath);
        throw;
    }
}

}  // namespace

struct Database::Impl {
    struct Entry {
        std::shared_ptr<TableFile> file;
        std::shared_ptr<DbfTable> table;
        // The deletion marks of the file as last examined whole and found
        // sound, while it stays that file: its reading and its pack need not
        // read them again.
        FileIdentity examined;
        std::vector<uint8_t> examinedDeletions;
    };
    std::map<std::string, Entry> entries;
    std::shared_ptr<UnitHost> units = std::make_shared<UnitHost>();

    // Where names fold case, "Anexe1.dbf" and "ANEXE1.DBF" are one table
    // and must share one open file and its locks.
    static std::string key(const std::string& resolved) {
        return os::namesFoldCase() ? os::canonicalPath(resolved) : resolved;
    }

    Entry& entry(const std::string& resolved) {
        recoverFolder(fileio::folderOf(resolved));
        const FileIdentity onDisk = FileIdentity::of(statTable(resolved));
        Entry& e = entries[key(resolved)];
        if (!e.file) e.file = TableFile::open(resolved);
        e.file->follow(onDisk);
        return e;
    }

    std::shared_ptr<DbfTable> current(const std::string& resolved) {
        // The reading kept in memory serves as long as the file on disk is the
        // one it was read from, unchanged: then one stat is all a statement
        // costs here. A file to read again is read under a shared lock.
        Entry& e = entries[key(resolved)];
        if (e.table && e.table->isWriting()) return e.table;
        if (cleanupPending()) recoverFolder(fileio::folderOf(resolved));
        FileIdentity onDisk = FileIdentity::of(statTable(resolved));
        if (e.table && e.file && e.table->identity() == onDisk) return e.table;
        recoverFolder(fileio::folderOf(resolved));
        onDisk = FileIdentity::of(statTable(resolved));
        if (!e.file) e.file = TableFile::open(resolved);
        e.file->follow(onDisk);
        TableFile::ReadLock lock(*e.file);
        if (e.table && e.table->identity() == e.file->identity()) return e.table;
        e.table.reset();
        e.table = DbfTable::open(e.file, resolved, cpgPageBeside(resolved), units);
        if (e.examined == e.table->identity()) e.table->knowDeletions(e.examinedDeletions);
        return e.table;
    }

    // The file each statement path found last time. The program writes a few
    // paths over and over in another letter case than the files have
    // ("\Anexe1.dbf" for ANEXE1.DBF), and finding such a file reads its folder.
    std::map<std::string, std::string, std::less<>> found;

    std::shared_ptr<DbfTable> table(std::string_view path) {
        const auto it = found.find(path);
        if (it != found.end()) {
            try {
                return current(it->second);
            } catch (const TableError&) {
                // Gone or renamed: look for the file again.
            }
        }
        const std::string resolved = resolvePath(path);
        found.insert_or_assign(std::string(path), resolved);
        return current(resolved);
    }

    // Whether packing would leave the file as it is: a sound file (anything
    // else is refused) with no record marked deleted. An examination of the
    // same file, or the reading in memory while it is still the file's,
    // knows the marks.
    bool isPacked(Entry& e) {
        if (e.examined == e.file->identity())
            return std::find(e.examinedDeletions.begin(), e.examinedDeletions.end(), uint8_t(1)) ==
                   e.examinedDeletions.end();
        size_t count = 0;
        const DbfLayout layout = readLayout(*e.file, count);
        if (e.table && !e.table->isWriting() && e.table->identity() == e.file->identity())
            return !e.table->hasDeletedRecords();
        bool deleted = false;
        forEachRecord(*e.file, layout, count, [&](std::string_view record) { deleted = deleted || record[0] == '*'; });
        return !deleted;
    }

    // Writes the table anew through `build`, which gets the new file, the
    // table's file, its current layout and record count; the old file stays
    // whole until the complete new one replaces it.
    // The old file is kept until the unit (the transaction, or the
    // rewrite's own) ends, so a failure after the new file took the name
    // still puts the old one back.
    template <class Build>
    void rewrite(const std::string& resolved, Build build, bool keepWholeRecords = false) {
        Entry& e = entry(resolved);
        WriteUnit* open = units->open.get();
        if (e.file->hasOpenStatement() || (e.file->isBeingWritten() && !(open && open->holds(*e.file))))
            throw TableError("The table " + resolved + " is being written by a statement and cannot be rebuilt now");
        std::unique_ptr<WriteUnit> own;
        if (!open) own = std::make_unique<WriteUnit>();
        WriteUnit& unit = open ? *open : *own;
        unit.join(e.file, nullptr);
        e.table.reset();
        size_t count = 0;
        unit.beforeReplace(*e.file);
        const DbfLayout layout = readLayout(*e.file, count, keepWholeRecords);
        TableFile::NewFile replacement(resolved);
        build(replacement, *e.file, layout, count);
        replacement.write(std::string(1, kDbfEndOfFile));
        e.file->replace(replacement);
        unit.afterReplace(*e.file);
        if (own) own->commit();
    }
};

Database::Database() : impl_(std::make_unique<Impl>()) { keepFreedBlocksForReuse(); }
Database::~Database() = default;

Database& Database::global() {
    static Database instance;
    return instance;
}

std::shared_ptr<Table> Database::table(std::string_view path) { return impl_->table(path); }

UnitHost& Database::units() { return *impl_->units; }

bool Database::exists(std::string_view path) const {
    os::FileInfo info;
    return os::pathInfo(resolvePath(path), info) && info.regular;
}

std::string Database::resolve(std::string_view path) const { return resolvePath(path); }

void Database::forgetTables() {
    impl_->entries.clear();
    impl_->found.clear();
}

std::string Database::folderOf(std::string_view path) {
    auto it = impl_->found.find(path);
    if (it == impl_->found.end()) it = impl_->found.insert_or_assign(std::string(path), resolvePath(path)).first;
    return fileio::folderOf(it->second);
}

void Database::createTable(std::string_view path, const std::vector<FieldDef>& fields) {
    const std::string resolved = resolvePath(path);
    recoverFolder(fileio::folderOf(resolved));
    if (exists(resolved)) throw TableError("Table already exists: " + resolved);
    DbfLayout layout = DbfLayout::fresh();
    for (const FieldDef& def : fields) {
        DbfField f = makeField(def, resolved);
        for (const DbfField& other : layout.fields)
            if (equalsIgnoreCase(other.name, f.name))
                throw TableError("The table " + resolved + " would have field " + f.name + " twice");
        layout.fields.push_back(std::move(f));
    }
    arrangeLayout(layout);
    checkSizes(layout, resolved);
    // A unit of its own removes the file again when the creation fails after
    // the file took its name.
    std::unique_ptr<WriteUnit> own;
    if (!impl_->units->open) own = std::make_unique<WriteUnit>();
    WriteUnit& unit = own ? *own : *impl_->units->open;
    TableFile::NewFile file(resolved);
    file.write(buildHeader(layout, 0));
    file.write(std::string(1, kDbfEndOfFile));
    unit.beforeCreate(resolved, file.identity());
    file.create(resolved);
    if (own) own->commit();
}

void Database::alterTable(std::string_view path, const std::vector<FieldDef>& add, const std::vector<std::string>& drop) {
    const std::string resolved = resolvePath(path);
    impl_->rewrite(resolved, [&](TableFile::NewFile& out, const TableFile& file, const DbfLayout& old, size_t count) {
        DbfLayout next = old;
        next.fields.clear();
        std::vector<int> source;  // per new field: the old field it copies, or -1
        std::vector<bool> dropped(old.fields.size(), false);
        for (const std::string& name : drop) {
            const auto it = std::find_if(old.fields.begin(), old.fields.end(), [&](const DbfField& f) {
                return f.visible >= 0 && equalsIgnoreCase(f.name, name);
            });
            if (it == old.fields.end()) throw BindError("Field " + name + " does not exist in table " + resolved);
            dropped[size_t(it - old.fields.begin())] = true;
        }
        for (size_t i = 0; i < old.fields.size(); ++i) {
            if (dropped[i]) continue;
            next.fields.push_back(old.fields[i]);
            source.push_back(int(i));
        }
        for (const FieldDef& def : add) {
            DbfField f = makeField(def, resolved);
            for (const DbfField& other : next.fields)
                if (equalsIgnoreCase(other.name, f.name))
                    throw BindError("Field " + f.name + " already exists in table " + resolved);
            next.fields.push_back(std::move(f));
            source.push_back(-1);
        }
        arrangeLayout(next);
        checkSizes(next, resolved);

        out.write(buildHeader(next, uint32_t(count)));
        std::string record(next.recordLength, ' ');
        forEachRecord(file, old, count, [&](std::string_view in) {
            record[0] = in[0];
            for (size_t i = 0; i < next.fields.size(); ++i) {
                const DbfField& f = next.fields[i];
                char* to = &record[1 + f.offset];
                if (source[i] < 0)
                    blankCell(f, to);
                else
                    std::memcpy(to, in.data() + 1 + old.fields[size_t(source[i])].offset, size_t(f.width));
            }
            out.write(record);
        });
    });
}

void Database::packTable(std::string_view path) {
    const std::string resolved = resolvePath(path);
    Impl::Entry& e = impl_->entry(resolved);
    if (e.file->isBeingWritten())
        throw TableError("The table " + resolved + " is being written by a statement and cannot be packed now");
    ExclusiveHold hold(e.file);
    // An already packed table keeps its bytes, the header's date included.
    if (impl_->isPacked(e)) return;
    impl_->rewrite(resolved, [&](TableFile::NewFile& out, const TableFile& file, const DbfLayout& layout, size_t count) {
        const std::string header = buildHeader(layout, uint32_t(count));
        out.write(header);
        size_t live = 0;
        forEachRecord(file, layout, count, [&](std::string_view in) {
            if (in[0] == '*') return;
            out.write(in);
            ++live;
        });
        out.patch(0, buildHeader(layout, uint32_t(live)));
    });
}

TableCondition Database::examineTable(std::string_view path, bool records) {
    const std::string resolved = resolvePath(path);
    Impl::Entry& e = impl_->entry(resolved);
    TableFile::ReadLock lock(*e.file);
    const FileIdentity id = e.file->identity();
    std::vector<uint8_t> deletions;
    TableCondition found = examineTableFile(resolved, uint64_t(id.size), readerOf(*e.file), cpgPageBeside(resolved),
                                            records, &deletions);
    if (records && found.sound()) {
        e.examined = id;
        e.examinedDeletions = std::move(deletions);
    }
    return found;
}

TableCondition Database::repairTable(std::string_view path, const std::string& copyPath) {
    const std::string resolved = resolvePath(path);
    Impl::Entry& e = impl_->entry(resolved);
    if (e.file->isBeingWritten())
        throw TableError("The table " + resolved + " is being written by a statement and cannot be repaired now");
    ExclusiveHold hold(e.file);
    const TableCondition found = examineTableFile(resolved, uint64_t(e.file->identity().size), readerOf(*e.file),
                                                  cpgPageBeside(resolved), true);
    if (!found.headerRead()) throw TableError(found.describe());
    if (found.sound()) return found;
    if (found.wholeRecords > kMaxRecordCount) throw TableError("The table " + resolved + " holds too many records");
    copyFile(*e.file, copyPath);
    impl_->rewrite(
        resolved,
        [&](TableFile::NewFile& out, const TableFile& file, const DbfLayout& layout, size_t count) {
            out.write(buildHeader(layout, uint32_t(count)));
            std::string record;
            forEachRecord(file, layout, count, [&](std::string_view in) {
                record.assign(in);
                // A deleted record stays as it was: no statement reads it.
                if (record[0] != '*') {
                    record[0] = ' ';
                    for (const DbfField& f : layout.fields) {
                        char* cell = &record[1 + f.offset];
                        if (f.visible >= 0 && cellFault(f, std::string_view(cell, size_t(f.width))) != CellFault::None)
                            blankCell(f, cell);
                    }
                }
                out.write(record);
            });
        },
        true);
    return found;
}

std::unique_ptr<Database::ExclusiveLock> Database::lockExclusive(std::string_view path) {
    const std::string resolved = resolvePath(path);
    Impl::Entry& e = impl_->entry(resolved);
    auto handle = std::make_unique<ExclusiveHandle>(e.file);
    // Replaced while the lock was being taken: hold the file now in place.
    e.file->follow(FileIdentity::of(statTable(resolved)));
    return handle;
}

}  // namespace engine
