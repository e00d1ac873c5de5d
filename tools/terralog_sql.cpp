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

void appendCell(std::string& line, const engine::ColumnStore& rows, size_t r, size_t c) {
    switch (rows.fields()[c].type) {
    case engine::FieldType::Text: line += rows.text(r, c); return;
    case engine::FieldType::Number:
        if (!rows.isNull(r, c)) line += rows.number(r, c).toString();
        return;
    default: line += rows.value(r, c).toString(); return;
    }
}

void printRows(const engine::ColumnStore& rows) {
    constexpr size_t kFlushAt = 1 << 20;
    rows.loadAll();
    std::string out;
    for (size_t c = 0; c < rows.columnCount(); ++c) {
        if (c > 0) out += '\t';
        out += rows.fields()[c].name;
    }
    out += '\n';
    for (size_t r = 0; r < rows.rowCount(); ++r) {
        for (size_t c = 0; c < rows.columnCount(); ++c) {
            if (c > 0) out += '\t';
            appendCell(out, rows, r, c);
        }
        out += '\n';
        if (out.size() >= kFlushAt) {
            std::cout.write(out.data(), std::streamsize(out.size()));
            out.clear();
        }
    }
    std::cout.write(out.data(), std::streamsize(out.size()));
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
