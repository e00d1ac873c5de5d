#include "engine/file_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "engine/text.h"

namespace engine {
namespace {

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string join(const std::string& dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    if (dir.back() == '/') return dir + std::string(name);
    return dir + "/" + std::string(name);
}

// The entry of `dir` equal to `name` but for case; the first in byte order
// when several are.
std::optional<std::string> findInDirectory(const std::string& dir, std::string_view name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(d)) {
        const std::string_view candidate(entry->d_name);
        if (equalsIgnoreCase(candidate, name) && (!best || candidate < *best)) best = std::string(candidate);
    }
    ::closedir(d);
    return best;
}

}  // namespace

std::string resolvePath(std::string_view path) {
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.empty() || pathExists(p)) return p;

    std::vector<std::string_view> parts;
    std::string_view rest(p);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    std::string current = p[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string exact = join(current, parts[i]);
        if (parts[i] == "." || parts[i] == ".." || pathExists(exact)) {
            current = exact;
            continue;
        }
        const auto found = findInDirectory(current, parts[i]);
        if (!found) {
            current = exact;
            for (size_t j = i + 1; j < parts.size(); ++j) current = join(current, parts[j]);
            return current;
        }
        current = join(current, *found);
    }
    return current;
}

std::optional<std::string> findSibling(const std::string& path, std::string_view extension) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.erase(dot);
    const auto found = findInDirectory(dir, base + std::string(extension));
    if (!found) return std::nullopt;
    return join(dir, *found);
}

}  // namespace engine
