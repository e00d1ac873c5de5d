// The rollback journal. Invariants of every change to a table file:
// - A unit of writes (one statement, or a transaction of several on one or
//   several files of one folder) has at most one journal, "<file>-journal"
//   beside the first file it touched, locked (flock) by the writing process
//   for as long as the unit lives. A journal that nobody holds locked is the
//   leftover of a stopped process: "hot".
// - Before a byte of a table is changed on disk, the journal holds, synced,
//   the table's size before the unit and the original bytes of every page
//   about to be written. Records carry a checksum salted with the journal's
//   own random number, so a record cut short by a crash, or left from another
//   journal, is not taken for one; the table writes that a torn record would
//   have covered never started.
// - A table whose file is replaced inside a unit (ALTER, pack) keeps its old
//   file under a second name, recorded in the journal before the link is
//   made; later writes to the new file need no journal, since rolling back
//   puts the old file back whole.
// - A small file the unit rewrites (the settings file) is saved whole in the
//   journal, synced, before the unit lets the caller rewrite it.
// - The unit commits by removing its journal, after every table was written
//   and synced. A unit holding old files writes a commit record first; the
//   old files are removed after it, the journal last.
// - Rolling back writes the original pages back, cuts each table to its old
//   size, puts old files back, removes created files and restores saved
//   files, syncs them, then removes the journal: doing it twice does no harm,
//   so a crash while rolling back is rolled back again.
// - Every opening of a table looks for hot journals in its folder first
//   (recoverFolder), before anything reads the table.
// What holds instead on Windows, which cannot sync a folder nor always take
// an open file's name away at once (os_win.cpp):
// - A folder's entries are made durable by the renames themselves, made with
//   write-through, and by the file system's own journal; "syncs the folder"
//   above does nothing there. A created journal is made durable by syncing
//   the journal file, as before any table write.
// - The journal is removed through its own handle while still locked. Where
//   the file system cannot remove the name at once, it stays until that
//   handle closes, right after; meanwhile nobody else can open it, so it is
//   never taken for hot, and the commit has happened at the removal.
// - The lock is a LockFileEx lock on one byte past the end of the data: it
//   ends with its handle or its process, as flock's does.
#include "engine/journal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "engine/bit_mix.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/os.h"
#include "engine/table_file.h"
#include "engine/text.h"

namespace engine {
namespace {

constexpr char kMagic[8] = {'T', 'L', 'G', 'J', 'R', 'N', 'L', '1'};
constexpr size_t kHeaderSize = 24;
constexpr size_t kRecordHead = 9;  // type, file, length
constexpr size_t kJournalBuffer = 1 << 20;
constexpr std::string_view kJournalSuffix = "-journal";

// A 64-bit checksum of the bytes, salted.
uint64_t checksum(uint64_t salt, std::string_view bytes) {
    uint64_t h = mixBits(salt ^ bytes.size());
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        h = (h ^ mixBits(w)) * 0x9e3779b97f4a7c15ull;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    return mixBits(h ^ mixBits(tail ^ (uint64_t(bytes.size() - i) << 56)));
}

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char(v >> (8 * i) & 0xFF));
}
void put64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(char(v >> (8 * i) & 0xFF));
}
uint32_t get32(std::string_view in, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(in[at + i])) << (8 * i);
    return v;
}
uint64_t get64(std::string_view in, size_t at) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t(uint8_t(in[at + i])) << (8 * i);
    return v;
}

std::string journalName(const std::string& path) { return "the journal " + path; }
std::string tableName(const std::string& path) { return "the table file " + path; }

// What a journal file says, read up to its first damaged record.
struct JournalContent {
    struct Table {
        std::string path;
        uint64_t size = 0;
        std::vector<std::pair<uint64_t, std::string_view>> pages;
        std::string backup;
    };
    struct Saved {
        std::string path;
        bool existed = false;
        std::string_view content;
    };
    JournalContent() = default;
    JournalContent(const JournalContent&) = delete;  // the records point into `bytes`
    JournalContent& operator=(const JournalContent&) = delete;

    std::string bytes;
    bool valid = false;
    bool committed = false;
    std::vector<Table> tables;
    struct Created {
        std::string path;
        uint64_t device = 0, inode = 0;
    };
    std::vector<Created> created;
    std::vector<Saved> saved;
};

// Fills `c`, whose records then point into its bytes.
void parse(std::string bytes, JournalContent& c) {
    c.bytes = std::move(bytes);
    const std::string_view all(c.bytes);
    if (all.size() < kHeaderSize || all.substr(0, 8) != std::string_view(kMagic, 8)) return;
    const uint64_t nonce = get64(all, 8);
    if (get64(all, 16) != checksum(nonce, all.substr(0, 16))) return;
    c.valid = true;
    for (size_t at = kHeaderSize; at + kRecordHead + 8 <= all.size();) {
        const char type = all[at];
        const uint32_t file = get32(all, at + 1);
        const uint32_t length = get32(all, at + 5);
        if (all.size() - at - kRecordHead - 8 < length) break;
        const std::string_view record = all.substr(at, kRecordHead + length);
        if (get64(all, at + kRecordHead + length) != checksum(nonce, record)) break;
        const std::string_view payload = record.substr(kRecordHead);
        at += kRecordHead + length + 8;
        switch (type) {
        case 'F':
            if (payload.size() < 8 || file != c.tables.size()) return;
            c.tables.push_back({std::string(payload.substr(8)), get64(payload, 0), {}, {}});
            break;
        case 'P':
            if (payload.size() < 8 || file >= c.tables.size()) return;
            c.tables[file].pages.emplace_back(get64(payload, 0), payload.substr(8));
            break;
        case 'R':
            if (file >= c.tables.size()) return;
            if (c.tables[file].backup.empty()) c.tables[file].backup = std::string(payload);
            break;
        case 'N':
            if (payload.size() < 16) return;
            c.created.push_back({std::string(payload.substr(16)), get64(payload, 0), get64(payload, 8)});
            break;
        case 'S': {
            if (payload.size() < 5) return;
            const uint32_t pathLength = get32(payload, 1);
            if (payload.size() - 5 < pathLength) return;
            c.saved.push_back({std::string(payload.substr(5, pathLength)), payload[0] != 0, payload.substr(5 + pathLength)});
            break;
        }
        case 'C': c.committed = true; break;
        default: return;
        }
    }
    return;
}

// Exclusive use of a table being rolled back, through the process's one
// descriptor of it; nothing to hold when the file is gone.
class RollbackHold {
public:
    explicit RollbackHold(const std::string& path) {
        if (!os::exists(path)) return;
        file_ = TableFile::open(path);
        file_->acquireExclusive();
    }
    ~RollbackHold() {
        if (!file_) return;
        file_->forgetStamp();
        file_->releaseExclusive();
    }
    RollbackHold(const RollbackHold&) = delete;
    RollbackHold& operator=(const RollbackHold&) = delete;

private:
    std::shared_ptr<TableFile> file_;
};

void restoreTable(const JournalContent::Table& t) {
    RollbackHold hold(t.path);
    if (!t.backup.empty() && os::exists(t.backup)) {
        // Stopped before the new file took the name, the two names are one file,
        // and rename would keep both.
        os::FileInfo old, now;
        if (os::pathInfo(t.backup, old) && os::pathInfo(t.path, now) && old.sameFile(now))
            fileio::remove(t.backup, tableName(t.backup));
        else
            fileio::rename(t.backup, t.path, tableName(t.path));
    }
    const os::File file = os::File::open(t.path, os::File::Open::ReadWrite);
    if (!file) {
        const os::Error error = os::lastError();
        if (error.kind == os::Failure::NotFound) return;  // removed since by someone else: nothing left to put back
        fileio::fail("open", tableName(t.path), error);
    }
    for (const auto& [offset, original] : t.pages) fileio::writeAt(file, offset, original, tableName(t.path));
    fileio::truncate(file, t.size, tableName(t.path));
    fileio::sync(file, tableName(t.path));
}

void restoreSaved(const JournalContent::Saved& s) {
    const std::string name = "the file " + s.path;
    if (!s.existed) return fileio::remove(s.path, name);
    const os::File file = os::File::open(s.path, os::File::Open::CreateOrOpen);
    if (!file) fileio::fail("open", name, os::lastError());
    fileio::writeAt(file, 0, s.content, name);
    fileio::truncate(file, s.content.size(), name);
    fileio::sync(file, name);
}

bool sameFolder(const std::string& a, const std::string& b) {
    os::FileInfo x, y;
    return os::pathInfo(a, x) && os::pathInfo(b, y) && x.sameFile(y);
}

// A file the journal names, when it lies in the journal's own folder (as
// every file of its unit does); empty otherwise, so a damaged or planted
// journal reaches no other file.
std::string inFolder(const std::string& folder, const std::string& recorded) {
    const std::string name = fileio::fileNameOf(recorded);
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) return {};
    if (!sameFolder(fileio::folderOf(recorded), folder)) return {};
    return fileio::inFolder(folder, name);
}

// Puts back what a journal names, or finishes a committed unit's clean-up.
void restore(JournalContent& c, const std::string& folder) {
    for (auto& t : c.tables) {
        t.path = inFolder(folder, t.path);
        if (!t.backup.empty()) t.backup = inFolder(folder, t.backup);
    }
    for (auto& made : c.created) made.path = inFolder(folder, made.path);
    for (auto& s : c.saved) s.path = inFolder(folder, s.path);
    if (c.committed) {
        for (const auto& t : c.tables)
            if (!t.backup.empty()) fileio::remove(t.backup, tableName(t.backup));
        return;
    }
    std::map<std::string, bool> savedDone;
    for (const auto& t : c.tables)
        if (!t.path.empty()) restoreTable(t);
    for (const auto& made : c.created) {
        os::FileInfo info;
        if (!made.path.empty() && os::pathInfo(made.path, info) && info.device == made.device && info.index == made.inode)
            fileio::remove(made.path, tableName(made.path));
    }
    for (const auto& s : c.saved)
        if (!s.path.empty() && !savedDone[s.path]) {
            savedDone[s.path] = true;
            restoreSaved(s);
        }
    fileio::syncDirectory(folder);
}

bool endsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && equalsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

// A file of the folder that no process holds locked, opened and locked;
// empty when it is held or gone (or a link, which no unit makes).
os::File openUnheld(const std::string& path) {
    os::FileInfo info;
    if (!os::pathInfo(path, info, false) || !info.regular) return os::File();
    os::File file = os::File::open(path, os::File::Open::ReadWrite);
    if (!file || !file.lock(os::LockMode::Exclusive)) return os::File();
    return file;
}

}  // namespace

namespace {
bool pendingCleanup = false;
}  // namespace

void noteCleanupPending() { pendingCleanup = true; }
bool cleanupPending() { return pendingCleanup; }

bool isJournalName(std::string_view name) {
    return name.size() > kJournalSuffix.size() && name.substr(name.size() - kJournalSuffix.size()) == kJournalSuffix;
}

bool isNewFileName(std::string_view name) {
    // ".<table>.xxxxxx", the table's name ending in .dbf.
    if (name.size() < 1 + 5 + 7 || name[0] != '.' || name[name.size() - 7] != '.') return false;
    return endsWithNoCase(name.substr(0, name.size() - 7), ".dbf");
}

Journal::Journal(const std::string& firstFile) : firstFile_(firstFile) {
    std::random_device random;
    nonce_ = uint64_t(random()) << 32 ^ random();
    path_ = firstFile + std::string(kJournalSuffix);
    std::string header(kMagic, 8);
    put64(header, nonce_);
    put64(header, checksum(nonce_, header));
    buffer_ = std::move(header);
}

Journal::~Journal() = default;

void Journal::append(char type, uint32_t file, std::string_view payload) {
    const size_t start = buffer_.size();
    buffer_.push_back(type);
    put32(buffer_, file);
    put32(buffer_, uint32_t(payload.size()));
    buffer_.append(payload.data(), payload.size());
    put64(buffer_, checksum(nonce_, std::string_view(buffer_).substr(start)));
    if (buffer_.size() >= kJournalBuffer) writeBuffer();
}

// The file is made with the first records that must reach the disk: a unit
// rolled back before makes none.
void Journal::create() {
    for (int n = 1;; ++n) {
        path_ = n == 1 ? firstFile_ + std::string(kJournalSuffix)
                       : firstFile_ + "-" + std::to_string(n) + std::string(kJournalSuffix);
        file_ = os::File::open(path_, os::File::Open::CreateNew);
        if (file_) break;
        const os::Error error = os::lastError();
        if (error.kind != os::Failure::Exists || n == 100) fileio::fail("create", journalName(path_), error);
    }
    file_.lock(os::LockMode::Exclusive);
}

void Journal::writeBuffer() {
    if (buffer_.empty()) return;
    if (!file_) create();
    fileio::writeAt(file_, size_, buffer_, journalName(path_));
    size_ += buffer_.size();
    buffer_.clear();
    unsynced_ = true;
}

uint32_t Journal::addTable(const std::string& path, uint64_t originalSize) {
    std::string payload;
    put64(payload, originalSize);
    payload += path;
    append('F', tables_, payload);
    return tables_++;
}

void Journal::addPage(uint32_t table, uint64_t offset, std::string_view original) {
    std::string payload;
    payload.reserve(8 + original.size());
    put64(payload, offset);
    payload.append(original.data(), original.size());
    append('P', table, payload);
}

void Journal::addReplacement(uint32_t table, const std::string& backup) { append('R', table, backup); }

void Journal::addCreated(const std::string& path, uint64_t device, uint64_t inode) {
    std::string payload;
    put64(payload, device);
    put64(payload, inode);
    payload += path;
    append('N', 0, payload);
}

void Journal::addSavedFile(const std::string& path, bool existed, std::string_view content) {
    std::string payload(1, existed ? '\1' : '\0');
    put32(payload, uint32_t(path.size()));
    payload += path;
    payload.append(content.data(), content.size());
    append('S', 0, payload);
}

void Journal::addCommit() { append('C', 0, {}); }

void Journal::sync() {
    writeBuffer();
    if (!unsynced_) return;
    fileio::sync(file_, journalName(path_));
    syncedSize_ = size_;
    if (!folderSynced_) {
        fileio::syncDirectory(fileio::folderOf(path_));
        folderSynced_ = true;
    }
    unsynced_ = false;
}

void Journal::rollBack() {
    // Records not yet synced guard pages that were not written either; a
    // commit record among them did not commit.
    buffer_.clear();
    if (!file_) return;
    std::string bytes = fileio::readWhole(file_, journalName(path_));
    bytes.resize(std::min<size_t>(bytes.size(), size_t(syncedSize_)));
    JournalContent content;
    parse(std::move(bytes), content);
    restore(content, fileio::folderOf(path_));
}

void Journal::remove() {
    buffer_.clear();
    if (!file_) return;
    fileio::removeWhileOpen(file_, path_, journalName(path_));
    file_.close();
    // Gone from the folder, the journal has done its work: a folder that
    // fails to sync now cannot undo that.
    try {
        fileio::syncDirectory(fileio::folderOf(path_));
    } catch (const Error&) {
    }
}

void recoverFolder(const std::string& folder) {
    pendingCleanup = false;
    std::vector<std::string> names, journals, newFiles;
    os::listFolder(folder, names);
    for (const std::string& name : names) {
        if (isJournalName(name))
            journals.push_back(fileio::inFolder(folder, name));
        else if (isNewFileName(name))
            newFiles.push_back(fileio::inFolder(folder, name));
    }
    for (const std::string& path : journals) {
        os::File file = openUnheld(path);
        if (!file) continue;
        JournalContent content;
        parse(fileio::readWhole(file, journalName(path)), content);
        const std::string_view head = std::string_view(content.bytes).substr(0, 8);
        // Another program's file of that name is left alone; a journal
        // whose header never reached the disk guarded no write.
        if (std::string_view(kMagic, 8).substr(0, head.size()) == head) {
            if (content.valid) restore(content, folder);
            fileio::removeWhileOpen(file, path, journalName(path));
            fileio::syncDirectory(folder);
        }
    }
    for (const std::string& path : newFiles) {
        os::File file = openUnheld(path);
        if (file) file.removeWhileOpen(path);
    }
}

}  // namespace engine
