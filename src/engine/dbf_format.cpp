#include "engine/dbf_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>

#include "engine/errors.h"
#include "engine/os.h"
#include "engine/text.h"

namespace engine {
namespace {

constexpr int kMaxTextWidth = 254;
constexpr int kMaxNumberWidth = 20;
constexpr size_t kMaxFieldName = 10;

uint16_t readU16(std::string_view b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

uint32_t readU32(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

void writeU16(std::string& b, size_t at, size_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void writeU32(std::string& b, size_t at, uint64_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

bool knownVersion(uint8_t v) {
    const int level = v & 0x07;
    return (level >= 2 && level <= 5) || v == 0x30 || v == 0x31 || v == 0x32;
}

bool isBlankByte(char c) { return c == ' ' || c == '\0'; }

std::string_view trimBoth(std::string_view s) {
    size_t i = 0, n = s.size();
    while (i < n && isBlankByte(s[i])) ++i;
    while (n > i && isBlankByte(s[n - 1])) --n;
    return s.substr(i, n - i);
}

// The units of a number cell as writers store it (blanks, an optional minus,
// digits, at most four decimals); nullopt for anything else, which the
// general reading then handles. Inlined: it decodes most number cells.
[[gnu::always_inline]] inline std::optional<int64_t> plainNumberUnits(std::string_view b) {
    constexpr int kMaxWholeDigits = 14;  // and four decimals: within 64 bits
    size_t i = 0;
    const size_t n = b.size();
    while (i < n && b[i] == ' ') ++i;
    const bool negative = i < n && b[i] == '-';
    if (negative) ++i;
    int64_t units = 0;
    int digits = 0;
    while (i < n && b[i] >= '0' && b[i] <= '9') {
        units = units * 10 + (b[i++] - '0');
        ++digits;
    }
    int decimals = 0;
    if (i < n && b[i] == '.') {
        ++i;
        while (i < n && b[i] >= '0' && b[i] <= '9' && decimals < Decimal::kScale) {
            units = units * 10 + (b[i++] - '0');
            ++digits;
            ++decimals;
        }
    }
    if (i != n || digits == 0 || digits - decimals > kMaxWholeDigits) return std::nullopt;
    for (int d = decimals; d < Decimal::kScale; ++d) units *= 10;
    return negative ? -units : units;
}

bool allOf(std::string_view s, char c) {
    for (char x : s)
        if (x != c) return false;
    return true;
}

// An optional sign, digits and at most one point: a number, if not one a
// Decimal can hold.
bool isNumberShaped(std::string_view t) {
    size_t i = t.empty() || (t[0] != '+' && t[0] != '-') ? 0 : 1;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9')
            ++digits;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

// The general reading of a number cell, after the plain form did not fit:
// `out` gets the value, or stays empty for NULL or a fault.
CellFault readNumber(std::string_view bytes, std::optional<Decimal>& out) {
    const std::string_view t = trimBoth(bytes);
    if (t.empty() || allOf(t, '*')) return CellFault::None;
    out = Decimal::parse(t);
    if (out) return CellFault::None;
    return isNumberShaped(t) ? CellFault::NumberTooLarge : CellFault::NotANumber;
}

CellFault readDate(std::string_view bytes, std::optional<Date>& out) {
    out = Date::parseStored(bytes);
    if (out) return CellFault::None;
    const std::string_view t = trimBoth(bytes);
    return t.empty() || allOf(t, '0') ? CellFault::None : CellFault::NotADate;
}

CellFault readLogical(char c, std::optional<bool>& out) {
    switch (c) {
    case 'T': case 't': case 'Y': case 'y': out = true; return CellFault::None;
    case 'F': case 'f': case 'N': case 'n': out = false; return CellFault::None;
    case '?': case ' ': case '\0': return CellFault::None;
    default: return CellFault::NotALogical;
    }
}

FieldType fieldTypeOf(char type) {
    switch (type) {
    case 'N':
    case 'F': return FieldType::Number;
    case 'D': return FieldType::Date;
    case 'L': return FieldType::Logical;
    default: return FieldType::Text;
    }
}

bool isReadType(char type) {
    return type == 'C' || type == 'N' || type == 'F' || type == 'D' || type == 'L';
}

// Parses the descriptors of the classic (32-byte) or level 7 (48-byte) form.
// Returns an empty string when they add up, else what is wrong.
std::string parseFields(std::string_view header, size_t prefixSize, size_t descriptorSize, size_t nameSize,
                        size_t typeAt, size_t widthAt, DbfLayout& layout) {
    layout.fields.clear();
    const size_t headerLength = header.size();
    size_t pos = prefixSize;
    while (pos < headerLength && header[pos] != kDbfTerminator) {
        if (pos + descriptorSize + 1 > headerLength)
            return "descrierile campurilor nu incap in lungimea antetului, " + std::to_string(headerLength) +
                   " octeti";
        const std::string_view d = header.substr(pos, descriptorSize);
        DbfField f;
        const std::string_view rawName = d.substr(0, nameSize);
        f.name = std::string(rawName.substr(0, rawName.find('\0')));
        f.type = char(toupper(static_cast<unsigned char>(d[typeAt])));
        f.width = uint8_t(d[widthAt]);
        f.decimals = uint8_t(d[widthAt + 1]);
        f.descriptor = std::string(d);
        const std::string label = "campul " + std::to_string(layout.fields.size() + 1);
        if (trimRight(f.name).empty()) return label + " nu are nume";
        if (f.width == 0) return label + " (" + f.name + ") are latimea 0";
        if (f.type == 'D' && f.width != 8) return "campul de tip data " + f.name + " nu are latimea 8";
        if (f.type == 'L' && f.width != 1) return "campul logic " + f.name + " nu are latimea 1";
        if ((f.type == 'N' || f.type == 'F') && f.decimals >= f.width)
            return "campul numeric " + f.name + " are mai multe zecimale decat cifre";
        layout.fields.push_back(std::move(f));
        pos += descriptorSize;
    }
    if (pos >= headerLength) return "descrierile campurilor nu se termina in lungimea antetului";
    if (layout.fields.empty()) return "tabelul nu are campuri";
    size_t sum = 1;
    for (const auto& f : layout.fields) sum += size_t(f.width);
    if (sum != layout.recordLength)
        return "campurile ocupa " + std::to_string(sum) + " octeti pe inregistrare, dar lungimea inregistrarii este " +
               std::to_string(layout.recordLength);
    layout.prefix = std::string(header.substr(0, prefixSize));
    layout.descriptorSize = descriptorSize;
    layout.headerTail = std::string(header.substr(pos + 1));
    return {};
}

// Makes a number's text with exactly `decimals` decimals (more than the four a
// Decimal holds are zeros).
std::string formatNumber(Decimal d, int decimals) {
    std::string s = d.toFixed(decimals < Decimal::kScale ? decimals : Decimal::kScale);
    if (decimals > Decimal::kScale) s.append(size_t(decimals - Decimal::kScale), '0');
    return s;
}

std::string describe(const DbfField& f) {
    if (f.type == 'N' || f.type == 'F')
        return std::to_string(f.width) + " characters with " + std::to_string(f.decimals) + " decimals";
    return std::to_string(f.width) + " characters";
}

Value coerceText(const DbfField& field, const Value& value, CodePage page) {
    std::string text = value.isNull() ? std::string() : value.type() == ValueType::Text ? value.asText() : value.toString();
    const std::string_view trimmed = trimRight(text);
    std::string encoded;
    char32_t bad = 0;
    if (!tryEncodeFromUtf8(trimmed, page, encoded, bad)) {
        std::string ch;
        appendUtf8(ch, bad);
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", unsigned(bad));
        throw ValueError("Field " + field.name + " cannot hold the character '" + ch + "' (" + code +
                         "): code page " + codePageName(page) + " lacks it");
    }
    if (encoded.size() > size_t(field.width))
        throw ValueError("Text too long for field " + field.name + ": " + std::to_string(encoded.size()) +
                         (page == CodePage::Utf8 ? " bytes" : " characters") + ", the field holds " +
                         std::to_string(field.width));
    return Value::text(std::string(trimRight(decodeToUtf8(encoded, page))));
}

Value coerceNumber(const DbfField& field, const Value& value) {
    Decimal d;
    switch (value.type()) {
    case ValueType::Null: return value;
    case ValueType::Number: d = value.asNumber(); break;
    case ValueType::Text: {
        const std::string_view t = trimBoth(value.asText());
        if (t.empty()) return Value::null();
        const auto parsed = Decimal::parse(t);
        if (!parsed) throw ValueError("Not a number for field " + field.name + ": \"" + value.asText() + "\"");
        d = *parsed;
        break;
    }
    default: throw ValueError("Field " + field.name + " holds numbers, not \"" + value.toString() + "\"");
    }
    const Decimal r = d.rounded(field.decimals);
    if (formatNumber(r, field.decimals).size() > size_t(field.width))
        throw ValueError("Number too large for field " + field.name + ": " + d.toString() + " (the field holds " +
                         describe(field) + ")");
    return Value::number(r);
}

Value coerceDate(const DbfField& field, const Value& value) {
    switch (value.type()) {
    case ValueType::Null: return value;
    case ValueType::Date:
        if (value.asDate().year() < 1 || value.asDate().year() > 9999)
            throw ValueError("Date out of range for field " + field.name);
        return value;
    case ValueType::Text: {
        const std::string_view t = trimBoth(value.asText());
        if (t.empty()) return Value::null();
        try {
            if (auto d = Date::parseDmy(t)) return Value::date(*d);
        } catch (const ValueError& e) {
            throw ValueError(std::string(e.what()) + " (field " + field.name + ")");
        }
        if (auto d = Date::parseStored(t)) return Value::date(*d);
        throw ValueError("Not a date for field " + field.name + ": \"" + value.asText() + "\"");
    }
    default: throw ValueError("Field " + field.name + " holds dates, not \"" + value.toString() + "\"");
    }
}

Value coerceLogical(const DbfField& field, const Value& value) {
    switch (value.type()) {
    case ValueType::Null:
    case ValueType::Logical: return value;
    case ValueType::Text: {
        const std::string t = toUpperAscii(trimBoth(value.asText()));
        if (t.empty()) return Value::null();
        if (t == "T" || t == "Y" || t == "TRUE") return Value::logical(true);
        if (t == "F" || t == "N" || t == "FALSE") return Value::logical(false);
        break;
    }
    default: break;
    }
    throw ValueError("Field " + field.name + " holds true or false, not \"" + value.toString() + "\"");
}

}  // namespace

std::vector<FieldDef> DbfLayout::visibleFields() const {
    std::vector<FieldDef> out;
    for (const auto& f : fields) {
        if (f.visible < 0) continue;
        FieldDef def;
        def.name = f.name;
        def.type = fieldTypeOf(f.type);
        def.width = f.width;
        def.decimals = def.type == FieldType::Number ? f.decimals : 0;
        def.dbfType = f.type;
        out.push_back(std::move(def));
    }
    return out;
}

DbfLayout DbfLayout::fresh() {
    DbfLayout layout;
    layout.prefix.assign(kDbfPrefixSize, '\0');
    layout.prefix[0] = char(kDbfNewVersion);
    layout.prefix[29] = char(ldidOf(CodePage::Cp1250));
    return layout;
}

std::string headerLengthFault(std::string_view prefix, uint64_t fileSize, size_t& headerLength) {
    if (fileSize < kDbfPrefixSize || prefix.size() < kDbfPrefixSize) return "antetul este taiat";
    if (!knownVersion(uint8_t(prefix[0]))) {
        char v[8];
        std::snprintf(v, sizeof v, "0x%02X", unsigned(uint8_t(prefix[0])));
        return std::string("nu este un tabel dBase (octetul de versiune ") + v + ")";
    }
    headerLength = readU16(prefix, 8);
    if (headerLength < kDbfPrefixSize + kDbfDescriptorSize + 1)
        return "lungimea antetului, " + std::to_string(headerLength) + " octeti, nu cuprinde niciun camp";
    if (headerLength > fileSize)
        return "antetul este taiat (lungimea antetului " + std::to_string(headerLength) + ", fisierul are " +
               std::to_string(fileSize) + " octeti)";
    return {};
}

std::string layoutFault(std::string_view header, uint64_t fileSize, DbfLayout& layout) {
    size_t headerLength = 0;
    std::string why = headerLengthFault(header, fileSize, headerLength);
    if (!why.empty()) return why;
    if (header.size() < headerLength) return "antetul este taiat";
    header = header.substr(0, headerLength);
    layout = DbfLayout();
    layout.headerCount = readU32(header, 4);
    layout.headerLength = headerLength;
    layout.recordLength = readU16(header, 10);
    why = parseFields(header, kDbfPrefixSize, kDbfDescriptorSize, 11, 11, 16, layout);
    if (!why.empty() && (uint8_t(header[0]) & 0x07) == 4 && headerLength > kDbf7PrefixSize &&
        parseFields(header, kDbf7PrefixSize, kDbf7DescriptorSize, 32, 32, 33, layout).empty())
        why.clear();
    if (!why.empty()) return why;
    for (auto& f : layout.fields)
        f.blank = f.type == 'L' ? '?' : !isReadType(f.type) && layout.isVisualFoxPro() ? '\0' : ' ';
    arrangeLayout(layout);
    return {};
}

DbfField makeField(const FieldDef& def, const std::string& path) {
    const auto refuse = [&](const std::string& why) {
        throw TableError("Cannot define field " + def.name + " in table " + path + ": " + why);
    };
    if (def.name.empty() || def.name.size() > kMaxFieldName) refuse("a field name has 1 to 10 characters");
    for (char c : def.name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            refuse("a field name has only letters, digits and _");
    DbfField f;
    f.name = toUpperAscii(def.name);
    f.decimals = 0;
    switch (def.type) {
    case FieldType::Text:
        f.type = 'C';
        f.width = def.width;
        if (f.width < 1 || f.width > kMaxTextWidth) refuse("a text field is 1 to 254 characters wide");
        break;
    case FieldType::Number:
        f.type = def.dbfType == 'F' ? 'F' : 'N';
        f.width = def.width;
        f.decimals = def.decimals;
        if (f.width < 1 || f.width > kMaxNumberWidth) refuse("a number field is 1 to 20 characters wide");
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
            refuse("the decimals and the point must fit the width");
        break;
    case FieldType::Date:
        f.type = 'D';
        f.width = 8;
        break;
    case FieldType::Logical:
        f.type = 'L';
        f.width = 1;
        f.blank = '?';
        break;
    }
    return f;
}

void arrangeLayout(DbfLayout& layout) {
    const bool classic = layout.descriptorSize == kDbfDescriptorSize;
    size_t offset = 0;
    int visible = 0;
    for (auto& f : layout.fields) {
        f.offset = offset;
        offset += size_t(f.width);
        f.visible = isReadType(f.type) ? visible++ : -1;
        std::string& d = f.descriptor;
        if (d.size() != layout.descriptorSize) d.assign(layout.descriptorSize, '\0');
        const size_t nameSize = classic ? 11 : 32;
        const size_t typeAt = classic ? 11 : 32;
        std::fill(d.begin(), d.begin() + std::ptrdiff_t(nameSize), '\0');
        std::memcpy(&d[0], f.name.data(), std::min(f.name.size(), nameSize - 1));
        d[typeAt] = f.type;
        d[typeAt + (classic ? 5 : 1)] = char(f.width);
        d[typeAt + (classic ? 6 : 2)] = char(f.decimals);
        if (classic && layout.isVisualFoxPro()) writeU32(d, 12, f.offset + 1);
    }
    layout.recordLength = offset + 1;
    layout.headerLength =
        layout.prefix.size() + layout.fields.size() * layout.descriptorSize + 1 + layout.headerTail.size();
}

std::array<uint8_t, 3> todayStamp() {
    int year = 0, month = 0, day = 0;
    os::today(year, month, day);
    return {uint8_t((year - 1900) & 0xFF), uint8_t(month), uint8_t(day)};
}

std::string buildHeader(const DbfLayout& layout, uint32_t count) {
    std::string h = layout.prefix;
    const auto stamp = todayStamp();
    for (size_t i = 0; i < 3; ++i) h[1 + i] = char(stamp[i]);
    writeU32(h, 4, count);
    writeU16(h, 8, layout.headerLength);
    writeU16(h, 10, layout.recordLength);
    for (const auto& f : layout.fields) h += f.descriptor;
    h += kDbfTerminator;
    h += layout.headerTail;
    return h;
}

CellFault decodeCell(const DbfField& field, std::string_view bytes, CodePage page, ColumnStore::Column& column,
                     size_t row, std::string& scratch) {
    switch (field.type) {
    case 'C': {
        size_t n = bytes.size();
        while (n > 0 && isBlankByte(bytes[n - 1])) --n;
        if (n == 0) return CellFault::None;
        bytes = bytes.substr(0, n);
        unsigned char high = 0;
        for (char c : bytes) high |= static_cast<unsigned char>(c);
        if (high < 0x80) {
            column.setRepeatedText(row, bytes);
        } else {
            scratch.clear();
            appendDecoded(scratch, bytes, page);
            column.setRepeatedText(row, trimRight(scratch));
        }
        return CellFault::None;
    }
    case 'N':
    case 'F': {
        if (const auto units = plainNumberUnits(bytes)) {
            column.setNumber(row, Decimal::fromUnits(*units));
            return CellFault::None;
        }
        std::optional<Decimal> d;
        const CellFault fault = readNumber(bytes, d);
        if (d) column.setNumber(row, *d);
        return fault;
    }
    case 'D': {
        std::optional<Date> d;
        const CellFault fault = readDate(bytes, d);
        if (d) column.setDate(row, *d);
        return fault;
    }
    case 'L': {
        std::optional<bool> b;
        const CellFault fault = readLogical(bytes[0], b);
        if (b) column.setLogical(row, *b);
        return fault;
    }
    default: return CellFault::None;
    }
}

CellFault cellFault(const DbfField& field, std::string_view bytes) {
    switch (field.type) {
    case 'N':
    case 'F': {
        if (plainNumberUnits(bytes)) return CellFault::None;
        std::optional<Decimal> d;
        return readNumber(bytes, d);
    }
    case 'D': {
        std::optional<Date> d;
        return readDate(bytes, d);
    }
    case 'L': {
        std::optional<bool> b;
        return readLogical(bytes[0], b);
    }
    default: return CellFault::None;
    }
}

size_t firstCellFault(const DbfField& field, const char* records, size_t count, size_t length, size_t from) {
    const size_t width = size_t(field.width);
    const char* record = records + from * length;
    const bool number = field.type == 'N' || field.type == 'F';
    for (size_t r = from; r < count; ++r, record += length) {
        const std::string_view cell(record + 1 + field.offset, width);
        // Most number cells are plain: the test of those stays in this loop.
        if (number && plainNumberUnits(cell)) continue;
        if (record[0] != '*' && cellFault(field, cell) != CellFault::None) return r;
    }
    return count;
}

void encodeCell(const DbfField& field, const Value& value, CodePage page, char* out) {
    const size_t width = size_t(field.width);
    if (value.isNull()) return blankCell(field, out);
    std::string s;
    switch (field.type) {
    case 'C':
        if (value.type() != ValueType::Text) break;
        s = encodeFromUtf8(value.asText(), page);
        if (s.size() > width) break;
        std::memcpy(out, s.data(), s.size());
        std::memset(out + s.size(), ' ', width - s.size());
        return;
    case 'N':
    case 'F':
        if (value.type() != ValueType::Number) break;
        s = formatNumber(value.asNumber(), field.decimals);
        if (s.size() > width) break;
        std::memset(out, ' ', width - s.size());
        std::memcpy(out + width - s.size(), s.data(), s.size());
        return;
    case 'D':
        if (value.type() != ValueType::Date) break;
        s = value.asDate().toStored();
        if (s.size() != width) break;
        std::memcpy(out, s.data(), width);
        return;
    case 'L':
        if (value.type() != ValueType::Logical) break;
        *out = value.asLogical() ? 'T' : 'F';
        return;
    default: break;
    }
    throw ValueError("Field " + field.name + " cannot hold the value \"" + value.toString() + "\"");
}

void blankCell(const DbfField& field, char* out) { std::memset(out, field.blank, size_t(field.width)); }

Value coerceToField(const DbfField& field, const Value& value, CodePage page) {
    switch (field.type) {
    case 'N':
    case 'F': return coerceNumber(field, value);
    case 'D': return coerceDate(field, value);
    case 'L': return coerceLogical(field, value);
    default: return coerceText(field, value, page);
    }
}

}  // namespace engine
