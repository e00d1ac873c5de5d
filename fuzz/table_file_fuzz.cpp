// The table-file reader on any bytes: the catalog reads the file (and rolls
// back a journal beside it, the fuzzer's second part), the rows are read
// whole, looked up, checked and written to, in a transaction rolled back
// (the writes stay in memory), then the table is repaired, which must leave a
// sound file. Errors are fine; crashes are not.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/integrity.h"
#include "engine/statement.h"
#include "engine/transaction.h"
#include "scratch_folder.h"

namespace {

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

// The input is a table file, optionally followed by "\nJOURNAL\n" and the
// bytes of a journal left beside it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = scratchFolder() + "/A.DBF";
    const std::string journal = path + "-journal";
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find("\nJOURNAL\n");
    writeFile(path, data, cut == std::string::npos ? size : cut);
    std::remove(journal.c_str());
    if (cut != std::string::npos) writeFile(journal, data + cut + 9, size - cut - 9);
    try {
        engine::Database db;
        const auto table = db.table(path);
        const auto rows = table->rows();
        size_t cells = 0;
        for (size_t r = 0; r < rows->rowCount(); ++r)
            for (size_t c = 0; c < rows->columnCount(); ++c) cells += rows->value(r, c).toString().size();
        if (!table->fields().empty() && rows->rowCount() > 0) {
            table->lookup(0, rows->value(0, 0));
            engine::Transaction unit(db);
            engine::executeStatement(db, "UPDATE \"" + path + "\" SET " + table->fields()[0].name + "=NULL");
            engine::executeStatement(db, "DELETE FROM \"" + path + "\"");
            unit.rollback();
        }
        (void)cells;
    } catch (const engine::Error&) {
    }
    engine::checkTableFile(path);
    const std::string copy = path + ".copie";
    try {
        engine::Database db;
        db.repairTable(path, copy);
        if (!engine::checkTableFile(path).empty()) std::abort();
    } catch (const engine::Error&) {
    }
    std::remove(copy.c_str());
    std::remove(journal.c_str());
    return 0;
}
