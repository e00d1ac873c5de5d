#pragma once

#include <cstddef>

namespace backup {

// Writes all `size` bytes to the descriptor, however the system splits them;
// false, with errno set, when it fails.
bool writeFully(int fd, const char* data, size_t size);

}  // namespace backup
