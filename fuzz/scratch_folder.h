// A folder of the fuzz run, in memory where the machine has it (/dev/shm),
// else in the system's temporary folder; removed when the run ends.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

inline const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::error_code ignored;
        std::filesystem::path base = std::filesystem::temp_directory_path();
#ifndef _WIN32
        if (std::filesystem::is_directory("/dev/shm", ignored)) base = "/dev/shm";
#endif
        std::mt19937_64 random(std::random_device{}() ^ uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate = base / ("terralog-fuzz-" + std::to_string(random() % 1000000000));
            if (std::filesystem::create_directory(candidate, ignored)) return candidate.u8string();
        }
        std::abort();
    }();
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::u8path(scratchFolder()), ignored);
    }) == 0;
    (void)removedAtExit;
    return folder;
}
