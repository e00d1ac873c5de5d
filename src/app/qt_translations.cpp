#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const QString kFile = QStringLiteral("qtbase_ro.qm");

}  // namespace

QString installQtTranslations() {
    return installQtTranslations(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString installQtTranslations(const QString& besideExecutable, const QString& qtFolder) {
    // One translator for the run; installing again replaces what it held.
    static QTranslator* translator = nullptr;
    for (const QString& folder : {besideExecutable, qtFolder}) {
        if (folder.isEmpty()) continue;
        auto* next = new QTranslator(QCoreApplication::instance());
        if (!next->load(kFile, folder)) {
            delete next;
            continue;
        }
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        translator = next;
        QCoreApplication::installTranslator(translator);
        return QDir(folder).filePath(kFile);
    }
    return QString();
}
