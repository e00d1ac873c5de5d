#include "engine/filter.h"

#include <string>

#include "engine/sql_binder.h"
#include "engine/sql_parser.h"

namespace engine {
namespace {

// A filter is a condition of the statement language bound to the dataset's
// fields; it keeps its own copy of the text its literals point into.
class CompiledFilter : public RowFilter {
public:
    CompiledFilter(std::string_view text, const std::vector<FieldDef>& fields) : text_(text), fields_(fields) {
        const TokenList tokens(text_);
        std::vector<AstExpr> ast;
        const int32_t root = parseCondition(tokens, ast);
        ExprBinder binder(tokens, ast, exprs_);
        binder.filterMode = true;
        binder.sources.push_back(BindSource{{}, {}, &fields_});
        root_ = binder.bindCondition(root);
    }

    bool matches(const ColumnStore& rows, size_t row) const override {
        const ColumnStore* stores[] = {&rows};
        const uint32_t r = uint32_t(row);
        return holds(exprs_, root_, EvalRow{stores, &r, nullptr});
    }

private:
    std::string text_;
    std::vector<FieldDef> fields_;
    std::vector<BoundExpr> exprs_;
    int32_t root_ = -1;
};

}  // namespace

std::unique_ptr<RowFilter> compileFilter(std::string_view text, const std::vector<FieldDef>& fields) {
    return std::make_unique<CompiledFilter>(text, fields);
}

}  // namespace engine
