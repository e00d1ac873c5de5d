#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/sql_ast.h"
#include "engine/sql_expression.h"
#include "engine/sql_lexer.h"

namespace engine {

// One table (or row set) whose columns an expression may name.
struct BindSource {
    std::string_view alias;     // correlation name, empty when none
    std::string_view baseName;  // file name without folder and extension
    const std::vector<FieldDef>* fields = nullptr;
};

enum class AggregateFunc : uint8_t { CountAll, Count, Sum, Max, Min };

struct AggregateCall {
    AggregateFunc func = AggregateFunc::CountAll;
    int32_t arg = -1;  // bound argument; -1 for Count(*)
    DatumType type = DatumType::Number;
};

// Turns syntax-tree expressions into bound expressions: names become
// (source, field) positions, literals take the type of what they are
// compared with or assigned to, and types are checked. Throws BindError for
// unknown names and mismatched types, ValueError for a literal that cannot
// be what it must be (an impossible date).
class ExprBinder {
public:
    ExprBinder(const TokenList& tokens, const std::vector<AstExpr>& ast, std::vector<BoundExpr>& out)
        : tokens_(tokens), ast_(ast), out_(out) {}

    std::vector<BindSource> sources;
    // A client-side filter: a quoted value ending in * compared with = or <>
    // is a prefix match.
    bool filterMode = false;
    // Where aggregate calls are collected; null where none is allowed.
    std::vector<AggregateCall>* aggregates = nullptr;
    // In a grouped query, the (source, field) pairs a column outside an
    // aggregate must be one of.
    const std::vector<std::pair<uint32_t, uint32_t>>* groupColumns = nullptr;

    int32_t bind(int32_t ast);
    // An expression that must be a condition.
    int32_t bindCondition(int32_t ast);
    // A value to store into a field: texts are read as numbers and dates
    // for such fields.
    int32_t bindValueFor(int32_t ast, const FieldDef& field);

    // Resolves a column name; throws BindError naming it when unknown.
    std::pair<uint32_t, uint32_t> resolve(std::string_view qualifier, std::string_view name, uint32_t offset) const;
    // Bit i set when source i is read (aggregate arguments included).
    uint64_t sourceMask(int32_t bound) const;
    bool isConstant(int32_t bound) const { return sourceMask(bound) == 0 && !hasAggregate(bound); }
    bool hasAggregate(int32_t bound) const;

    [[noreturn]] void bindError(uint32_t offset, const std::string& message) const;

private:
    int32_t add(BoundExpr e);
    int32_t bindNode(int32_t ast);
    int32_t bindComparison(const AstExpr& node, CompareOp op);
    int32_t bindAggregate(const AstExpr& node);
    // Makes a text literal a number or a date.
    void convertConstant(int32_t bound, DatumType target, uint32_t offset);
    void requireType(int32_t bound, DatumType type, uint32_t offset, const char* what) const;

    const TokenList& tokens_;
    const std::vector<AstExpr>& ast_;
    std::vector<BoundExpr>& out_;
    bool insideAggregate_ = false;
};

}  // namespace engine
