#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Tokens are slices of the statement text; nothing is copied. Keywords are
// plain words: the parser recognises them without regard to case.
enum class TokenKind : uint8_t { End, Word, Number, Text, Symbol };

struct Token {
    TokenKind kind = TokenKind::End;
    uint32_t offset = 0;  // first byte in the statement, quotes included
    uint32_t length = 0;
};

// A statement split into tokens, read as the parser asks for them so that
// the first error in the text is the one reported. Text literals are in
// double or single quotes and have no escape: the first matching quote ends
// them.
class TokenList {
public:
    explicit TokenList(std::string_view text);

    std::string_view text() const { return text_; }
    // Token i; the End token past the end. Throws SyntaxError for an
    // unterminated text or a character that starts no token.
    const Token& operator[](size_t i) const {
        while (i >= tokens_.size() && !ended_) lexNext();
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }

    // The token as written (a text with its quotes).
    std::string_view source(const Token& t) const { return text_.substr(t.offset, t.length); }
    // A text token without its quotes; other tokens as written.
    std::string_view content(const Token& t) const;

    // 1-based line and column (in characters) of a byte offset.
    void position(uint32_t offset, int& line, int& column) const;
    // "line 3, column 7"
    std::string where(uint32_t offset) const;
    // Throws SyntaxError "Syntax error at line 3, column 7: {message}".
    [[noreturn]] void fail(uint32_t offset, const std::string& message) const;
    // How an error names the token: "'FROM'", "the end of the statement".
    std::string describe(const Token& t) const;

private:
    void lexNext() const;

    std::string_view text_;
    mutable std::vector<Token> tokens_;
    mutable size_t pos_ = 0;
    mutable bool ended_ = false;
};

}  // namespace engine
