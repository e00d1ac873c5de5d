// INSERT, UPDATE, DELETE, CREATE TABLE and ALTER TABLE as the forms and the
// upgrade compose them, and the errors statements report.
#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/query.h"
#include "sql_fixture.h"

using namespace engine;

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

class Writes : public SqlFixture {
protected:
    Rows query(const std::vector<std::string>& lines) {
        return cells(*run(expand(joinLines(lines))).rows);
    }
    size_t execLines(const std::vector<std::string>& lines) { return run(expand(joinLines(lines))).rowsAffected; }
};

struct FieldShape {
    std::string name;
    FieldType type;
    int width, decimals;
    bool operator==(const FieldShape& o) const {
        return name == o.name && type == o.type && width == o.width && decimals == o.decimals;
    }
};

std::ostream& operator<<(std::ostream& os, const FieldShape& f) {
    return os << f.name << "/" << int(f.type) << "/" << f.width << "," << f.decimals;
}

std::vector<FieldShape> shapes(const std::vector<FieldDef>& fields) {
    std::vector<FieldShape> out;
    for (const FieldDef& f : fields) out.push_back({f.name, f.type, f.width, f.decimals});
    return out;
}

enum class ErrorKind { Syntax, Bind, Value, Table };

constexpr FieldType C = FieldType::Text, N = FieldType::Number, D = FieldType::Date;

}  // namespace

TEST_F(Writes, StatementsOfTheFormsChangeWhatTheySay) {
    fillRegister();
    const struct {
        const char* what;
        std::vector<std::string> statement;
        size_t affected;
        std::vector<std::string> check;
        Rows rows;
    } steps[] = {
        {"attach a free title to a line",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"Anexa 2A\",", "IDANEXA=4", "WHERE IDTP=5"},
         1,
         {"SELECT IDTP, ANEXA, IDANEXA FROM \"{DataDir}\\TP.dbf\" WHERE IDANEXA=4"},
         {{"5", "Anexa 2A", "4"}}},
        {"change a line",
         {"UPDATE \"{DataDir}\\Anexe1.dbf\"", "SET SATUL=\"SAT D\",", "TIPANX=\"Anexa 2A\",", "NRCRTA=7,",
          "NUME=\"ZAMFIR DANA\",", "SINCAP=0,", "SSOL=1.25,", "SAPROB=12.0025,", "SACT=0,", "MOSTEN=\"\",",
          "EXTOT=1,", "EXAR=0.5,", "EXVII=0.5,", "EXLIV=0,", "EXPAS=0,", "INTOT=0,", "INAR=0,", "INVII=0,",
          "INLIV=0,", "INPAS=0,", "NEAG=0", "WHERE IDANEXA=4"},
         1,
         {"SELECT IDANEXA, ANEXA, NRCRTA, SATUL, NUME, SAPROB, EXAR, NEAG FROM \"{DataDir}\\Anexe1.dbf\"",
          "WHERE IDANEXA=4"},
         {{"4", "Anexa 2A", "7", "SAT D", "ZAMFIR DANA", "12.0025", "0.5", "0"}}},
        {"change a title",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET TPNR=\"12B\",", "TPCOD=44,", "TITULAR=\"ALBU ANA; ALBU ION\",",
          "INSAT=\"SAT B\",", "DATA=\"29.02.2000\",", "SUPTOT=2.5", "WHERE IDTP=4"},
         1,
         {"SELECT TPNR, TPCOD, TITULAR, DATA, SUPTOT, ANEXA, IDANEXA FROM \"{DataDir}\\TP.dbf\" WHERE IDTP=4"},
         {{"12B", "44", "ALBU ANA; ALBU ION", "29.02.2000", "2.5", "Anexa 2A", "3"}}},
        {"change a surface, the file named in capitals",
         {"UPDATE \"{DataDir}\\TPDET.DBF\"", "SET TIP=\"INTRAVILAN\",", "CATEG=\"Vii\",", "NRTARLA=\"6\",",
          "PARCELA=14,", "LOT=\"\",", "SUPRAF=0.3,", "VECN=\"A\",", "VECE=\"B\",", "VECS=\"C\",", "VECV=\"D\",",
          "OBS=\"\",", "LUNG=10.5,", "LAT=2,", "COMENT=\"ZID\"", "WHERE IDDET=3"},
         1,
         {"SELECT IDTP, TIP, PARCELA, LOT, SUPRAF, LUNG, COMENT FROM \"{DataDir}\\TPDET.dbf\" WHERE IDDET=3"},
         {{"2", "INTRAVILAN", "14", "", "0.3", "10.5", "ZID"}}},
        {"take a title out of its line",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"\", IDANEXA=-1", "WHERE IDTP=2"},
         1,
         {"SELECT IDTP FROM \"{DataDir}\\TP.dbf\"", "WHERE (IDANEXA IS NULL) OR (IDANEXA<0)", "ORDER BY IDTP"},
         {{"2"}, {"6"}}},
        {"detach the titles of a line before deleting it",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET IDANEXA=NULL, ANEXA=\"\"", "WHERE IDANEXA=3"},
         1,
         {"SELECT IDTP, ANEXA, IDANEXA FROM \"{DataDir}\\TP.dbf\" WHERE IDTP=4"},
         {{"4", "", "NULL"}}},
        {"delete a line",
         {"DELETE FROM \"{DataDir}\\Anexe1.dbf\"", "WHERE IDANEXA=3"},
         1,
         {"SELECT IDANEXA FROM \"{DataDir}\\Anexe1.dbf\" WHERE ANEXA=\"Anexa 2A\""},
         {{"2"}, {"4"}}},
        {"delete a title",
         {"DELETE FROM \"{DataDir}\\TP.dbf\"", "WHERE IDTP=4"},
         1,
         {"SELECT Count(*) AS NR FROM \"{DataDir}\\TP.dbf\""},
         {{"5"}}},
        {"delete its surfaces",
         {"DELETE FROM \"{DataDir}\\TPDET.dbf\"", "WHERE IDTP=4"},
         1,
         {"SELECT IDDET FROM \"{DataDir}\\TPDET.dbf\" WHERE IDTP=4"},
         {}},
        {"delete a surface",
         {"DELETE FROM \"{DataDir}\\TPDET.dbf\"", "WHERE IDDET=2"},
         1,
         {"SELECT IDDET FROM \"{DataDir}\\TPDET.dbf\" WHERE IDTP=2"},
         {{"3"}, {"4"}}},
        {"import: delete the lines of the annex",
         {"DELETE FROM \"{DataDir}\\Anexe1.dbf\"", "WHERE ANEXA=\"Legea 1/2000\""},
         3,
         {"SELECT MAX(NRCRTA) AS NRMAX", "FROM \"{DataDir}\\Anexe1.dbf\"", "WHERE ANEXA=\"Legea 1/2000\""},
         {{"NULL"}}},
        {"import: free the titles of the annex (none left)",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"\", IDANEXA=0", "WHERE ANEXA=\"Legea 1/2000\""},
         0,
         {"SELECT IDTP, IDANEXA FROM \"{DataDir}\\TP.dbf\" WHERE IDANEXA=0"},
         {{"7", "0"}}},
        {"import: insert a line",
         {"INSERT INTO \"{DataDir}\\Anexe1.dbf\"",
          "(IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME, SINCAP, SSOL, SAPROB, SACT, MOSTEN,",
          "EXTOT, EXAR, EXVII, EXLIV, EXPAS,", "INTOT, INAR, INVII, INLIV, INPAS,", "NEAG)", "VALUES (",
          "8,\"Legea 1/2000\",", "\" Art 9 \",", "1,", "\"sat c \",", "\"DRAGU VASILE\",", "0,", "0,", "1.5,", "0,",
          "\"\",", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0)"},
         1,
         {"SELECT IDANEXA, TIPANX, SATUL, SAPROB FROM \"{DataDir}\\Anexe1.dbf\" WHERE ANEXA=\"Legea 1/2000\""},
         {{"8", " Art 9", "sat c", "1.5"}}},
        {"import: find the title by number and village",
         {"SELECT IDTP FROM \"{DataDir}\\TP.dbf\"", "WHERE TPNR=\"8\" AND INSAT=\"SAT C\""},
         0,
         {"SELECT IDTP FROM \"{DataDir}\\TP.dbf\"", "WHERE TPNR=\"8\" AND INSAT=\"SAT C\""},
         {{"7"}}},
        {"import: update the title found",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET TITULAR=\"DRAGU VASILE\",", "SUPTOT=1.5,", "IDANEXA=8",
          "WHERE TPNR=\"8\" AND INSAT=\"SAT C\""},
         1,
         {"SELECT IDTP, TITULAR, SUPTOT, ANEXA, IDANEXA, DATA FROM \"{DataDir}\\TP.dbf\" WHERE IDANEXA=8"},
         {{"7", "DRAGU VASILE", "1.5", "", "8", "01.02.2003"}}},
        {"import: insert a new title",
         {"INSERT INTO \"{DataDir}\\TP.dbf\"", "(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA)",
          "VALUES (9,", "\"77\",0,\"DRAGU VASILE\",", "\"sat c \",", "\"01.01.1900\",0,", "\"Legea 1/2000\",8)"},
         1,
         {"SELECT IDTP, TPNR, TPCOD, INSAT, DATA, SUPTOT, ANEXA FROM \"{DataDir}\\TP.dbf\" WHERE IDTP=9"},
         {{"9", "77", "0", "sat c", "01.01.1900", "0", "Legea 1/2000"}}},
        {"renumber a line",
         {"UPDATE \"{DataDir}\\Anexe1.dbf\"", "SET NRCRTA=5", "WHERE IDANEXA=8"},
         1,
         {"SELECT NRCRTA FROM \"{DataDir}\\Anexe1.dbf\" WHERE IDANEXA=8"},
         {{"5"}}},
        {"an update that matches nothing",
         {"UPDATE \"{DataDir}\\Anexe1.dbf\"", "SET NRCRTA=5", "WHERE IDANEXA=123"},
         0,
         {"SELECT Count(*) AS NR FROM \"{DataDir}\\Anexe1.dbf\" WHERE NRCRTA=5"},
         {{"1"}}},
        {"an update computed from each row",
         {"UPDATE \"{DataDir}\\TP.dbf\"", "SET SUPTOT=SUPTOT*2, TPCOD=IDTP+100", "WHERE IDTP<4"},
         2,
         {"SELECT IDTP, SUPTOT, TPCOD FROM \"{DataDir}\\TP.dbf\" WHERE IDTP<4"},
         {{"2", "3", "102"}, {"3", "0.5", "103"}}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(execLines(s.statement), s.affected);
        EXPECT_EQ(query(s.check), s.rows);
    }
}

TEST_F(Writes, CreateTablesAsComposedAndReadThemBack) {
    createTables();
    Database fresh;  // reads the headers from disk
    const struct {
        const char* file;
        std::vector<FieldShape> fields;
    } tables[] = {
        {"TP.DBF",
         {{"IDTP", N, 10, 0}, {"TPNR", C, 16, 0}, {"TPCOD", N, 9, 0}, {"TITULAR", C, 120, 0}, {"INSAT", C, 24, 0},
          {"DATA", D, 8, 0}, {"SUPTOT", N, 9, 4}, {"ANEXA", C, 16, 0}, {"IDANEXA", N, 10, 0}}},
        {"TPDET.DBF",
         {{"IDTP", N, 10, 0}, {"IDDET", N, 10, 0}, {"TIP", C, 10, 0}, {"CATEG", C, 20, 0}, {"NRTARLA", C, 16, 0},
          {"PARCELA", N, 6, 0}, {"LOT", C, 16, 0}, {"SUPRAF", N, 9, 4}, {"VECN", C, 36, 0}, {"VECE", C, 36, 0},
          {"VECS", C, 36, 0}, {"VECV", C, 36, 0}, {"OBS", C, 50, 0}, {"LUNG", N, 8, 4}, {"LAT", N, 8, 4},
          {"COMENT", C, 50, 0}}},
        {"ANEXE1.DBF",
         {{"IDANEXA", N, 10, 0}, {"ANEXA", C, 16, 0}, {"TIPANX", C, 24, 0}, {"NRCRTA", N, 10, 0},
          {"SATUL", C, 24, 0},   {"NUME", C, 120, 0}, {"SINCAP", N, 8, 4}, {"SSOL", N, 8, 4},
          {"SAPROB", N, 8, 4},   {"SACT", N, 8, 4},   {"MOSTEN", C, 120, 0}, {"EXTOT", N, 8, 4},
          {"EXAR", N, 8, 4},     {"EXVII", N, 8, 4},  {"EXLIV", N, 8, 4},  {"EXPAS", N, 8, 4},
          {"INTOT", N, 8, 4},    {"INAR", N, 8, 4},   {"INVII", N, 8, 4},  {"INLIV", N, 8, 4},
          {"INPAS", N, 8, 4},    {"NEAG", N, 8, 4}}},
        {"RF.DBF",
         {{"IDRF", N, 10, 0}, {"INSAT", C, 24, 0}, {"NRTARLA", C, 16, 0}, {"PARCELA", N, 6, 0}, {"SUPRAF", N, 9, 4},
          {"OBS", C, 50, 0}, {"TITULAR", C, 120, 0}, {"LOT", C, 16, 0}, {"ANEXA", C, 16, 0}, {"TIP", C, 10, 0},
          {"CATEG", C, 20, 0}}},
        {"Fisiere.dbf", {{"IDTP", N, 10, 0}, {"FISIER", C, 120, 0}}},
    };
    for (const auto& t : tables) {
        const auto table = fresh.table(dir() + "/" + t.file);
        EXPECT_EQ(shapes(table->fields()), t.fields) << t.file;
        EXPECT_EQ(table->recordCount(), 0u);
    }
    EXPECT_THROW(exec({"CREATE TABLE \"{DataDir}\\Fisiere.dbf\"", "(", "IDTP DECIMAL(10,0), FISIER CHAR(120))"}),
                 TableError);
}

TEST_F(Writes, UpgradeStatementsOfOlderTables) {
    // Tables as older versions wrote them.
    exec({"CREATE TABLE \"{DataDir}\\TP.DBF\" (IDTP DECIMAL(10,0), TPNR CHAR(16), FISIER CHAR(120), IDANEXA DECIMAL(10,0))"});
    exec({"CREATE TABLE \"{DataDir}\\Fisiere.dbf\"", "(", "IDTP DECIMAL(10,0), FISIER CHAR(120))"});
    exec({"CREATE TABLE \"{DataDir}\\TPDET.DBF\" (IDTP DECIMAL(10,0), IDDET DECIMAL(10,0), SUPRAF DECIMAL(9,4))"});
    exec({"CREATE TABLE \"{DataDir}\\RF.DBF\" (IDRF DECIMAL(10,0), INSAT CHAR(24), SUPRAF DECIMAL(9,4))"});
    exec({"CREATE TABLE \"{DataDir}\\ANEXE1.DBF\" (IDANEXA DECIMAL(10,0), ANEXA CHAR(16), TIPANX CHAR(24))"});
    exec({"INSERT INTO \"{DataDir}\\TP.dbf\" (IDTP, TPNR, FISIER) VALUES (2, \"1\", \"C:\\poze\\a.jpg\")"});
    exec({"INSERT INTO \"{DataDir}\\TP.dbf\" (IDTP, TPNR, FISIER) VALUES (3, \"2\", \"\")"});
    exec({"INSERT INTO \"{DataDir}\\TP.dbf\" (IDTP, TPNR, FISIER) VALUES (4, \"3\", \"C:\\poze\\b.jpg\")"});
    exec({"INSERT INTO \"{DataDir}\\TPDET.dbf\" (IDTP, IDDET, SUPRAF) VALUES (2, 2, 1.5)"});
    exec({"INSERT INTO \"{DataDir}\\RF.dbf\" (IDRF, INSAT, SUPRAF) VALUES (2, \"SAT A\", 10)"});
    const struct {
        int id;
        const char* annex;
        const char* type;
    } lines[] = {{2, "Legea 1/2000", "Art 4"}, {3, "Anexa 3", "Anexa 3"}, {4, "Legea 1/2000", "Art 3"},
                 {5, "Legea 1/2000", "Art 4"}, {6, "Anexa 3", "Anexa 3"}};
    for (const auto& l : lines)
        exec({"INSERT INTO \"{DataDir}\\Anexe1.dbf\" (IDANEXA, ANEXA, TIPANX) VALUES (" + std::to_string(l.id) +
              ", \"" + l.annex + "\", \"" + l.type + "\")"});

    // Inspection: the columns looked up by name.
    EXPECT_GE(run(sql({"SELECT * FROM \"{DataDir}\\TP.dbf\""})).rows->findField("FISIER"), 0);
    EXPECT_LT(run(sql({"SELECT * FROM \"{DataDir}\\TP.dbf\""})).rows->findField("SUPTOT"), 0);

    // A: file names move to their own table.
    EXPECT_EQ(exec({"INSERT INTO \"{DataDir}\\Fisiere.dbf\"", "(IDTP,FISIER)", "SELECT IDTP, FISIER",
                    "FROM \"{DataDir}\\TP.dbf\""}),
              3u);
    exec({"ALTER TABLE \"{DataDir}\\TP.dbf\"", "DROP FISIER"});
    EXPECT_EQ(select({"SELECT * FROM \"{DataDir}\\Fisiere.dbf\""}),
              (Rows{{"2", "C:\\poze\\a.jpg"}, {"3", ""}, {"4", "C:\\poze\\b.jpg"}}));
    EXPECT_EQ(select({"SELECT * FROM \"{DataDir}\\TP.dbf\""}), (Rows{{"2", "1", "NULL"}, {"3", "2", "NULL"}, {"4", "3", "NULL"}}));

    // B: dimensions of the surfaces.
    exec({"ALTER TABLE \"{DataDir}\\TPDET.dbf\"", "ADD LUNG DECIMAL(8,4),ADD LAT DECIMAL(8,4), ADD COMENT CHAR(50)"});
    EXPECT_EQ(exec({"UPDATE \"{DataDir}\\TPDET.dbf\"", "SET LUNG=0, LAT=0,COMENT=\"\""}), 1u);
    EXPECT_EQ(select({"SELECT * FROM \"{DataDir}\\TPDET.dbf\""}), (Rows{{"2", "2", "1.5", "0", "0", ""}}));
    EXPECT_EQ(shapes(Database().table(dir() + "/TPDET.DBF")->fields()).back(), (FieldShape{"COMENT", C, 50, 0}));

    // C: the land register's new keys, filled with the "all" entry.
    exec({"ALTER TABLE \"{DataDir}\\RF.dbf\"",
          "ADD TITULAR CHAR(120),ADD LOT CHAR(16),ADD ANEXA CHAR(16),ADD TIP CHAR(10),ADD CATEG CHAR(20)"});
    exec({"UPDATE \"{DataDir}\\RF.dbf\"", "SET TITULAR=\" * toate *\",", "LOT=\" * toate *\",",
          "ANEXA=\" * toate *\",", "TIP=\" * toate *\",", "CATEG=\" * toate *\""});
    EXPECT_EQ(select({"SELECT * FROM \"{DataDir}\\RF.dbf\""}),
              (Rows{{"2", "SAT A", "10", " * toate *", " * toate *", " * toate *", " * toate *", " * toate *"}}));

    // D: position numbers, one statement per line through a query's slots.
    exec({"ALTER TABLE \"{DataDir}\\Anexe1.dbf\"", "ADD NRCRTA DECIMAL(10,0)"});
    Query q(db());
    q.add(expand("SELECT IDANEXA, ANEXA, TIPANX FROM \"{DataDir}\\Anexe1.dbf\""));
    q.add("ORDER BY ANEXA, TIPANX, IDANEXA");
    q.open();
    std::vector<std::pair<int, int>> numbers;
    std::string previous = "---";
    int counter = 0;
    for (q.first(); !q.eof(); q.next()) {
        const std::string key = q.field("ANEXA").asString() + q.field("TIPANX").asString();
        if (key != previous) {
            previous = key;
            counter = 0;
        }
        numbers.emplace_back(int(q.field("IDANEXA").asInteger()), ++counter);
    }
    q.close();
    q.clear();
    q.add(expand("UPDATE \"{DataDir}\\Anexe1.dbf\""));
    q.add("SET NRCRTA=...");
    q.add("WHERE IDANEXA=...");
    for (const auto& [id, nr] : numbers) {
        q.setLine(1, "SET NRCRTA=" + std::to_string(nr));
        q.setLine(2, "WHERE IDANEXA=" + std::to_string(id));
        q.execSQL();
        EXPECT_EQ(q.rowsAffected(), 1u);
    }
    EXPECT_EQ(select({"SELECT IDANEXA, NRCRTA FROM \"{DataDir}\\Anexe1.dbf\""}),
              (Rows{{"2", "1"}, {"3", "1"}, {"4", "1"}, {"5", "2"}, {"6", "2"}}));

    // E: the declared total of the titles.
    exec({"ALTER TABLE \"{DataDir}\\TP.dbf\"", "ADD SUPTOT DECIMAL(9,4)"});
    EXPECT_EQ(exec({"UPDATE \"{DataDir}\\TP.dbf\"", "SET SUPTOT=0"}), 3u);
    EXPECT_EQ(select({"SELECT IDTP, SUPTOT FROM \"{DataDir}\\TP.dbf\" WHERE SUPTOT=0"}),
              (Rows{{"2", "0"}, {"3", "0"}, {"4", "0"}}));
    EXPECT_EQ(names({"SELECT * FROM \"{DataDir}\\TP.dbf\""}),
              (std::vector<std::string>{"IDTP", "TPNR", "IDANEXA", "SUPTOT"}));
}

TEST_F(Writes, ErrorsNameWhatIsWrong) {
    fillRegister();
    const struct {
        const char* what;
        std::vector<std::string> statement;
        ErrorKind kind;
        std::string fragment;
        int line, column;  // of a syntax error
    } cases[] = {
        {"a clause cut short", {"SELECT IDTP", "FROM"}, ErrorKind::Syntax, "table path", 2, 5},
        {"a comma too many", {"SELECT IDTP,", "FROM \"{DataDir}\\TP.dbf\""}, ErrorKind::Syntax, "'FROM'", 2, 1},
        {"a double quote inside a value",
         {"UPDATE \"{DataDir}\\Anexe1.dbf\"", "SET SATUL=\"SAT\",", "TIPANX=\"ART \"4\" NOU\",", "NRCRTA=1",
          "WHERE IDANEXA=2"},
         ErrorKind::Syntax, "'4'", 3, 14},
        {"a text without its closing quote", {"SELECT IDTP FROM \"{DataDir}\\TP.dbf\"", "WHERE TPNR=\"12"},
         ErrorKind::Syntax, "closing quote", 2, 12},
        {"a missing value", {"INSERT INTO \"{DataDir}\\Fisiere.dbf\"", "(IDTP,FISIER) VALUES (2,)"}, ErrorKind::Syntax,
         "')'", 2, 25},
        {"an unknown field", {"SELECT IDTP, NUMAR FROM \"{DataDir}\\TP.dbf\""}, ErrorKind::Bind, "NUMAR", 0, 0},
        {"an unknown field in a condition", {"DELETE FROM \"{DataDir}\\TP.dbf\" WHERE IDTITLU=2"}, ErrorKind::Bind,
         "IDTITLU", 0, 0},
        {"an unknown field to set", {"UPDATE \"{DataDir}\\TP.dbf\" SET NUMAR=\"1\" WHERE IDTP=2"}, ErrorKind::Bind,
         "NUMAR", 0, 0},
        {"an unknown field to insert", {"INSERT INTO \"{DataDir}\\TP.dbf\" (IDTP, NUMAR) VALUES (2, \"1\")"},
         ErrorKind::Bind, "NUMAR", 0, 0},
        {"an unknown correlation name", {"SELECT X.IDTP FROM \"{DataDir}\\TP.dbf\" T"}, ErrorKind::Bind, "X", 0, 0},
        {"a field outside GROUP BY",
         {"SELECT CATEG, TIP, SUM(SUPRAF) AS TOT FROM \"{DataDir}\\TPDET.dbf\" GROUP BY CATEG"}, ErrorKind::Bind, "TIP", 0,
         0},
        {"a text compared with a number", {"SELECT IDTP FROM \"{DataDir}\\TP.dbf\" WHERE TPNR=12"}, ErrorKind::Bind, "",
         0, 0},
        {"a missing table", {"SELECT * FROM \"{DataDir}\\TPX.dbf\""}, ErrorKind::Table, "TPX.dbf", 0, 0},
        // The system would stop reading the name at the control character.
        {"a control character in a table path", {std::string("DELETE FROM \"{DataDir}\\TP.dbf\0X\"", 32)},
         ErrorKind::Syntax, "control characters", 1, 13},
        {"an impossible date", {"UPDATE \"{DataDir}\\TP.dbf\" SET DATA=\"31.02.2024\" WHERE IDTP=2"}, ErrorKind::Value,
         "31.02.2024", 0, 0},
        {"a text for a number", {"UPDATE \"{DataDir}\\TP.dbf\" SET SUPTOT=\"1,5\" WHERE IDTP=2"}, ErrorKind::Value,
         "1,5", 0, 0},
        {"a text too long for its field",
         {"INSERT INTO \"{DataDir}\\TP.dbf\" (IDTP, TPNR) VALUES (20, \"12345678901234567\")"}, ErrorKind::Value, "TPNR",
         0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            execLines(c.statement);
            ADD_FAILURE() << "no error";
        } catch (const SyntaxError& e) {
            EXPECT_EQ(c.kind, ErrorKind::Syntax) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_EQ(e.column(), c.column) << e.what();
        } catch (const BindError& e) {
            EXPECT_EQ(c.kind, ErrorKind::Bind) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        } catch (const ValueError& e) {
            EXPECT_EQ(c.kind, ErrorKind::Value) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        } catch (const TableError& e) {
            EXPECT_EQ(c.kind, ErrorKind::Table) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        }
    }
    // Nothing of the failed statements was written.
    EXPECT_EQ(select({"SELECT TPNR, DATA, SUPTOT FROM \"{DataDir}\\TP.dbf\" WHERE IDTP=2"}),
              (Rows{{"10", "01.02.2003", "1.5"}}));
    EXPECT_EQ(select({"SELECT Count(*) FROM \"{DataDir}\\TP.dbf\""}), (Rows{{"6"}}));
}

TEST_F(Writes, AFailingValueWritesNoRowOfTheStatement) {
    fillRegister();
    // The second title's holders do not fit in a title number: no title changes.
    EXPECT_THROW(exec({"UPDATE \"{DataDir}\\TP.dbf\"", "SET TPNR=TITULAR"}), ValueError);
    EXPECT_EQ(select({"SELECT TPNR FROM \"{DataDir}\\TP.dbf\""}),
              (Rows{{"10"}, {"9"}, {"12"}, {"120"}, {"7"}, {"8"}}));
    // Likewise for the rows an INSERT ... SELECT would add.
    EXPECT_THROW(exec({"INSERT INTO \"{DataDir}\\TP.dbf\"", "(IDTP,TPNR)", "SELECT IDTP+100, TITULAR",
                       "FROM \"{DataDir}\\TP.dbf\""}),
                 ValueError);
    EXPECT_EQ(select({"SELECT Count(*) AS NR FROM \"{DataDir}\\TP.dbf\""}), (Rows{{"6"}}));
}

TEST_F(Writes, ATableRenamedToAnotherCaseIsFoundAgain) {
    createTables();
    exec({"INSERT INTO \"{DataDir}\\Fisiere.dbf\" (IDTP,FISIER) VALUES (2, \"a.jpg\")"});
    std::filesystem::rename(dir() + "/Fisiere.dbf", dir() + "/FISIERE.DBF");
    EXPECT_EQ(select({"SELECT FISIER FROM \"{DataDir}\\Fisiere.dbf\""}), (Rows{{"a.jpg"}}));
    std::filesystem::remove(dir() + "/FISIERE.DBF");
    EXPECT_THROW(select({"SELECT FISIER FROM \"{DataDir}\\Fisiere.dbf\""}), TableError);
}
