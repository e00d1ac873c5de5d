#include "platform/data_dir_lock.h"

#include <QDir>
#include <QFileInfo>

#include "platform/native_path.h"
#include "platform/platform_error.h"

namespace platform {
namespace {

QString absoluteClean(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// What carries the lock of the data directory `dataDir`.
engine::os::File openLockTarget(const QString& dataDir, QString& shownName) {
#ifdef Q_OS_WIN
    shownName = dataDir + QStringLiteral(".lock");
    return engine::os::File::open(nativePath(shownName), engine::os::File::Open::CreateOrOpen);
#else
    shownName = QFileInfo(dataDir).absolutePath();
    return engine::os::File::open(nativePath(shownName), engine::os::File::Open::Read);
#endif
}

}  // namespace

DataDirLock::~DataDirLock() { unlock(); }

bool DataDirLock::lock(const QString& dataDir) {
    const QString wanted = absoluteClean(dataDir);
    if (locked() && dataDir_ == wanted) return true;
    unlock();
    QString target;
    engine::os::File file = openLockTarget(wanted, target);
    if (!file)
        throw PlatformError(QStringLiteral("Directorul %1 nu poate fi deschis: %2.")
                                .arg(QDir::toNativeSeparators(target), systemErrorText()));
    if (!file.lock(engine::os::LockMode::Exclusive)) return false;
    file_ = std::move(file);
    dataDir_ = wanted;
    return true;
}

void DataDirLock::unlock() {
    file_.close();
    dataDir_.clear();
}

bool DataDirLock::holds(const QString& dataDir) const { return locked() && dataDir_ == absoluteClean(dataDir); }

}  // namespace platform
