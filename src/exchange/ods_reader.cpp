// OpenDocument spreadsheets: the first table of content.xml. Repeated rows
// and cells (a sheet ends in a run of a million empty rows) are expanded only
// where they hold something.
#include <QXmlStreamReader>

#include "exchange/workbook_readers.h"

namespace exchange {

namespace {

const QString kTableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kTextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

constexpr int64_t kMaxRepeatedCells = 1000000;

int repeatCount(const QXmlStreamReader& xml, const char* attribute) {
    const QStringView v = xml.attributes().value(kTableNs, QLatin1String(attribute));
    if (v.isEmpty()) return 1;
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n > 0 ? n : 1;
}

// The paragraphs of a cell, one per line; <text:s/> blanks, tabs and line
// breaks as the characters they stand for.
QString cellParagraphs(QXmlStreamReader& xml) {
    QString text;
    int paragraphs = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.namespaceUri() != kTextNs) continue;
            if (xml.name() == QLatin1String("p")) {
                if (paragraphs++ > 0) text += QLatin1Char('\n');
            } else if (xml.name() == QLatin1String("s")) {
                const QStringView c = xml.attributes().value(kTextNs, QLatin1String("c"));
                text += QString(c.isEmpty() ? 1 : std::clamp(c.toInt(), 1, 1000), QLatin1Char(' '));
            } else if (xml.name() == QLatin1String("tab")) {
                text += QLatin1Char('\t');
            } else if (xml.name() == QLatin1String("line-break")) {
                text += QLatin1Char('\n');
            } else if (xml.name() == QLatin1String("note") || xml.name() == QLatin1String("annotation")) {
                xml.skipCurrentElement();
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters && paragraphs > 0) {
            text += xml.text();
        }
    }
    return text;
}

}  // namespace

std::unique_ptr<WorkbookReader> openOdsWorkbook(const QString& path) {
    const ZipArchive zip(path);
    const std::string bytes = zip.read("content.xml");
    auto grid = std::make_unique<CellGrid>();
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), int(bytes.size())));
    bool inTable = false;
    int row = 0;
    int column = 0;
    int rowRepeat = 1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.namespaceUri() == kTableNs) {
            if (xml.name() == QLatin1String("table") && inTable) break;
            if (xml.name() == QLatin1String("table-row")) row += rowRepeat - 1;
            continue;
        }
        if (token != QXmlStreamReader::StartElement || xml.namespaceUri() != kTableNs) continue;
        if (xml.name() == QLatin1String("table")) {
            inTable = true;
        } else if (inTable && xml.name() == QLatin1String("table-row")) {
            ++row;
            column = 0;
            rowRepeat = repeatCount(xml, "number-rows-repeated");
            if (row > kMaxSheetRows) break;
        } else if (inTable && (xml.name() == QLatin1String("table-cell") ||
                               xml.name() == QLatin1String("covered-table-cell"))) {
            const int repeat = repeatCount(xml, "number-columns-repeated");
            const QString type = xml.attributes().value(kOfficeNs, QLatin1String("value-type")).toString();
            const QString value = xml.attributes().value(kOfficeNs, QLatin1String("value")).toString();
            const QString truth = xml.attributes().value(kOfficeNs, QLatin1String("boolean-value")).toString();
            QString text = cellParagraphs(xml);
            if (type == QLatin1String("float") || type == QLatin1String("percentage") ||
                type == QLatin1String("currency")) {
                bool ok = false;
                const double number = value.toDouble(&ok);
                if (ok) text = numberText(number);
            } else if (type == QLatin1String("boolean")) {
                // The paragraph says TRUE, or ADEVARAT when saved in Romanian:
                // the value reads 1 or 0, as in the Excel formats.
                text = truth == QLatin1String("true") ? QStringLiteral("1") : QStringLiteral("0");
            }
            if (!text.isEmpty()) {
                if (int64_t(rowRepeat) * repeat > kMaxRepeatedCells)
                    throw WorkbookError("Foaia registrului " + path.toStdString() + " repeta o celula de prea multe ori.");
                // A run of the same cell, or of the same row, is written out
                // only as far as a sheet can reach.
                for (int r = row; r < row + rowRepeat && r <= kMaxSheetRows; ++r)
                    for (int c = column + 1; c <= column + repeat && c <= kMaxSheetColumns; ++c) grid->set(r, c, text);
            }
            column += repeat;
        }
    }
    if (xml.hasError())
        throw WorkbookError("Continutul registrului " + path.toStdString() + " nu este XML corect: " +
                            xml.errorString().toStdString());
    return grid;
}

}  // namespace exchange
