#pragma once

#include <functional>

#include <QString>

namespace platform {

class DataDirLock;

// A new content for a data directory, written into a fresh folder beside it
// and swapped in whole, so that a crash at any moment leaves either the old
// files or the new ones, never a mix. Subfolders of the data directory are
// not part of its content: they are carried over into the new one.
//
// The folders beside the data directory "Data" and what a crash leaves:
// - "Data.restore-new": the content being written; incomplete, so it is
//   removed and the old data stays.
// - "Data.restore-ready": the complete new content (the commit point); the
//   swap is finished: the subfolders move in, "Data" becomes
//   "Data.restore-old" and "Data.restore-ready" becomes "Data".
// - "Data.restore-old" alone: the old files of a finished swap, removed.
class DataDirReplacement {
public:
    // Finishes or clears what an interrupted replacement left, then makes
    // an empty folder for the new content. The lock must hold the data
    // directory for as long as this object lives. Throws PlatformError.
    explicit DataDirReplacement(const DataDirLock& lock);
    // Without commit() the new folder is removed and nothing changes.
    ~DataDirReplacement();
    DataDirReplacement(const DataDirReplacement&) = delete;
    DataDirReplacement& operator=(const DataDirReplacement&) = delete;

    // Where the new files go; each must be synced by its writer.
    const QString& folder() const { return folder_; }

    // Swaps the new content in. Refused before anything changes when a new
    // file has the name of one of the subfolders. Once the new content is
    // marked complete, a later failure leaves it to be finished at the next
    // start. Throws PlatformError.
    void commit();

    // At start-up, under the lock of the data directory: what an interrupted
    // replacement left is cleared or finished as above.
    static void finishInterrupted(const DataDirLock& lock);

    // Called after each durable step of a swap, numbered from 1; tests stop
    // the process there to check what a crash at that point leaves.
    static std::function<void(int step)>& afterStep;

private:
    QString dataDir_;
    QString folder_;
    bool committed_ = false;
};

}  // namespace platform
