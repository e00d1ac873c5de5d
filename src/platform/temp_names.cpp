#include "platform/temp_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

QString uniqueTempName(const QString& folder, const QString& prefix, const QString& extension) {
    for (int n = 0; n <= 100; ++n) {
        const QString name = QDir::toNativeSeparators(folder + QLatin1Char('/') + prefix + QString::number(n) + extension);
        QFileInfo info(name);
        if (info.exists() || info.isSymLink()) QFile::remove(name);
        QCoreApplication::processEvents();
        info.refresh();
        if (!info.exists() && !info.isSymLink()) return name;
    }
    return QString();
}

}  // namespace platform
