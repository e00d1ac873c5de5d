#pragma once

#include <QString>

#include "engine/os.h"

namespace platform {

// Holds a data directory for one process: the program for as long as it
// runs, a restore while it replaces the files. A restore swaps the data
// directory for a new folder beside it, so the lock lives beside it too,
// where no swap replaces it: an flock on the folder that holds them both
// (nothing is added to either), or on Windows, which locks files only, a
// LockFileEx lock on the file "<data directory>.lock" in that folder.
// The lock ends with the process, a crashed one included, and is not passed
// to the programs this one starts.
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
    bool lock(const QString& dataDir);
    void unlock();

    bool holds(const QString& dataDir) const;
    bool locked() const { return file_.isOpen(); }
    // The data directory held, as an absolute clean path.
    const QString& dataDir() const { return dataDir_; }

private:
    engine::os::File file_;
    QString dataDir_;
};

}  // namespace platform
