#pragma once

#include <string_view>
#include <vector>

#include "engine/database.h"
#include "engine/integrity.h"

namespace engine {

// The damaged tables among the existing files a statement names (those it
// reads and the one it writes), judged by their headers and sizes before it
// runs, each once. Empty when they are sound, or when the statement does not
// parse (running it then says why). Cells are judged as the statement reads
// them: a table is read whole before any write to it.
std::vector<TableCondition> damagedTablesOf(Database& db, std::string_view statement);

}  // namespace engine
