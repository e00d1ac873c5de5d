#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "engine/column_store.h"
#include "engine/database.h"

namespace engine {

struct StatementResult {
    bool isSelect = false;
    std::shared_ptr<ColumnStore> rows;  // the rows of a SELECT, in order
    size_t rowsAffected = 0;            // rows inserted, changed or deleted
};

// Runs one SQL statement over the tables of `db`. Throws SyntaxError,
// BindError, ValueError or TableError with a message for the user. A
// statement that fails writes nothing: every value is checked against its
// field before the first write.
StatementResult executeStatement(Database& db, std::string_view text);

}  // namespace engine
