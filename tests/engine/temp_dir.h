// A scratch folder, removed with its files: in memory (/dev/shm) where the
// machine has it, since every statement syncs its journal and its table,
// else in the system's temporary folder. Paths use this system's separator,
// as the engine's messages do.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include "engine/os.h"

class TempDir {
public:
    TempDir() : TempDir(defaultBase()) {}
    explicit TempDir(const std::filesystem::path& base) {
        std::mt19937_64 random(std::random_device{}() ^ uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            std::string name = "terralog-test-";
            for (int i = 0; i < 8; ++i) name += letters[random() % (sizeof letters - 1)];
            const std::filesystem::path candidate = (base / name).make_preferred();
            if (std::filesystem::create_directory(candidate)) path_ = candidate.u8string();
        }
        if (path_.empty()) throw std::runtime_error("cannot create a temporary folder in " + base.u8string());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::u8path(path_), ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + engine::os::kSeparator + name; }

    static std::filesystem::path defaultBase() {
        std::error_code ignored;
#ifndef _WIN32
        if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
#endif
        return std::filesystem::temp_directory_path();
    }

private:
    std::string path_;
};

// A file's bytes read, or written, as another program would; a file that
// cannot be opened stops the test with the reason.
inline std::string readBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    out << bytes;
}
