// The replacement's steps and what a stop leaves are the engine's
// (engine/folder_swap.h), so that every program that opens the folder, the
// command-line ones too, finishes them.
#include "platform/data_dir_replacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/errors.h"
#include "engine/folder_swap.h"
#include "engine/os.h"
#include "platform/data_dir_lock.h"
#include "platform/native_path.h"
#include "platform/platform_error.h"

namespace platform {
namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Deletes the files of a folder and then the folder (an incomplete content).
void removeFilesAndFolder(const QString& path) {
    QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QFile::remove(dir.filePath(name));
    dir.rmdir(path);
}

// The engine's steps, their errors as the platform's.
template <class Step>
void run(Step step) {
    try {
        step();
    } catch (const engine::TableError& e) {
        throw PlatformError(QString::fromStdString(e.what()));
    }
}

}  // namespace

std::function<void(int step)>& DataDirReplacement::afterStep = engine::FolderSwap::afterStep;

DataDirReplacement::DataDirReplacement(const DataDirLock& lock) : dataDir_(lock.dataDir()) {
    finishInterrupted(lock);
    const QString fresh = QString::fromStdString(engine::FolderSwap::fresh(nativePath(dataDir_)));
    if (!QDir().mkdir(fresh)) throw PlatformError(QStringLiteral("Directorul %1 nu poate fi creat.").arg(shown(fresh)));
    folder_ = fresh;
}

DataDirReplacement::~DataDirReplacement() {
    if (!committed_ && !folder_.isEmpty()) removeFilesAndFolder(folder_);
}

void DataDirReplacement::commit() {
    const std::string data = nativePath(dataDir_);
    const QString ready = QString::fromStdString(engine::FolderSwap::ready(nativePath(dataDir_)));
    if (!engine::os::syncFolder(nativePath(folder_)))
        throw PlatformError(QStringLiteral("Directorul %1 nu poate fi scris pe disc: %2.").arg(shown(folder_), systemErrorText()));
    if (QFileInfo(dataDir_).isDir()) {
        for (const QString& name : QDir(dataDir_).entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(folder_ + QLatin1Char('/') + name) || QFileInfo(folder_ + QLatin1Char('/') + name).isSymLink())
                throw PlatformError(QStringLiteral("Fisierul %1 nu poate fi pus in %2: acolo exista un subdirector cu acest nume.")
                                        .arg(name, shown(dataDir_)));
        }
    }
    if (!engine::os::renameFolder(nativePath(folder_), nativePath(ready)))
        throw PlatformError(QStringLiteral("%1 nu poate fi mutat in %2: %3.").arg(shown(folder_), shown(ready), systemErrorText()));
    engine::os::syncFolder(nativePath(QFileInfo(dataDir_).absolutePath()));
    committed_ = true;
    if (afterStep) afterStep(1);
    run([&] { engine::FolderSwap::swapIn(data); });
}

void DataDirReplacement::finishInterrupted(const DataDirLock& lock) {
    if (!lock.locked()) throw PlatformError(QStringLiteral("Directorul de date nu este rezervat."));
    run([&] { engine::FolderSwap::finish(nativePath(lock.dataDir())); });
}

}  // namespace platform
