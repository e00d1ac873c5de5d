#include "engine/sql_lexer.h"

#include "engine/errors.h"

namespace engine {
namespace {

bool isWordStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool isWordChar(unsigned char c) { return isWordStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

// Room for the most tokens the text can hold, so that references to tokens
// stay valid while more are read.
TokenList::TokenList(std::string_view text) : text_(text) { tokens_.reserve(text.size() + 1); }

void TokenList::lexNext() const {
    const std::string_view text = text_;
    const size_t n = text.size();
    size_t i = pos_;
    while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    if (i >= n) {
        tokens_.push_back(Token{TokenKind::End, uint32_t(n), 0});
        ended_ = true;
        pos_ = n;
        return;
    }
    const size_t start = i;
    const auto c = static_cast<unsigned char>(text[i]);
    TokenKind kind;
    if (isWordStart(c)) {
        while (i < n && isWordChar(static_cast<unsigned char>(text[i]))) ++i;
        kind = TokenKind::Word;
    } else if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(static_cast<unsigned char>(text[i + 1])))) {
        while (i < n && isDigit(static_cast<unsigned char>(text[i]))) ++i;
        if (i < n && text[i] == '.') {
            ++i;
            while (i < n && isDigit(static_cast<unsigned char>(text[i]))) ++i;
        }
        kind = TokenKind::Number;
    } else if (c == '"' || c == '\'') {
        const size_t close = text.find(char(c), i + 1);
        if (close == std::string_view::npos)
            fail(uint32_t(start), "the text " + std::string(text.substr(start, 30)) + " has no closing quote");
        i = close + 1;
        kind = TokenKind::Text;
    } else {
        const char next = i + 1 < n ? text[i + 1] : '\0';
        if ((c == '<' && (next == '=' || next == '>')) || (c == '>' && next == '=') || (c == '!' && next == '='))
            i += 2;
        else if (std::string_view("(),.=<>+-*/;").find(char(c)) != std::string_view::npos)
            i += 1;
        else
            fail(uint32_t(start), "unexpected character '" + std::string(1, char(c)) + "'");
        kind = TokenKind::Symbol;
    }
    tokens_.push_back(Token{kind, uint32_t(start), uint32_t(i - start)});
    pos_ = i;
}

std::string_view TokenList::content(const Token& t) const {
    if (t.kind == TokenKind::Text) return text_.substr(t.offset + 1, t.length - 2);
    return source(t);
}

void TokenList::position(uint32_t offset, int& line, int& column) const {
    line = 1;
    column = 1;
    for (uint32_t i = 0; i < offset && i < text_.size(); ++i) {
        const auto c = static_cast<unsigned char>(text_[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
}

std::string TokenList::where(uint32_t offset) const {
    int line, column;
    position(offset, line, column);
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

void TokenList::fail(uint32_t offset, const std::string& message) const {
    int line, column;
    position(offset, line, column);
    throw SyntaxError("Syntax error at " + where(offset) + ": " + message, line, column);
}

std::string TokenList::describe(const Token& t) const {
    if (t.kind == TokenKind::End) return "the end of the statement";
    if (t.kind == TokenKind::Text) return std::string(source(t));
    return "'" + std::string(source(t)) + "'";
}

}  // namespace engine
