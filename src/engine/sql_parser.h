#pragma once

#include <vector>

#include "engine/sql_ast.h"
#include "engine/sql_lexer.h"

namespace engine {

// Both throw SyntaxError naming the line, the column, what was expected and
// the token found. The tree refers into the tokens' text, which must outlive it.
AstStatement parseStatement(const TokenList& tokens);
// A lone condition, as a client-side filter is written; returns its root.
int32_t parseCondition(const TokenList& tokens, std::vector<AstExpr>& exprs);

}  // namespace engine
