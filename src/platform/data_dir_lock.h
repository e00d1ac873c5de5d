#pragma once

#include <QString>

#include "engine/folder_lock.h"

namespace platform {

// Holds a data directory for one holder: the program for as long as it
// runs, a command-line front while it writes, a restore while it replaces
// the files. It is the engine's holder lock of the folder (folder_lock.h),
// taken once per process: a second DataDirLock of the same process is
// refused like another program's. The lock ends with the process, a crashed
// one included, and is not passed to the programs this one starts.
class DataDirLock {
public:
    DataDirLock() = default;
    ~DataDirLock();
    DataDirLock(const DataDirLock&) = delete;
    DataDirLock& operator=(const DataDirLock&) = delete;

    // Takes the lock of dataDir (letting go of one held on another
    // directory); false when another holder has it, in this process or
    // another. Throws PlatformError when the folder that holds dataDir
    // cannot be opened.
    // With `wait`, another program's hold is waited for as the engine's
    // policy says (engine::setFolderWaitPolicy).
    bool lock(const QString& dataDir, bool wait = false);
    void unlock();

    bool holds(const QString& dataDir) const;
    bool locked() const { return lock_.held(); }
    // The data directory held, as an absolute clean path.
    const QString& dataDir() const { return dataDir_; }

private:
    engine::FolderLock lock_;
    QString dataDir_;
};

}  // namespace platform
