// Runs one SQL statement, read from standard input, over the dBase tables it
// names. A SELECT prints a header line of column names and one line per row,
// the fields separated by tabs; any other statement prints the number of rows
// it changed. Errors go to standard error with exit status 1, as does the
// damage of a table the statement names, which keeps it from running.
//
// A statement that writes holds its folder as Terralog does (and is refused
// while Terralog or another writer has it); a SELECT reads every table at
// one moment, under the folders' writers' locks, shared.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <charconv>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/integrity.h"
#include "engine/statement.h"
#include "front.h"

namespace {

// A number in its shortest form, as Decimal::toString writes it.
void appendNumber(std::string& line, engine::Decimal d) {
    const int64_t units = d.units();
    const uint64_t magnitude = units < 0 ? 0 - uint64_t(units) : uint64_t(units);
    const uint64_t whole = magnitude / uint64_t(engine::Decimal::kOne);
    uint64_t fraction = magnitude % uint64_t(engine::Decimal::kOne);
    if (units < 0) line += '-';
    char digits[24];
    line.append(digits, std::to_chars(digits, digits + sizeof digits, whole).ptr);
    if (fraction == 0) return;
    int decimals = engine::Decimal::kScale;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    line += '.';
    for (int i = decimals - 1; i >= 0; --i, fraction /= 10) digits[i] = char('0' + fraction % 10);
    line.append(digits, size_t(decimals));
}

void appendCell(std::string& line, const engine::ColumnStore& rows, size_t r, size_t c) {
    switch (rows.fields()[c].type) {
    case engine::FieldType::Text: line += rows.text(r, c); return;
    case engine::FieldType::Number:
        if (!rows.isNull(r, c)) appendNumber(line, rows.number(r, c));
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
    constexpr size_t kCellsAhead = 16, kTextsAhead = 8;
    for (size_t r = 0; r < rows.rowCount(); ++r) {
        rows.prefetch(r + kCellsAhead, false);
        rows.prefetch(r + kTextsAhead, true);
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

const char* const kUsage =
    "Folosire: terralog-sql < FISIER\n"
    "  executa instructiunea SQL citita de la intrarea standard asupra tabelelor dBase pe care le numeste;\n"
    "  un SELECT scrie o linie cu numele coloanelor si cate o linie pe rand, campurile separate prin tab;\n"
    "  celelalte instructiuni scriu numarul de randuri schimbate.\n"
    "  O instructiune care scrie asteapta cel mult 30 de secunde cat timp Terralog sau alt program\n"
    "  foloseste datele, apoi renunta fara sa scrie nimic.\n"
    "  Un tabel deteriorat nu este citit: programul spune ce are tabelul si iese cu codul 1.\n"
    "Codul de iesire: 0 reusit, 1 esuat, 2 folosire gresita.\n";

// Says what is wrong with each damaged table among those the statement
// reads (the one it writes among them), judged by header and size; false
// when they are sound. Read as it is, such a table would give a partial
// answer, and written it would lose the records its header does not count.
// A cell that does not read stops the statement when it is read.
bool saidDamage(engine::Database& db, const std::vector<std::string>& tables) {
    std::vector<std::string> seen;
    bool damaged = false;
    for (const std::string& table : tables) {
        if (!db.exists(table)) continue;
        const std::string resolved = db.resolve(table);
        if (std::find(seen.begin(), seen.end(), resolved) != seen.end()) continue;
        seen.push_back(resolved);
        for (const std::string& problem : db.examineTable(resolved, false).problems()) {
            front::say(problem);
            damaged = true;
        }
    }
    return damaged;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Statements and rows pass as they are: no CR LF translation.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    front::begin("terralog-sql");
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return front::kDone;
    }
    if (argc > 1) return front::usage("optiune necunoscuta: " + std::string(argv[1]), kUsage);
    const std::string statement((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    try {
        engine::Database& db = engine::Database::global();
        const engine::StatementTables tables = engine::statementTables(statement);
        std::vector<engine::FolderLock> holds;
        if (tables.writes) {
            holds.push_back(front::holdForWriting(db.folderOf(tables.written)));
        } else {
            std::vector<std::string> folders;
            for (const std::string& table : tables.read) {
                const std::string folder = db.folderOf(table);
                if (std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
                folders.push_back(folder);
                holds.push_back(front::holdForReading(folder));
            }
        }
        if (saidDamage(db, tables.read)) return front::kFailed;
        const engine::StatementResult result = engine::executeStatement(db, statement);
        if (result.isSelect)
            printRows(*result.rows);
        else
            std::cout << result.rowsAffected << '\n';
    } catch (const std::exception& e) {
        std::cout.flush();
        return front::fail(e.what());
    }
    std::cout.flush();
    return front::kDone;
}
