#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace exchange {

// An OLE2 compound document (version 3, 512-byte sectors) holding one
// stream under the root storage: the container of an Excel 5.0 workbook.
// A stream shorter than the 4096-byte mini-stream cutoff is padded with
// zero bytes to the cutoff, so it always lives in regular sectors.
std::string compoundFileWithStream(std::u16string_view streamName, std::string stream);

// The bytes of the stream of that name (letter case aside) directly under
// the root storage of the compound document `file` (versions 3 and 4, the
// stream in regular sectors or in the mini stream); nothing when the root
// holds no such stream. Every sector number, chain, count and size is
// checked against the file before it is used: a damaged document throws
// WorkbookError saying what is wrong.
std::optional<std::string> compoundFileStream(std::string_view file, std::u16string_view streamName);

}  // namespace exchange
