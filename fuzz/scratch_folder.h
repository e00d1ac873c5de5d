// A folder of the fuzz run, in memory where the machine has it.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::error_code ignored;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "terralog-fuzz-XXXXXX").string();
        if (!::mkdtemp(&pattern[0])) std::abort();
        return pattern;
    }();
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(scratchFolder(), ignored);
    }) == 0;
    (void)removedAtExit;
    return folder;
}
