// A register of a given size, the same every run, written both as the five
// dBase tables and as a SQLite database with the same rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct AnnexLine {
    int64_t id;
    std::string annex, type, village, name, heirs;
    int64_t position;
    int64_t areas[15];  // SINCAP, SSOL, SAPROB, SACT, then EXTOT ... NEAG; ten-thousandths
};

struct Title {
    int64_t id;
    std::string number, holder, village, annex;
    int64_t code;
    int year, month, day;
    int64_t area;   // ten-thousandths
    int64_t line;   // 0: no line (NULL)
};

struct Surface {
    int64_t title, id;
    std::string type, category, plot, lot, north, east, south, west, remark, detail;
    int64_t parcel, area, length, width;  // areas and dimensions in ten-thousandths
};

struct Register {
    std::vector<AnnexLine> lines;
    std::vector<Title> titles;
    std::vector<Surface> surfaces;
};

// About 1.2 titles and 3.5 surfaces per annex line; "Anexa 2A" holds about a
// third of the lines.
Register makeRegister(size_t lines);

// The five tables in `dir`, created by the statements the program uses and
// filled through the storage layer's writer.
void writeTables(const Register& reg, const std::string& dir);

// The same rows in a SQLite file; with `indexes`, indexes on the columns the
// statements look up and join on.
void writeSqlite(const Register& reg, const std::string& file, bool indexes);

// Ten-thousandths as decimal text: 12.5, 0, 3.0001.
std::string decimalText(int64_t units);

}  // namespace bench
