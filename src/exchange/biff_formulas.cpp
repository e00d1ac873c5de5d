// BIFF records: a 2-byte id, a 2-byte length, the body. The workbook
// globals come first (BOF ... EOF) and name each sheet in a BOUNDSHEET
// record with the stream offset of the sheet's own BOF; the sheet's records
// follow there, up to its EOF. A FORMULA record (0x0006, alike in BIFF5 and
// BIFF8) holds its row, column and cached result: 8 bytes, a double unless
// the last two are 0xFFFF, when the first says string (in the next STRING
// record), logical, error or (BIFF8) empty text. Charts embedded in a sheet
// bring their own BOF ... EOF, which are skipped.
#include "exchange/biff_formulas.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/codepage.h"
#include "exchange/workbook_reader.h"

namespace exchange {

namespace {

constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kDimensions = 0x0200;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kString = 0x0207;
constexpr uint16_t kArray = 0x0221;
constexpr uint16_t kTable = 0x0236;
constexpr uint16_t kSharedFormula = 0x04BC;
constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kBiff5 = 0x0500;
constexpr uint16_t kBiff8 = 0x0600;
constexpr uint16_t kWorksheet = 0x0010;
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;

[[noreturn]] void damaged(const std::string& what, size_t offset) {
    throw WorkbookError("Registrul Excel este deteriorat: " + what + " (la octetul " + std::to_string(offset) +
                        " al fluxului de date).");
}

uint16_t le16(std::string_view s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

uint32_t le32(std::string_view s, size_t at) { return uint32_t(le16(s, at)) | uint32_t(le16(s, at + 2)) << 16; }

struct Record {
    uint16_t id = 0;
    std::string_view body;
    size_t offset = 0;  // of the record's header in the stream
};

// The records of the stream from an offset, one after another.
class Records {
public:
    Records(std::string_view stream, size_t offset) : stream_(stream), next_(offset) {}

    std::optional<Record> next() {
        if (next_ >= stream_.size()) return std::nullopt;
        if (stream_.size() - next_ < 4) damaged("un antet de inregistrare este scurtat", next_);
        Record r;
        r.offset = next_;
        r.id = le16(stream_, next_);
        const uint16_t length = le16(stream_, next_ + 2);
        if (stream_.size() - next_ - 4 < length)
            damaged("inregistrarea 0x" + hex(r.id) + " declara " + std::to_string(length) + " octeti dincolo de flux",
                    next_);
        r.body = stream_.substr(next_ + 4, length);
        next_ += 4 + size_t(length);
        return r;
    }

    // The next record without taking it.
    std::optional<Record> peek() {
        const size_t at = next_;
        auto r = next();
        next_ = at;
        return r;
    }

private:
    static std::string hex(uint16_t id) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%04X", unsigned(id));
        return buffer;
    }

    std::string_view stream_;
    size_t next_;
};

engine::CodePage codePageOf(uint16_t number) {
    if (const auto page = engine::codePageFromCpg(std::to_string(number))) return *page;
    return engine::CodePage::Cp1252;
}

QString decode8(std::string_view bytes, engine::CodePage page) {
    return QString::fromStdString(engine::decodeToUtf8(bytes, page));
}

QString decode16(std::string_view bytes) {
    QString out;
    out.reserve(int(bytes.size() / 2));
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) out += QChar(le16(bytes, i));
    return out;
}

QString errorText(uint8_t code) {
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    default: return QStringLiteral("#N/A");
    }
}

struct Sheet {
    QString name;
    uint32_t offset = 0;
};

}  // namespace

void checkBiffRecords(std::string_view stream) {
    Records globals(stream, 0);
    const auto bof = globals.next();
    if (!bof || bof->id != kBof || bof->body.size() < 4) damaged("fluxul nu incepe cu o inregistrare BOF", 0);
    const bool biff8 = le16(bof->body, 0) == kBiff8;
    const size_t dimensionsSize = biff8 ? 14 : 10;
    std::vector<uint32_t> sheets;
    while (const auto r = globals.next()) {
        if (r->id == kEof) break;
        if (r->id == kBoundSheet && r->body.size() >= 4) sheets.push_back(le32(r->body, 0));
    }
    for (const uint32_t at : sheets) {
        if (at >= stream.size()) damaged("o foaie incepe dincolo de flux", at);
        Records records(stream, at);
        int depth = 0;
        bool dimensions = false;
        while (const auto r = records.next()) {
            if (r->id == kBof) ++depth;
            if (r->id == kEof && --depth <= 0) break;
            if (r->id != kDimensions || depth != 1) continue;
            if (r->body.size() != dimensionsSize || dimensions)
                damaged("o foaie are o inregistrare DIMENSIONS nepotrivita", r->offset);
            dimensions = true;
        }
    }
}

BiffFormulas::BiffFormulas(std::string_view stream, const QString& sheetName) {
    Records globals(stream, 0);
    const auto bof = globals.next();
    if (!bof || bof->id != kBof || bof->body.size() < 4) damaged("fluxul nu incepe cu o inregistrare BOF", 0);
    const uint16_t version = le16(bof->body, 0);
    if (version != kBiff5 && version != kBiff8) damaged("versiunea BIFF nu este 5 sau 8", 0);
    const bool biff8 = version == kBiff8;

    engine::CodePage page = engine::CodePage::Cp1252;
    std::optional<Sheet> chosen;
    std::optional<Sheet> firstWorksheet;
    while (const auto r = globals.next()) {
        if (r->id == kEof) break;
        if (r->id == kCodePage && r->body.size() >= 2) page = codePageOf(le16(r->body, 0));
        if (r->id != kBoundSheet) continue;
        if (r->body.size() < (biff8 ? 8u : 7u)) damaged("o inregistrare BOUNDSHEET este scurtata", r->offset);
        Sheet sheet;
        sheet.offset = le32(r->body, 0);
        const bool worksheet = uint8_t(r->body[5]) == 0;
        const size_t chars = uint8_t(r->body[6]);
        if (biff8) {
            const bool wide = uint8_t(r->body[7]) & 0x01;
            if (r->body.size() - 8 < chars * (wide ? 2 : 1)) damaged("numele unei foi trece de inregistrare", r->offset);
            sheet.name = wide ? decode16(r->body.substr(8, chars * 2)) : decode8(r->body.substr(8, chars), engine::CodePage::Iso8859_1);
        } else {
            if (r->body.size() - 7 < chars) damaged("numele unei foi trece de inregistrare", r->offset);
            sheet.name = decode8(r->body.substr(7, chars), page);
        }
        if (worksheet && !firstWorksheet) firstWorksheet = sheet;
        if (!chosen && sheet.name == sheetName) chosen = sheet;
    }
    if (!chosen) chosen = firstWorksheet;
    if (!chosen) return;
    if (chosen->offset >= stream.size()) damaged("foaia " + chosen->name.toStdString() + " incepe dincolo de flux", 0);

    Records records(stream, chosen->offset);
    const auto sheetBof = records.next();
    if (!sheetBof || sheetBof->id != kBof || sheetBof->body.size() < 4 || le16(sheetBof->body, 2) != kWorksheet)
        damaged("foaia nu incepe cu o inregistrare BOF de foaie de calcul", chosen->offset);

    int depth = 1;
    while (depth > 0) {
        const auto r = records.next();
        if (!r) break;  // a stream cut after its last cell: what was read stays
        if (r->id == kBof) {
            ++depth;
            continue;
        }
        if (r->id == kEof) {
            --depth;
            continue;
        }
        if (depth != 1 || r->id != kFormula) continue;
        if (r->body.size() < 20) damaged("o inregistrare FORMULA este scurtata", r->offset);
        const int row = le16(r->body, 0) + 1;
        const int column = le16(r->body, 2) + 1;
        if (row > kMaxRows || column > kMaxColumns) continue;
        const std::string_view result = r->body.substr(6, 8);
        QString text;
        if (le16(result, 6) != 0xFFFF) {
            double number = 0;
            const uint64_t bits = uint64_t(le32(result, 0)) | uint64_t(le32(result, 4)) << 32;
            std::memcpy(&number, &bits, sizeof number);
            if (std::isfinite(number)) text = numberText(number);
        } else {
            switch (uint8_t(result[0])) {
            case 0: {
                // The text follows in a STRING record, after any record of
                // the formula itself (a shared formula, an array).
                while (const auto next = records.peek()) {
                    if (next->id == kString) break;
                    if (next->id != kSharedFormula && next->id != kArray && next->id != kTable) break;
                    records.next();
                }
                const auto string = records.peek();
                if (!string || string->id != kString) break;
                records.next();
                const std::string_view b = string->body;
                if (b.size() < 2) damaged("o inregistrare STRING este scurtata", string->offset);
                const size_t chars = le16(b, 0);
                if (!biff8) {
                    // BIFF5: 8-bit characters in the workbook's code page; a
                    // long text goes on in CONTINUE records, byte for byte.
                    std::string bytes(b.substr(2, std::min(chars, b.size() - 2)));
                    while (bytes.size() < chars) {
                        const auto more = records.next();
                        if (!more || more->id != kContinue)
                            damaged("textul unei formule se termina inaintea lungimii declarate", string->offset);
                        bytes.append(more->body.substr(0, chars - bytes.size()));
                    }
                    text = decode8(bytes, page);
                    break;
                }
                // BIFF8: a flags byte, then the characters, 8 or 16 bits
                // wide. A text cut by CONTINUE records starts each of them
                // with a flags byte of its own; Gnumeric cuts wide texts by
                // bytes instead, a character split across two records and no
                // flags byte after the cut, which the odd byte left over shows.
                if (b.size() < 3) damaged("o inregistrare STRING este scurtata", string->offset);
                bool wide = uint8_t(b[2]) & 0x01;
                std::string bytes(b.substr(3));
                size_t at = string->offset;
                while (true) {
                    const size_t width = wide ? 2 : 1;
                    const size_t take = std::min(bytes.size() / width, chars - size_t(text.size()));
                    const std::string_view whole(bytes.data(), take * width);
                    text += wide ? decode16(whole) : decode8(whole, engine::CodePage::Iso8859_1);
                    if (size_t(text.size()) >= chars) break;
                    bytes.erase(0, take * width);
                    const auto more = records.next();
                    if (!more || more->id != kContinue || more->body.empty())
                        damaged("textul unei formule se termina inaintea lungimii declarate", at);
                    at = more->offset;
                    if (!bytes.empty()) {
                        bytes.append(more->body);
                    } else {
                        wide = uint8_t(more->body[0]) & 0x01;
                        bytes.assign(more->body.substr(1));
                    }
                }
                break;
            }
            case 1: text = result[2] ? QStringLiteral("1") : QStringLiteral("0"); break;
            case 2: text = errorText(uint8_t(result[2])); break;
            default: break;  // empty text
            }
        }
        if (text.isEmpty()) {
            results_.erase({row, column});
            continue;
        }
        results_[{row, column}] = std::move(text);
        lastRow_ = std::max(lastRow_, row);
        lastColumn_ = std::max(lastColumn_, column);
    }
}

bool BiffFormulas::has(int row, int column) const { return results_.count({row, column}) > 0; }

QString BiffFormulas::text(int row, int column) const {
    const auto it = results_.find({row, column});
    return it == results_.end() ? QString() : it->second;
}

}  // namespace exchange
