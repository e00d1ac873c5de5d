#include "platform/data_dir_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/platform_error.h"

namespace platform {
namespace {

QString absoluteClean(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

DataDirLock::~DataDirLock() { unlock(); }

bool DataDirLock::lock(const QString& dataDir) {
    const QString wanted = absoluteClean(dataDir);
    if (locked() && dataDir_ == wanted) return true;
    unlock();
    const QString holder = QFileInfo(wanted).absolutePath();
    const int fd = ::open(QFile::encodeName(holder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw PlatformError(QStringLiteral("Directorul %1 nu poate fi deschis: %2.")
                                .arg(QDir::toNativeSeparators(holder), QString::fromLocal8Bit(std::strerror(errno))));
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    dataDir_ = wanted;
    return true;
}

void DataDirLock::unlock() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    dataDir_.clear();
}

bool DataDirLock::holds(const QString& dataDir) const { return locked() && dataDir_ == absoluteClean(dataDir); }

}  // namespace platform
