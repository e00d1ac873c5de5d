#include "backup/record_names.h"

#include <exception>

#include "platform/text_codec.h"

namespace backup {

QString fileNameProblem(const QString& fileName) {
    if (fileName.isEmpty()) return QStringLiteral("numele fisierului lipseste");
    if (fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return QStringLiteral("numele trimite in afara directorului de date");
    for (const QChar c : fileName) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/'))
            return QStringLiteral("numele contine un separator de directoare");
        if (c == QLatin1Char(':')) return QStringLiteral("numele contine o unitate de disc (\":\")");
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return QStringLiteral("numele contine un caracter de control");
    }
    if (fileName.toUtf8().size() > kMaxFileNameBytes) return QStringLiteral("numele este prea lung");
    return QString();
}

QByteArray recordNameOf(const QString& fileName) {
    QByteArray stored;
    try {
        stored = platform::toCp1250(fileName);
    } catch (const std::exception&) {
        return QByteArray();
    }
    // Only a name that reads back the same restores under the same name.
    if (platform::fromCp1250(stored) != fileName) return QByteArray();
    return QByteArray(kRecordPrefix) + stored;
}

QString sameNameKey(const QString& fileName) { return fileName.toCaseFolded(); }

}  // namespace backup
