#include "exchange/output_sink.h"

#include "engine/codepage.h"
#include "engine/errors.h"
#include "platform/native_path.h"

namespace exchange {

OutputSink::OutputSink(std::string& text) : buffer_(own_), text_(&text) { text.clear(); }

OutputSink::OutputSink(const QString& path) : buffer_(own_), path_(platform::nativePath(path)) {
    const size_t cut = path_.find_last_of(engine::os::kSeparator);
    const std::string folder = cut == std::string::npos ? std::string(".") : path_.substr(0, cut == 0 ? 1 : cut);
    file_ = engine::os::File::createUnique(folder, "~terralog-", partial_);
    if (!file_) fail("nu poate fi creat", engine::os::lastError());
    // A document for the clerk, not a private scratch file.
    file_.defaultPermissions();
}

OutputSink::~OutputSink() { abandon(); }

void OutputSink::flush() {
    if (text_) {
        text_->append(buffer_);
    } else if (file_ && !buffer_.empty()) {
        if (!file_.writeAt(written_, buffer_)) fail("nu poate fi scris", engine::os::lastError());
        written_ += buffer_.size();
    }
    buffer_.clear();
}

void OutputSink::finish() {
    flush();
    if (!file_) return;
    file_.close();
    if (!engine::os::rename(partial_, path_)) fail("nu poate fi scris", engine::os::lastError());
    partial_.clear();
}

void OutputSink::fail(const char* what, const engine::os::Error& error) {
    throw engine::TableError("Fisierul " + path_ + " " + what + ": " + engine::os::describe(error));
}

void OutputSink::abandon() {
    buffer_.clear();
    file_.close();
    if (!partial_.empty()) engine::os::remove(partial_);
    partial_.clear();
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
