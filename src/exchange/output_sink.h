#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include <QString>

namespace exchange {

// Bytes of an export on their way to a file (buffered, every failure thrown
// as engine::TableError naming the file) or into a string.
class OutputSink {
public:
    // Into `text`.
    explicit OutputSink(std::string& text);
    // Into a new file at `path` (an existing one is replaced).
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
    // Writes what is buffered and closes the file; throws when it failed.
    void finish();
    // Closes the file without writing what is buffered.
    void abandon();

private:
    static constexpr size_t kFlushSize = 1 << 16;
    void flush();
    [[noreturn]] void fail(const char* what);

    std::string own_;
    std::string& buffer_;
    std::string* text_ = nullptr;
    std::FILE* file_ = nullptr;
    std::string path_;
};

// Texts of the 8-bit formats: code page 1250; a character it lacks becomes
// "?", as the Windows conversion of text does.
std::string toCp1250Lossy(std::string_view utf8);
// Characters (code points) of a UTF-8 text.
size_t utf8Length(std::string_view utf8);

}  // namespace exchange
