#pragma once

#include <functional>
#include <string>

namespace engine {

// A folder replaced by a new content (a restore), and what a stop midway
// leaves beside the folder "F":
// - "F.restore-new": the content being written; incomplete, so it is
//   removed and the old content stays.
// - "F.restore-ready": the complete new content (the commit point); the
//   swap is finished: the subfolders of F move in, F becomes "F.restore-old"
//   and "F.restore-ready" becomes F.
// - "F.restore-old" alone: the old files of a finished swap, removed.
// Every program that opens the folder finishes or clears these first, so a
// stop between the two renames never leaves it without F for long.
struct FolderSwap {
    static std::string fresh(const std::string& folder) { return folder + ".restore-new"; }
    static std::string ready(const std::string& folder) { return folder + ".restore-ready"; }
    static std::string old(const std::string& folder) { return folder + ".restore-old"; }

    // Whether a replacement left something beside the folder.
    static bool pending(const std::string& folder);
    // Finishes or clears what a replacement left; the caller holds the
    // folder's holder lock (folder_lock.h). Throws TableError.
    static void finish(const std::string& folder);
    // From "F.restore-ready" on: the subfolders move, F goes, the new content
    // comes. Throws TableError; refused before any change when a new file has
    // the name of one of the subfolders.
    static void swapIn(const std::string& folder);

    // Called after each durable step of a swap, numbered from 1; tests stop
    // the process there to check what a stop at that point leaves.
    static std::function<void(int step)> afterStep;
};

// What a command-line program does before it opens a folder: a replacement
// stopped midway is finished, unless another program holds the folder (that
// holder finishes it, or it is a restore still at work, which the writers'
// lock then waits for).
void settleFolder(const std::string& folder);

}  // namespace engine
