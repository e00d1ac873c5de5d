#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/codepage.h"

namespace engine {

// Finding table files the way statements name them: "\" or "/" as separator,
// and each name matched without regard to letter case when no file has it
// exactly. Returns the path of the existing file, or as far as the folders
// exist, with the rest as given (platform separators throughout).
std::string resolvePath(std::string_view path);

// The file beside `path` with the same base name and the given extension
// (".cpg"), found without regard to case.
std::optional<std::string> findSibling(const std::string& path, std::string_view extension);

// The code page a .cpg file beside the table names; nullopt when there is
// none, or none understood.
std::optional<CodePage> cpgPageBeside(const std::string& path);

}  // namespace engine
