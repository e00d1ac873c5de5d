#include "engine/sql_expression.h"

#include "engine/errors.h"
#include "engine/text.h"

namespace engine {
namespace {

bool compareHolds(CompareOp op, int c) {
    switch (op) {
    case CompareOp::Equal: return c == 0;
    case CompareOp::NotEqual: return c != 0;
    case CompareOp::Less: return c < 0;
    case CompareOp::Greater: return c > 0;
    case CompareOp::LessEqual: return c <= 0;
    case CompareOp::GreaterEqual: return c >= 0;
    }
    return false;
}

bool isBlankOrNull(const Datum& d) { return d.isNull() || (d.type == DatumType::Text && trimRight(d.s).empty()); }

Datum arithmetic(ExprOp op, const Datum& x, const Datum& y) {
    if (x.isNull() || y.isNull()) return Datum();
    const Decimal a = Decimal::fromUnits(x.i), b = Decimal::fromUnits(y.i);
    switch (op) {
    case ExprOp::Add: return Datum::number((a + b).units());
    case ExprOp::Subtract: return Datum::number((a - b).units());
    case ExprOp::Multiply: return Datum::number((a * b).units());
    case ExprOp::Divide:
        if (b.units() == 0) throw ValueError("Division by zero");
        return Datum::number((a / b).units());
    default: return Datum();
    }
}

}  // namespace

Datum cellDatum(const ColumnStore& store, size_t row, size_t col) {
    const FieldType t = store.fields()[col].type;
    if (t == FieldType::Text) return Datum::text(store.text(row, col));
    if (store.isNull(row, col)) return Datum();
    switch (t) {
    case FieldType::Number: return Datum::number(store.number(row, col).units());
    case FieldType::Date: return Datum{DatumType::Date, store.date(row, col).dayNumber(), {}};
    case FieldType::Logical: return Datum::logical(store.logical(row, col));
    case FieldType::Text: break;
    }
    return Datum();
}

Datum evaluate(const std::vector<BoundExpr>& exprs, int32_t index, const EvalRow& row) {
    const BoundExpr& e = exprs[size_t(index)];
    switch (e.op) {
    case ExprOp::Column: {
        const uint32_t r = row.rows[e.source];
        if (r == kNoRow) return Datum();
        return cellDatum(*row.stores[e.source], r, e.field);
    }
    case ExprOp::Constant: return e.constant;
    case ExprOp::Negate: {
        const Datum v = evaluate(exprs, e.a, row);
        if (v.isNull()) return v;
        return Datum::number((-Decimal::fromUnits(v.i)).units());
    }
    case ExprOp::Not: return Datum::logical(!holds(exprs, e.a, row));
    case ExprOp::And: return Datum::logical(holds(exprs, e.a, row) && holds(exprs, e.b, row));
    case ExprOp::Or: return Datum::logical(holds(exprs, e.a, row) || holds(exprs, e.b, row));
    case ExprOp::Add:
    case ExprOp::Subtract:
    case ExprOp::Multiply:
    case ExprOp::Divide: return arithmetic(e.op, evaluate(exprs, e.a, row), evaluate(exprs, e.b, row));
    case ExprOp::Compare: {
        const Datum x = evaluate(exprs, e.a, row);
        if (x.isNull()) return Datum::logical(false);
        const Datum y = evaluate(exprs, e.b, row);
        if (y.isNull()) return Datum::logical(false);
        if (e.cmp == CompareOp::Equal) return Datum::logical(datumEquals(x, y));
        if (e.cmp == CompareOp::NotEqual) return Datum::logical(!datumEquals(x, y));
        return Datum::logical(compareHolds(e.cmp, datumCompare(x, y)));
    }
    case ExprOp::IsNull: return Datum::logical(isBlankOrNull(evaluate(exprs, e.a, row)) != e.negated);
    case ExprOp::Like: {
        const Datum x = evaluate(exprs, e.a, row);
        const Datum y = evaluate(exprs, e.b, row);
        if (x.isNull() || y.isNull()) return Datum::logical(false);
        return Datum::logical(likeMatch(x.s, y.s) != e.negated);
    }
    case ExprOp::Prefix: {
        const Datum x = evaluate(exprs, e.a, row);
        if (x.isNull()) return Datum::logical(false);
        const Datum y = evaluate(exprs, e.b, row);
        const bool starts = x.s.substr(0, y.s.size()) == y.s;
        return Datum::logical(starts != e.negated);
    }
    case ExprOp::Aggregate: return row.aggregates[e.slot];
    }
    return Datum();
}

bool datumEquals(const Datum& a, const Datum& b) {
    if (a.isNull() || b.isNull()) return false;
    if (a.type == DatumType::Text) return trimRight(a.s) == trimRight(b.s);
    return a.i == b.i;
}

int datumCompare(const Datum& a, const Datum& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (a.type == DatumType::Text) return compareText(trimRight(a.s), trimRight(b.s));
    return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
}

uint64_t datumHash(const Datum& d) {
    if (d.isNull()) return 0x9E3779B97F4A7C15ull;
    if (d.type == DatumType::Text) {
        const std::string_view s = trimRight(d.s);
        uint64_t h = 0xCBF29CE484222325ull;
        for (unsigned char c : s) h = (h ^ c) * 0x100000001B3ull;
        return h;
    }
    uint64_t x = uint64_t(d.i) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

DatumType datumTypeOf(FieldType t) {
    switch (t) {
    case FieldType::Text: return DatumType::Text;
    case FieldType::Number: return DatumType::Number;
    case FieldType::Date: return DatumType::Date;
    case FieldType::Logical: return DatumType::Logical;
    }
    return DatumType::Null;
}

Value datumToValue(const Datum& d) {
    switch (d.type) {
    case DatumType::Null: return Value::null();
    case DatumType::Text: return Value::text(std::string(trimRight(d.s)));
    case DatumType::Number: return Value::number(Decimal::fromUnits(d.i));
    case DatumType::Date: return Value::date(Date::fromDayNumber(int32_t(d.i)));
    case DatumType::Logical: return Value::logical(d.i != 0);
    }
    return Value::null();
}

const char* datumTypeName(DatumType t) {
    switch (t) {
    case DatumType::Null: return "NULL";
    case DatumType::Text: return "text";
    case DatumType::Number: return "number";
    case DatumType::Date: return "date";
    case DatumType::Logical: return "logical";
    }
    return "?";
}

}  // namespace engine
