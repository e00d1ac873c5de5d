#pragma once

#include <string>

namespace titles {

// The key the client-side filters use when there is no current line or
// title: no DECIMAL(10,0) identifier can hold it, so nothing matches (not
// even a title taken out of its line, whose IDANEXA is -1).
inline const std::string kNoMatchKey = "-9999999999";

}  // namespace titles
