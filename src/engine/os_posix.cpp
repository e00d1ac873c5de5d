// The POSIX side of the operating-system layer (Linux; glibc for the heap
// setting). Locks are flock locks: they belong to the open file description,
// so a duplicated descriptor shares them and a second open() of the same file
// would lock against this very process.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "engine/os.h"

namespace engine::os {
namespace {

Failure kindOf(int code) {
    switch (code) {
    case 0: return Failure::None;
    case ENOENT:
    case ENOTDIR: return Failure::NotFound;
    case EEXIST: return Failure::Exists;
    case EWOULDBLOCK: return Failure::Busy;
    case EACCES:
    case EPERM:
    case EROFS: return Failure::Denied;
    case ENOSPC:
    case EDQUOT: return Failure::NoSpace;
    default: return Failure::Other;
    }
}

int64_t nanoseconds(const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; }

void fill(const struct stat& st, FileInfo& out) {
    out.device = uint64_t(st.st_dev);
    out.index = uint64_t(st.st_ino);
    out.size = uint64_t(st.st_size);
    out.modified = nanoseconds(st.st_mtim);
    out.changed = nanoseconds(st.st_ctim);
    out.links = uint32_t(st.st_nlink);
    out.regular = S_ISREG(st.st_mode);
    out.directory = S_ISDIR(st.st_mode);
}

mode_t processDefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

Error lastError() { return {kindOf(errno), errno}; }

Error errorOf(Failure kind) {
    switch (kind) {
    case Failure::None: return {kind, 0};
    case Failure::NotFound: return {kind, ENOENT};
    case Failure::Exists: return {kind, EEXIST};
    case Failure::Busy: return {kind, EWOULDBLOCK};
    case Failure::Denied: return {kind, EACCES};
    case Failure::NoSpace: return {kind, ENOSPC};
    case Failure::Other: break;
    }
    return {Failure::Other, EIO};
}

std::string describe(const Error& error) { return std::strerror(int(error.code)); }

File::File(File&& other) noexcept : handle_(other.handle_), lock_(other.lock_), slot_(other.slot_) {
    other.handle_ = kNoHandle;
    other.lock_ = LockMode::None;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        lock_ = other.lock_;
        slot_ = other.slot_;
        other.handle_ = kNoHandle;
        other.lock_ = LockMode::None;
    }
    return *this;
}

File File::open(const std::string& path, Open how) {
    int flags = O_CLOEXEC;
    switch (how) {
    case Open::Read: flags |= O_RDONLY; break;
    case Open::ReadWrite: flags |= O_RDWR; break;
    case Open::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    case Open::CreateOrOpen: flags |= O_RDWR | O_CREAT; break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return File(fd);
}

File File::createUnique(const std::string& folder, const std::string& prefix, std::string& path) {
    std::string name = folder + "/" + prefix + "XXXXXX";
    const int fd = ::mkostemp(&name[0], O_CLOEXEC);
    if (fd >= 0) path = name;
    return File(fd);
}

void File::close() {
    if (handle_ == kNoHandle) return;
    ::close(int(handle_));
    handle_ = kNoHandle;
    lock_ = LockMode::None;
}

int64_t File::readAt(uint64_t offset, char* out, size_t size) const {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(int(handle_), out + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += size_t(n);
    }
    return int64_t(done);
}

bool File::writeAt(uint64_t offset, std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(int(handle_), bytes.data(), bytes.size(), off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
        offset += uint64_t(n);
    }
    return true;
}

bool File::truncate(uint64_t size) const { return ::ftruncate(int(handle_), off_t(size)) == 0; }

bool File::sync() const { return ::fsync(int(handle_)) == 0; }

bool File::info(FileInfo& out) const {
    struct stat st {};
    if (::fstat(int(handle_), &st) != 0) return false;
    fill(st, out);
    return true;
}

File File::duplicate() const {
    return File(::fcntl(int(handle_), F_DUPFD_CLOEXEC, 0));
}

bool File::lock(LockMode mode) {
    if (mode == lock_) return true;
    const int operation = mode == LockMode::Exclusive ? LOCK_EX | LOCK_NB : mode == LockMode::Shared ? LOCK_SH | LOCK_NB : LOCK_UN;
    for (;;) {
        if (::flock(int(handle_), operation) == 0) {
            lock_ = mode;
            return true;
        }
        if (errno != EINTR) break;
    }
    // flock may have let go of the old lock on its way: take it again.
    const int error = errno;
    if (lock_ != LockMode::None && ::flock(int(handle_), (lock_ == LockMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        lock_ = LockMode::None;
    errno = error;
    return false;
}

bool File::copyPermissions(const File& model) const {
    struct stat st {};
    if (::fstat(int(model.handle_), &st) != 0) return false;
    return ::fchmod(int(handle_), st.st_mode & 07777) == 0;
}

bool File::defaultPermissions() const { return ::fchmod(int(handle_), processDefaultMode()) == 0; }

bool File::removeWhileOpen(const std::string& path) { return os::remove(path); }

namespace {

std::string parentOf(const std::string& folder) {
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    const size_t slash = f.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : f.substr(0, slash);
}

}  // namespace

File openFolderLock(const std::string& folder, FolderLockKind kind) {
    return File::open(kind == FolderLockKind::Holder ? parentOf(folder) : folder, File::Open::Read);
}

bool folderLockCurrent(const File& lock, const std::string& folder, FolderLockKind kind) {
    FileInfo held, named;
    const std::string path = kind == FolderLockKind::Holder ? parentOf(folder) : folder;
    return lock.info(held) && pathInfo(path, named) && held.sameFile(named);
}

bool pathInfo(const std::string& path, FileInfo& out, bool followLinks) {
    struct stat st {};
    if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return false;
    fill(st, out);
    return true;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without exclusive rename: a hard link refuses an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool renameFolder(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool link(const std::string& path, const std::string& second) {
    return ::link(path.c_str(), second.c_str()) == 0;
}

bool remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool makeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool removeFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool listFolder(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    names.clear();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return true;
}

bool syncFolder(const std::string& folder) {
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    // Some file systems cannot sync a folder at all (EINVAL): nothing to wait for.
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(dir);
    errno = error;
    return synced;
}

std::string canonicalPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string out(real);
    std::free(real);
    return out;
}

std::string absolutePath(const std::string& path) {
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') {
        char* here = ::getcwd(nullptr, 0);
        if (!here) return path;
        whole = std::string(here) + '/' + path;
        std::free(here);
    } else if (whole.find("/.") == std::string::npos) {
        return whole;
    }
    std::vector<std::string_view> parts;
    std::string_view rest(whole);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    std::string out;
    for (const std::string_view part : parts) out.append("/").append(part);
    return out.empty() ? "/" : out;
}

bool sameName(std::string_view a, std::string_view b) { return a == b; }

bool namesFoldCase() { return false; }

void* allocateBulk(size_t bytes) {
    // Aligned to a huge page: map one more, give back what is around it.
    constexpr size_t kHugePage = size_t(2) << 20;
    void* raw = ::mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = uintptr_t(raw), aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t end = start + bytes + kHugePage;
    if (end > aligned + bytes) ::munmap(reinterpret_cast<void*>(aligned + bytes), end - aligned - bytes);
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void releaseBulk(void* block, size_t bytes) { ::munmap(block, bytes); }

void prefault(void* block, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    ::madvise(block, bytes, MADV_POPULATE_WRITE);
#else
    (void)block;
    (void)bytes;
#endif
}

void today(int& year, int& month, int& day) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    year = tm.tm_year + 1900;
    month = tm.tm_mon + 1;
    day = tm.tm_mday;
}

void killSelf() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(int(kKilledExitStatus));
}

uint64_t processId() { return uint64_t(::getpid()); }

void keepFreedBlocks(size_t largestHeapBlock, size_t keptFreeBytes) {
#ifdef __GLIBC__
    ::mallopt(M_MMAP_THRESHOLD, int(largestHeapBlock));
    ::mallopt(M_TRIM_THRESHOLD, int(keptFreeBytes));
#else
    (void)largestHeapBlock;
    (void)keptFreeBytes;
#endif
}

}  // namespace engine::os

#endif  // !_WIN32
