#pragma once

#include <string>
#include <string_view>

namespace exchange {

// An OLE2 compound document (version 3, 512-byte sectors) holding one
// stream under the root storage: the container of an Excel 5.0 workbook.
// A stream shorter than the 4096-byte mini-stream cutoff is padded with
// zero bytes to the cutoff, so it always lives in regular sectors.
std::string compoundFileWithStream(std::u16string_view streamName, std::string stream);

}  // namespace exchange
