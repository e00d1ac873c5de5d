#pragma once

// The operating system as the engine sees it: files, locks, folders, bulk
// memory and the process. Every system call of the engine goes through here;
// os_posix.cpp and os_win.cpp are the two sides, one compiled per system.
// Paths are UTF-8 and may use "/" or, on Windows, "\" as separator.
//
// A call that fails returns false (or an empty File) and leaves its reason
// in lastError() for the calling thread; nothing here throws.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::os {

// Why the last call of this thread failed.
enum class Failure {
    None,
    NotFound,  // no such file or folder
    Exists,    // the name is taken
    Busy,      // locked or opened by another program
    Denied,    // no permission, or read-only
    NoSpace,   // the disk is full
    Other,
};
struct Error {
    Failure kind = Failure::None;
    long code = 0;  // errno, or GetLastError()
};
Error lastError();
// The error the system gives for such a failure (the fault-injection plan
// fails an operation as the system would).
Error errorOf(Failure kind);
// The system's own words for an error.
std::string describe(const Error& error);

// What tells a file apart from its earlier self: another program's write
// changes the size or a time, a replacement by rename changes the file
// (device and index: inode, or volume serial number and file index).
struct FileInfo {
    uint64_t device = 0;
    uint64_t index = 0;
    uint64_t size = 0;
    int64_t modified = 0;  // nanoseconds since the system's epoch
    int64_t changed = 0;   // of the file's metadata
    uint32_t links = 1;    // names that lead to the file; 0 once removed
    bool regular = false;
    bool directory = false;

    bool sameFile(const FileInfo& o) const { return device == o.device && index == o.index; }
};

enum class LockMode { None, Shared, Exclusive };

// An open file. Opened for sharing with other programs, including the
// renaming and removal of its name while it is open; closed by the destructor.
class File {
public:
    enum class Open {
        Read,          // an existing file
        ReadWrite,     // an existing file
        CreateNew,     // a new file; fails with Exists when the name is taken
        CreateOrOpen,  // read and write, made when missing
    };

    File() = default;
    ~File() { close(); }
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Empty when the file cannot be opened (see lastError()).
    static File open(const std::string& path, Open how);
    // A new file in `folder` named `prefix` + six random characters; its path
    // goes to `path`.
    static File createUnique(const std::string& folder, const std::string& prefix, std::string& path);

    bool isOpen() const { return handle_ != kNoHandle; }
    explicit operator bool() const { return isOpen(); }
    void close();

    // Reads until `size` bytes or the end; the count read, or -1.
    int64_t readAt(uint64_t offset, char* out, size_t size) const;
    // Writes all of `bytes` or fails.
    bool writeAt(uint64_t offset, std::string_view bytes) const;
    bool truncate(uint64_t size) const;
    // The file's content and size on the disk when it returns.
    bool sync() const;
    bool info(FileInfo& out) const;
    // A second handle on the same open file, sharing its locks.
    File duplicate() const;

    // The advisory lock of the whole file, not blocking: false with Busy when
    // another holder's lock is in the way. Changing between shared and
    // exclusive lets go of the old lock first (as flock does); a failed
    // change gives back the old one where it can. On Windows the lock covers
    // one byte far past any data, so it never stands in the way of reading
    // and writing the file itself.
    bool lock(LockMode mode);
    LockMode lockMode() const { return lock_; }
    // Which of the lock bytes a handle of a folder's lock file takes (Windows).
    void setLockSlot(uint32_t slot) { slot_ = slot; }

    // The same permissions as `model`'s file (a replacement keeps them); the
    // process's default ones for a new file. No-ops where there are none.
    bool copyPermissions(const File& model) const;
    bool defaultPermissions() const;

    // The file's name leaves its folder while this handle is still open and
    // holds its lock (a journal committed, a stopped rewrite cleared).
    bool removeWhileOpen(const std::string& path);

private:
    // A descriptor, or a HANDLE's value on Windows.
    using Handle = intptr_t;
    static constexpr Handle kNoHandle = -1;
    explicit File(Handle handle) : handle_(handle) {}

    Handle handle_ = kNoHandle;
    LockMode lock_ = LockMode::None;
    uint32_t slot_ = 0;
};

// What carries a lock of a folder of tables, opened (see folder_lock.h):
// the holder's lock and the writers' lock. On POSIX, flock locks on the
// folder that holds it (the holder's: no swap of the folder replaces it) and
// on the folder itself (the writers'); on Windows, which locks files only,
// two bytes of the file "<folder>.lock" beside the folder.
enum class FolderLockKind { Holder, Writers };
File openFolderLock(const std::string& folder, FolderLockKind kind);
// Whether an open folder lock still belongs to the folder of that name (a
// restore may have swapped the folder while a lock was awaited).
bool folderLockCurrent(const File& lock, const std::string& folder, FolderLockKind kind);

// Files and folders by name. `followLinks` false describes a symbolic link
// itself (regular false) rather than what it leads to.
bool pathInfo(const std::string& path, FileInfo& out, bool followLinks = true);
// Whether the name is taken (by a file, a folder or a link, dangling or not).
bool exists(const std::string& path);
// Renames over an existing file, which may be open elsewhere.
bool rename(const std::string& from, const std::string& to);
// Renames only when `to` does not exist yet (Exists otherwise).
bool renameNoReplace(const std::string& from, const std::string& to);
// Renames a folder to a name not taken yet. Windows refuses while a file in
// it is open anywhere.
bool renameFolder(const std::string& from, const std::string& to);
// A second name for the file: a hard link.
bool link(const std::string& path, const std::string& second);
// A missing file counts as removed.
bool remove(const std::string& path);
// Makes a folder (false with Exists when the name is taken) and removes an
// empty one.
bool makeFolder(const std::string& path);
bool removeFolder(const std::string& path);
// The entries of a folder, "." and ".." left out; false when it cannot be read.
bool listFolder(const std::string& folder, std::vector<std::string>& names);
// The folder's entries durable on the disk: a file created, renamed or
// removed in it survives a crash. Windows writes a folder's entries through
// on its own (renames are made with write-through), so there it does nothing.
bool syncFolder(const std::string& folder);
// An absolute path naming the file, links resolved where the system can; the
// same text for the same file (on Windows letter case aside, which it folds).
std::string canonicalPath(const std::string& path);
// The path made absolute against the working folder, "." and ".." taken out
// as text (links are not followed, the file need not exist).
std::string absolutePath(const std::string& path);

// Path text. The separator this system writes, and whether a character is one.
#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr bool isSeparator(char c) { return c == '\\' || c == '/'; }
#else
constexpr char kSeparator = '/';
constexpr bool isSeparator(char c) { return c == '/'; }
#endif
// Whether two names of one folder name the same file on this system's usual
// file systems (Windows folds letter case).
bool sameName(std::string_view a, std::string_view b);
// Whether names that differ only in letter case reach the same file.
bool namesFoldCase();

// Large blocks of memory straight from the system, zeroed, and their
// release; a block may be backed by huge pages where the system offers them.
// Null when the system has no memory left.
void* allocateBulk(size_t bytes);
void releaseBulk(void* block, size_t bytes);
// Makes the pages of a block present before they are written one by one.
void prefault(void* block, size_t bytes);

// The calendar date of today, local time: {year, month, day}.
void today(int& year, int& month, int& day);

// The process ends at once, as if killed from outside (the crash tests):
// SIGKILL, or on Windows TerminateProcess with this exit status.
constexpr unsigned kKilledExitStatus = 137;
[[noreturn]] void killSelf();
uint64_t processId();

// Makes the heap keep the large blocks that statements free for the next
// statements, where the heap has such a setting.
void keepFreedBlocks(size_t largestHeapBlock, size_t keptFreeBytes);

}  // namespace engine::os
