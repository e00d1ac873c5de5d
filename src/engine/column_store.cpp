#include "engine/column_store.h"

#include <algorithm>
#include <functional>
#include <map>

#include "engine/errors.h"
#include "engine/os.h"
#include "engine/text.h"

namespace engine {
namespace {

constexpr uint64_t kMaxTextLength = 0xFFFFFF;
constexpr int64_t packText(uint64_t offset, uint64_t length) { return int64_t((offset << 24) | length); }
constexpr uint64_t textOffset(int64_t cell) { return uint64_t(cell) >> 24; }
constexpr uint64_t textLength(int64_t cell) { return uint64_t(cell) & kMaxTextLength; }

}  // namespace

// ---- Column --------------------------------------------------------------------

void ColumnStore::Column::resize(size_t rows) {
    cells_.reserve(rows);
    // The pages of a large column in one call, not one fault each.
    const size_t bytes = cells_.capacity() * sizeof(int64_t);
    if (bytes >= BulkAllocator<int64_t>::kBulkBytes) os::prefault(cells_.data(), (bytes + 4095) & ~size_t(4095));
    cells_.resize(rows, nullCell(type_));
}

void ColumnStore::Column::setTrimmedText(size_t row, std::string_view s) {
    if (s.empty()) {
        cells_[row] = 0;
        return;
    }
    if (s.size() > kMaxTextLength) throw ValueError("A text of " + std::to_string(s.size()) + " bytes is too long");
    const uint64_t offset = arena_.size();
    arena_.append(s.data(), s.size());
    cells_[row] = packText(offset, s.size());
}

void ColumnStore::Column::setRepeatedText(size_t row, std::string_view s) {
    constexpr size_t kRecent = 1024;
    if (s.empty()) {
        cells_[row] = 0;
        return;
    }
    if (!recent_) recent_ = std::make_unique<int64_t[]>(kRecent);
    int64_t& seen = recent_[std::hash<std::string_view>()(s) & (kRecent - 1)];
    if (seen != 0 && textLength(seen) == s.size() && arena_.compare(textOffset(seen), s.size(), s.data(), s.size()) == 0) {
        cells_[row] = seen;
        return;
    }
    setTrimmedText(row, s);
    seen = cells_[row];
}

// ---- ColumnStore -----------------------------------------------------------------

ColumnStore::ColumnStore(std::vector<FieldDef> fields) : fields_(std::move(fields)), columns_(fields_.size()) {}

ColumnStore::ColumnStore(std::vector<FieldDef> fields, size_t rows, std::shared_ptr<ColumnDecoder> decoder)
    : fields_(std::move(fields)), columns_(fields_.size()), rows_(rows) {
    for (size_t i = 0; i < fields_.size(); ++i) {
        auto c = std::make_shared<Column>(fields_[i].type);
        c->decoder_ = decoder;
        c->sourceField_ = i;
        c->pendingRows_ = rows;
        columns_[i].cells = std::move(c);
    }
}

int ColumnStore::findField(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (equalsIgnoreCase(fields_[i].name, name)) return int(i);
    return -1;
}

void ColumnStore::load(const std::vector<size_t>& columns) const {
    // Per decoder, its columns still to decode, each once.
    std::vector<std::pair<std::shared_ptr<ColumnDecoder>, std::vector<Column*>>> groups;
    for (size_t col : columns) {
        Column* c = columns_[col].cells.get();
        if (!c || !c->decoder_) continue;
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == c->decoder_; });
        if (group == groups.end()) {
            groups.emplace_back(c->decoder_, std::vector<Column*>());
            group = groups.end() - 1;
        }
        if (std::find(group->second.begin(), group->second.end(), c) == group->second.end()) group->second.push_back(c);
    }
    for (auto& [decoder, cols] : groups) {
        try {
            decoder->decode(cols);
        } catch (...) {
            for (Column* c : cols) {
                c->cells_.clear();
                c->arena_.clear();
            }
            throw;
        }
        for (Column* c : cols) {
            c->decoder_.reset();
            c->recent_.reset();
            c->pendingRows_ = 0;
        }
    }
}

void ColumnStore::loadColumn(size_t col) const { load({col}); }

ColumnStore::ColumnReader ColumnStore::reader(size_t col) const {
    ColumnReader r;
    r.type_ = fields_[col].type;
    const Slot& s = columns_[col];
    const Column* c = s.cells.get();
    if (!c) return r;
    if (c->decoder_) loadColumn(col);
    r.cells_ = c->cells_.data();
    r.rows_ = s.rows ? s.rows->data() : nullptr;
    r.arena_ = c->arena_.data();
    return r;
}

void ColumnStore::loadAll() const {
    std::vector<size_t> all(columns_.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    load(all);
}

bool ColumnStore::isLoaded(size_t col) const {
    const Column* c = columns_[col].cells.get();
    return !c || !c->decoder_;
}

bool ColumnStore::isShared(size_t col) const {
    return columns_[col].cells && columns_[col].cells.use_count() > 1;
}

void ColumnStore::prefetch(size_t row, bool texts) const {
    if (row >= rows_) return;
    for (const Slot& s : columns_) {
        const Column* c = s.cells.get();
        if (!c || c->decoder_) continue;
        size_t r = row;
        if (s.rows) {
            r = (*s.rows)[row];
            if (r == kNoCell) continue;
        }
        const int64_t* cell = c->cells_.data() + r;
        if (!texts)
            __builtin_prefetch(cell);
        else if (c->type_ == FieldType::Text && textLength(*cell) > 0)
            __builtin_prefetch(c->arena_.data() + textOffset(*cell));
    }
}

ColumnStore::Column& ColumnStore::own(size_t col) {
    Slot& s = columns_[col];
    if (!s.cells) {
        s.cells = std::make_shared<Column>(fields_[col].type);
        s.cells->resize(rows_);
        return *s.cells;
    }
    if (s.cells->decoder_) load({col});
    if (!s.rows && s.cells.use_count() == 1) return *s.cells;
    const Column& from = *s.cells;
    auto mine = std::make_shared<Column>(from.type_);
    if (!s.rows) {
        mine->cells_ = from.cells_;
        mine->arena_ = from.arena_;
    } else {
        mine->resize(rows_);
        for (size_t row = 0; row < rows_; ++row) {
            const uint32_t r = (*s.rows)[row];
            if (r == kNoCell) continue;
            const int64_t cell = from.cells_[r];
            if (from.type_ == FieldType::Text)
                mine->setTrimmedText(row, std::string_view(from.arena_.data(), from.arena_.size()).substr(textOffset(cell), textLength(cell)));
            else
                mine->cells_[row] = cell;
        }
    }
    s.cells = std::move(mine);
    s.rows.reset();
    return *s.cells;
}

void ColumnStore::grow(size_t col, size_t count) {
    Slot& s = columns_[col];
    if (!s.cells) return;
    if (s.cells->decoder_ && !s.rows && s.cells.use_count() == 1) {
        s.cells->pendingRows_ += count;
        return;
    }
    Column& c = own(col);
    c.cells_.resize(c.cells_.size() + count, nullCell(c.type_));
}

void ColumnStore::reserve(size_t rows) {
    for (Slot& s : columns_)
        if (s.cells && !s.cells->decoder_ && !s.rows && s.cells.use_count() == 1) s.cells->cells_.reserve(rows);
}

size_t ColumnStore::appendRow() {
    for (size_t c = 0; c < columns_.size(); ++c) grow(c, 1);
    return rows_++;
}

void ColumnStore::appendRows(size_t count) {
    for (size_t c = 0; c < columns_.size(); ++c) grow(c, count);
    rows_ += count;
}

Date ColumnStore::date(size_t row, size_t col) const {
    const int64_t cell = at(row, col).cell;
    return cell == kNullCell ? Date() : Date::fromDayNumber(int32_t(cell));
}

bool ColumnStore::logical(size_t row, size_t col) const {
    const int64_t cell = at(row, col).cell;
    return cell != kNullCell && cell != 0;
}

Value ColumnStore::value(size_t row, size_t col) const {
    const FieldType type = fields_[col].type;
    if (type == FieldType::Text) return Value::text(std::string(text(row, col)));
    const int64_t cell = at(row, col).cell;
    if (cell == kNullCell) return Value::null();
    switch (type) {
    case FieldType::Number: return Value::number(Decimal::fromUnits(cell));
    case FieldType::Date: return Value::date(Date::fromDayNumber(int32_t(cell)));
    case FieldType::Logical: return Value::logical(cell != 0);
    case FieldType::Text: break;
    }
    return Value::null();
}

void ColumnStore::set(size_t row, size_t col, const Value& v) {
    if (v.isNull()) return setNull(row, col);
    const FieldType t = fields_[col].type;
    if (t == FieldType::Text && v.type() == ValueType::Text) return setText(row, col, v.asText());
    if (t == FieldType::Number && v.type() == ValueType::Number) return setNumber(row, col, v.asNumber());
    if (t == FieldType::Date && v.type() == ValueType::Date) return setDate(row, col, v.asDate());
    if (t == FieldType::Logical && v.type() == ValueType::Logical) return own(col).setLogical(row, v.asLogical());
    throw ValueError("Type mismatch for field " + fields_[col].name);
}

void ColumnStore::setText(size_t row, size_t col, std::string_view s) {
    s = trimRight(s);
    if (s.size() > kMaxTextLength) throw ValueError("Text prea lung pentru campul " + fields_[col].name);
    // Never over the old text's bytes: other cells may share them.
    own(col).setTrimmedText(row, s);
}

void ColumnStore::setNumber(size_t row, size_t col, Decimal d) { own(col).setNumber(row, d); }

void ColumnStore::setDate(size_t row, size_t col, Date d) { own(col).setDate(row, d); }

void ColumnStore::setNull(size_t row, size_t col) {
    Column& c = own(col);
    c.cells_[row] = nullCell(c.type_);
}

void ColumnStore::refer(size_t col, const ColumnStore& from, size_t fromCol,
                        const std::shared_ptr<const std::vector<uint32_t>>& rows) {
    if (fields_[col].type != from.fields_[fromCol].type)
        throw ValueError("Type mismatch for field " + fields_[col].name);
    if (rows->size() != rows_) throw ValueError("The rows given do not match the rows of the store");
    const Slot& src = from.columns_[fromCol];
    Slot s;
    if (!src.cells) {
        columns_[col] = Slot();
        return;
    }
    s.cells = src.cells;
    if (!src.rows) {
        s.rows = rows;
    } else {
        auto composed = std::make_shared<std::vector<uint32_t>>(rows->size());
        for (size_t i = 0; i < rows->size(); ++i) {
            const uint32_t r = (*rows)[i];
            (*composed)[i] = r == kNoCell ? kNoCell : (*src.rows)[r];
        }
        s.rows = std::move(composed);
    }
    columns_[col] = std::move(s);
}

ColumnStore ColumnStore::selectRows(const std::vector<uint32_t>& rows) const {
    ColumnStore out(fields_);
    out.rows_ = rows.size();
    const auto picked = std::make_shared<const std::vector<uint32_t>>(rows);
    // Columns that show the same rows of their cells keep sharing one list.
    std::map<const std::vector<uint32_t>*, std::shared_ptr<const std::vector<uint32_t>>> composed;
    for (size_t c = 0; c < columns_.size(); ++c) {
        const Slot& s = columns_[c];
        if (!s.cells) continue;
        Slot& o = out.columns_[c];
        o.cells = s.cells;
        if (!s.rows) {
            o.rows = picked;
            continue;
        }
        auto& list = composed[s.rows.get()];
        if (!list) {
            auto mine = std::make_shared<std::vector<uint32_t>>(rows.size());
            for (size_t i = 0; i < rows.size(); ++i) (*mine)[i] = (*s.rows)[rows[i]];
            list = std::move(mine);
        }
        o.rows = list;
    }
    return out;
}

}  // namespace engine
