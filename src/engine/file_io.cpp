#include "engine/file_io.h"

#include "engine/errors.h"
#include "engine/fault_injection.h"

namespace engine::fileio {

using faults::Operation;

void fail(const char* verb, const std::string& name, const os::Error& error) {
    throw TableError(std::string("Cannot ") + verb + " " + name + ": " + os::describe(error));
}

void writeAt(const os::File& file, uint64_t offset, std::string_view bytes, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("write", name, faults::injected());
    if (!file.writeAt(offset, bytes)) fail("write", name, os::lastError());
}

void truncate(const os::File& file, uint64_t size, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("shorten", name, faults::injected());
    if (!file.truncate(size)) fail("shorten", name, os::lastError());
}

void sync(const os::File& file, const std::string& name) {
    if (!faults::allow(Operation::Sync)) fail("sync", name, faults::injected());
    if (!file.sync()) fail("sync", name, os::lastError());
}

size_t readAt(const os::File& file, uint64_t offset, char* out, size_t size, const std::string& name) {
    const int64_t n = file.readAt(offset, out, size);
    if (n < 0) fail("read", name, os::lastError());
    return size_t(n);
}

std::string readWhole(const os::File& file, const std::string& name) {
    os::FileInfo info;
    if (!file.info(info)) fail("examine", name, os::lastError());
    std::string bytes(size_t(info.size), '\0');
    bytes.resize(readAt(file, 0, &bytes[0], bytes.size(), name));
    return bytes;
}

void rename(const std::string& from, const std::string& to, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("replace", name, faults::injected());
    if (!os::rename(from, to)) fail("replace", name, os::lastError());
}

void link(const std::string& path, const std::string& second, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("keep the old file of", name, faults::injected());
    if (!os::link(path, second)) fail("keep the old file of", name, os::lastError());
}

void remove(const std::string& path, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("remove", name, faults::injected());
    if (!os::remove(path)) fail("remove", name, os::lastError());
}

void removeWhileOpen(os::File& file, const std::string& path, const std::string& name) {
    if (!faults::allow(Operation::Write)) fail("remove", name, faults::injected());
    if (!file.removeWhileOpen(path)) fail("remove", name, os::lastError());
}

void syncDirectory(const std::string& folder) {
    if (!faults::allow(Operation::Sync)) fail("sync the folder", folder, faults::injected());
    if (!os::syncFolder(folder)) fail("sync the folder", folder, os::lastError());
}

namespace {

size_t lastSeparator(const std::string& path) {
    for (size_t i = path.size(); i-- > 0;)
        if (os::isSeparator(path[i])) return i;
    return std::string::npos;
}

}  // namespace

std::string folderOf(const std::string& path) {
    const size_t slash = lastSeparator(path);
    if (slash == std::string::npos) return ".";
    // The root keeps its separator: "/", or "C:\" on Windows.
    const bool driveRoot = os::kSeparator == '\\' && slash == 2 && path[1] == ':';
    return slash == 0 || driveRoot ? path.substr(0, slash + 1) : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string inFolder(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    if (os::isSeparator(folder.back())) return folder + std::string(name);
    return folder + os::kSeparator + std::string(name);
}

}  // namespace engine::fileio
