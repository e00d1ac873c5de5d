#include "platform/data_dir_lock.h"

#include <QDir>
#include <QFileInfo>

#include "platform/native_path.h"
#include "platform/platform_error.h"

namespace platform {
namespace {

QString absoluteClean(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

DataDirLock::~DataDirLock() { unlock(); }

bool DataDirLock::lock(const QString& dataDir, bool wait) {
    const QString wanted = absoluteClean(dataDir);
    if (locked() && dataDir_ == wanted) return true;
    unlock();
    const std::string folder = nativePath(wanted);
    if (engine::holdsFolderLock(folder, engine::FolderLock::Kind::Holder)) return false;
    try {
        lock_ = wait ? engine::FolderLock(folder, engine::FolderLock::Kind::Holder, engine::os::LockMode::Exclusive)
                     : engine::FolderLock::tryTake(folder, engine::FolderLock::Kind::Holder, engine::os::LockMode::Exclusive);
    } catch (const engine::FolderBusyError&) {
        return false;
    } catch (const engine::TableError&) {
        throw PlatformError(QStringLiteral("Directorul %1 nu poate fi deschis: %2.")
                                .arg(QDir::toNativeSeparators(QFileInfo(wanted).absolutePath()), systemErrorText()));
    }
    if (!lock_.held()) return false;
    dataDir_ = wanted;
    return true;
}

void DataDirLock::unlock() {
    lock_.release();
    dataDir_.clear();
}

bool DataDirLock::holds(const QString& dataDir) const { return locked() && dataDir_ == absoluteClean(dataDir); }

}  // namespace platform
