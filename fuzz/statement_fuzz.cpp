// The statement lexer, parser, binder and executor on any text, over a small
// fixture of titles, surfaces and annex lines. "{DataDir}" in the text names
// the fixture's folder; no other path separator is let through, and the
// working folder is the fixture's, so every file a statement names lies there
// (give the fuzzer absolute corpus paths). Each statement runs in a
// transaction that is rolled back, so the fixture stays as made.
#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/statement.h"
#include "engine/transaction.h"
#include "scratch_folder.h"

namespace {

const std::string& fixture() {
    static const std::string folder = [] {
        const std::string dir = scratchFolder();
        engine::Database db;
        const auto run = [&](const std::string& text) { engine::executeStatement(db, text); };
        run("CREATE TABLE \"" + dir + "/TP.DBF\" (IDTP DECIMAL(10,0), TPNR CHAR(10), TITULAR CHAR(60), INSAT CHAR(30), "
            "DATA DATE, IDANEXA DECIMAL(10,0), ANEXA CHAR(16), SUPTOT DECIMAL(9,4))");
        run("CREATE TABLE \"" + dir + "/TPDET.DBF\" (IDDET DECIMAL(10,0), IDTP DECIMAL(10,0), TIP CHAR(10), "
            "CATEG CHAR(20), SUPRAF DECIMAL(9,4))");
        run("CREATE TABLE \"" + dir + "/ANEXE1.DBF\" (IDANEXA DECIMAL(10,0), ANEXA CHAR(16), NUME CHAR(60), "
            "NRCRTA DECIMAL(10,0))");
        for (int i = 2; i < 8; ++i) {
            const std::string id = std::to_string(i);
            run("INSERT INTO \"" + dir + "/TP.DBF\" VALUES (" + id + ", \"" + std::to_string(100 + i) + "\", \"POPESCU " +
                id + "\", \"" + (i % 2 ? "BRADU" : "VALEA") + "\", \"0" + id + ".06.1995\", " + std::to_string(i % 3 + 2) +
                ", \"Anexa 2A\", " + id + ".25)");
            run("INSERT INTO \"" + dir + "/TPDET.DBF\" VALUES (" + id + ", " + std::to_string(i % 4 + 2) +
                ", \"EXTRAVILAN\", \"Arabil\", 1." + id + ")");
            run("INSERT INTO \"" + dir + "/ANEXE1.DBF\" VALUES (" + id + ", \"Anexa 2A\", \"ION " + id + "\", NULL)");
        }
        run("DELETE FROM \"" + dir + "/TPDET.DBF\" WHERE IDDET=4");
        std::filesystem::current_path(std::filesystem::u8path(dir));
        return dir;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = fixture();
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::string key = "{DataDir}\\";
    std::string expanded;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, key.size(), key) == 0) {
            expanded += dir + "/";
            at += key.size();
            continue;
        }
        if (text[at] == '/' || text[at] == '\\') return 0;
        expanded += text[at++];
    }
    // One catalog for the run: the fixture is read once, and again only
    // after a statement wrote to it (rolled back).
    static engine::Database db;
    try {
        engine::Transaction unit(db);
        engine::executeStatement(db, expanded);
        unit.rollback();
    } catch (const engine::Error&) {
    }
    return 0;
}
