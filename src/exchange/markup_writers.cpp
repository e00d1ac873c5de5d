// The document formats: an HTML page (UTF-8) and a rich-text document (code
// page 1250, which the Word output is too), each a table with a coloured
// caption row and rows alternately white and light yellow.
#include <string>

#include "exchange/export_writer.h"
#include "exchange/output_sink.h"

namespace exchange {

namespace {

void htmlEscaped(OutputSink& out, const std::string& text) {
    for (const char c : text) {
        switch (c) {
        case '<': out.write("&lt;"); break;
        case '>': out.write("&gt;"); break;
        case '&': out.write("&amp;"); break;
        case '"': out.write("&quot;"); break;
        default: out.put(c);
        }
    }
}

bool isWebAddress(const std::string& text) {
    const auto startsWith = [&](const char* prefix) { return text.rfind(prefix, 0) == 0; };
    return (startsWith("http://") || startsWith("https://") || startsWith("www.")) &&
           text.find(' ') == std::string::npos;
}

void htmlCell(OutputSink& out, const std::string& text, bool right) {
    out.write(right ? "<td align=\"right\">" : "<td>");
    if (text.empty()) {
        out.write("&nbsp;");
    } else if (isWebAddress(text)) {
        out.write("<a href=\"");
        if (text.rfind("www.", 0) == 0) out.write("http://");
        htmlEscaped(out, text);
        out.write("\">");
        htmlEscaped(out, text);
        out.write("</a>");
    } else {
        htmlEscaped(out, text);
    }
    out.write("</td>");
}

}  // namespace

void writeHtml(const WriteContext& context, OutputSink& out) {
    const ExportSource& source = context.source;
    const std::string title = context.options.title.toStdString();
    out.write("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>");
    htmlEscaped(out, title);
    out.write("</title>\r\n<style>\r\nbody { background: #FFFFFF; color: #000000; font-family: Arial, Helvetica; }\r\n"
              "table { background: #CFFFFF; border-collapse: collapse; }\r\n"
              "td, th { border: 1px solid #808080; padding: 1px 4px; }\r\n"
              "th { background: #996633; color: #FFFFFF; font-weight: bold; }\r\n"
              "tr.odd { background: #FFFFFF; }\r\n</style>\r\n</head>\r\n<body>\r\n<h3>");
    htmlEscaped(out, title);
    out.write("</h3>\r\n");
    if (context.separators) out.write("<hr>\r\n");
    out.write("<table>\r\n<tr>");
    for (const ExportColumn& c : source.columns()) {
        out.write("<th>");
        htmlEscaped(out, c.caption.toStdString());
        out.write("</th>");
    }
    out.write("</tr>\r\n");
    std::string text;
    const auto& columns = source.columns();
    for (int r = 0; r < source.rowCount(); ++r) {
        // Rows count from 1: the first, third ... are the odd ones.
        out.write(r % 2 == 0 ? "<tr class=\"odd\">" : "<tr>");
        for (size_t c = 0; c < columns.size(); ++c) {
            source.cell(r, int(c), text);
            htmlCell(out, text, columns[c].rightAligned);
        }
        out.write("</tr>\r\n");
        context.rowDone(r + 1);
    }
    out.write("</table>\r\n");
    if (context.separators) out.write("<hr>\r\n");
    if (context.createdAt) {
        out.write("<p>");
        htmlEscaped(out, (QStringLiteral("Creat la ") + context.options.createdAt).toStdString());
        out.write("</p>\r\n");
    }
    out.write("</body>\r\n</html>\r\n");
}

namespace {

constexpr int kCellWidth = 1400;  // twips

// Text of a rich-text document: ASCII as it is (its control characters
// escaped), the other letters of 1250 as \'hh, anything else as \uN?.
void rtfText(OutputSink& out, const std::string& utf8) {
    static const char* hex = "0123456789abcdef";
    const QString text = QString::fromStdString(utf8);
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out.put('\\');
            out.put(char(u));
        } else if (u == '\r' || u == '\n') {
            out.write("\\line ");
        } else if (u >= 0x20 && u < 0x80) {
            out.put(char(u));
        } else {
            const std::string byte = toCp1250Lossy(QString(ch).toStdString());
            if (byte.size() == 1 && byte[0] != '?') {
                const auto b = static_cast<unsigned char>(byte[0]);
                out.write("\\'");
                out.put(hex[b >> 4]);
                out.put(hex[b & 15]);
            } else {
                out.write("\\u" + std::to_string(int(int16_t(u))) + "?");
            }
        }
    }
}

void rtfRow(OutputSink& out, size_t columns, const char* shading) {
    out.write("\\trowd\\trgaph60");
    for (size_t c = 0; c < columns; ++c) {
        out.write(shading);
        out.write("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
                  "\\cellx");
        out.write(std::to_string(kCellWidth * int(c + 1)));
    }
    out.write("\r\n");
}

}  // namespace

void writeRtf(const WriteContext& context, OutputSink& out) {
    const ExportSource& source = context.source;
    const auto& columns = source.columns();
    // Colours: 1 black, 2 white, 3 light yellow, 4 the caption brown.
    out.write("{\\rtf1\\ansi\\ansicpg1250\\deff0\r\n"
              "{\\fonttbl{\\f0\\fswiss\\fcharset238 MS Sans Serif;}}\r\n"
              "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red207\\green255\\blue255;"
              "\\red153\\green102\\blue51;}\r\n"
              "\\margl461\\margr562\\margt101\\margb101\r\n\\pard\\plain\\f0\\fs16\r\n");
    rtfRow(out, columns.size(), "\\clcbpat4");
    for (const ExportColumn& c : columns) {
        out.write("\\pard\\intbl\\b\\cf2 ");
        rtfText(out, c.caption.toStdString());
        out.write("\\b0\\cf1\\cell\r\n");
    }
    out.write("\\row\r\n");
    std::string text;
    for (int r = 0; r < source.rowCount(); ++r) {
        rtfRow(out, columns.size(), r % 2 == 0 ? "\\clcbpat2" : "\\clcbpat3");
        for (size_t c = 0; c < columns.size(); ++c) {
            source.cell(r, int(c), text);
            out.write(columns[c].rightAligned ? "\\pard\\intbl\\qr " : "\\pard\\intbl\\ql ");
            rtfText(out, text);
            out.write("\\cell\r\n");
        }
        out.write("\\row\r\n");
        context.rowDone(r + 1);
    }
    out.write("\\pard\\f0\\fs16\r\n");
    if (context.createdAt) {
        out.write("\\par ");
        rtfText(out, (QStringLiteral("Creat la ") + context.options.createdAt).toStdString());
        out.write("\\par\r\n");
    }
    out.write("}\r\n");
}

}  // namespace exchange
