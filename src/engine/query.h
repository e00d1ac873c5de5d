#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/dataset.h"

namespace engine {

// A statement held as lines of text, as the forms compose it: some lines are
// slots that later steps overwrite by position. The engine receives the lines
// joined by "\n". Changing the text closes the query.
class Query : public Dataset {
public:
    explicit Query(Database& db = Database::global());

    const std::vector<std::string>& lines() const { return lines_; }
    void clear();
    void add(std::string line);
    // Throws Error when there is no line `index`.
    void setLine(int index, std::string text);
    std::string text() const;

    // Runs the SELECT and shows its rows; an open query is run again. Throws
    // Error for a statement that is not a SELECT, without running it.
    void open();
    // Runs any statement; a SELECT's rows are discarded.
    void execSQL();
    // Rows inserted, changed or deleted by the last execSQL.
    size_t rowsAffected() const { return rowsAffected_; }

private:
    void textChanged();

    Database& db_;
    std::vector<std::string> lines_;
    size_t rowsAffected_ = 0;
};

}  // namespace engine
