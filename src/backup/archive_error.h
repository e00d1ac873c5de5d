#pragma once

#include "platform/platform_error.h"

namespace backup {

// An archive that cannot be written, read or restored; the message names
// the archive and, where there is one, the record and the byte.
class ArchiveError : public platform::PlatformError {
public:
    using platform::PlatformError::PlatformError;
};

}  // namespace backup
