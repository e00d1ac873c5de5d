#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/value.h"

namespace engine {

// Rows of typed cells, held column by column. Tables keep their decoded records
// in one and query results are built into one, so a large register costs a few
// bytes per cell instead of a Value each.
//
// Text cells are never NULL: a blank text is the empty text (which IS NULL
// accepts, see the expression rules). Number, date and logical cells are NULL
// when blank.
class ColumnStore {
public:
    ColumnStore() = default;
    explicit ColumnStore(std::vector<FieldDef> fields);

    const std::vector<FieldDef>& fields() const { return fields_; }
    size_t columnCount() const { return fields_.size(); }
    size_t rowCount() const { return rows_; }
    // Case-insensitive; -1 when absent.
    int findField(std::string_view name) const;

    void reserve(size_t rows);
    // Appends a row of NULL cells and returns its index.
    size_t appendRow();
    // Appends `count` rows of NULL cells at once.
    void appendRows(size_t count);

    bool isNull(size_t row, size_t col) const;
    std::string_view text(size_t row, size_t col) const;
    Decimal number(size_t row, size_t col) const;  // 0 when NULL
    Date date(size_t row, size_t col) const;       // day 0 when NULL
    bool logical(size_t row, size_t col) const;    // false when NULL
    Value value(size_t row, size_t col) const;

    // The value must be NULL or of the column's type (a number column takes a
    // Number); anything else throws ValueError. Texts are stored without their
    // trailing blanks.
    void set(size_t row, size_t col, const Value& v);
    void setText(size_t row, size_t col, std::string_view s);
    void setNumber(size_t row, size_t col, Decimal d);
    void setDate(size_t row, size_t col, Date d);
    void setNull(size_t row, size_t col);
    // Copies one cell from another store whose column has the same type.
    void copyCell(size_t row, size_t col, const ColumnStore& from, size_t fromRow, size_t fromCol);

    // A new store holding the given rows, in the given order.
    ColumnStore selectRows(const std::vector<uint32_t>& rows) const;

private:
    struct Column {
        FieldType type = FieldType::Text;
        std::vector<int64_t> cells;  // numbers: units; dates: day number; logicals: 0/1; texts: packed offset/length
        std::string arena;           // text bytes of a text column
    };
    static constexpr int64_t kNullCell = INT64_MIN;

    std::vector<FieldDef> fields_;
    std::vector<Column> columns_;
    size_t rows_ = 0;
};

}  // namespace engine
