// Invariants of table file writes:
// - Every byte a statement writes into a table file goes through
//   TableFile::writeAt, which hands it to the statement's unit of writes
//   (write_unit.cpp): the unit keeps the original bytes in its rollback
//   journal (journal.cpp, where the protocol is stated) before the file
//   changes, and writes the file only at commit or when it holds too much.
// - Whatever a reader of another process can see is a whole table: the
//   records a unit appends and the header's record count that counts them
//   reach the file in the same unit, under the exclusive lock, and a unit
//   stopped midway is rolled back before the next reading.
// - A change of the whole file (pack, new columns) is never made in place: a
//   complete new file is written beside the table, synced, and renamed over
//   it, so the old table or the new one is whole at every moment.
// - One handle per table and process: locks belong to the open file (flock's
//   open file description, LockFileEx's handle), so a second opening would
//   lock against this very process.
#include "engine/table_file.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "engine/dbf_format.h"
#include "engine/errors.h"
#include "engine/fault_injection.h"
#include "engine/file_io.h"
#include "engine/write_unit.h"

namespace engine {
namespace {

// How long a lock attempt waits for another program's statement to end.
constexpr auto kLockPatience = std::chrono::milliseconds(500);
constexpr size_t kNewFileBuffer = 1 << 20;

std::mutex registryMutex;
// The open table files of this process. A child made by fork() starts its own:
// descriptors it inherited share their locks with the parent.
std::map<std::string, std::weak_ptr<TableFile>>& registry() {
    static std::map<std::string, std::weak_ptr<TableFile>> files;
    static uint64_t owner = os::processId();
    if (owner != os::processId()) {
        files.clear();
        owner = os::processId();
    }
    return files;
}

bool lockPatiently(os::File& file, os::LockMode mode) {
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
        if (file.lock(mode)) return true;
        if (os::lastError().kind != os::Failure::Busy || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

std::shared_ptr<TableFile> TableFile::open(const std::string& path) {
    const std::string key = os::canonicalPath(path);
    std::lock_guard<std::mutex> guard(registryMutex);
    auto& slot = registry()[key];
    if (auto existing = slot.lock()) return existing;
    std::shared_ptr<TableFile> file(new TableFile(path));
    slot = file;
    return file;
}

TableFile::TableFile(std::string path) : path_(std::move(path)) { openFile(); }

TableFile::~TableFile() = default;

void TableFile::openFile() {
    stamped_ = {};
    file_ = os::File::open(path_, os::File::Open::ReadWrite);
    writable_ = file_.isOpen();
    if (!file_ && os::lastError().kind == os::Failure::Denied) file_ = os::File::open(path_, os::File::Open::Read);
    if (!file_) failed("open");
}

void TableFile::failed(const char* what) const {
    const os::Error error = os::lastError();
    if (error.kind == os::Failure::NotFound) throw TableError("Tabelul nu exista: " + path_);
    throw TableError(std::string("Cannot ") + what + " the table file " + path_ + ": " + os::describe(error));
}

FileIdentity TableFile::identity() const {
    os::FileInfo info;
    if (!file_.info(info)) failed("examine");
    return FileIdentity::of(info);
}

void TableFile::follow(const FileIdentity& onDisk) {
    if (identity().sameFile(onDisk)) return;
    file_.close();
    openFile();
    const bool locked = exclusive_ > 0 ? lockPatiently(file_, os::LockMode::Exclusive)
                        : readers_ > 0 ? lockPatiently(file_, os::LockMode::Shared)
                                       : true;
    if (!locked) throw TableError("Tabelul " + path_ + " este folosit de alt program");
}

size_t TableFile::readAt(uint64_t offset, char* out, size_t size) const {
    const int64_t n = file_.readAt(offset, out, size);
    if (n < 0) failed("read");
    return size_t(n);
}

os::File TableFile::duplicate() const {
    os::File copy = file_.duplicate();
    if (!copy) failed("open");
    return copy;
}

TableFile::ReadLock::ReadLock(TableFile& file) : file_(file) {
    if (file_.exclusive_ == 0 && file_.readers_ == 0 && !lockPatiently(file_.file_, os::LockMode::Shared))
        throw TableError("Tabelul " + file_.path_ + " este folosit de alt program");
    ++file_.readers_;
}

TableFile::ReadLock::~ReadLock() {
    if (--file_.readers_ == 0 && file_.exclusive_ == 0) file_.file_.lock(os::LockMode::None);
}

void TableFile::acquireExclusive() {
    if (exclusive_ == 0 && !lockPatiently(file_, os::LockMode::Exclusive))
        throw TableError("Tabelul " + path_ + " este folosit de alt program");
    ++exclusive_;
}

void TableFile::releaseExclusive() {
    if (--exclusive_ == 0) file_.lock(readers_ > 0 ? os::LockMode::Shared : os::LockMode::None);
}

void TableFile::writeAt(uint64_t offset, std::string_view bytes) {
    if (!writable_) throw TableError("The table file " + path_ + " cannot be written: it is read-only");
    if (!unit_) throw TableError("The table file " + path_ + " is written outside a unit of writes");
    unit_->write(*this, offset, bytes);
}

void TableFile::writeThrough(uint64_t offset, std::string_view bytes) {
    fileio::writeAt(file_, offset, bytes, "the table file " + path_);
}

void TableFile::syncFile() { fileio::sync(file_, "the table file " + path_); }

void TableFile::appendRecord(uint64_t offset, std::string_view recordAndEnd, uint32_t newCount) {
    writeAt(offset, recordAndEnd);
    const auto stamp = todayStamp();
    const char header[7] = {char(stamp[0]),          char(stamp[1]),          char(stamp[2]),
                            char(newCount & 0xFF),   char(newCount >> 8 & 0xFF), char(newCount >> 16 & 0xFF),
                            char(newCount >> 24 & 0xFF)};
    writeAt(1, std::string_view(header, sizeof header));
    stamped_ = stamp;
}

void TableFile::writeRecordBytes(uint64_t offset, std::string_view bytes) { writeAt(offset, bytes); }

void TableFile::stampHeader() {
    const auto stamp = todayStamp();
    if (stamp == stamped_) return;
    const char header[3] = {char(stamp[0]), char(stamp[1]), char(stamp[2])};
    writeAt(1, std::string_view(header, sizeof header));
    stamped_ = stamp;
}

void TableFile::replace(NewFile& replacement) {
    replacement.flush();
    replacement.file_.copyPermissions(file_);
    replacement.placeAs(path_, true);
    // The new file carried its writer's lock until now; it takes this process's.
    replacement.file_.lock(exclusive_ > 0 ? os::LockMode::Exclusive : readers_ > 0 ? os::LockMode::Shared : os::LockMode::None);
    file_ = std::move(replacement.file_);
    stamped_ = {};
    writable_ = true;
}

TableFile::NewFile::NewFile(const std::string& besidePath) : target_(besidePath) {
    file_ = os::File::createUnique(fileio::folderOf(besidePath), "." + fileio::fileNameOf(besidePath) + ".", tempPath_);
    if (!file_) failed("create a new file beside");
    file_.lock(os::LockMode::Exclusive);
}

TableFile::NewFile::~NewFile() {
    file_.close();
    if (!tempPath_.empty()) os::remove(tempPath_);
}

void TableFile::NewFile::failed(const char* what) const {
    throw TableError(std::string("Cannot ") + what + " the table file " + target_ + ": " + os::describe(os::lastError()));
}

FileIdentity TableFile::NewFile::identity() const {
    os::FileInfo info;
    if (!file_.info(info)) failed("examine");
    return FileIdentity::of(info);
}

void TableFile::NewFile::write(std::string_view bytes) {
    buffer_.append(bytes.data(), bytes.size());
    if (buffer_.size() >= kNewFileBuffer) flush();
}

void TableFile::NewFile::patch(uint64_t offset, std::string_view bytes) {
    flush();
    fileio::writeAt(file_, offset, bytes, "the new file of the table " + target_);
}

void TableFile::NewFile::flush() {
    fileio::writeAt(file_, written_, buffer_, "the new file of the table " + target_);
    written_ += buffer_.size();
    buffer_.clear();
}

void TableFile::NewFile::create(const std::string& path) {
    flush();
    file_.defaultPermissions();
    placeAs(path, false);
    file_.close();
}

void TableFile::NewFile::placeAs(const std::string& path, bool replaceExisting) {
    fileio::sync(file_, "the new file of the table " + target_);
    const std::string name = "the table file " + target_;
    if (!faults::allow(faults::Operation::Write)) fileio::fail("replace", name, faults::injected());
    if (!(replaceExisting ? os::rename(tempPath_, path) : os::renameNoReplace(tempPath_, path))) {
        const os::Error error = os::lastError();
        if (error.kind == os::Failure::Exists) throw TableError("Tabelul exista deja: " + path);
        fileio::fail("replace", name, error);
    }
    tempPath_.clear();
    fileio::syncDirectory(fileio::folderOf(path));
}

}  // namespace engine
