#include "exchange/workbook_reader.h"

#include <charconv>

#include <QFile>

#include "exchange/workbook_readers.h"
#include "platform/native_path.h"

namespace exchange {

QString numberText(double value) {
    char buffer[64];
    // Fixed notation for what a sheet of areas holds; the exponent form only
    // where fixed would run past the buffer.
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc()) result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

std::unique_ptr<WorkbookReader> openWorkbookFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError("Fisierul " + platform::nativePath(path) + " nu poate fi deschis: " +
                            file.errorString().toStdString() + ".");
    const QByteArray head = file.read(8);
    file.close();
    static const char oleMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (head == QByteArray(oleMagic, 8)) return openXlsWorkbook(path);
    if (head.startsWith("PK")) {
        const ZipArchive zip(path, "registru Excel sau OpenDocument");
        if (zip.has("xl/workbook.xml")) return openXlsxWorkbook(path);
        if (zip.has("content.xml")) return openOdsWorkbook(path);
    }
    throw WorkbookError("Fisierul " + platform::nativePath(path) + " nu este un registru Excel sau OpenDocument.");
}

void CellGrid::set(int row, int column, QString text) {
    if (text.isEmpty()) return;
    std::vector<QString>& cells = cells_[row];
    if (int(cells.size()) < column) cells.resize(size_t(column));
    cells[size_t(column - 1)] = std::move(text);
    rows_ = std::max(rows_, row);
    columns_ = std::max(columns_, column);
}

QString CellGrid::cellText(int row, int column) const {
    const auto it = cells_.find(row);
    if (it == cells_.end() || column < 1 || size_t(column) > it->second.size()) return QString();
    return it->second[size_t(column - 1)];
}

}  // namespace exchange
