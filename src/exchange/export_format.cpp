#include "exchange/export_format.h"

namespace exchange {

namespace {

const std::vector<FormatInfo>& table() {
    static const std::vector<FormatInfo> formats = {
        {ExportFormat::Html, QStringLiteral("HTML"), QStringLiteral("HTM"), QStringLiteral("HTML Documents"),
         QStringLiteral("html")},
        {ExportFormat::Word, QStringLiteral("Microsoft Word"), QStringLiteral("DOC"), QStringLiteral("Word Documents"),
         QStringLiteral("doc")},
        {ExportFormat::Excel, QStringLiteral("Microsoft Excel"), QStringLiteral("XLS"), QStringLiteral("Excel Files"),
         QStringLiteral("xls")},
        {ExportFormat::Xlsx, QStringLiteral("Microsoft Excel 2007+ (.xlsx)"), QStringLiteral("XLSX"),
         QStringLiteral("Excel 2007+ Files"), QStringLiteral("xlsx")},
        {ExportFormat::Text, QStringLiteral("Text"), QStringLiteral("TXT"), QStringLiteral("Text Files"),
         QStringLiteral("txt")},
        {ExportFormat::RichText, QStringLiteral("Rich Text"), QStringLiteral("RTF"), QStringLiteral("Rich Text Format"),
         QStringLiteral("rtf")},
        {ExportFormat::Csv, QStringLiteral("Comma-Separated Text"), QStringLiteral("CSV"),
         QStringLiteral("CSV (Comma delimited)"), QStringLiteral("csv")},
        {ExportFormat::Tab, QStringLiteral("Tab-Separated Text"), QStringLiteral("TXT"),
         QStringLiteral("Text (Tab delimited)"), QStringLiteral("tab")},
        {ExportFormat::Dif, QStringLiteral("Data Interchange Format"), QStringLiteral("DIF"),
         QStringLiteral("Data Interchange Format"), QStringLiteral("dif")},
        {ExportFormat::Sylk, QStringLiteral("SYLK Format"), QStringLiteral("SLK"), QStringLiteral("SYLK Files"),
         QStringLiteral("slk")},
        {ExportFormat::Clipboard, QStringLiteral("Clipboard"), QString(), QString(), QStringLiteral("clipboard")},
    };
    return formats;
}

}  // namespace

const FormatInfo& formatInfo(ExportFormat format) {
    for (const FormatInfo& info : table())
        if (info.format == format) return info;
    return table().front();
}

std::optional<ExportFormat> formatFromKey(const QString& key) {
    for (const FormatInfo& info : table())
        if (info.key == key && info.format != ExportFormat::Clipboard) return info.format;
    return std::nullopt;
}

QString saveFilter(ExportFormat format) {
    const FormatInfo& info = formatInfo(format);
    return info.fileTypeName + QStringLiteral(" (*.") + info.extension.toLower() + QLatin1Char(')');
}

bool hasSeparatorLines(ExportFormat format) {
    return format == ExportFormat::Html || format == ExportFormat::Text || format == ExportFormat::Clipboard;
}

bool hasCreatedAtLine(ExportFormat format) {
    switch (format) {
    case ExportFormat::Html:
    case ExportFormat::Word:
    case ExportFormat::Text:
    case ExportFormat::RichText:
    case ExportFormat::Tab:
    case ExportFormat::Clipboard: return true;
    default: return false;
    }
}

const std::vector<ExportFormat>& annexFormats() {
    static const std::vector<ExportFormat> formats = {ExportFormat::Html, ExportFormat::Excel, ExportFormat::Xlsx,
                                                      ExportFormat::Text, ExportFormat::Clipboard};
    return formats;
}

const std::vector<ExportFormat>& gridFormats() {
    static const std::vector<ExportFormat> formats = {
        ExportFormat::Html, ExportFormat::Word,     ExportFormat::Excel, ExportFormat::Xlsx,
        ExportFormat::Text, ExportFormat::RichText, ExportFormat::Csv,   ExportFormat::Tab,
        ExportFormat::Dif,  ExportFormat::Sylk,     ExportFormat::Clipboard};
    return formats;
}

}  // namespace exchange
