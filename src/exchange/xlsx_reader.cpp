// Office Open XML workbooks: the first sheet named in xl/workbook.xml, its
// part found through the workbook's relationships, texts from the shared
// strings or inline.
#include <vector>

#include <QXmlStreamReader>

#include "exchange/workbook_readers.h"

namespace exchange {

namespace {

void failIfBad(const QXmlStreamReader& xml, const std::string& part) {
    if (xml.hasError())
        throw WorkbookError("The part " + part + " is not well-formed XML: " + xml.errorString().toStdString() +
                            " (line " + std::to_string(xml.lineNumber()) + ")");
}

// The text of the element the reader stands on, the <t> elements inside it
// joined (rich-text runs), phonetic hints left out.
QString joinedText(QXmlStreamReader& xml) {
    QString text;
    int depth = 1;
    bool inPhonetic = false;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.name() == QLatin1String("rPh")) inPhonetic = true;
            else if (xml.name() == QLatin1String("t") && !inPhonetic) {
                text += xml.readElementText();
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == QLatin1String("rPh")) inPhonetic = false;
        }
    }
    return text;
}

std::vector<QString> sharedStrings(const ZipArchive& zip) {
    std::vector<QString> strings;
    const std::string part = "xl/sharedStrings.xml";
    if (!zip.has(part)) return strings;
    const std::string bytes = zip.read(part);
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), int(bytes.size())));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.push_back(joinedText(xml));
    failIfBad(xml, part);
    return strings;
}

// The path of the first worksheet's part.
std::string firstSheetPart(const ZipArchive& zip) {
    const std::string workbook = zip.read("xl/workbook.xml");
    QXmlStreamReader xml(QByteArray::fromRawData(workbook.data(), int(workbook.size())));
    QString id;
    while (!xml.atEnd() && id.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == QLatin1String("id")) id = a.value().toString();
        }
    }
    failIfBad(xml, "xl/workbook.xml");
    if (id.isEmpty()) throw WorkbookError("The workbook names no worksheet");
    const std::string rels = zip.read("xl/_rels/workbook.xml.rels");
    QXmlStreamReader rx(QByteArray::fromRawData(rels.data(), int(rels.size())));
    while (!rx.atEnd()) {
        if (rx.readNext() == QXmlStreamReader::StartElement && rx.name() == QLatin1String("Relationship") &&
            rx.attributes().value(QLatin1String("Id")) == id) {
            QString target = rx.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(QLatin1Char('/'))) return target.mid(1).toStdString();
            return "xl/" + target.toStdString();
        }
    }
    failIfBad(rx, "xl/_rels/workbook.xml.rels");
    throw WorkbookError("The workbook's first worksheet has no part");
}

// "AB12" -> column 28; 0 when the reference has no letters.
int columnOf(QStringView reference) {
    int column = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z')) break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (column > kMaxSheetColumns) return -1;
    }
    return column;
}

}  // namespace

std::unique_ptr<WorkbookReader> openXlsxWorkbook(const QString& path) {
    const ZipArchive zip(path);
    const std::vector<QString> strings = sharedStrings(zip);
    const std::string part = firstSheetPart(zip);
    const std::string bytes = zip.read(part);
    auto grid = std::make_unique<CellGrid>();
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), int(bytes.size())));
    int row = 0;
    int column = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("row")) {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            row = r.isEmpty() ? row + 1 : r.toInt();
            column = 0;
            if (row < 1 || row > kMaxSheetRows) throw WorkbookError("The sheet " + part + " has a row out of range");
        } else if (xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QStringView reference = attributes.value(QLatin1String("r"));
            const QString type = attributes.value(QLatin1String("t")).toString();
            const int given = reference.isEmpty() ? 0 : columnOf(reference);
            column = given > 0 ? given : column + 1;
            if (given < 0 || column > kMaxSheetColumns)
                throw WorkbookError("The sheet " + part + " has a column out of range");
            QString value;
            QString inlineText;
            while (!xml.atEnd()) {
                const auto token = xml.readNext();
                if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c")) break;
                if (token != QXmlStreamReader::StartElement) continue;
                if (xml.name() == QLatin1String("v")) value = xml.readElementText();
                else if (xml.name() == QLatin1String("is")) inlineText = joinedText(xml);
            }
            QString text;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const qulonglong index = value.toULongLong(&ok);
                if (!ok || index >= strings.size())
                    throw WorkbookError("The sheet " + part + " names a shared string it lacks");
                text = strings[size_t(index)];
            } else if (type == QLatin1String("inlineStr")) {
                text = inlineText;
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                bool ok = false;
                const double number = value.toDouble(&ok);
                text = ok ? numberText(number) : value;
            } else {
                text = value;  // str (a formula's text), b, e, d: as written
            }
            grid->set(row, column, std::move(text));
        }
    }
    failIfBad(xml, part);
    return grid;
}

}  // namespace exchange
