#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The 8-bit code pages table files and the settings file are written in, and
// UTF-8. Text in memory is always UTF-8.
enum class CodePage { Cp1250, Cp1252, Cp437, Cp850, Cp852, Iso8859_1, Iso8859_2, Utf8 };

// Never fails. A byte the code page leaves unassigned (0x81, 0x83, 0x88, 0x90
// and 0x98 in 1250) decodes to the C1 control of the same value, so that it
// encodes back to the same byte.
std::string decodeToUtf8(std::string_view bytes, CodePage page);
// As above, appending to `out` (which a caller decoding many cells reuses).
void appendDecoded(std::string& out, std::string_view bytes, CodePage page);

// Romanian comma-below letters (ș ț Ș Ț) are written as the cedilla letters
// (ş ţ Ş Ţ) when the code page has those and not the others. Returns false and
// sets `bad` to the first character the code page cannot hold; `out` is then
// unspecified.
bool tryEncodeFromUtf8(std::string_view utf8, CodePage page, std::string& out, char32_t& bad);
// As above; throws ValueError naming the character.
std::string encodeFromUtf8(std::string_view utf8, CodePage page);

// The language driver byte of a dBase header (0x00 reads as 1250, the code
// page of the office's data); nullopt for a byte not known here.
std::optional<CodePage> codePageFromLdid(uint8_t ldid);
uint8_t ldidOf(CodePage page);
// The content of a .cpg file beside a table ("UTF-8", "1250", "CP1252",
// "ISO-8859-2", "ANSI 1250" ...); nullopt when not understood.
std::optional<CodePage> codePageFromCpg(std::string_view content);
const char* codePageName(CodePage page);

}  // namespace engine
