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
// - One descriptor per table and process: flock locks belong to the open file
//   description, so a second descriptor would lock against this very process.
#include "engine/table_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    static pid_t owner = ::getpid();
    if (owner != ::getpid()) {
        files.clear();
        owner = ::getpid();
    }
    return files;
}

std::string canonical(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string out(real);
    std::free(real);
    return out;
}

bool lockPatiently(int fd, int operation) {
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

mode_t defaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

FileIdentity FileIdentity::of(const struct stat& st) {
    FileIdentity id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = st.st_mtim;
    id.changed = st.st_ctim;
    return id;
}

bool FileIdentity::operator==(const FileIdentity& o) const {
    return sameFile(o) && size == o.size && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
           changed.tv_nsec == o.changed.tv_nsec;
}

std::shared_ptr<TableFile> TableFile::open(const std::string& path) {
    const std::string key = canonical(path);
    std::lock_guard<std::mutex> guard(registryMutex);
    auto& slot = registry()[key];
    if (auto existing = slot.lock()) return existing;
    std::shared_ptr<TableFile> file(new TableFile(path));
    slot = file;
    return file;
}

TableFile::TableFile(std::string path) : path_(std::move(path)) { openFd(); }

TableFile::~TableFile() {
    if (fd_ >= 0) ::close(fd_);
}

void TableFile::openFd() {
    stamped_ = {};
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    writable_ = fd_ >= 0;
    if (fd_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) failed("open");
}

void TableFile::failed(const char* what) const {
    const int err = errno;
    if (err == ENOENT) throw TableError("Table does not exist: " + path_);
    throw TableError(std::string("Cannot ") + what + " the table file " + path_ + ": " + std::strerror(err));
}

FileIdentity TableFile::identity() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) failed("examine");
    return FileIdentity::of(st);
}

void TableFile::follow(const FileIdentity& onDisk) {
    if (identity().sameFile(onDisk)) return;
    ::close(fd_);
    fd_ = -1;
    openFd();
    const bool locked = exclusive_ > 0   ? lockPatiently(fd_, LOCK_EX)
                        : readers_ > 0   ? lockPatiently(fd_, LOCK_SH)
                                         : true;
    if (!locked) throw TableError("The table " + path_ + " is in use by another program");
}

size_t TableFile::readAt(uint64_t offset, char* out, size_t size) const {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, out + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            failed("read");
        }
        if (n == 0) break;
        done += size_t(n);
    }
    return done;
}

int TableFile::duplicateDescriptor() const {
    const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) failed("open");
    return fd;
}

TableFile::ReadLock::ReadLock(TableFile& file) : file_(file) {
    if (file_.exclusive_ == 0 && file_.readers_ == 0 && !lockPatiently(file_.fd_, LOCK_SH))
        throw TableError("The table " + file_.path_ + " is in use by another program");
    ++file_.readers_;
}

TableFile::ReadLock::~ReadLock() {
    if (--file_.readers_ == 0 && file_.exclusive_ == 0) ::flock(file_.fd_, LOCK_UN);
}

void TableFile::acquireExclusive() {
    if (exclusive_ == 0 && !lockPatiently(fd_, LOCK_EX))
        throw TableError("The table " + path_ + " is in use by another program");
    ++exclusive_;
}

void TableFile::releaseExclusive() {
    if (--exclusive_ == 0) ::flock(fd_, readers_ > 0 ? LOCK_SH : LOCK_UN);
}

void TableFile::writeAt(uint64_t offset, std::string_view bytes) {
    if (!writable_) throw TableError("The table file " + path_ + " cannot be written: it is read-only");
    if (!unit_) throw TableError("The table file " + path_ + " is written outside a unit of writes");
    unit_->write(*this, offset, bytes);
}

void TableFile::writeThrough(uint64_t offset, std::string_view bytes) {
    fileio::writeAt(fd_, offset, bytes, "the table file " + path_);
}

void TableFile::syncFile() { fileio::sync(fd_, "the table file " + path_); }

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
    struct stat st {};
    if (::fstat(fd_, &st) != 0) failed("examine");
    replacement.flush();
    ::fchmod(replacement.fd_, st.st_mode & 07777);
    replacement.placeAs(path_, true);
    // The new file carried its writer's lock until now; it takes this process's.
    ::flock(replacement.fd_, exclusive_ > 0 ? LOCK_EX : readers_ > 0 ? LOCK_SH : LOCK_UN);
    ::close(fd_);
    fd_ = replacement.fd_;
    replacement.fd_ = -1;
    stamped_ = {};
    writable_ = true;
}

TableFile::NewFile::NewFile(const std::string& besidePath) : target_(besidePath) {
    std::string name = fileio::folderOf(besidePath) + "/." + fileio::fileNameOf(besidePath) + ".XXXXXX";
    fd_ = ::mkostemp(&name[0], O_CLOEXEC);
    if (fd_ < 0) failed("create a new file beside");
    ::flock(fd_, LOCK_EX);
    tempPath_ = name;
}

TableFile::NewFile::~NewFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void TableFile::NewFile::failed(const char* what) const {
    throw TableError(std::string("Cannot ") + what + " the table file " + target_ + ": " + std::strerror(errno));
}

FileIdentity TableFile::NewFile::identity() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) failed("examine");
    return FileIdentity::of(st);
}

void TableFile::NewFile::write(std::string_view bytes) {
    buffer_.append(bytes.data(), bytes.size());
    if (buffer_.size() >= kNewFileBuffer) flush();
}

void TableFile::NewFile::patch(uint64_t offset, std::string_view bytes) {
    flush();
    fileio::writeAt(fd_, offset, bytes, "the new file of the table " + target_);
}

void TableFile::NewFile::flush() {
    fileio::writeAt(fd_, written_, buffer_, "the new file of the table " + target_);
    written_ += buffer_.size();
    buffer_.clear();
}

void TableFile::NewFile::create(const std::string& path) {
    flush();
    ::fchmod(fd_, defaultFileMode());
    placeAs(path, false);
    ::close(fd_);
    fd_ = -1;
}

void TableFile::NewFile::placeAs(const std::string& path, bool replaceExisting) {
    fileio::sync(fd_, "the new file of the table " + target_);
    if (!faults::allow(faults::Operation::Write)) failed("replace");
    int rc = replaceExisting ? ::rename(tempPath_.c_str(), path.c_str())
                             : ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && !replaceExisting && errno == EINVAL) {
        // A file system without exclusive rename: a hard link refuses an existing name too.
        rc = ::link(tempPath_.c_str(), path.c_str());
        if (rc == 0) ::unlink(tempPath_.c_str());
    }
    if (rc != 0) {
        if (errno == EEXIST) throw TableError("Table already exists: " + path);
        failed("replace");
    }
    tempPath_.clear();
    fileio::syncDirectory(fileio::folderOf(path));
}

}  // namespace engine
