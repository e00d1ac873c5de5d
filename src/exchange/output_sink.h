#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QString>

#include "engine/os.h"

namespace exchange {

// Bytes of an export on their way to a file (buffered, every failure thrown
// as engine::TableError naming the file) or into a string. A file is written
// under a name of its own beside the target and takes the target's name only
// when complete: a failed export leaves what the target held before.
class OutputSink {
public:
    // Into `text`.
    explicit OutputSink(std::string& text);
    // Into a new file at `path` (an existing one is replaced at finish()).
    explicit OutputSink(const QString& path);
    ~OutputSink();
    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    void write(std::string_view bytes) {
        buffer_.append(bytes);
        if (buffer_.size() >= kFlushSize) flush();
    }
    void put(char c) {
        buffer_.push_back(c);
        if (buffer_.size() >= kFlushSize) flush();
    }
    // Writes what is buffered and puts the file in place; throws when it failed.
    void finish();
    // Drops the partial file; the target stays as it was.
    void abandon();

private:
    static constexpr size_t kFlushSize = 1 << 16;
    void flush();
    [[noreturn]] void fail(const char* what, const engine::os::Error& error);

    std::string own_;
    std::string& buffer_;
    std::string* text_ = nullptr;
    engine::os::File file_;
    uint64_t written_ = 0;
    std::string path_;     // the target
    std::string partial_;  // the file being written
};

// Texts of the 8-bit formats: code page 1250; a character it lacks becomes
// "?", as the Windows conversion of text does.
std::string toCp1250Lossy(std::string_view utf8);
// Characters (code points) of a UTF-8 text.
size_t utf8Length(std::string_view utf8);

}  // namespace exchange
