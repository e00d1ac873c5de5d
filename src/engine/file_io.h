#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/os.h"

namespace engine::fileio {

// The file operations of every write the engine makes, each passed through
// the fault-injection plan. A failure throws TableError "Cannot <verb> <name>:
// <reason>", `name` being how the message names the file ("the table file
// /data/TP.DBF").
void writeAt(const os::File& file, uint64_t offset, std::string_view bytes, const std::string& name);
void truncate(const os::File& file, uint64_t size, const std::string& name);
void sync(const os::File& file, const std::string& name);
size_t readAt(const os::File& file, uint64_t offset, char* out, size_t size, const std::string& name);
// The whole content of an open file.
std::string readWhole(const os::File& file, const std::string& name);
void rename(const std::string& from, const std::string& to, const std::string& name);
// A second name for the file at `path`.
void link(const std::string& path, const std::string& second, const std::string& name);
// A missing file is no error.
void remove(const std::string& path, const std::string& name);
// The name of an open file leaves its folder; the handle keeps its lock until closed.
void removeWhileOpen(os::File& file, const std::string& path, const std::string& name);
// Makes the folder's entries (a created, renamed or removed file) durable.
void syncDirectory(const std::string& folder);

[[noreturn]] void fail(const char* verb, const std::string& name, const os::Error& error);

std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// `name` inside `folder`, with this system's separator.
std::string inFolder(const std::string& folder, std::string_view name);

}  // namespace engine::fileio
