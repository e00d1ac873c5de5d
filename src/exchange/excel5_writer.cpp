// The Excel 5.0 (BIFF5) workbook: one worksheet, the caption row in a bold
// font, every cell bordered, numbers right and texts left as their fields
// stand, margins of 0.3 inch, the page number as footer, "MS Sans Serif"
// 8 point, texts in code page 1250 (a CODEPAGE record says so). Record
// layouts follow the published description of the BIFF5 format.
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/errors.h"
#include "exchange/compound_file.h"
#include "exchange/export_writer.h"
#include "exchange/output_sink.h"

namespace exchange {

namespace {

class RecordStream {
public:
    void record(uint16_t id, const std::string& body) {
        u16(out_, id);
        u16(out_, uint16_t(body.size()));
        out_ += body;
    }
    size_t size() const { return out_.size(); }
    std::string& bytes() { return out_; }

    static void u8(std::string& s, unsigned v) { s += char(v & 0xFF); }
    static void u16(std::string& s, unsigned v) {
        s += char(v & 0xFF);
        s += char((v >> 8) & 0xFF);
    }
    static void u32(std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
    }
    static void f64(std::string& s, double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i) s += char((bits >> (8 * i)) & 0xFF);
    }

private:
    std::string out_;
};

using R = RecordStream;

constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kXf = 0x00E0;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kDimensions = 0x0000;
constexpr uint16_t kFooter = 0x0015;
constexpr uint16_t kLeftMargin = 0x0026;
constexpr uint16_t kWindow2 = 0x023E;
constexpr uint16_t kBlank = 0x0201;
constexpr uint16_t kNumber = 0x0203;
constexpr uint16_t kLabel = 0x0204;
constexpr size_t kMaxLabel = 255;

// Cell formats after the 16 that every workbook starts with.
enum CellXf : uint16_t { kHeaderLeft = 16, kHeaderRight, kValueLeft, kValueRight };

std::string bof(uint16_t type) {
    std::string b;
    R::u16(b, 0x0500);
    R::u16(b, type);
    R::u16(b, 0x0DBB);  // build
    R::u16(b, 1996);    // year
    return b;
}

std::string font(bool bold) {
    std::string b;
    R::u16(b, 160);     // 8 point, in twentieths
    R::u16(b, bold ? 0x0001 : 0);  // bold (beside the weight below), not italic, not struck out
    R::u16(b, 0x7FFF);  // automatic colour
    R::u16(b, bold ? 700 : 400);
    R::u16(b, 0);  // no super- or subscript
    R::u8(b, 0);   // not underlined
    R::u8(b, 2);   // swiss family
    R::u8(b, 238);  // east European character set
    R::u8(b, 0);
    const std::string name = "MS Sans Serif";
    R::u8(b, unsigned(name.size()));
    b += name;
    return b;
}

std::string xf(uint16_t fontIndex, bool style, unsigned horizontal, bool bordered) {
    std::string b;
    R::u16(b, fontIndex);
    R::u16(b, 0);  // General number format
    R::u16(b, style ? 0xFFF5 : 0x0001);  // locked; a style's parent is none, a cell's is style 0
    R::u8(b, horizontal | (2u << 4));     // bottom aligned
    R::u8(b, style ? 0 : 0xFC);           // a cell format sets every attribute group
    // Pattern none, pattern colours the window's text and background.
    const uint32_t line = bordered ? 1u : 0u;  // thin
    const uint32_t colour = 0x40;
    R::u32(b, 0x40u | (0x41u << 7) | (line << 22) | (colour << 25));
    R::u32(b, line | (line << 3) | (line << 6) | (colour << 9) | (colour << 16) | (colour << 23));
    return b;
}

std::string cellHead(int row, int column, uint16_t format) {
    std::string b;
    R::u16(b, unsigned(row));
    R::u16(b, unsigned(column));
    R::u16(b, format);
    return b;
}

void label(RecordStream& s, int row, int column, uint16_t format, const std::string& utf8) {
    std::string text = toCp1250Lossy(utf8);
    if (text.size() > kMaxLabel) text.resize(kMaxLabel);
    std::string b = cellHead(row, column, format);
    R::u16(b, unsigned(text.size()));
    b += text;
    s.record(kLabel, b);
}

void workbookGlobals(RecordStream& s, const std::string& sheetName, size_t& sheetOffsetAt) {
    s.record(kBof, bof(0x0005));
    std::string cp;
    R::u16(cp, 1250);
    s.record(kCodePage, cp);
    std::string w1;
    for (unsigned v : {0u, 0u, 0x3A98u, 0x2328u, 0x38u, 0u, 0u, 1u, 0x258u}) R::u16(w1, v);
    s.record(kWindow1, w1);
    // Font 4 does not exist in BIFF: indexes 0 to 3 are written, the table
    // font is 0 and the caption font 1.
    s.record(kFont, font(false));
    s.record(kFont, font(true));
    s.record(kFont, font(false));
    s.record(kFont, font(false));
    for (int i = 0; i < 15; ++i) s.record(kXf, xf(0, true, 0, false));
    s.record(kXf, xf(0, false, 0, false));
    s.record(kXf, xf(1, false, 1, true));
    s.record(kXf, xf(1, false, 3, true));
    s.record(kXf, xf(0, false, 1, true));
    s.record(kXf, xf(0, false, 3, true));
    std::string style;
    R::u16(style, 0x8000);  // built-in style of format 0
    R::u8(style, 0);        // Normal
    R::u8(style, 0xFF);
    s.record(kStyle, style);
    std::string sheet;
    R::u32(sheet, 0);  // the sheet's offset, filled in once known
    R::u16(sheet, 0);  // visible worksheet
    R::u8(sheet, unsigned(sheetName.size()));
    sheet += sheetName;
    sheetOffsetAt = s.size() + 4;
    s.record(kBoundSheet, sheet);
    s.record(kEof, std::string());
}

void pageSetup(RecordStream& s) {
    const std::string footer = "&P";
    std::string f;
    R::u8(f, unsigned(footer.size()));
    f += footer;
    s.record(kFooter, f);
    for (uint16_t id = kLeftMargin; id <= kLeftMargin + 3; ++id) {
        std::string m;
        R::f64(m, 0.3);
        s.record(id, m);
    }
}

}  // namespace

void writeExcel5(const WriteContext& context, OutputSink& out) {
    const ExportSource& source = context.source;
    const auto& columns = source.columns();
    const int rows = source.rowCount();
    if (rows + 1 > kExcel5MaxRows)
        throw engine::ValueError("O foaie Excel 5.0 are cel mult " + std::to_string(kExcel5MaxRows) +
                                 " randuri; tabelul are " + std::to_string(rows + 1) + ".");
    RecordStream s;
    size_t sheetOffsetAt = 0;
    workbookGlobals(s, "Export", sheetOffsetAt);
    const size_t sheetStart = s.size();
    for (int i = 0; i < 4; ++i) s.bytes()[sheetOffsetAt + size_t(i)] = char((sheetStart >> (8 * i)) & 0xFF);

    s.record(kBof, bof(0x0010));
    std::string dim;
    R::u16(dim, 0);
    R::u16(dim, unsigned(rows + 1));
    R::u16(dim, 0);
    R::u16(dim, unsigned(columns.size()));
    R::u16(dim, 0);
    s.record(kDimensions, dim);
    pageSetup(s);

    for (size_t c = 0; c < columns.size(); ++c)
        label(s, 0, int(c), columns[c].rightAligned ? kHeaderRight : kHeaderLeft, columns[c].caption.toStdString());
    std::string text;
    double number = 0;
    for (int r = 0; r < rows; ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            source.cell(r, int(c), text);
            const uint16_t format = columns[c].rightAligned ? kValueRight : kValueLeft;
            if (text.empty()) {
                s.record(kBlank, cellHead(r + 1, int(c), format));
            } else if (!columns[c].text && readsAsNumber(text, number)) {
                std::string b = cellHead(r + 1, int(c), format);
                R::f64(b, number);
                s.record(kNumber, b);
            } else {
                label(s, r + 1, int(c), format, text);
            }
        }
        context.rowDone(r + 1);
    }
    std::string w2;
    R::u16(w2, 0x06B6);  // grid lines, headings, zeros, the sheet selected
    R::u16(w2, 0);
    R::u16(w2, 0);
    R::u32(w2, 0x40);
    s.record(kWindow2, w2);
    s.record(kEof, std::string());
    out.write(compoundFileWithStream(u"Book", std::move(s.bytes())));
}

}  // namespace exchange
