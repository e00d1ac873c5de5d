// Invariants of the folder locks:
// - One open lock file (or folder) per folder and kind in a process, kept
//   open between holds, so that a statement pays two lock calls and a stat.
// - The operating-system lock is exclusive while any exclusive hold of the
//   process lives, shared while only shared ones do, and none otherwise.
// - A writers' lock taken exclusively finds the folder as the last writer
//   left it whole: unless the folder's entries are as this process left them
//   after its own last exclusive hold (a journal made or removed by anybody
//   changes them), recoverFolder runs first.
#include "engine/folder_lock.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "engine/journal.h"

namespace engine {
namespace {

struct Entry {
    std::string folder;
    os::FolderLockKind kind = os::FolderLockKind::Writers;
    os::File file;
    int shared = 0;
    int exclusive = 0;
    // The folder's identity and times when this process last let go of its
    // exclusive writers' lock (or recovered it).
    bool known = false;
    os::FileInfo lastSeen;
};

std::mutex registryMutex;
std::map<std::string, Entry>& registry() {
    static std::map<std::string, Entry> entries;
    return entries;
}
// Folder names as given, to the registry's keys: a statement's folder is
// looked up without resolving its path again.
std::map<std::pair<std::string, int>, std::string>& keys() {
    static std::map<std::pair<std::string, int>, std::string> known;
    return known;
}

FolderWaitPolicy& policy() {
    static FolderWaitPolicy p;
    return p;
}

const std::string& keyOf(const std::string& folder, os::FolderLockKind kind) {
    auto& cache = keys();
    const auto where = std::make_pair(folder, int(kind));
    auto found = cache.find(where);
    if (found == cache.end())
        found = cache.emplace(where, (kind == os::FolderLockKind::Holder ? "H:" : "W:") + os::canonicalPath(folder)).first;
    return found->second;
}

// The folder named from the root: a lock on "." (tables named from the
// current folder) is taken on the current folder and its parent, as for
// the same folder named in full.
std::string fromRoot(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code failed;
    const fs::path full = fs::absolute(fs::u8path(folder), failed);
    return failed ? folder : full.lexically_normal().u8string();
}

bool sameState(const os::FileInfo& a, const os::FileInfo& b) {
    return a.sameFile(b) && a.modified == b.modified && a.changed == b.changed;
}

std::string busyMessage(const std::string& folder) {
    return "Datele din " + folder + " sunt folosite de alt program.";
}

// The operating-system lock in `mode`, on a lock file that still belongs to
// the folder (a restore may have swapped the folder meanwhile).
bool lockCurrent(Entry& e, os::LockMode mode) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!e.file.lock(mode)) return false;
        if (os::folderLockCurrent(e.file, e.folder, e.kind)) return true;
        e.file = os::openFolderLock(e.folder, e.kind);
        if (!e.file) return false;
    }
    return false;
}

}  // namespace

void setFolderWaitPolicy(FolderWaitPolicy p) {
    std::lock_guard<std::mutex> guard(registryMutex);
    policy() = std::move(p);
}

bool holdsFolderLock(const std::string& folder, os::FolderLockKind kind) {
    std::lock_guard<std::mutex> guard(registryMutex);
    const auto found = registry().find(keyOf(folder, kind));
    return found != registry().end() && (found->second.shared > 0 || found->second.exclusive > 0);
}

FolderLock::FolderLock(const std::string& folder, Kind kind, os::LockMode mode) { take(folder, kind, mode, true); }

FolderLock FolderLock::tryTake(const std::string& folder, Kind kind, os::LockMode mode) {
    FolderLock lock;
    lock.take(folder, kind, mode, false);
    return lock;
}

FolderLock::FolderLock(FolderLock&& other) noexcept : key_(std::move(other.key_)), mode_(other.mode_) {
    other.key_.clear();
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        release();
        key_ = std::move(other.key_);
        mode_ = other.mode_;
        other.key_.clear();
    }
    return *this;
}

bool FolderLock::take(const std::string& folder, Kind kind, os::LockMode mode, bool wait) {
    std::unique_lock<std::mutex> guard(registryMutex);
    const std::string key = keyOf(folder, kind);
    Entry& e = registry()[key];
    const bool covered = e.exclusive > 0 || (mode == os::LockMode::Shared && e.shared > 0);
    if (!covered) {
        if (!e.file) {
            e.folder = fromRoot(folder);
            e.kind = kind;
            e.file = os::openFolderLock(e.folder, kind);
            if (!e.file) {
                const os::Error error = os::lastError();
                registry().erase(key);
                // A folder that does not exist holds no tables to protect; the
                // statement reports the missing table itself.
                if (error.kind == os::Failure::NotFound && kind == Kind::Writers) return false;
                throw TableError("Datele din " + folder + " nu pot fi rezervate: " + os::describe(error));
            }
        }
        const auto deadline = std::chrono::steady_clock::now() + policy().patience;
        bool told = false;
        // Whoever was told of the wait is told of its end.
        struct EndOfWait {
            bool& told;
            std::unique_lock<std::mutex>& guard;
            ~EndOfWait() {
                if (!told || !policy().waited) return;
                const auto waited = policy().waited;
                guard.unlock();
                waited();
                guard.lock();
            }
        } endOfWait{told, guard};
        while (!lockCurrent(e, mode)) {
            const os::Error error = os::lastError();
            if (error.kind != os::Failure::Busy)
                throw TableError("Datele din " + folder + " nu pot fi rezervate: " + os::describe(error));
            if (!wait) return false;
            if (std::chrono::steady_clock::now() >= deadline) throw FolderBusyError(busyMessage(folder));
            if (!told && policy().waiting) {
                told = true;
                const auto waiting = policy().waiting;
                guard.unlock();
                waiting(folder);
                guard.lock();
            }
            guard.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            guard.lock();
        }
        if (kind == Kind::Writers && mode == os::LockMode::Exclusive) {
            os::FileInfo now;
            const bool seen = os::pathInfo(folder, now);
            if (!e.known || !seen || !sameState(now, e.lastSeen)) {
                try {
                    recoverFolder(folder);
                } catch (...) {
                    e.file.lock(e.shared > 0 ? os::LockMode::Shared : os::LockMode::None);
                    throw;
                }
            }
        }
    }
    (mode == os::LockMode::Exclusive ? e.exclusive : e.shared) += 1;
    key_ = key;
    mode_ = mode;
    return true;
}

void FolderLock::release() {
    if (key_.empty()) return;
    std::lock_guard<std::mutex> guard(registryMutex);
    Entry& e = registry()[key_];
    key_.clear();
    if (mode_ == os::LockMode::Exclusive) {
        if (--e.exclusive > 0) return;
        // What this process leaves; the next writer of this process needs no recovery while it stays so.
        if (e.kind == Kind::Writers) e.known = os::pathInfo(e.folder, e.lastSeen);
        e.file.lock(e.shared > 0 ? os::LockMode::Shared : os::LockMode::None);
    } else {
        if (--e.shared > 0 || e.exclusive > 0) return;
        e.file.lock(os::LockMode::None);
    }
}

}  // namespace engine
