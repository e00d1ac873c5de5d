// OpenDocument spreadsheets: the first table of content.xml. Repeated rows
// and cells (a sheet ends in a run of a million empty rows) are expanded only
// where they hold something. content.xml is parsed a piece at a time, as it
// is inflated.
#include <string_view>

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

// The tokens of content.xml, its next piece inflated whenever the reader
// runs short.
class ContentTokens {
public:
    explicit ContentTokens(const ZipArchive& zip) : member_(zip, "content.xml", "Foaia") {}

    const QXmlStreamReader& xml() const { return xml_; }
    QXmlStreamReader::TokenType next() {
        for (;;) {
            const auto token = xml_.readNext();
            if (token != QXmlStreamReader::Invalid || xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError ||
                ended_)
                return token;
            const std::string_view piece = member_.next();
            ended_ = piece.empty();
            if (!ended_) xml_.addData(QByteArray(piece.data(), qsizetype(piece.size())));
        }
    }
    // What follows the first table is not parsed, but inflated all the same:
    // its size and the member's checksum are checked as the rest's were.
    void finish() {
        while (!member_.next().empty()) {
        }
    }
    [[noreturn]] void fail(const std::string& problem) const { member_.fail(problem); }

private:
    ZipMember member_;
    QXmlStreamReader xml_;
    bool ended_ = false;
};

// The paragraphs of a cell, one per line; <text:s/> blanks, tabs and line
// breaks as the characters they stand for.
QString cellParagraphs(ContentTokens& tokens) {
    const QXmlStreamReader& xml = tokens.xml();
    QString text;
    int paragraphs = 0;
    int depth = 1;
    // The depth of the note being left out, 0 when none: skipCurrentElement
    // cannot wait for the next piece.
    int noteDepth = 0;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = tokens.next();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (noteDepth > 0 || xml.namespaceUri() != kTextNs) continue;
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
                noteDepth = depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == noteDepth) noteDepth = 0;
            --depth;
        } else if (token == QXmlStreamReader::Characters && paragraphs > 0 && noteDepth == 0) {
            text += xml.text();
        }
    }
    return text;
}

}  // namespace

std::unique_ptr<WorkbookReader> openOdsWorkbook(const QString& path, size_t pieceSize) {
    const ZipArchive zip(path, "registru OpenDocument", pieceSize);
    ContentTokens tokens(zip);
    const QXmlStreamReader& xml = tokens.xml();
    auto grid = std::make_unique<CellGrid>();
    bool inTable = false;
    int row = 0;
    int column = 0;
    int rowRepeat = 1;
    while (!xml.atEnd()) {
        const auto token = tokens.next();
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
            QString text = cellParagraphs(tokens);
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
                    tokens.fail("repeta o celula de prea multe ori");
                // A run of the same cell, or of the same row, is written out
                // only as far as a sheet can reach.
                for (int r = row; r < row + rowRepeat && r <= kMaxSheetRows; ++r)
                    for (int c = column + 1; c <= column + repeat && c <= kMaxSheetColumns; ++c) grid->set(r, c, text);
            }
            column += repeat;
        }
    }
    if (xml.hasError())
        tokens.fail("nu este XML corect (linia " + std::to_string(xml.lineNumber()) + ", coloana " +
                    std::to_string(xml.columnNumber()) + ")");
    tokens.finish();
    return grid;
}

}  // namespace exchange
