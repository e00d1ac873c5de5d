#include "engine/file_names.h"

#include <algorithm>
#include <vector>

#include "engine/file_io.h"
#include "engine/os.h"
#include "engine/text.h"

namespace engine {
namespace {

// The entry of `dir` equal to `name` but for case; the first in byte order
// when several are.
std::optional<std::string> findInDirectory(const std::string& dir, std::string_view name) {
    std::vector<std::string> entries;
    if (!os::listFolder(dir.empty() ? "." : dir, entries)) return std::nullopt;
    std::optional<std::string> best;
    for (const std::string& candidate : entries)
        if (equalsIgnoreCase(candidate, name) && (!best || candidate < *best)) best = candidate;
    return best;
}

}  // namespace

std::string resolvePath(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '\\' || c == '/') c = os::kSeparator;
    // One table, one name: "TP.DBF" from the working folder is the same
    // table as its absolute path.
    if (!p.empty()) p = os::absolutePath(p);
    // Where the file system itself ignores case, the name as given reaches the file.
    if (p.empty() || os::namesFoldCase() || os::exists(p)) return p;

    std::vector<std::string_view> parts;
    std::string_view rest(p);
    while (!rest.empty()) {
        const size_t slash = rest.find(os::kSeparator);
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    std::string current = p[0] == os::kSeparator ? std::string(1, os::kSeparator) : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string exact = fileio::inFolder(current, parts[i]);
        if (parts[i] == "." || parts[i] == ".." || os::exists(exact)) {
            current = exact;
            continue;
        }
        const auto found = findInDirectory(current, parts[i]);
        if (!found) {
            current = exact;
            for (size_t j = i + 1; j < parts.size(); ++j) current = fileio::inFolder(current, parts[j]);
            return current;
        }
        current = fileio::inFolder(current, *found);
    }
    return current;
}

std::optional<std::string> findSibling(const std::string& path, std::string_view extension) {
    const std::string name = fileio::fileNameOf(path);
    const std::string dir = name.size() == path.size() ? "" : path.substr(0, path.size() - name.size());
    std::string base = name;
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
    const auto found = findInDirectory(dir, base + std::string(extension));
    if (!found) return std::nullopt;
    return fileio::inFolder(dir, *found);
}

std::optional<CodePage> cpgPageBeside(const std::string& path) {
    const auto cpg = findSibling(path, ".cpg");
    if (!cpg) return std::nullopt;
    const os::File file = os::File::open(*cpg, os::File::Open::Read);
    if (!file) return std::nullopt;
    char content[64];
    const int64_t n = file.readAt(0, content, sizeof content);
    return codePageFromCpg(std::string(content, size_t(std::max<int64_t>(n, 0))));
}

}  // namespace engine
