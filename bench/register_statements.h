// The program's statements over the generated register, as it composes them,
// and the same queries in SQLite's dialect (qualified names, single quotes).
#pragma once

#include <string>

namespace bench {

// The village of the report statements that take one.
extern const char* const kReportVillage;

// "{DataDir}" in `text` replaced by `dir`.
std::string withDir(std::string text, const std::string& dir);

// The annex view of "Anexa 2A": LEFT JOIN of the lines with the titles,
// GROUP BY 22 columns, MAX and SUM.
std::string annexStatement(const std::string& dir);
extern const char* const kAnnexSqlite;

// The general report's rows: every surface joined with its title, ORDER BY
// T.TITULAR; with `village`, WHERE (INSAT="...").
std::string reportStatement(const std::string& dir, bool village);
std::string reportSqlite(bool village);

// The general report's totals by type and category.
std::string totalsStatement(const std::string& dir, bool village);
std::string totalsSqlite(bool village);

}  // namespace bench
