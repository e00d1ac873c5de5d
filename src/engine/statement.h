#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/column_store.h"
#include "engine/database.h"

namespace engine {

struct StatementResult {
    bool isSelect = false;
    std::shared_ptr<ColumnStore> rows;  // the rows of a SELECT, in order
    size_t rowsAffected = 0;            // rows inserted, changed or deleted
};

// The tables a statement names, as written, for a caller that locks or
// checks them before running it. Throws SyntaxError.
struct StatementTables {
    bool writes = false;
    std::string written;            // the table it changes or makes
    std::vector<std::string> read;  // the tables it reads, in order
};
StatementTables statementTables(std::string_view text);

// Runs one SQL statement over the tables of `db`. A statement that writes
// holds the writers' lock of its table's folder (folder_lock.h) from before
// it reads to its end. Throws SyntaxError,
// BindError, ValueError or TableError with a message for the user. A
// statement that fails writes nothing: every value is checked against its
// field before the first write.
StatementResult executeStatement(Database& db, std::string_view text);

}  // namespace engine
