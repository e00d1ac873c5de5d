#include "engine/column_store.h"

#include "engine/errors.h"
#include "engine/text.h"

namespace engine {
namespace {

// A text cell packs its arena offset (40 bits) and byte length (24 bits).
constexpr int64_t packText(uint64_t offset, uint64_t length) { return int64_t((offset << 24) | length); }
constexpr uint64_t textOffset(int64_t cell) { return uint64_t(cell) >> 24; }
constexpr uint64_t textLength(int64_t cell) { return uint64_t(cell) & 0xFFFFFF; }

}  // namespace

ColumnStore::ColumnStore(std::vector<FieldDef> fields) : fields_(std::move(fields)) {
    columns_.resize(fields_.size());
    for (size_t i = 0; i < fields_.size(); ++i) columns_[i].type = fields_[i].type;
}

int ColumnStore::findField(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (equalsIgnoreCase(fields_[i].name, name)) return int(i);
    return -1;
}

void ColumnStore::reserve(size_t rows) {
    for (auto& c : columns_) c.cells.reserve(rows);
}

size_t ColumnStore::appendRow() {
    for (auto& c : columns_) c.cells.push_back(c.type == FieldType::Text ? 0 : kNullCell);
    return rows_++;
}

void ColumnStore::appendRows(size_t count) {
    for (auto& c : columns_) c.cells.resize(c.cells.size() + count, c.type == FieldType::Text ? 0 : kNullCell);
    rows_ += count;
}

bool ColumnStore::isNull(size_t row, size_t col) const {
    const Column& c = columns_[col];
    if (c.type == FieldType::Text) return textLength(c.cells[row]) == 0;
    return c.cells[row] == kNullCell;
}

std::string_view ColumnStore::text(size_t row, size_t col) const {
    const Column& c = columns_[col];
    const int64_t cell = c.cells[row];
    return std::string_view(c.arena).substr(textOffset(cell), textLength(cell));
}

Decimal ColumnStore::number(size_t row, size_t col) const {
    const int64_t cell = columns_[col].cells[row];
    return cell == kNullCell ? Decimal() : Decimal::fromUnits(cell);
}

Date ColumnStore::date(size_t row, size_t col) const {
    const int64_t cell = columns_[col].cells[row];
    return cell == kNullCell ? Date() : Date::fromDayNumber(int32_t(cell));
}

bool ColumnStore::logical(size_t row, size_t col) const {
    const int64_t cell = columns_[col].cells[row];
    return cell != kNullCell && cell != 0;
}

Value ColumnStore::value(size_t row, size_t col) const {
    const Column& c = columns_[col];
    if (c.type == FieldType::Text) return Value::text(std::string(text(row, col)));
    if (c.cells[row] == kNullCell) return Value::null();
    switch (c.type) {
    case FieldType::Number: return Value::number(number(row, col));
    case FieldType::Date: return Value::date(date(row, col));
    case FieldType::Logical: return Value::logical(logical(row, col));
    case FieldType::Text: break;
    }
    return Value::null();
}

void ColumnStore::set(size_t row, size_t col, const Value& v) {
    if (v.isNull()) return setNull(row, col);
    const FieldType t = columns_[col].type;
    if (t == FieldType::Text && v.type() == ValueType::Text) return setText(row, col, v.asText());
    if (t == FieldType::Number && v.type() == ValueType::Number) return setNumber(row, col, v.asNumber());
    if (t == FieldType::Date && v.type() == ValueType::Date) return setDate(row, col, v.asDate());
    if (t == FieldType::Logical && v.type() == ValueType::Logical) {
        columns_[col].cells[row] = v.asLogical() ? 1 : 0;
        return;
    }
    throw ValueError("Type mismatch for field " + fields_[col].name);
}

void ColumnStore::setText(size_t row, size_t col, std::string_view s) {
    s = trimRight(s);
    Column& c = columns_[col];
    if (s.size() > 0xFFFFFF) throw ValueError("Text too long for field " + fields_[col].name);
    const int64_t old = c.cells[row];
    if (s.size() <= textLength(old) && textLength(old) > 0) {
        // Fits where the old text was: reuse its bytes.
        c.arena.replace(textOffset(old), s.size(), s.data(), s.size());
        c.cells[row] = packText(textOffset(old), s.size());
        return;
    }
    if (s.empty()) {
        c.cells[row] = 0;
        return;
    }
    const uint64_t offset = c.arena.size();
    c.arena.append(s.data(), s.size());
    c.cells[row] = packText(offset, s.size());
}

void ColumnStore::setNumber(size_t row, size_t col, Decimal d) { columns_[col].cells[row] = d.units(); }

void ColumnStore::setDate(size_t row, size_t col, Date d) { columns_[col].cells[row] = d.dayNumber(); }

void ColumnStore::setNull(size_t row, size_t col) {
    Column& c = columns_[col];
    c.cells[row] = c.type == FieldType::Text ? 0 : kNullCell;
}

void ColumnStore::copyCell(size_t row, size_t col, const ColumnStore& from, size_t fromRow, size_t fromCol) {
    if (columns_[col].type == FieldType::Text)
        setText(row, col, from.text(fromRow, fromCol));
    else
        columns_[col].cells[row] = from.columns_[fromCol].cells[fromRow];
}

ColumnStore ColumnStore::selectRows(const std::vector<uint32_t>& rows) const {
    ColumnStore out(fields_);
    out.reserve(rows.size());
    for (uint32_t r : rows) {
        const size_t n = out.appendRow();
        for (size_t c = 0; c < columns_.size(); ++c) out.copyCell(n, c, *this, r, c);
    }
    return out;
}

}  // namespace engine
