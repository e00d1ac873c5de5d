#include "engine/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/errors.h"
#include "engine/fault_injection.h"

namespace engine::fileio {

using faults::Operation;

void fail(const char* verb, const std::string& name, int error) {
    throw TableError(std::string("Cannot ") + verb + " " + name + ": " + std::strerror(error));
}

void writeAt(int fd, uint64_t offset, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        if (!faults::allow(Operation::Write)) fail("write", name, errno);
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("write", name, errno);
        }
        bytes.remove_prefix(size_t(n));
        offset += uint64_t(n);
    }
}

void truncate(int fd, uint64_t size, const std::string& name) {
    if (!faults::allow(Operation::Write) || ::ftruncate(fd, off_t(size)) != 0) fail("shorten", name, errno);
}

void sync(int fd, const std::string& name) {
    if (!faults::allow(Operation::Sync) || ::fsync(fd) != 0) fail("sync", name, errno);
}

size_t readAt(int fd, uint64_t offset, char* out, size_t size, const std::string& name) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("read", name, errno);
        }
        if (n == 0) break;
        done += size_t(n);
    }
    return done;
}

void rename(const std::string& from, const std::string& to, const std::string& name) {
    if (!faults::allow(Operation::Write) || ::rename(from.c_str(), to.c_str()) != 0) fail("replace", name, errno);
}

void link(const std::string& path, const std::string& second, const std::string& name) {
    if (!faults::allow(Operation::Write) || ::link(path.c_str(), second.c_str()) != 0) fail("keep the old file of", name, errno);
}

void remove(const std::string& path, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("remove", name, errno);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail("remove", name, errno);
}

void syncDirectory(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) fail("open the folder", folder, errno);
    const bool synced = faults::allow(Operation::Sync) && ::fsync(dir) == 0;
    const int error = errno;
    ::close(dir);
    if (!synced) fail("sync the folder", folder, error);
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace engine::fileio
