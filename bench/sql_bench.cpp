// The engine's statements against SQLite on the same rows: the annex view,
// the general report with its totals, the renumbering loop of the upgrade and
// the lookup-then-insert pairs of the spreadsheet import.
//
//   bench_sql_bench [--lines=10000,100000] [google benchmark flags]
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "register_data.h"
#include "register_statements.h"
#include "sqlite_db.h"
#include "engine/database.h"
#include "engine/statement.h"
#include "engine/transaction.h"

namespace {

const char* const kImportVillages[] = {"BREAZA", "VALEA MARE", "DEALU MIC", "PODENI"};
constexpr size_t kImportPairs = 20000;

struct Setup {
    size_t lines = 0;
    std::string dir;
    std::string plainFile, indexedFile;
    std::unique_ptr<engine::Database> db;
};

// The order in which the upgrade renumbers: a fixed shuffle of the lines.
std::vector<int64_t> renumberOrder(size_t lines) {
    std::vector<int64_t> ids(lines);
    for (size_t i = 0; i < lines; ++i) ids[i] = int64_t(i) + 2;
    uint64_t x = 88172645463325252ull;
    for (size_t i = lines; i > 1; --i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        std::swap(ids[i - 1], ids[x % i]);
    }
    return ids;
}

// ---- runners ------------------------------------------------------------------

using bench::SqliteDb;


// Reads every cell of a result, as a result grid would (and as readAll does).
size_t readAll(const engine::ColumnStore& rows) {
    rows.loadAll();
    uint64_t sum = 0;
    for (size_t r = 0; r < rows.rowCount(); ++r)
        for (size_t c = 0; c < rows.columnCount(); ++c) {
            switch (rows.fields()[c].type) {
            case engine::FieldType::Text: {
                const std::string_view t = rows.text(r, c);
                sum += t.size() + (t.empty() ? 0 : uint8_t(t[0]));
                break;
            }
            case engine::FieldType::Number: sum += uint64_t(rows.number(r, c).units()); break;
            default: sum += rows.isNull(r, c); break;
            }
        }
    benchmark::DoNotOptimize(sum);
    return rows.rowCount();
}

void engineSelect(benchmark::State& state, Setup* s, const std::string& text) {
    readAll(*engine::executeStatement(*s->db, text).rows);  // the tables are read once, as in the program
    size_t rows = 0;
    for (auto _ : state) rows = readAll(*engine::executeStatement(*s->db, text).rows);
    state.counters["rows"] = double(rows);
}

void sqliteSelect(benchmark::State& state, const std::string* file, const std::string& sql) {
    SqliteDb db(*file);
    db.readAll(sql);
    size_t rows = 0;
    for (auto _ : state) rows = db.readAll(sql);
    state.counters["rows"] = double(rows);
}

std::string renumberText(const std::string& dir, int64_t position, int64_t id) {
    return "UPDATE \"" + dir + "\\Anexe1.dbf\"\nSET NRCRTA=" + std::to_string(position) +
           "\nWHERE IDANEXA=" + std::to_string(id);
}

// The loops run in one transaction, as the program runs them: the journal
// and the syncs come once, at the commit.
void engineRenumber(benchmark::State& state, Setup* s) {
    const std::vector<int64_t> ids = renumberOrder(s->lines);
    engine::executeStatement(*s->db, renumberText(s->dir, 1, ids[0]));
    for (auto _ : state) {
        engine::Transaction unit(*s->db);
        for (size_t i = 0; i < ids.size(); ++i)
            engine::executeStatement(*s->db, renumberText(s->dir, int64_t(i % 97) + 1, ids[i]));
        unit.commit();
    }
    state.counters["statements"] = double(ids.size());
}

void sqliteRenumber(benchmark::State& state, Setup* s, const std::string* file) {
    const std::vector<int64_t> ids = renumberOrder(s->lines);
    SqliteDb db(*file);
    for (auto _ : state) {
        db.exec("BEGIN");
        for (size_t i = 0; i < ids.size(); ++i)
            db.exec("UPDATE ANEXE1\nSET NRCRTA=" + std::to_string(int64_t(i % 97) + 1) +
                    "\nWHERE IDANEXA=" + std::to_string(ids[i]));
        db.exec("COMMIT");
    }
    state.counters["statements"] = double(ids.size());
}

struct ImportRow {
    std::string number, village, name, area;
    int64_t line;
};

std::vector<ImportRow> importRows(size_t lines) {
    std::vector<ImportRow> rows;
    for (size_t k = 0; k < kImportPairs; ++k)
        rows.push_back({"I" + std::to_string(k), kImportVillages[k % 4], "IMPORTAT " + std::to_string(k),
                        bench::decimalText(int64_t(k % 50000) * 3), int64_t(k % lines) + 2});
    return rows;
}

void engineImport(benchmark::State& state, Setup* s) {
    const std::vector<ImportRow> rows = importRows(s->lines);
    int64_t next = int64_t(s->lines) * 2 + 10;
    size_t found = 0;
    for (auto _ : state) {
        engine::Transaction unit(*s->db);
        for (const ImportRow& r : rows) {
            const auto hit = engine::executeStatement(
                *s->db, "SELECT IDTP FROM \"" + s->dir + "\\TP.dbf\"\nWHERE TPNR=\"" + r.number + "\" AND INSAT=\"" +
                            r.village + "\"");
            found += hit.rows->rowCount();
            engine::executeStatement(*s->db, "INSERT INTO \"" + s->dir + "\\TP.dbf\"\n"
                                             "(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA)\n"
                                             "VALUES (" + std::to_string(next++) + ",\n\"" + r.number + "\",0,\"" +
                                                 r.name + "\",\n\"" + r.village + "\",\n\"01.01.1900\"," + r.area +
                                                 ",\n\"Anexa 2A\"," + std::to_string(r.line) + ")");
        }
        unit.commit();
    }
    state.counters["pairs"] = double(rows.size());
    state.counters["found"] = double(found);
}

int countRow(void* arg, int, char**, char**) {
    ++*static_cast<size_t*>(arg);
    return 0;
}

void sqliteImport(benchmark::State& state, Setup* s, const std::string* file) {
    const std::vector<ImportRow> rows = importRows(s->lines);
    int64_t next = int64_t(s->lines) * 2 + 10;
    size_t found = 0;
    SqliteDb db(*file);
    for (auto _ : state) {
        db.exec("BEGIN");
        for (const ImportRow& r : rows) {
            db.exec("SELECT IDTP FROM TP\nWHERE TPNR='" + r.number + "' AND INSAT='" + r.village + "'", countRow, &found);
            db.exec("INSERT INTO TP\n(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA)\nVALUES (" +
                    std::to_string(next++) + ",\n'" + r.number + "',0,'" + r.name + "',\n'" + r.village +
                    "',\n'1900-01-01'," + r.area + ",\n'Anexa 2A'," + std::to_string(r.line) + ")");
        }
        db.exec("COMMIT");
    }
    state.counters["pairs"] = double(rows.size());
    state.counters["found"] = double(found);
}

// ---- set-up ----------------------------------------------------------------

std::vector<size_t> sizesFrom(int& argc, char** argv) {
    std::vector<size_t> sizes{10000, 100000};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--lines=", 8) != 0) continue;
        sizes.clear();
        for (const char* p = argv[i] + 8; *p;) {
            char* end = nullptr;
            sizes.push_back(size_t(std::strtoull(p, &end, 10)));
            p = *end == ',' ? end + 1 : end;
        }
        for (int k = i; k + 1 < argc; ++k) argv[k] = argv[k + 1];
        --argc;
        --i;
    }
    return sizes;
}

// The data is written by a child process, so that the peak memory of this
// one is that of the benchmarks alone.
std::unique_ptr<Setup> prepare(size_t lines, const std::string& root) {
    auto s = std::make_unique<Setup>();
    s->lines = lines;
    s->dir = root + "/lines" + std::to_string(lines);
    std::filesystem::create_directories(s->dir);
    s->plainFile = s->dir + "/plain.sqlite";
    s->indexedFile = s->dir + "/indexed.sqlite";
    const pid_t child = fork();
    if (child == 0) {
        try {
            const bench::Register reg = bench::makeRegister(lines);
            bench::writeTables(reg, s->dir);
            bench::writeSqlite(reg, s->plainFile, false);
            bench::writeSqlite(reg, s->indexedFile, true);
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("writing the benchmark data failed");
    s->db = std::make_unique<engine::Database>();
    return s;
}

void registerAll(Setup* s) {
    const std::string n = "/" + std::to_string(s->lines);
    auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime(); };
    struct Read {
        const char* name;
        std::string ours, theirs;
    };
    const Read reads[] = {
        {"Anex", bench::annexStatement(s->dir), bench::kAnnexSqlite},
        {"ReportTx", bench::reportStatement(s->dir, false), bench::reportSqlite(false)},
        {"ReportTxVillage", bench::reportStatement(s->dir, true), bench::reportSqlite(true)},
        {"ReportToX", bench::totalsStatement(s->dir, false), bench::totalsSqlite(false)},
        {"ReportToXVillage", bench::totalsStatement(s->dir, true), bench::totalsSqlite(true)},
    };
    for (const Read& r : reads) {
        ms(benchmark::RegisterBenchmark((std::string(r.name) + n + "/terralog").c_str(), engineSelect, s, r.ours));
        ms(benchmark::RegisterBenchmark((std::string(r.name) + n + "/sqlite").c_str(), sqliteSelect, &s->plainFile,
                                        r.theirs));
        ms(benchmark::RegisterBenchmark((std::string(r.name) + n + "/sqlite_indexed").c_str(), sqliteSelect,
                                        &s->indexedFile, r.theirs));
    }
    // Point loops change the data: each runs once, the loops of every system on its own copy.
    ms(benchmark::RegisterBenchmark(("Renumber" + n + "/terralog").c_str(), engineRenumber, s)->Iterations(1));
    ms(benchmark::RegisterBenchmark(("Renumber" + n + "/sqlite_indexed").c_str(), sqliteRenumber, s, &s->indexedFile)
           ->Iterations(1));
    ms(benchmark::RegisterBenchmark(("Import" + n + "/terralog").c_str(), engineImport, s)->Iterations(1));
    ms(benchmark::RegisterBenchmark(("Import" + n + "/sqlite_indexed").c_str(), sqliteImport, s, &s->indexedFile)
           ->Iterations(1));
    // Without an index every point statement scans the table; only the small size is run.
    if (s->lines <= 10000) {
        ms(benchmark::RegisterBenchmark(("Renumber" + n + "/sqlite").c_str(), sqliteRenumber, s, &s->plainFile)
               ->Iterations(1));
        ms(benchmark::RegisterBenchmark(("Import" + n + "/sqlite").c_str(), sqliteImport, s, &s->plainFile)
               ->Iterations(1));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<size_t> sizes = sizesFrom(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::string root = (std::filesystem::temp_directory_path() / "terralog-bench-XXXXXX").string();
    if (!::mkdtemp(&root[0])) {
        std::cerr << "cannot create a temporary folder\n";
        return 1;
    }
    std::vector<std::unique_ptr<Setup>> setups;
    for (size_t lines : sizes) {
        std::cerr << "Writing " << lines << " annex lines..." << std::endl;
        setups.push_back(prepare(lines, root));
        registerAll(setups.back().get());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cerr << "Peak resident memory: " << usage.ru_maxrss / 1024 << " MiB" << std::endl;
    setups.clear();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return 0;
}
