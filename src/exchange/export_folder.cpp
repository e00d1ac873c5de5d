#include "exchange/export_folder.h"

#include <QFileInfo>

namespace exchange {

namespace {

QString& remembered() {
    static QString folder;
    return folder;
}

}  // namespace

QString lastExportFolder(const QString& fallback) {
    // A folder removed since is no proposal.
    const QString& folder = remembered();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
}

void rememberExportFolder(const QString& folder) { remembered() = folder; }

}  // namespace exchange
