#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// Text rules shared by statements, filters and result ordering. Texts are UTF-8.

// Decodes the code point at `pos` and advances `pos`; an invalid byte reads as
// itself (so Latin-1 slips through unchanged in order).
char32_t nextCodePoint(std::string_view s, size_t& pos);
void appendUtf8(std::string& out, char32_t cp);

// Alphabetical order in Romanian: each letter counts as its capital, Ă and Â come
// right after A (in that order), Î after I, Ş/Ș after S and Ţ/Ț after T; any other
// character keeps its code point order; ties are decided by the exact characters.
// Returns <0, 0 or >0.
int compareText(std::string_view a, std::string_view b);

// SQL LIKE with % (any run) and _ (one character); case counts.
bool likeMatch(std::string_view text, std::string_view pattern);

// Drops trailing blanks (the padding of a dBase text field).
std::string_view trimRight(std::string_view s);
// ASCII case-insensitive equality, for names of fields and files.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toUpperAscii(std::string_view s);

}  // namespace engine
