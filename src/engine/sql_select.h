#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/column_store.h"
#include "engine/database.h"
#include "engine/sql_ast.h"
#include "engine/sql_binder.h"
#include "engine/sql_expression.h"
#include "engine/sql_lexer.h"

namespace engine {

// A table a statement reads or writes, with the rows as they were when the
// statement started.
struct TableSource {
    std::shared_ptr<Table> table;
    std::shared_ptr<const ColumnStore> rows;
    std::string baseName;  // file name without folder and extension
    std::string_view alias;
};

TableSource openSource(Database& db, const AstTable& ref);
BindSource bindSourceOf(const TableSource& source);

// The fields of one source that the bound expressions read.
std::vector<size_t> fieldsRead(const std::vector<BoundExpr>& exprs, uint32_t source);

// The terms of a condition joined by AND, in order.
std::vector<int32_t> conjunctsOf(const std::vector<BoundExpr>& exprs, int32_t root);

// The live records of one source that satisfy every condition (each reading
// only that source), in record order. An equality of a field with a value
// goes through the table's hash index instead of a scan.
std::vector<uint32_t> scanRecords(const TableSource& source, uint32_t sourceIndex, size_t sourceCount,
                                  const std::vector<BoundExpr>& exprs, const std::vector<int32_t>& conditions,
                                  const ColumnStore* const* stores);

// Runs a SELECT and returns its rows in their final order.
std::shared_ptr<ColumnStore> runSelect(Database& db, const TokenList& tokens, const std::vector<AstExpr>& ast,
                                       const AstSelect& select);

}  // namespace engine
