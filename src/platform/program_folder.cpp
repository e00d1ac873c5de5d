#include "platform/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

bool systemFolder(const QString& dir) {
#ifdef Q_OS_WIN
    Q_UNUSED(dir);
    return false;
#else
    const QString path = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    for (const QString& root : {QStringLiteral("/usr"), QStringLiteral("/opt")}) {
        if (path == root || path.startsWith(root + QLatin1Char('/'))) return true;
    }
    return false;
#endif
}

bool writableFolder(const QString& dir) {
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

}  // namespace

QString workingFolder(const QString& programDir, const QString& userFolder) {
    if (systemFolder(programDir)) return userFolder;
    if (writableFolder(QDir(programDir).filePath(QStringLiteral("Data")))) return programDir;
    if (writableFolder(programDir)) return programDir;
    return userFolder;
}

QString workingFolder(const QString& programDir) { return workingFolder(programDir, userDataFolder()); }

QString userDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("terralog"));
}

}  // namespace platform
