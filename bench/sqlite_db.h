// A SQLite database file for the benchmarks that compare against it.
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace bench {

class SqliteDb {
public:
    explicit SqliteDb(const std::string& file) {
        if (sqlite3_open(file.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot open " + file);
    }
    ~SqliteDb() { sqlite3_close(db_); }
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    void exec(const std::string& sql, int (*callback)(void*, int, char**, char**) = nullptr, void* arg = nullptr) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), callback, arg, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + message);
        }
    }

    // Runs a query and reads every cell, as a result grid would.
    size_t readAll(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
        size_t rows = 0;
        uint64_t sum = 0;
        const int columns = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER: sum += uint64_t(sqlite3_column_int64(st, c)); break;
                case SQLITE_FLOAT: sum += uint64_t(sqlite3_column_double(st, c)); break;
                case SQLITE_TEXT:
                    sum += size_t(sqlite3_column_bytes(st, c)) + *sqlite3_column_text(st, c);
                    break;
                default: break;
                }
            }
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(sum);
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace bench
