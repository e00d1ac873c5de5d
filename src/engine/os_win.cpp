// The Win32 side of the operating-system layer (Windows 10 and 11, and Wine).
// - Paths are UTF-8 in the engine and UTF-16 for Windows; "/" becomes "\".
// - Every handle is opened sharing read, write and delete, so that another
//   program may read a table while it is open here, and a table's name may
//   be renamed over or removed while readers hold the file (as on POSIX).
// - Locks are LockFileEx locks on one byte far past any table's data: they
//   are advisory in effect, since nothing reads or writes there, and they end
//   with their handle or their process.
// - Renames are made with write-through, which also makes the folder's
//   entries durable; over a file open elsewhere, Windows 10's POSIX rename
//   (FileRenameInfoEx) replaces the name while the old file stays open.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <random>

#include "engine/os.h"

namespace engine::os {
namespace {

// Newer than the MinGW headers: the extended rename and disposition classes.
constexpr int kFileDispositionInfoEx = 21;
constexpr int kFileRenameInfoEx = 22;
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;

// The locked byte: 2^62, past the end of any file.
constexpr DWORD kLockOffsetLow = 0;
constexpr DWORD kLockOffsetHigh = 0x40000000;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE native(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
intptr_t stored(HANDLE handle) { return reinterpret_cast<intptr_t>(handle); }

std::wstring wide(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

std::wstring widePath(std::string_view path) {
    std::wstring out = wide(path.empty() ? std::string_view(".") : path);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return out;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

Failure kindOf(DWORD code) {
    switch (code) {
    case ERROR_SUCCESS: return Failure::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return Failure::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return Failure::Exists;
    case ERROR_LOCK_VIOLATION:
    case ERROR_SHARING_VIOLATION:
    case ERROR_IO_PENDING: return Failure::Busy;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return Failure::Denied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Failure::NoSpace;
    default: return Failure::Other;
    }
}

int64_t nanoseconds(const FILETIME& t) { return int64_t((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 100; }
int64_t nanoseconds(const LARGE_INTEGER& t) { return int64_t(t.QuadPart) * 100; }

OVERLAPPED at(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(offset & 0xFFFFFFFFu);
    o.OffsetHigh = DWORD(offset >> 32);
    return o;
}

bool infoOf(HANDLE h, FileInfo& out) {
    BY_HANDLE_FILE_INFORMATION i{};
    if (!::GetFileInformationByHandle(h, &i)) return false;
    out.device = i.dwVolumeSerialNumber;
    out.index = (uint64_t(i.nFileIndexHigh) << 32) | i.nFileIndexLow;
    out.size = (uint64_t(i.nFileSizeHigh) << 32) | i.nFileSizeLow;
    out.modified = nanoseconds(i.ftLastWriteTime);
    out.links = i.nNumberOfLinks;
    out.directory = (i.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.regular = !out.directory && (i.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    FILE_BASIC_INFO basic{};
    out.changed = ::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ? nanoseconds(basic.ChangeTime)
                                                                                          : out.modified;
    // A file whose name was removed while open here counts as unlinked, as on POSIX.
    FILE_STANDARD_INFO standard{};
    if (::GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending)
        out.links = 0;
    return true;
}

// A handle for renaming or removing a file by name; INVALID_HANDLE_VALUE on failure.
HANDLE openForDelete(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Renames the open file by its handle with POSIX semantics: the name `to`
// is replaced even while another program holds that file open.
bool posixRename(HANDLE h, const std::wstring& to) {
    const size_t bytes = sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t);
    std::string buffer(bytes, '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(&buffer[0]);
    const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
    std::memcpy(info, &flags, sizeof flags);  // the Flags of FILE_RENAME_INFO_EX share ReplaceIfExists's place
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.data(), to.size() * sizeof(wchar_t));
    return ::SetFileInformationByHandle(h, FILE_INFO_BY_HANDLE_CLASS(kFileRenameInfoEx), info, DWORD(bytes)) != 0;
}

// Removes the file's name through an open handle: at once where the file
// system offers POSIX deletion, else when the last handle closes.
bool deleteByHandle(HANDLE h) {
    const DWORD flags = kDispositionDelete | kDispositionPosixSemantics;
    if (::SetFileInformationByHandle(h, FILE_INFO_BY_HANDLE_CLASS(kFileDispositionInfoEx), const_cast<DWORD*>(&flags),
                                     sizeof flags))
        return true;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

}  // namespace

Error lastError() {
    const DWORD code = ::GetLastError();
    return {kindOf(code), long(code)};
}

Error errorOf(Failure kind) {
    switch (kind) {
    case Failure::None: return {kind, ERROR_SUCCESS};
    case Failure::NotFound: return {kind, ERROR_FILE_NOT_FOUND};
    case Failure::Exists: return {kind, ERROR_FILE_EXISTS};
    case Failure::Busy: return {kind, ERROR_LOCK_VIOLATION};
    case Failure::Denied: return {kind, ERROR_ACCESS_DENIED};
    case Failure::NoSpace: return {kind, ERROR_DISK_FULL};
    case Failure::Other: break;
    }
    return {Failure::Other, ERROR_GEN_FAILURE};
}

std::string describe(const Error& error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, DWORD(error.code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L'.' ||
                                message.back() == L' '))
        message.pop_back();
    if (message.empty()) return "system error " + std::to_string(error.code);
    return narrow(message);
}

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
    // Never with DELETE access: a handle holding it obliges every later
    // opener to share deletion, which most programs do not, so a table open
    // here could not be read by them. Names are renamed and removed through
    // handles of their own (openForDelete, os::remove).
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    switch (how) {
    case Open::Read: break;
    case Open::ReadWrite: access |= GENERIC_WRITE; break;
    case Open::CreateNew:
        access |= GENERIC_WRITE;
        disposition = CREATE_NEW;
        break;
    case Open::CreateOrOpen:
        access |= GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
        break;
    }
    const std::wstring name = widePath(path);
    HANDLE h = ::CreateFileW(name.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE && how == Open::CreateOrOpen) ::SetLastError(ERROR_SUCCESS);
    return File(stored(h));
}

File File::createUnique(const std::string& folder, const std::string& prefix, std::string& path) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "\\" + prefix;
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        File file = open(name, Open::CreateNew);
        if (file) {
            path = name;
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return File();
}

void File::close() {
    if (handle_ == kNoHandle) return;
    ::CloseHandle(native(handle_));
    handle_ = kNoHandle;
    lock_ = LockMode::None;
}

int64_t File::readAt(uint64_t offset, char* out, size_t size) const {
    size_t done = 0;
    while (done < size) {
        OVERLAPPED o = at(offset + done);
        DWORD n = 0;
        const DWORD want = DWORD(std::min<size_t>(size - done, 1u << 30));
        if (!::ReadFile(native(handle_), out + done, want, &n, &o)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return -1;
        }
        if (n == 0) break;
        done += n;
    }
    return int64_t(done);
}

bool File::writeAt(uint64_t offset, std::string_view bytes) const {
    while (!bytes.empty()) {
        OVERLAPPED o = at(offset);
        DWORD n = 0;
        const DWORD want = DWORD(std::min<size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(native(handle_), bytes.data(), want, &n, &o)) return false;
        bytes.remove_prefix(n);
        offset += n;
    }
    return true;
}

bool File::truncate(uint64_t size) const {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = LONGLONG(size);
    return ::SetFileInformationByHandle(native(handle_), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool File::sync() const { return ::FlushFileBuffers(native(handle_)) != 0; }

bool File::info(FileInfo& out) const { return infoOf(native(handle_), out); }

File File::duplicate() const {
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!::DuplicateHandle(::GetCurrentProcess(), native(handle_), ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return File();
    return File(stored(copy));
}

bool File::lock(LockMode mode) {
    if (mode == lock_) return true;
    const LockMode old = lock_;
    if (old != LockMode::None) {
        OVERLAPPED o = at((uint64_t(kLockOffsetHigh) << 32 | kLockOffsetLow) + slot_);
        ::UnlockFileEx(native(handle_), 0, 1, 0, &o);
        lock_ = LockMode::None;
    }
    const auto take = [this](LockMode m) {
        OVERLAPPED o = at((uint64_t(kLockOffsetHigh) << 32 | kLockOffsetLow) + slot_);
        const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (m == LockMode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
        if (!::LockFileEx(native(handle_), flags, 0, 1, 0, &o)) return false;
        lock_ = m;
        return true;
    };
    if (mode == LockMode::None || take(mode)) return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_IO_PENDING) error = ERROR_LOCK_VIOLATION;
    if (old != LockMode::None) take(old);
    ::SetLastError(error);
    return false;
}

bool File::copyPermissions(const File&) const { return true; }

bool File::defaultPermissions() const { return true; }

// By a handle of its own (File::open takes no DELETE access); this handle
// stays open, and its lock held, until the caller closes it.
bool File::removeWhileOpen(const std::string& path) { return os::remove(path); }

File openFolderLock(const std::string& folder, FolderLockKind kind) {
    std::string name = folder;
    while (name.size() > 3 && isSeparator(name.back())) name.pop_back();
    File file = File::open(name + ".lock", File::Open::CreateOrOpen);
    file.setLockSlot(kind == FolderLockKind::Holder ? 0 : 1);
    return file;
}

bool folderLockCurrent(const File&, const std::string&, FolderLockKind) { return true; }

bool pathInfo(const std::string& path, FileInfo& out, bool followLinks) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = ::CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = infoOf(h, out);
    const DWORD error = ::GetLastError();
    ::CloseHandle(h);
    ::SetLastError(error);
    return ok;
}

bool exists(const std::string& path) { return ::GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

// Where the POSIX rename is missing (Wine, Windows before 10 version 1607)
// the name of a file open elsewhere cannot be replaced, but the open file
// can be renamed: its name moves aside first, as ".<name>.<letters>" (the
// form of a stopped writer's new file, which the next opening of the folder
// removes), the new file takes the name, and the name moved aside is
// removed (the old file goes when its last handle closes). A stop between
// the two renames leaves the name missing; every replacement of a table
// happens inside a unit whose journal holds the old file under a second
// name and puts it back.
bool renameOverOpenFile(const std::wstring& source, const std::wstring& target) {
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    const std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::wstring aside = folder + L"." + name + L".";
        for (int i = 0; i < 6; ++i) aside += kLetters[random() % (std::size(kLetters) - 1)];
        if (!::MoveFileExW(target.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
            if (::GetLastError() == ERROR_ALREADY_EXISTS || ::GetLastError() == ERROR_FILE_EXISTS) continue;
            return false;
        }
        if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = ::GetLastError();
            ::MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
            ::SetLastError(error);
            return false;
        }
        ::DeleteFileW(aside.c_str());
        return true;
    }
    return false;
}

}  // namespace

bool rename(const std::string& from, const std::string& to) {
    const std::wstring source = widePath(from), target = widePath(to);
    if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
    // The target is open in some program: replace its name the POSIX way.
    HANDLE h = openForDelete(source);
    if (h == INVALID_HANDLE_VALUE) {
        ::SetLastError(error);
        return false;
    }
    wchar_t full[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(target.c_str(), DWORD(std::size(full)), full, nullptr);
    bool done = length > 0 && length < std::size(full) && posixRename(h, std::wstring(full, length));
    ::FlushFileBuffers(h);
    ::CloseHandle(h);
    if (!done) done = renameOverOpenFile(source, target);
    if (!done) ::SetLastError(error);
    return done;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) ::SetLastError(ERROR_FILE_EXISTS);
    return false;
}

bool renameFolder(const std::string& from, const std::string& to) {
    return ::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool link(const std::string& path, const std::string& second) {
    return ::CreateHardLinkW(widePath(second).c_str(), widePath(path).c_str(), nullptr) != 0;
}

bool remove(const std::string& path) {
    const std::wstring name = widePath(path);
    if (::DeleteFileW(name.c_str())) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    // Open elsewhere without sharing deletion, or on a Windows without POSIX
    // deletion: through a handle of our own.
    HANDLE h = openForDelete(name);
    if (h == INVALID_HANDLE_VALUE) {
        ::SetLastError(error);
        return false;
    }
    const bool done = deleteByHandle(h);
    ::CloseHandle(h);
    if (!done) ::SetLastError(error);
    return done;
}

bool makeFolder(const std::string& path) {
    if (::CreateDirectoryW(widePath(path).c_str(), nullptr)) return true;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) ::SetLastError(ERROR_FILE_EXISTS);
    return false;
}

bool removeFolder(const std::string& path) { return ::RemoveDirectoryW(widePath(path).c_str()) != 0; }

bool listFolder(const std::string& folder, std::vector<std::string>& names) {
    std::wstring pattern = widePath(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return false;
    names.clear();
    do {
        const std::wstring_view name(entry.cFileName);
        if (name != L"." && name != L"..") names.push_back(narrow(name));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return true;
}

bool syncFolder(const std::string&) { return true; }

std::string absolutePath(const std::string& path) {
    const std::wstring name = widePath(path);
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(name.c_str(), DWORD(full.size()), &full[0], nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameW(name.c_str(), DWORD(full.size()), &full[0], nullptr);
    }
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    return narrow(full);
}

std::string canonicalPath(const std::string& path) {
    std::wstring full = wide(absolutePath(path));
    ::CharLowerBuffW(&full[0], DWORD(full.size()));
    return narrow(full);
}

bool sameName(std::string_view a, std::string_view b) {
    const std::wstring x = wide(a), y = wide(b);
    return ::CompareStringOrdinal(x.data(), int(x.size()), y.data(), int(y.size()), TRUE) == CSTR_EQUAL;
}

bool namesFoldCase() { return true; }

void* allocateBulk(size_t bytes) { return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }

void releaseBulk(void* block, size_t) { ::VirtualFree(block, 0, MEM_RELEASE); }

void prefault(void*, size_t) {}

void today(int& year, int& month, int& day) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    year = now.wYear;
    month = now.wMonth;
    day = now.wDay;
}

void killSelf() {
    ::TerminateProcess(::GetCurrentProcess(), kKilledExitStatus);
    ::ExitProcess(kKilledExitStatus);
}

uint64_t processId() { return ::GetCurrentProcessId(); }

void keepFreedBlocks(size_t, size_t) {}

}  // namespace engine::os

#endif  // _WIN32
