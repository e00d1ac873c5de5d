#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "engine/errors.h"
#include "engine/os.h"

namespace engine {

// The locks that let several programs share a folder of tables (the data
// folder) without losing anything:
// - The holder's lock, exclusive: the program holds it for its whole run, a
//   command-line front for as long as it writes, a restore while it swaps
//   the folder. Who cannot take it leaves the folder's writing to its holder.
// - The writers' lock: exclusive for every unit of writes and for every
//   identifier handed out, from before its first read to its end; shared by
//   a reader that wants every table at one moment (an export, a backup).
//   The first exclusive hold of a process also finishes what a stopped
//   writer left (recoverFolder), so nothing reads a counter or a table that
//   a rollback would still change.
// Both are counted per process: a hold of what this process holds already is
// free, and an exclusive hold covers a shared one. They end with the process.
class FolderLock {
public:
    using Kind = os::FolderLockKind;

    // Waits for the lock as the process's policy says (see FolderWaitPolicy);
    // throws FolderBusyError when it stays taken, TableError when the folder
    // cannot be locked at all. A folder of tables that does not exist is not
    // held (its writers' lock).
    FolderLock(const std::string& folder, Kind kind, os::LockMode mode);
    // Without waiting: empty (held() false) when another program has it.
    static FolderLock tryTake(const std::string& folder, Kind kind, os::LockMode mode);
    FolderLock() = default;
    ~FolderLock() { release(); }
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return !key_.empty(); }
    void release();

private:
    bool take(const std::string& folder, Kind kind, os::LockMode mode, bool wait);

    std::string key_;
    os::LockMode mode_ = os::LockMode::None;
};

// Another program holds the folder.
class FolderBusyError : public TableError {
public:
    using TableError::TableError;
};

// How long a hold waits for another program, and whom it tells that it
// waits (once per hold, after a first short try); the program and the fronts
// set their own. By default 30 seconds, and nobody is told.
struct FolderWaitPolicy {
    std::chrono::milliseconds patience{30000};
    std::function<void(const std::string& folder)> waiting;
    std::function<void()> waited;  // after a wait that was told, however it ended
};
void setFolderWaitPolicy(FolderWaitPolicy policy);

// Whether this process holds the folder's lock of that kind (any mode).
bool holdsFolderLock(const std::string& folder, os::FolderLockKind kind);

}  // namespace engine
