#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/value.h"

namespace engine {

// The syntax tree of one statement. It knows no tables: names are slices of
// the statement text, resolved later by the binder. Expressions live in one
// flat array per statement and refer to each other by index, so a statement
// costs a handful of allocations however many terms it has.

enum class AstOp : uint8_t {
    Column,     // qualifier.name or name
    Number,     // literal; text = digits as written
    Text,       // literal; text = content without quotes
    Null,       // NULL
    Negate,     // -left
    Not,        // NOT left
    And, Or,    // left, right
    Add, Subtract, Multiply, Divide,
    Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual,
    IsNull,     // left IS [NOT] NULL (negated)
    Like,       // left [NOT] LIKE right (negated)
    Aggregate,  // name(left) or name(*) when left < 0
};

struct AstExpr {
    AstOp op = AstOp::Null;
    bool negated = false;
    int32_t left = -1;
    int32_t right = -1;
    uint32_t offset = 0;          // where it starts in the statement, for messages
    std::string_view qualifier;   // Column
    std::string_view text;        // Column name, literal, aggregate function name
};

struct AstTable {
    std::string_view path;   // as written between the quotes
    std::string_view alias;  // empty when none
    uint32_t offset = 0;
};

struct AstSelectItem {
    enum class Kind : uint8_t { Expr, Star } kind = Kind::Expr;
    int32_t expr = -1;
    std::string_view qualifier;  // T.* (Star)
    std::string_view alias;
};

struct AstJoin {
    bool left = false;  // LEFT JOIN, else an inner join
    AstTable table;
    int32_t on = -1;
};

struct AstOrderItem {
    int32_t expr = -1;
    bool descending = false;
};

struct AstSelect {
    bool distinct = false;
    std::vector<AstSelectItem> items;
    AstTable from;
    std::vector<AstJoin> joins;
    int32_t where = -1;
    std::vector<int32_t> groupBy;
    std::vector<AstOrderItem> orderBy;
};

struct AstColumnRef {
    std::string_view name;
    uint32_t offset = 0;
};

struct AstInsert {
    AstTable table;
    std::vector<AstColumnRef> columns;  // empty: every field in order
    std::vector<int32_t> values;        // VALUES (...)
    std::unique_ptr<AstSelect> select;  // or INSERT ... SELECT
};

struct AstAssignment {
    AstColumnRef column;
    int32_t value = -1;
};

struct AstUpdate {
    AstTable table;
    std::vector<AstAssignment> assignments;
    int32_t where = -1;
};

struct AstDelete {
    AstTable table;
    int32_t where = -1;
};

struct AstColumnDef {
    AstColumnRef name;
    FieldDef def;
};

struct AstCreateTable {
    AstTable table;
    std::vector<AstColumnDef> columns;
};

struct AstAlterTable {
    AstTable table;
    std::vector<AstColumnDef> add;
    std::vector<AstColumnRef> drop;
};

enum class StatementKind : uint8_t { Select, Insert, Update, Delete, CreateTable, AlterTable };

struct AstStatement {
    StatementKind kind = StatementKind::Select;
    std::vector<AstExpr> exprs;
    AstSelect select;
    AstInsert insert;
    AstUpdate update;
    AstDelete del;
    AstCreateTable create;
    AstAlterTable alter;
};

}  // namespace engine
