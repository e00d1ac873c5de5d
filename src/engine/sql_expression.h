#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/column_store.h"
#include "engine/value.h"

namespace engine {

// Bound expressions: every name is already a (source, field) position and
// every literal already has the type it is compared with, so evaluating one
// looks nothing up and allocates nothing.

enum class DatumType : uint8_t { Null, Text, Number, Date, Logical };

// One value during evaluation. A text is a view into a table's rows or into
// the statement text; a number holds ten-thousandths, a date its day number.
struct Datum {
    DatumType type = DatumType::Null;
    int64_t i = 0;
    std::string_view s;

    bool isNull() const { return type == DatumType::Null; }
    static Datum text(std::string_view v) { return Datum{DatumType::Text, 0, v}; }
    static Datum number(int64_t units) { return Datum{DatumType::Number, units, {}}; }
    static Datum logical(bool b) { return Datum{DatumType::Logical, b ? 1 : 0, {}}; }
};

enum class ExprOp : uint8_t {
    Column, Constant, Negate, Not, And, Or, Add, Subtract, Multiply, Divide,
    Compare,    // a cmp b
    IsNull,     // a IS NULL (negated: IS NOT NULL); a blank text is NULL
    Like,       // a LIKE b (negated: NOT LIKE)
    Prefix,     // a begins with b (a filter's 'text*'); negated for <>
    Aggregate,  // the value of aggregate `slot` of the current group
};

enum class CompareOp : uint8_t { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

struct BoundExpr {
    ExprOp op = ExprOp::Constant;
    CompareOp cmp = CompareOp::Equal;
    bool negated = false;
    DatumType type = DatumType::Null;  // of the result
    int16_t width = 0;                 // of the result, as a field would declare it
    int16_t decimals = 0;
    int32_t a = -1, b = -1;
    uint32_t source = 0, field = 0;  // Column
    uint32_t slot = 0;               // Aggregate
    Datum constant;                  // Constant
};

constexpr uint32_t kNoRow = UINT32_MAX;  // the NULL side of an outer join

// Where the columns of the current row come from: the rows of each source, the
// row of each source (kNoRow: all NULL), and the aggregates of the group.
struct EvalRow {
    const ColumnStore* const* stores = nullptr;
    const uint32_t* rows = nullptr;
    const Datum* aggregates = nullptr;
};

Datum evaluate(const std::vector<BoundExpr>& exprs, int32_t index, const EvalRow& row);
inline bool holds(const std::vector<BoundExpr>& exprs, int32_t index, const EvalRow& row) {
    const Datum d = evaluate(exprs, index, row);
    return d.type == DatumType::Logical && d.i != 0;
}

// The cell of a column store as a datum (a NULL number or date is Null, a
// text is always a text, blank or not).
Datum cellDatum(const ColumnStore& store, size_t row, size_t col);

// The same for a column read in a loop.
[[gnu::always_inline]] inline Datum cellDatum(const ColumnStore::ColumnReader& column, size_t row) {
    switch (column.type()) {
    case FieldType::Text: return Datum::text(column.text(row));
    case FieldType::Number: return column.isNull(row) ? Datum() : Datum::number(column.whole(row));
    case FieldType::Date: return column.isNull(row) ? Datum() : Datum{DatumType::Date, column.whole(row), {}};
    case FieldType::Logical: return column.isNull(row) ? Datum() : Datum::logical(column.whole(row) != 0);
    }
    return Datum();
}

// An expression read at many rows: a plain column through a reader of its
// column, found once; anything else evaluated. Made for no expression (-1,
// the argument of COUNT(*)) it is never read.
class RowReader {
public:
    RowReader(const std::vector<BoundExpr>& exprs, int32_t index, const ColumnStore* const* stores)
        : exprs_(&exprs), index_(index) {
        if (index < 0 || exprs[size_t(index)].op != ExprOp::Column) return;
        const BoundExpr& e = exprs[size_t(index)];
        column_ = true;
        source_ = e.source;
        cells_ = stores[e.source]->reader(e.field);
    }
    Datum operator()(const EvalRow& row) const {
        if (!column_) return evaluate(*exprs_, index_, row);
        const uint32_t r = row.rows[source_];
        return r == kNoRow ? Datum() : cellDatum(cells_, r);
    }

private:
    const std::vector<BoundExpr>* exprs_;
    int32_t index_;
    bool column_ = false;
    uint32_t source_ = 0;
    ColumnStore::ColumnReader cells_;
};

// Equality under the rules of `=`: NULL equals nothing; texts exactly,
// ignoring trailing blanks.
bool datumEquals(const Datum& a, const Datum& b);
// Order: texts alphabetically (Romanian), numbers and dates by value; NULL
// before everything. Both of the same type or NULL.
int datumCompare(const Datum& a, const Datum& b);
uint64_t datumHash(const Datum& d);

DatumType datumTypeOf(FieldType t);
Value datumToValue(const Datum& d);
const char* datumTypeName(DatumType t);

}  // namespace engine
