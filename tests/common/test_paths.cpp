#include "test_paths.h"

#include <filesystem>

#include "child_process.h"

namespace testing_paths {
namespace {

namespace fs = std::filesystem;

std::string text(const fs::path& path) { return path.lexically_normal().make_preferred().u8string(); }

fs::path testsFolder() { return fs::u8path(testing_child::thisProgram()).parent_path(); }

}  // namespace

std::string fixture(const std::string& relative) {
    return text(testsFolder() / fs::u8path(TERRALOG_SOURCE_FROM_TESTS) / "tests" / "fixtures" / fs::u8path(relative));
}

std::string builtProgram(const std::string& name) {
#ifdef _WIN32
    const std::string suffix = ".exe";
#else
    const std::string suffix;
#endif
    return builtFile(name + suffix);
}

std::string builtFile(const std::string& relative) {
    return text(testsFolder() / fs::u8path(TERRALOG_PROGRAMS_FROM_TESTS) / fs::u8path(relative));
}

}  // namespace testing_paths
