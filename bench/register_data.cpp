#include "register_data.h"

#include <sqlite3.h>

#include <cstdio>
#include <random>
#include <stdexcept>

#include "engine/database.h"
#include "engine/statement.h"

namespace bench {
namespace {

const char* const kAnnexes[] = {"Anexa 2A", "Anexa 2B", "Anexa 3",  "Anexa 6",      "Anexa 7",        "Anexa 9A",
                                "Anexa 13", "Anexa 19", "Anexa 20", "Legea 1/2000", "Legea 247/2005", "Altele"};
const char* const kVillages[] = {"BREAZA", "VALEA MARE", "DEALU MIC", "PODENI",  "RUNCU",   "SLATINA",
                                 "IZVOARE", "MORENI",     "COSTESTI", "LUNCANI", "ZAVOIU",  "STEJARU"};
const char* const kLastNames[] = {"POPESCU", "IONESCU", "POP",     "RADU",   "STAN",    "DUMITRU", "MUNTEANU",
                                  "STOICA",  "MOLDOVAN", "ENACHE", "MATEI",  "BARBU",   "ZAMFIR",  "TUDOR",
                                  "CIOBANU", "NISTOR",  "VASILE",  "DRAGOMIR", "LUPU",  "MARIN"};
const char* const kFirstNames[] = {"ION",   "MARIA", "GHEORGHE", "ELENA", "VASILE", "ANA",   "CONSTANTIN",
                                   "IOANA", "DUMITRU", "FLOAREA", "NICOLAE", "VIORICA", "MIHAI", "GEORGETA"};
const char* const kCategories[] = {"Arabil", "Vii", "Livezi", "Pasuni", "Fanete", "PADURI", "Alte terenuri",
                                   "NR",     "DE",  "NC",     "PDT"};
const char* const kPlots[] = {"LA PADURE", "VALEA SECA", "DEALUL MARE", "LUNCA", "LA MOARA", "COASTA", "PE VALE",
                              "IAZ",       "LA CRUCE",   "TARLAUA 1",   "CAMP",  "LA FANTANA"};

template <size_t N>
const char* pickOf(std::mt19937_64& rng, const char* const (&list)[N]) {
    return list[rng() % N];
}

std::string personName(std::mt19937_64& rng) {
    return std::string(pickOf(rng, kLastNames)) + " " + pickOf(rng, kFirstNames);
}

int64_t areaUnits(std::mt19937_64& rng, int64_t maxWhole) { return int64_t(rng() % uint64_t(maxWhole * 10000)); }

const char* const kCreateStatements[] = {
    "CREATE TABLE \"{DataDir}\\TP.DBF\"\n(\nIDTP     DECIMAL(10,0),\nTPNR     CHAR(16),\nTPCOD    DECIMAL(9,0),\n"
    "TITULAR   CHAR(120),\nINSAT    CHAR(24),\nDATA     DATE,\nSUPTOT   DECIMAL(9,4),\nANEXA    CHAR(16),\n"
    "IDANEXA  DECIMAL(10,0) )",
    "CREATE TABLE \"{DataDir}\\TPDET.DBF\"\n(\nIDTP     DECIMAL(10,0),\nIDDET    DECIMAL(10,0),\nTIP      CHAR(10),\n"
    "CATEG    CHAR(20),\nNRTARLA  CHAR(16),\nPARCELA  DECIMAL(6,0),\nLOT      CHAR(16),\nSUPRAF   DECIMAL(9,4),\n"
    "VECN     CHAR(36),\nVECE     CHAR(36),\nVECS     CHAR(36),\nVECV     CHAR(36),\nOBS      CHAR(50),\n"
    "LUNG     DECIMAL(8,4),\nLAT      DECIMAL(8,4),\nCOMENT   CHAR(50) )",
    "CREATE TABLE \"{DataDir}\\ANEXE1.DBF\"\n(\nIDANEXA  DECIMAL(10,0),\nANEXA    CHAR(16),\nTIPANX   CHAR(24),\n"
    "NRCRTA   DECIMAL(10,0),\nSATUL    CHAR(24),\nNUME     CHAR(120),\nSINCAP   DECIMAL(8,4),\nSSOL     DECIMAL(8,4),\n"
    "SAPROB   DECIMAL(8,4),\nSACT     DECIMAL(8,4),\nMOSTEN   CHAR(120),\nEXTOT    DECIMAL(8,4),\n"
    "EXAR     DECIMAL(8,4),\nEXVII    DECIMAL(8,4),\nEXLIV    DECIMAL(8,4),\nEXPAS    DECIMAL(8,4),\n"
    "INTOT    DECIMAL(8,4),\nINAR     DECIMAL(8,4),\nINVII    DECIMAL(8,4),\nINLIV    DECIMAL(8,4),\n"
    "INPAS    DECIMAL(8,4),\nNEAG     DECIMAL(8,4) )",
    "CREATE TABLE \"{DataDir}\\RF.DBF\"\n(\nIDRF     DECIMAL(10,0),\nINSAT    CHAR(24),\nNRTARLA  CHAR(16),\n"
    "PARCELA  DECIMAL(6,0),\nSUPRAF   DECIMAL(9,4),\nOBS      CHAR(50),\nTITULAR  CHAR(120),\nLOT      CHAR(16),\n"
    "ANEXA    CHAR(16),\nTIP      CHAR(10),\nCATEG    CHAR(20) )",
    "CREATE TABLE \"{DataDir}\\Fisiere.dbf\"\n(\nIDTP DECIMAL(10,0), FISIER CHAR(120))",
};

std::string withDir(std::string text, const std::string& dir) {
    const std::string key = "{DataDir}";
    for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), dir);
    return text;
}

engine::Value number(int64_t units) { return engine::Value::number(engine::Decimal::fromUnits(units)); }
engine::Value whole(int64_t n) { return engine::Value::number(engine::Decimal::fromInt(n)); }
engine::Value text(const std::string& s) { return engine::Value::text(s); }

void fill(engine::Database& db, const std::string& path, const std::vector<std::vector<engine::Value>>& records) {
    const auto table = db.table(path);
    auto writer = table->beginWrite();
    for (const auto& record : records) {
        std::vector<engine::Value> stored;
        stored.reserve(record.size());
        for (size_t f = 0; f < record.size(); ++f) stored.push_back(table->coerce(int(f), record[f]));
        writer->append(stored);
    }
    writer->commit();
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

void execSqlite(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(std::string(sql) + ": " + message);
    }
}

}  // namespace

std::string decimalText(int64_t units) { return engine::Decimal::fromUnits(units).toString(); }

Register makeRegister(size_t lineCount) {
    std::mt19937_64 rng(20240601);
    Register reg;
    int64_t positions[12] = {};
    reg.lines.reserve(lineCount);
    for (size_t i = 0; i < lineCount; ++i) {
        AnnexLine l;
        l.id = int64_t(i) + 2;
        const size_t annex = rng() % 100 < 34 ? 0 : 1 + rng() % 11;
        l.annex = kAnnexes[annex];
        l.type = annex == 9 || annex == 10 ? "Art " + std::to_string(1 + rng() % 5) : l.annex;
        l.village = pickOf(rng, kVillages);
        l.name = personName(rng);
        l.heirs = rng() % 10 < 3 ? personName(rng) : "";
        l.position = ++positions[annex];
        for (int64_t& a : l.areas) a = areaUnits(rng, 10);
        reg.lines.push_back(std::move(l));
    }
    const size_t titleCount = lineCount * 6 / 5;
    reg.titles.reserve(titleCount);
    for (size_t j = 0; j < titleCount; ++j) {
        Title t;
        t.id = int64_t(j) + 2;
        t.number = std::to_string(1 + rng() % (titleCount * 2));
        t.holder = personName(rng);
        t.code = int64_t(rng() % 100000);
        t.year = 1991 + int(rng() % 20);
        t.month = 1 + int(rng() % 12);
        t.day = 1 + int(rng() % 28);
        t.area = areaUnits(rng, 20);
        if (rng() % 10 != 0) {
            const AnnexLine& line = reg.lines[rng() % lineCount];
            t.line = line.id;
            t.annex = line.annex;
            t.village = line.village;
        } else {
            t.line = 0;
            t.village = pickOf(rng, kVillages);
        }
        reg.titles.push_back(std::move(t));
    }
    const size_t surfaceCount = lineCount * 7 / 2;
    reg.surfaces.reserve(surfaceCount);
    for (size_t k = 0; k < surfaceCount; ++k) {
        Surface s;
        s.title = reg.titles[rng() % titleCount].id;
        s.id = int64_t(k) + 2;
        s.type = rng() % 10 < 7 ? "EXTRAVILAN" : "INTRAVILAN";
        s.category = pickOf(rng, kCategories);
        s.plot = std::to_string(1 + rng() % 300);
        s.parcel = int64_t(1 + rng() % 500);
        s.lot = rng() % 2 ? std::to_string(rng() % 20) : "";
        s.area = areaUnits(rng, 5);
        s.north = personName(rng);
        s.east = "DRUM";
        s.south = personName(rng);
        s.west = "CANAL";
        s.remark = rng() % 4 ? pickOf(rng, kPlots) : "";
        s.length = areaUnits(rng, 500);
        s.width = areaUnits(rng, 100);
        reg.surfaces.push_back(std::move(s));
    }
    return reg;
}

void writeTables(const Register& reg, const std::string& dir) {
    engine::Database db;
    for (const char* create : kCreateStatements) engine::executeStatement(db, withDir(create, dir));

    std::vector<std::vector<engine::Value>> records;
    records.reserve(reg.surfaces.size());
    for (const AnnexLine& l : reg.lines) {
        std::vector<engine::Value> r{whole(l.id),     text(l.annex), text(l.type), whole(l.position),
                                     text(l.village), text(l.name)};
        for (int a = 0; a < 4; ++a) r.push_back(number(l.areas[a]));
        r.push_back(text(l.heirs));
        for (int a = 4; a < 15; ++a) r.push_back(number(l.areas[a]));
        records.push_back(std::move(r));
    }
    fill(db, dir + "/ANEXE1.DBF", records);
    records.clear();
    for (const Title& t : reg.titles)
        records.push_back({whole(t.id), text(t.number), whole(t.code), text(t.holder), text(t.village),
                           engine::Value::date(engine::Date::fromYmd(t.year, t.month, t.day)), number(t.area),
                           text(t.annex), t.line ? whole(t.line) : engine::Value::null()});
    fill(db, dir + "/TP.DBF", records);
    records.clear();
    for (const Surface& s : reg.surfaces)
        records.push_back({whole(s.title), whole(s.id), text(s.type), text(s.category), text(s.plot), whole(s.parcel),
                           text(s.lot), number(s.area), text(s.north), text(s.east), text(s.south), text(s.west),
                           text(s.remark), number(s.length), number(s.width), text(s.detail)});
    fill(db, dir + "/TPDET.DBF", records);
}

void writeSqlite(const Register& reg, const std::string& file, bool indexes) {
    std::remove(file.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + file);
    execSqlite(db,
               "CREATE TABLE TP (IDTP INTEGER, TPNR TEXT, TPCOD INTEGER, TITULAR TEXT, INSAT TEXT, DATA TEXT, "
               "SUPTOT REAL, ANEXA TEXT, IDANEXA INTEGER);"
               "CREATE TABLE TPDET (IDTP INTEGER, IDDET INTEGER, TIP TEXT, CATEG TEXT, NRTARLA TEXT, PARCELA INTEGER, "
               "LOT TEXT, SUPRAF REAL, VECN TEXT, VECE TEXT, VECS TEXT, VECV TEXT, OBS TEXT, LUNG REAL, LAT REAL, "
               "COMENT TEXT);"
               "CREATE TABLE ANEXE1 (IDANEXA INTEGER, ANEXA TEXT, TIPANX TEXT, NRCRTA INTEGER, SATUL TEXT, NUME TEXT, "
               "SINCAP REAL, SSOL REAL, SAPROB REAL, SACT REAL, MOSTEN TEXT, EXTOT REAL, EXAR REAL, EXVII REAL, "
               "EXLIV REAL, EXPAS REAL, INTOT REAL, INAR REAL, INVII REAL, INLIV REAL, INPAS REAL, NEAG REAL);"
               "BEGIN");
    auto insert = [&](const char* sql, auto&& bindRows) {
        sqlite3_stmt* st = nullptr;
        check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, sql);
        bindRows(st);
        sqlite3_finalize(st);
    };
    auto real = [](int64_t units) { return double(units) / 10000.0; };
    auto bindText = [](sqlite3_stmt* st, int i, const std::string& s) {
        sqlite3_bind_text(st, i, s.c_str(), int(s.size()), SQLITE_TRANSIENT);
    };
    insert("INSERT INTO ANEXE1 VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", [&](sqlite3_stmt* st) {
        for (const AnnexLine& l : reg.lines) {
            sqlite3_bind_int64(st, 1, l.id);
            bindText(st, 2, l.annex);
            bindText(st, 3, l.type);
            sqlite3_bind_int64(st, 4, l.position);
            bindText(st, 5, l.village);
            bindText(st, 6, l.name);
            for (int a = 0; a < 4; ++a) sqlite3_bind_double(st, 7 + a, real(l.areas[a]));
            bindText(st, 11, l.heirs);
            for (int a = 4; a < 15; ++a) sqlite3_bind_double(st, 8 + a, real(l.areas[a]));
            check(sqlite3_step(st), db, "insert line");
            sqlite3_reset(st);
        }
    });
    insert("INSERT INTO TP VALUES (?,?,?,?,?,?,?,?,?)", [&](sqlite3_stmt* st) {
        char date[16];
        for (const Title& t : reg.titles) {
            sqlite3_bind_int64(st, 1, t.id);
            bindText(st, 2, t.number);
            sqlite3_bind_int64(st, 3, t.code);
            bindText(st, 4, t.holder);
            bindText(st, 5, t.village);
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
            bindText(st, 6, date);
            sqlite3_bind_double(st, 7, real(t.area));
            bindText(st, 8, t.annex);
            if (t.line)
                sqlite3_bind_int64(st, 9, t.line);
            else
                sqlite3_bind_null(st, 9);
            check(sqlite3_step(st), db, "insert title");
            sqlite3_reset(st);
        }
    });
    insert("INSERT INTO TPDET VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", [&](sqlite3_stmt* st) {
        for (const Surface& s : reg.surfaces) {
            sqlite3_bind_int64(st, 1, s.title);
            sqlite3_bind_int64(st, 2, s.id);
            bindText(st, 3, s.type);
            bindText(st, 4, s.category);
            bindText(st, 5, s.plot);
            sqlite3_bind_int64(st, 6, s.parcel);
            bindText(st, 7, s.lot);
            sqlite3_bind_double(st, 8, real(s.area));
            bindText(st, 9, s.north);
            bindText(st, 10, s.east);
            bindText(st, 11, s.south);
            bindText(st, 12, s.west);
            bindText(st, 13, s.remark);
            sqlite3_bind_double(st, 14, real(s.length));
            sqlite3_bind_double(st, 15, real(s.width));
            bindText(st, 16, s.detail);
            check(sqlite3_step(st), db, "insert surface");
            sqlite3_reset(st);
        }
    });
    execSqlite(db, "COMMIT");
    if (indexes)
        execSqlite(db,
                   "CREATE INDEX ANEXE1_ID ON ANEXE1(IDANEXA); CREATE INDEX ANEXE1_ANEXA ON ANEXE1(ANEXA);"
                   "CREATE INDEX TP_ID ON TP(IDTP); CREATE INDEX TP_ANEXA ON TP(IDANEXA);"
                   "CREATE INDEX TP_NR ON TP(TPNR, INSAT); CREATE INDEX TP_SAT ON TP(INSAT);"
                   "CREATE INDEX TPDET_TP ON TPDET(IDTP);");
    execSqlite(db, "ANALYZE");
    sqlite3_close(db);
}

}  // namespace bench
