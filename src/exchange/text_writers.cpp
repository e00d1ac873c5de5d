// The plain-text formats: fixed-column text (and the clipboard), CSV,
// tab-separated, DIF and SYLK. All but the clipboard are written in code
// page 1250, with Windows line ends.
#include <algorithm>
#include <string>
#include <vector>

#include "exchange/export_writer.h"
#include "exchange/output_sink.h"

namespace exchange {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string captionBytes(const QString& caption, bool utf8) {
    const std::string text = caption.toStdString();
    return utf8 ? text : toCp1250Lossy(text);
}

std::string createdAtLine(const WriteContext& context) {
    return (QStringLiteral("Creat la ") + context.options.createdAt).toStdString();
}

// A value on one line: line ends and tabs become blanks.
void flatten(std::string& text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
}

void pad(OutputSink& out, size_t count) {
    for (size_t i = 0; i < count; ++i) out.put(' ');
}

}  // namespace

void writeText(const WriteContext& context, OutputSink& out, bool utf8) {
    const ExportSource& source = context.source;
    const std::vector<ExportColumn>& columns = source.columns();
    const int rows = source.rowCount();
    std::vector<size_t> widths;
    for (const ExportColumn& c : columns) widths.push_back(utf8Length(c.caption.toStdString()));
    std::string text;
    for (int r = 0; r < rows; ++r)
        for (size_t c = 0; c < columns.size(); ++c) {
            source.cell(r, int(c), text);
            widths[c] = std::max(widths[c], utf8Length(text));
        }
    size_t lineWidth = 0;
    for (const size_t w : widths) lineWidth += w + 1;
    const std::string rule(lineWidth > 0 ? lineWidth - 1 : 0, '-');

    const auto writeLine = [&](const auto& cellOf) {
        for (size_t c = 0; c < columns.size(); ++c) {
            std::string value = cellOf(c);
            flatten(value);
            const size_t gap = widths[c] - utf8Length(value);
            if (c > 0) out.put(' ');
            if (columns[c].rightAligned) pad(out, gap);
            out.write(utf8 ? value : toCp1250Lossy(value));
            if (!columns[c].rightAligned && c + 1 < columns.size()) pad(out, gap);
        }
        out.write(kLineEnd);
    };
    if (context.separators) {
        out.write(rule);
        out.write(kLineEnd);
    }
    writeLine([&](size_t c) { return columns[c].caption.toStdString(); });
    for (int r = 0; r < rows; ++r) {
        writeLine([&](size_t c) {
            source.cell(r, int(c), text);
            return text;
        });
        context.rowDone(r + 1);
    }
    if (context.separators) {
        out.write(rule);
        out.write(kLineEnd);
    }
    if (context.createdAt) {
        out.write(captionBytes(QString::fromStdString(createdAtLine(context)), utf8));
        out.write(kLineEnd);
    }
    context.rowDone(rows);
}

namespace {

void csvField(OutputSink& out, const std::string& value) {
    const bool quoted = value.find_first_of(",\"\r\n") != std::string::npos ||
                        (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quoted) {
        out.write(toCp1250Lossy(value));
        return;
    }
    out.put('"');
    for (const char c : toCp1250Lossy(value)) {
        if (c == '"') out.put('"');
        out.put(c);
    }
    out.put('"');
}

bool textColumn(const WriteContext& context, size_t column) { return context.source.columns()[column].text; }

// Walks the caption row and then every row, calling field(column, text) for
// each cell and endRow() after each row.
template <typename Field, typename EndRow>
void eachCell(const WriteContext& context, Field field, EndRow endRow) {
    const ExportSource& source = context.source;
    const std::vector<ExportColumn>& columns = source.columns();
    for (size_t c = 0; c < columns.size(); ++c) field(c, columns[c].caption.toStdString(), true);
    endRow();
    std::string text;
    for (int r = 0; r < source.rowCount(); ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            source.cell(r, int(c), text);
            field(c, text, false);
        }
        endRow();
        context.rowDone(r + 1);
    }
}

}  // namespace

void writeCsv(const WriteContext& context, OutputSink& out) {
    eachCell(
        context,
        [&](size_t c, const std::string& text, bool) {
            if (c > 0) out.put(',');
            csvField(out, text);
        },
        [&] { out.write(kLineEnd); });
}

void writeTab(const WriteContext& context, OutputSink& out) {
    eachCell(
        context,
        [&](size_t c, std::string text, bool) {
            if (c > 0) out.put('\t');
            flatten(text);
            out.write(toCp1250Lossy(text));
        },
        [&] { out.write(kLineEnd); });
    if (context.createdAt) {
        out.write(toCp1250Lossy(createdAtLine(context)));
        out.write(kLineEnd);
    }
}

namespace {

// A text between double quotes, a quote inside doubled.
std::string quotedText(std::string text) {
    flatten(text);
    std::string out = "\"";
    for (const char c : toCp1250Lossy(text)) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace

void writeDif(const WriteContext& context, OutputSink& out) {
    const std::string columns = std::to_string(context.source.columns().size());
    const std::string rows = std::to_string(context.source.rowCount() + 1);
    out.write(std::string("TABLE\r\n0,1\r\n\"\"\r\nVECTORS\r\n0,") + columns + "\r\n\"\"\r\nTUPLES\r\n0," + rows +
              "\r\n\"\"\r\nDATA\r\n0,0\r\n\"\"\r\n-1,0\r\nBOT\r\n");
    double number = 0;
    bool rowOpen = true;
    eachCell(
        context,
        [&](size_t column, const std::string& text, bool caption) {
            if (!rowOpen) {
                out.write("-1,0\r\nBOT\r\n");
                rowOpen = true;
            }
            if (!caption && !textColumn(context, column) && readsAsNumber(text, number)) {
                out.write("0," + text + "\r\nV\r\n");
            } else {
                out.write("1,0\r\n" + quotedText(text) + "\r\n");
            }
        },
        [&] { rowOpen = false; });
    out.write("-1,0\r\nEOD\r\n");
}

void writeSylk(const WriteContext& context, OutputSink& out) {
    const ExportSource& source = context.source;
    out.write("ID;PTERRALOG\r\n");
    out.write("B;Y" + std::to_string(source.rowCount() + 1) + ";X" + std::to_string(source.columns().size()) +
              "\r\n");
    int row = 1;
    double number = 0;
    eachCell(
        context,
        [&](size_t c, std::string text, bool caption) {
            if (text.empty()) return;
            out.write("C;Y" + std::to_string(row) + ";X" + std::to_string(c + 1) + ";K");
            if (!caption && !textColumn(context, c) && readsAsNumber(text, number)) {
                out.write(text);
            } else {
                flatten(text);
                out.put('"');
                // A semicolon inside a field is written twice.
                for (const char ch : toCp1250Lossy(text)) {
                    if (ch == ';') out.put(';');
                    out.put(ch);
                }
                out.put('"');
            }
            out.write(kLineEnd);
        },
        [&] { ++row; });
    out.write("E\r\n");
}

}  // namespace exchange
