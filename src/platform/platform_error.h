#pragma once

#include <stdexcept>
#include <string>

#include <QString>

namespace platform {

// A file or store of the platform cannot be read or written. The message is
// meant for the user's error box.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

}  // namespace platform
