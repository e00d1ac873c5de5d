// Invariants of a folder's replacement:
// - The old content is never changed before the new one is complete and
//   synced under "F.restore-ready"; that rename is the commit point.
// - After it, every step is a rename within one file system, made durable
//   before the next, and each one is repeated or skipped by finish()
//   whichever step a stop came at: the subfolders move one by one, then F
//   goes to "F.restore-old" and "F.restore-ready" comes to F.
// - Only plain files are ever deleted, and only from "F.restore-old" (the
//   replaced files) or from "F.restore-new" (an incomplete content).
#include "engine/folder_swap.h"

#include <vector>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/folder_lock.h"
#include "engine/os.h"

namespace engine {
namespace {

bool isFolder(const std::string& path) {
    os::FileInfo info;
    return os::pathInfo(path, info, false) && info.directory;
}

std::vector<std::string> entries(const std::string& folder, bool folders) {
    std::vector<std::string> names, out;
    os::listFolder(folder, names);
    for (const std::string& name : names)
        if (isFolder(fileio::inFolder(folder, name)) == folders) out.push_back(name);
    return out;
}

void syncFolder(const std::string& path) {
    if (!os::syncFolder(path))
        throw TableError("Directorul " + path + " nu poate fi scris pe disc: " + os::describe(os::lastError()) + ".");
}

// Windows refuses to move a folder that holds a file open in some program:
// the swap then stops before or between its steps, each of which the next
// opening finishes.
void move(const std::string& from, const std::string& to) {
    if (!os::renameFolder(from, to))
        throw TableError(from + " nu poate fi mutat in " + to + ": " + os::describe(os::lastError()) + ".");
}

void step(int& done) {
    ++done;
    if (FolderSwap::afterStep) FolderSwap::afterStep(done);
}

// Deletes the files of a folder and then the folder; false when something
// is left (a subfolder, which none of ours holds, is never deleted).
bool removeFilesAndFolder(const std::string& path) {
    for (const std::string& name : entries(path, false)) os::remove(fileio::inFolder(path, name));
    return os::removeFolder(path);
}

std::string parentOf(const std::string& folder) { return fileio::folderOf(folder); }

void removeReplaced(const std::string& folder) {
    removeFilesAndFolder(FolderSwap::old(folder));
    syncFolder(parentOf(folder));
}

void swapFrom(const std::string& folder, int& done) {
    const std::string ready = FolderSwap::ready(folder), old = FolderSwap::old(folder);
    if (isFolder(folder)) {
        for (const std::string& name : entries(folder, true)) {
            const std::string target = fileio::inFolder(ready, name);
            if (os::exists(target))
                throw TableError("Subdirectorul " + fileio::inFolder(folder, name) +
                                 " nu poate fi pastrat: in datele noi exista un fisier cu acest nume.");
            move(fileio::inFolder(folder, name), target);
            syncFolder(folder);
            syncFolder(ready);
            step(done);
        }
        move(folder, old);
        syncFolder(parentOf(folder));
        step(done);
    }
    move(ready, folder);
    syncFolder(parentOf(folder));
    step(done);
    if (os::exists(old)) removeReplaced(folder);
}

}  // namespace

std::function<void(int step)> FolderSwap::afterStep;

bool FolderSwap::pending(const std::string& folder) {
    return os::exists(fresh(folder)) || os::exists(ready(folder)) || os::exists(old(folder));
}

void FolderSwap::finish(const std::string& folder) {
    if (os::exists(fresh(folder)) && !removeFilesAndFolder(fresh(folder)))
        throw TableError("Directorul " + fresh(folder) + " nu poate fi sters.");
    int done = 0;
    if (os::exists(ready(folder)))
        swapFrom(folder, done);
    else if (os::exists(old(folder)))
        removeReplaced(folder);
}

void FolderSwap::swapIn(const std::string& folder) {
    int done = 1;  // the new content became ready
    swapFrom(folder, done);
}

void settleFolder(const std::string& folder) {
    if (!FolderSwap::pending(folder)) return;
    if (holdsFolderLock(folder, os::FolderLockKind::Holder)) return FolderSwap::finish(folder);
    FolderLock holder = FolderLock::tryTake(folder, os::FolderLockKind::Holder, os::LockMode::Exclusive);
    if (holder.held()) FolderSwap::finish(folder);
}

}  // namespace engine
