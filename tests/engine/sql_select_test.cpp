// The SELECT statements of the forms, run as composed on a small register.
#include <gtest/gtest.h>

#include "engine/errors.h"
#include "sql_fixture.h"

using namespace engine;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The named columns of a result, as text (NULL numbers and dates as "NULL").
Rows pick(const ColumnStore& rows, const std::vector<std::string>& columns) {
    Rows out;
    for (size_t r = 0; r < rows.rowCount(); ++r) {
        std::vector<std::string> row;
        for (const std::string& name : columns) {
            const int c = rows.findField(name);
            if (c < 0) throw std::runtime_error("no column " + name);
            const bool text = rows.fields()[size_t(c)].type == FieldType::Text;
            row.push_back(!text && rows.isNull(r, size_t(c)) ? "NULL" : rows.value(r, size_t(c)).toString());
        }
        out.push_back(row);
    }
    return out;
}

// The annex view's statement, with its condition and order slots.
std::vector<std::string> annexQuery(const std::string& annex, const std::string& condition = " ",
                                    const std::string& order = " ") {
    return {"SELECT IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,",
            "MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG,MAX(IDTP) AS MM, MAX(TPNR) AS TIT, "
            "SUM(T.SUPTOT) AS SUPTOT",
            "FROM \"{DataDir}\\Anexe1.dbf\"",
            "LEFT JOIN \"{DataDir}\\TP.dbf\" T",
            "     ON IDANEXA=T.IDANEXA",
            "WHERE ANEXA=\"" + annex + "\"",
            condition,
            "GROUP BY IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,",
            "MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG",
            order};
}

// The general report's rows, with its filter and order lines.
std::vector<std::string> reportQuery(const std::string& filter = " ", const std::string& order = "ORDER BY T.TITULAR") {
    return {"SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR,",
            "D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, D.SUPRAF, D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT",
            "FROM \"{DataDir}\\TPDET.dbf\" D",
            "LEFT JOIN \"{DataDir}\\TP.dbf\" T",
            "ON T.IDTP=D.IDTP",
            filter,
            " ",
            order};
}

std::vector<std::string> reportTotals(const std::string& filter = " ") {
    return {"SELECT D.TIP, D.CATEG, SUM(D.SUPRAF) AS TT",
            "FROM \"{DataDir}\\TPDET.dbf\" D",
            "LEFT JOIN \"{DataDir}\\TP.dbf\" T",
            "ON T.IDTP=D.IDTP",
            filter,
            " ",
            "GROUP BY D.TIP, D.CATEG",
            "ORDER BY D.TIP, D.CATEG"};
}

std::vector<std::string> parcelReport(const std::string& filter = " ", const std::string& order = "ORDER BY T.TPNR") {
    return {"SELECT T.TITULAR, T.IDTP, T.IDANEXA, T.INSAT, T.ANEXA, T.TPNR, SUM(D.SUPRAF) AS TOT",
            "FROM \"{DataDir}\\TPDET.dbf\" D",
            "LEFT JOIN \"{DataDir}\\TP.dbf\" T",
            "ON T.IDTP=D.IDTP",
            filter,
            " ",
            "GROUP BY T.IDTP,T.INSAT, T.IDANEXA, T.TPNR, T.TITULAR, T.ANEXA",
            order};
}

class Selects : public SqlFixture {
protected:
    void SetUp() override { fillRegister(); }

    std::shared_ptr<ColumnStore> query(const std::vector<std::string>& lines) {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + expand(lines[i]);
        return run(text).rows;
    }
};

}  // namespace

TEST_F(Selects, StatementsOfTheFormsGiveTheirRows) {
    const struct {
        const char* what;
        std::vector<std::string> lines;
        std::vector<std::string> columns;
        Rows rows;
    } cases[] = {
        {"annex view: greatest title and number as text, sum; NULL without titles",
         annexQuery("Anexa 2A"),
         {"IDANEXA", "ANEXA", "NUME", "MM", "TIT", "SUPTOT"},
         {{"2", "Anexa 2A", "POP ION", "3", "9", "1.75"},
          {"3", "Anexa 2A", "ALBU ANA", "4", "12", "2"},
          {"4", "Anexa 2A", "ZAMFIR DAN", "NULL", "", "NULL"}}},
        {"annex view with a village and alphabetical order",
         annexQuery("Anexa 2A", "AND (SATUL=\"SAT A\") ", "ORDER BY NUME"),
         {"IDANEXA", "NUME"},
         {{"2", "POP ION"}, {"4", "ZAMFIR DAN"}}},
        {"annex view with a name found in the heirs",
         annexQuery("Anexa 2A", "AND ((NUME LIKE \"%MIHAI%\") OR (MOSTEN LIKE \"%MIHAI%\"))"),
         {"IDANEXA", "MOSTEN"},
         {{"3", "POP MIHAI"}}},
        {"annex view of a law page with village and type",
         annexQuery("Legea 1/2000", "AND (SATUL=\"SAT A\")  AND (TIPANX=\"Art 3\")"),
         {"IDANEXA", "TIPANX", "MM"},
         {{"6", "Art 3", "NULL"}}},
        {"annex view sorted by a result name (text)",
         annexQuery("Anexa 2A", " ", "ORDER BY TIT"),
         {"IDANEXA", "TIT"},
         {{"4", ""}, {"3", "12"}, {"2", "9"}}},
        {"annex view sorted by a result name (sum)",
         annexQuery("Anexa 2A", " ", "ORDER BY SUPTOT DESC"),
         {"IDANEXA", "SUPTOT"},
         {{"3", "2"}, {"2", "1.75"}, {"4", "NULL"}}},
        {"titles, by holder",
         {"SELECT * FROM \"{DataDir}\\TP.dbf\"", " ", "ORDER BY TITULAR"},
         {"IDTP", "TITULAR", "IDANEXA"},
         {{"4", "ALBU ANA", "3"},
          {"5", "BARBU", "NULL"},
          {"6", "CAZAN", "-1"},
          {"7", "DRAGU", "0"},
          {"2", "POP ION", "2"},
          {"3", "POP ION; POP MIHAI", "2"}}},
        {"titles searched by holder and number, empty search line",
         {"SELECT * FROM \"{DataDir}\\TP.dbf\"", "WHERE (TITULAR LIKE \"%POP%\") AND (TPNR LIKE \"1%\")",
          "ORDER BY TITULAR"},
         {"IDTP", "TPNR"},
         {{"2", "10"}}},
        {"titles sorted by date, ties in file order",
         {"SELECT * FROM \"{DataDir}\\TP.dbf\"", "", "ORDER BY DATA"},
         {"IDTP", "DATA"},
         {{"5", "01.01.1900"},
          {"6", "01.01.1900"},
          {"3", "05.06.1995"},
          {"2", "01.02.2003"},
          {"4", "01.02.2003"},
          {"7", "01.02.2003"}}},
        {"free titles for the choose-title dialog: NULL and -1, not 0",
         {"SELECT * FROM \"{DataDir}\\TP.dbf\"", "WHERE (IDANEXA IS NULL) OR (IDANEXA<0)", "ORDER BY TITULAR"},
         {"IDTP"},
         {{"5"}, {"6"}}},
        {"duplicate title number count",
         {"SELECT Count(*) AS NR", "FROM \"{DataDir}\\TP.dbf\"", "WHERE TPNR=\"10\""},
         {"NR"},
         {{"1"}}},
        {"duplicate title number count leaving out the title itself",
         {"SELECT Count(*) AS NR", "FROM \"{DataDir}\\TP.dbf\"", "WHERE TPNR=\"10\"", "AND IDTP<>2"},
         {"NR"},
         {{"0"}}},
        {"greatest position of an annex",
         {"SELECT MAX(NRCRTA) AS NRMAX", "FROM \"{DataDir}\\Anexe1.dbf\"", "WHERE ANEXA=\"Anexa 2A\""},
         {"NRMAX"},
         {{"3"}}},
        {"greatest position of an annex without lines",
         {"SELECT MAX(NRCRTA) AS NRMAX", "FROM \"{DataDir}\\Anexe1.dbf\"", "WHERE ANEXA=\"Anexa 19\""},
         {"NRMAX"},
         {{"NULL"}}},
        {"distinct list with a condition",
         {"SELECT DISTINCT TIPANX", "FROM \"{DataDir}\\Anexe1.dbf\"", "WHERE ANEXA=\"Legea 1/2000\"",
          "ORDER BY TIPANX"},
         {"TIPANX"},
         {{"Art 3"}, {"Art 4"}}},
        {"distinct list with an empty value",
         {"SELECT DISTINCT SATUL", "FROM \"{DataDir}\\Anexe1.dbf\"", "ORDER BY SATUL"},
         {"SATUL"},
         {{""}, {"SAT A"}, {"SAT B"}, {"SAT C"}}},
        {"distinct list without blanks",
         {"SELECT DISTINCT INSAT", "FROM \"{DataDir}\\TP.dbf\"", "WHERE INSAT>\"\"", "ORDER BY INSAT"},
         {"INSAT"},
         {{"SAT A"}, {"SAT B"}, {"SAT C"}}},
        {"lines to renumber",
         {"SELECT IDANEXA, ANEXA, TIPANX FROM \"{DataDir}\\Anexe1.dbf\"", "ORDER BY ANEXA, TIPANX, IDANEXA"},
         {"IDANEXA"},
         {{"2"}, {"3"}, {"4"}, {"6"}, {"5"}, {"7"}}},
        {"surfaces by title, category and identifier",
         {"SELECT * FROM \"{DataDir}\\TPDET.dbf\"", "ORDER BY IDTP, CATEG, IDDET"},
         {"IDDET", "CATEG"},
         {{"2", "Arabil"}, {"4", "CURTI, CONSTRUCTII"}, {"3", "Vii"}, {"5", "Arabil"}, {"6", "Arabil"}, {"7", "Pasuni"}}},
        {"category sums of a title, in order of first appearance",
         {"SELECT CATEG, SUM(SUPRAF) AS TOT", "FROM \"{DataDir}\\TPDET.dbf\"", "WHERE IDTP=2", "GROUP BY CATEG"},
         {"CATEG", "TOT"},
         {{"Arabil", "2.5"}, {"Vii", "0.25"}, {"CURTI, CONSTRUCTII", "0.1"}}},
        {"category sums without a title",
         {"SELECT CATEG, SUM(SUPRAF) AS TOT", "FROM \"{DataDir}\\TPDET.dbf\"", "WHERE IDTP=-1", "GROUP BY CATEG"},
         {"CATEG", "TOT"},
         {}},
        {"general report: every surface, the one without title first",
         reportQuery(),
         {"TITULAR", "TPNR", "SUPRAF", "IDTP"},
         {{"", "", "0.75", "NULL"},
          {"ALBU ANA", "12", "0.5", "4"},
          {"POP ION", "10", "2.5", "2"},
          {"POP ION", "10", "0.25", "2"},
          {"POP ION", "10", "0.1", "2"},
          {"POP ION; POP MIHAI", "9", "1", "3"}}},
        {"general report with conditions on both tables",
         reportQuery("WHERE (INSAT=\"SAT A\") AND (TITULAR LIKE \"%POP%\") AND (LOT LIKE \"1%\")"),
         {"LOT", "SUPRAF"},
         {{"1", "2.5"}, {"12", "0.25"}, {"1A", "0.1"}}},
        {"general report by parcel and annex, sorted by area",
         reportQuery("WHERE (PARCELA=12) AND (ANEXA=\"Anexa 2A\")", "ORDER BY SUPRAF"),
         {"IDTP", "SUPRAF"},
         {{"4", "0.5"}, {"2", "2.5"}}},
        {"general report sorted by a result column of the joined table",
         reportQuery("WHERE (TIP=\"INTRAVILAN\")", "ORDER BY ANEXA"),
         {"ANEXA", "CATEG"},
         {{"Anexa 2A", "CURTI, CONSTRUCTII"}, {"Anexa 2A", "Arabil"}}},
        {"general report: a condition on the titles that a missing title passes keeps its surface",
         reportQuery("WHERE (TITULAR IS NULL)"),
         {"TPNR", "SUPRAF", "IDTP"},
         {{"", "0.75", "NULL"}}},
        {"general report: a condition on the titles that a missing title fails drops its surface",
         reportQuery("WHERE (INSAT<>\"SAT B\")"),
         {"TPNR", "SUPRAF"},
         {{"10", "2.5"}, {"10", "0.25"}, {"10", "0.1"}, {"9", "1"}}},
        {"general report: a condition over both tables",
         reportQuery("WHERE (INSAT=\"SAT B\") OR (SUPRAF=0.75)"),
         {"TPNR", "SUPRAF"},
         {{"", "0.75"}, {"12", "0.5"}}},
        {"general report totals by type and category",
         reportTotals(),
         {"TIP", "CATEG", "TT"},
         {{"EXTRAVILAN", "Arabil", "3.5"},
          {"EXTRAVILAN", "Pasuni", "0.75"},
          {"EXTRAVILAN", "Vii", "0.25"},
          {"INTRAVILAN", "Arabil", "0.5"},
          {"INTRAVILAN", "CURTI, CONSTRUCTII", "0.1"}}},
        {"general report totals of a village",
         reportTotals("WHERE (INSAT=\"SAT B\")"),
         {"TIP", "CATEG", "TT"},
         {{"INTRAVILAN", "Arabil", "0.5"}}},
        {"per-parcel report: one row per title",
         parcelReport(),
         {"TPNR", "TITULAR", "TOT"},
         {{"", "", "0.75"}, {"10", "POP ION", "2.85"}, {"12", "ALBU ANA", "0.5"}, {"9", "POP ION; POP MIHAI", "1"}}},
        {"grouped by columns of the joined table: titles of one village are one group, in order of first surface",
         {"SELECT T.INSAT, COUNT(*) AS N, SUM(D.SUPRAF) AS S, MAX(D.SUPRAF) AS M",
          "FROM \"{DataDir}\\TPDET.dbf\" D", "LEFT JOIN \"{DataDir}\\TP.dbf\" T", "ON T.IDTP=D.IDTP",
          "GROUP BY T.INSAT"},
         {"INSAT", "N", "S", "M"},
         {{"SAT A", "4", "3.85", "2.5"}, {"SAT B", "1", "0.5", "0.5"}, {"", "1", "0.75", "0.75"}}},
        {"per-parcel report of a plot, sorted by area",
         parcelReport("WHERE (OBS=\"LA PADURE\") AND (NRTARLA=\"5\")", "ORDER BY TOT"),
         {"TPNR", "TOT"},
         {{"12", "0.5"}, {"10", "2.75"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(pick(*query(c.lines), c.columns), c.rows);
    }
}

TEST_F(Selects, ResultFieldsFollowTheirSource) {
    const auto annex = query(annexQuery("Anexa 2A"));
    ASSERT_EQ(annex->columnCount(), 25u);
    const struct {
        const char* name;
        FieldType type;
        int width, decimals;
    } expected[] = {{"IDANEXA", FieldType::Number, 10, 0}, {"TIPANX", FieldType::Text, 24, 0},
                    {"SAPROB", FieldType::Number, 8, 4},   {"MM", FieldType::Number, 10, 0},
                    {"TIT", FieldType::Text, 16, 0},       {"SUPTOT", FieldType::Number, 20, 4}};
    for (const auto& e : expected) {
        const int c = annex->findField(e.name);
        ASSERT_GE(c, 0) << e.name;
        const FieldDef& d = annex->fields()[size_t(c)];
        EXPECT_EQ(d.type, e.type) << e.name;
        EXPECT_EQ(d.width, e.width) << e.name;
        EXPECT_EQ(d.decimals, e.decimals) << e.name;
    }
    const auto count = query({"SELECT Count(*) AS NR FROM \"{DataDir}\\TP.dbf\""});
    EXPECT_EQ(count->fields()[0].width, 10);
    EXPECT_EQ(count->fields()[0].decimals, 0);
    // A join without AS names: qualifiers dropped, duplicates numbered.
    EXPECT_EQ(names({"SELECT * FROM \"{DataDir}\\Fisiere.dbf\" F", "LEFT JOIN \"{DataDir}\\TP.dbf\" T ON F.IDTP=T.IDTP"}),
              (std::vector<std::string>{"IDTP", "FISIER", "IDTP_1", "TPNR", "TPCOD", "TITULAR", "INSAT", "DATA",
                                        "SUPTOT", "ANEXA", "IDANEXA"}));
    EXPECT_EQ(names({"SELECT T.ANEXA, D.TIP, MAX(D.SUPRAF), Count(*)", "FROM \"{DataDir}\\TPDET.dbf\" D",
                     "LEFT JOIN \"{DataDir}\\TP.dbf\" T ON T.IDTP=D.IDTP", "GROUP BY T.ANEXA, D.TIP"}),
              (std::vector<std::string>{"ANEXA", "TIP", "MAX", "COUNT"}));
}

TEST_F(Selects, ArithmeticAndSumsAreExact) {
    addTitle(8, "500", "TEST", "SAT D", "01.01.2000", "0");
    for (int i = 0; i < 10; ++i) addSurface(8, 100 + i, "EXTRAVILAN", "Arabil", "1", "1", "", "0.1");
    EXPECT_EQ(select({"SELECT SUM(SUPRAF) AS S, SUM(SUPRAF)*3 - 1 AS X, MIN(SUPRAF) AS M, Count(LOT) AS L",
                      "FROM \"{DataDir}\\TPDET.dbf\"", "WHERE IDTP=8"}),
              (Rows{{"1", "2", "0.1", "0"}}));
    EXPECT_EQ(select({"SELECT IDTP, SUPTOT / 3 AS T, -SUPTOT AS N FROM \"{DataDir}\\TP.dbf\" WHERE IDTP=4"}),
              (Rows{{"4", "0.6667", "-2"}}));
}

TEST_F(Selects, ConditionsOnDatesTextsAndNulls) {
    const struct {
        const char* where;
        Rows ids;
    } cases[] = {
        {"DATA=\"01.01.1900\"", {{"5"}, {"6"}}},
        {"DATA>\"1.1.1990\" AND DATA<\"1.1.2000\"", {{"3"}}},
        {"TPNR>\"2\"", {{"3"}, {"6"}, {"7"}}},  // "9", "7", "8" after "2"; "10", "12", "120" before
        {"TPNR<=\"10\"", {{"2"}}},
        {"INSAT IS NULL", {{"6"}}},
        {"INSAT=\"\"", {{"6"}}},
        {"ANEXA IS NOT NULL", {{"2"}, {"3"}, {"4"}}},
        {"TITULAR LIKE \"POP%\"", {{"2"}, {"3"}}},
        {"TITULAR LIKE \"pop%\"", {}},
        {"TITULAR NOT LIKE \"%ION%\"", {{"4"}, {"5"}, {"6"}, {"7"}}},
        {"TITULAR LIKE \"POP ION_%\"", {{"3"}}},
        {"IDANEXA=NULL", {}},
        {"IDANEXA<>2", {{"4"}, {"6"}, {"7"}}},
        {"NOT (IDANEXA=2 OR IDANEXA=3) AND IDTP<7", {{"5"}, {"6"}}},
        {"SUPTOT=\"1.5\"", {{"2"}}},
        {"IDTP=2 AND TPNR=\"10\" AND INSAT=\"SAT A\"", {{"2"}}},
        {"IDTP=2 AND TPNR=\"11\"", {}},
        {"TPNR=\"10 \"", {{"2"}}},  // trailing blanks do not count
    };
    for (const auto& c : cases)
        EXPECT_EQ(select({"SELECT IDTP FROM \"{DataDir}\\TP.dbf\"", std::string("WHERE ") + c.where}), c.ids) << c.where;
}

TEST_F(Selects, DeletedRecordsAreNotRead) {
    EXPECT_EQ(exec({"DELETE FROM \"{DataDir}\\TP.dbf\"", "WHERE IDTP=3"}), 1u);
    EXPECT_EQ(select({"SELECT IDTP FROM \"{DataDir}\\TP.dbf\" WHERE IDTP<5"}), (Rows{{"2"}, {"4"}}));
    EXPECT_EQ(select({"SELECT IDTP FROM \"{DataDir}\\TP.dbf\" WHERE TPNR=\"9\""}), Rows{});
    EXPECT_EQ(pick(*query(annexQuery("Anexa 2A")), {"IDANEXA", "MM", "TIT", "SUPTOT"})[0],
              (std::vector<std::string>{"2", "2", "10", "1.5"}));
}
