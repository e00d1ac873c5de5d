#pragma once

#include <optional>
#include <vector>

#include <QString>

namespace exchange {

// The formats the export component writes, in the order its format list
// offers them.
enum class ExportFormat { Html, Word, Excel, Xlsx, Text, RichText, Csv, Tab, Dif, Sylk, Clipboard };

struct FormatInfo {
    ExportFormat format;
    QString listName;      // as the format list shows it
    QString extension;     // in capitals, without the dot; empty for the clipboard
    QString fileTypeName;  // the save dialog's name of the file type
    QString key;           // the command-line name (html, xls, ...)
};

const FormatInfo& formatInfo(ExportFormat format);
std::optional<ExportFormat> formatFromKey(const QString& key);
// The save dialog's filter for the format: "Excel Files (*.xls)" over the
// pattern *.XLS, in Qt's filter form.
QString saveFilter(ExportFormat format);

// What the separator lines and the closing "Creat la" line go with.
bool hasSeparatorLines(ExportFormat format);
bool hasCreatedAtLine(ExportFormat format);

// The formats of the annex export and of the report grids.
const std::vector<ExportFormat>& annexFormats();
const std::vector<ExportFormat>& gridFormats();

// An Excel 5.0 worksheet holds this many rows, the caption row included.
constexpr int kExcel5MaxRows = 16384;

}  // namespace exchange
