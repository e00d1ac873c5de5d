#include "backup/file_writes.h"

#include <unistd.h>

#include <cerrno>

namespace backup {

bool writeFully(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

}  // namespace backup
