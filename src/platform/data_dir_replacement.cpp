// Invariants of a replacement of the data directory "Data":
// - The old content is never changed before the new one is complete and
//   synced under "Data.restore-ready"; that rename is the commit point.
// - After it, every step is a rename within one file system, synced before
//   the next, and each one is repeated or skipped by finish() whichever step
//   a crash stopped at: the subfolders move one by one, then "Data" goes to
//   "Data.restore-old" and "Data.restore-ready" comes to "Data".
// - Only plain files are ever deleted, and only from "Data.restore-old"
//   (the replaced files) or from "Data.restore-new" (an incomplete content).
#include "platform/data_dir_replacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/os.h"
#include "platform/data_dir_lock.h"
#include "platform/native_path.h"
#include "platform/platform_error.h"

namespace platform {
namespace {

struct Folders {
    QString holder, data, fresh, ready, old;
};

Folders foldersOf(const QString& dataDir) {
    Folders f;
    f.data = dataDir;
    f.holder = QFileInfo(dataDir).absolutePath();
    f.fresh = dataDir + QStringLiteral(".restore-new");
    f.ready = dataDir + QStringLiteral(".restore-ready");
    f.old = dataDir + QStringLiteral(".restore-old");
    return f;
}

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

bool present(const QString& path) { return engine::os::exists(nativePath(path)); }

void syncFolder(const QString& path) {
    if (!engine::os::syncFolder(nativePath(path)))
        throw PlatformError(
            QStringLiteral("Directorul %1 nu poate fi scris pe disc: %2.").arg(shown(path), systemErrorText()));
}

// Windows refuses to move a folder that holds a file open in some program:
// the swap then stops before or between its steps, each of which the next
// start finishes.
void move(const QString& from, const QString& to) {
    if (!engine::os::renameFolder(nativePath(from), nativePath(to)))
        throw PlatformError(QStringLiteral("%1 nu poate fi mutat in %2: %3.").arg(shown(from), shown(to), systemErrorText()));
}

QStringList subfoldersOf(const QString& dir) {
    return QDir(dir).entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void step(int& done) {
    ++done;
    if (DataDirReplacement::afterStep) DataDirReplacement::afterStep(done);
}

// Deletes the files of a folder and then the folder; false when something
// is left (a subfolder, which none of ours holds, is never deleted).
bool removeFilesAndFolder(const QString& path) {
    QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QFile::remove(dir.filePath(name));
    return dir.rmdir(path);
}

// The replaced files go; a folder that cannot be emptied stays.
void removeReplaced(const Folders& f) {
    removeFilesAndFolder(f.old);
    syncFolder(f.holder);
}

void finish(const Folders& f, int& done) {
    if (QFileInfo(f.data).isDir()) {
        for (const QString& name : subfoldersOf(f.data)) {
            if (present(f.ready + QLatin1Char('/') + name))
                throw PlatformError(QStringLiteral("Subdirectorul %1 nu poate fi pastrat: in datele noi exista un fisier cu acest nume.")
                                        .arg(shown(f.data + QLatin1Char('/') + name)));
            move(f.data + QLatin1Char('/') + name, f.ready + QLatin1Char('/') + name);
            syncFolder(f.data);
            syncFolder(f.ready);
            step(done);
        }
        move(f.data, f.old);
        syncFolder(f.holder);
        step(done);
    }
    move(f.ready, f.data);
    syncFolder(f.holder);
    step(done);
    if (present(f.old)) removeReplaced(f);
}

}  // namespace

std::function<void(int step)> DataDirReplacement::afterStep;

DataDirReplacement::DataDirReplacement(const DataDirLock& lock) : dataDir_(lock.dataDir()) {
    finishInterrupted(lock);
    const Folders f = foldersOf(dataDir_);
    if (!QDir().mkdir(f.fresh))
        throw PlatformError(QStringLiteral("Directorul %1 nu poate fi creat.").arg(shown(f.fresh)));
    folder_ = f.fresh;
}

DataDirReplacement::~DataDirReplacement() {
    if (!committed_ && !folder_.isEmpty()) removeFilesAndFolder(folder_);
}

void DataDirReplacement::commit() {
    const Folders f = foldersOf(dataDir_);
    syncFolder(f.fresh);
    if (QFileInfo(f.data).isDir()) {
        for (const QString& name : subfoldersOf(f.data)) {
            if (present(f.fresh + QLatin1Char('/') + name))
                throw PlatformError(QStringLiteral("Fisierul %1 nu poate fi pus in %2: acolo exista un subdirector cu acest nume.")
                                        .arg(name, shown(f.data)));
        }
    }
    int done = 0;
    move(f.fresh, f.ready);
    syncFolder(f.holder);
    committed_ = true;
    step(done);
    finish(f, done);
}

void DataDirReplacement::finishInterrupted(const DataDirLock& lock) {
    if (!lock.locked()) throw PlatformError(QStringLiteral("Directorul de date nu este rezervat."));
    const Folders f = foldersOf(lock.dataDir());
    if (present(f.fresh) && !removeFilesAndFolder(f.fresh))
        throw PlatformError(QStringLiteral("Directorul %1 nu poate fi sters.").arg(shown(f.fresh)));
    int done = 0;
    if (present(f.ready))
        finish(f, done);
    else if (present(f.old))
        removeReplaced(f);
}

}  // namespace platform
