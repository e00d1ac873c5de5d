#include "exchange/output_sink.h"

#include <cerrno>
#include <cstring>

#include "engine/codepage.h"
#include "engine/errors.h"

namespace exchange {

OutputSink::OutputSink(std::string& text) : buffer_(own_), text_(&text) { text.clear(); }

OutputSink::OutputSink(const QString& path) : buffer_(own_), path_(path.toStdString()) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) fail("cannot be created");
}

OutputSink::~OutputSink() {
    if (file_) std::fclose(file_);
}

void OutputSink::flush() {
    if (text_) {
        text_->append(buffer_);
    } else if (file_ && !buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) fail("cannot be written");
    }
    buffer_.clear();
}

void OutputSink::finish() {
    flush();
    if (file_) {
        const int closed = std::fclose(file_);
        file_ = nullptr;
        if (closed != 0) fail("cannot be written");
    }
}

void OutputSink::fail(const char* what) {
    const std::string reason = errno ? std::string(": ") + std::strerror(errno) : std::string();
    throw engine::TableError("The file " + path_ + " " + what + reason);
}

void OutputSink::abandon() {
    buffer_.clear();
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

namespace {

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string toCp1250Lossy(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    std::string out;
    char32_t bad = 0;
    if (engine::tryEncodeFromUtf8(utf8, engine::CodePage::Cp1250, out, bad)) return out;
    // One character at a time: those the code page lacks become "?".
    out.clear();
    std::string piece;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t len = 1;
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xF0) len = 4;
        else if (lead >= 0xE0) len = 3;
        else if (lead >= 0xC0) len = 2;
        len = std::min(len, utf8.size() - i);
        if (engine::tryEncodeFromUtf8(utf8.substr(i, len), engine::CodePage::Cp1250, piece, bad))
            out += piece;
        else
            out += '?';
        i += len;
    }
    return out;
}

size_t utf8Length(std::string_view utf8) {
    size_t n = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace exchange
