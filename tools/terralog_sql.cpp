// Runs one SQL statement, read from standard input, over the dBase tables it
// names. A SELECT prints a header line of column names and one line per row,
// the fields separated by tabs; any other statement prints the number of rows
// it changed. Errors go to standard error with exit status 1.
#include <iostream>
#include <iterator>
#include <string>

#include "engine/errors.h"
#include "engine/statement.h"

namespace {

void printRows(const engine::ColumnStore& rows) {
    std::string line;
    for (size_t c = 0; c < rows.columnCount(); ++c) {
        if (c > 0) line += '\t';
        line += rows.fields()[c].name;
    }
    std::cout << line << '\n';
    for (size_t r = 0; r < rows.rowCount(); ++r) {
        line.clear();
        for (size_t c = 0; c < rows.columnCount(); ++c) {
            if (c > 0) line += '\t';
            line += rows.value(r, c).toString();
        }
        std::cout << line << '\n';
    }
}

}  // namespace

int main() {
    std::ios::sync_with_stdio(false);
    const std::string statement((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    try {
        const engine::StatementResult result = engine::executeStatement(engine::Database::global(), statement);
        if (result.isSelect)
            printRows(*result.rows);
        else
            std::cout << result.rowsAffected << '\n';
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cout.flush();
    return 0;
}
