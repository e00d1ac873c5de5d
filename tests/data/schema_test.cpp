#include <QDir>

#include "data_fixture.h"
#include "engine/table.h"

namespace {

using Schema = DataFixture;

struct Column {
    const char* name;
    engine::FieldType type;
    int width;
    int decimals;
};

constexpr auto N = engine::FieldType::Number;
constexpr auto C = engine::FieldType::Text;
constexpr auto D = engine::FieldType::Date;

const std::vector<std::pair<const char*, std::vector<Column>>> kTables = {
    {"TP.DBF",
     {{"IDTP", N, 10, 0}, {"TPNR", C, 16, 0}, {"TPCOD", N, 9, 0}, {"TITULAR", C, 120, 0}, {"INSAT", C, 24, 0},
      {"DATA", D, 8, 0}, {"SUPTOT", N, 9, 4}, {"ANEXA", C, 16, 0}, {"IDANEXA", N, 10, 0}}},
    {"TPDET.DBF",
     {{"IDTP", N, 10, 0}, {"IDDET", N, 10, 0}, {"TIP", C, 10, 0}, {"CATEG", C, 20, 0}, {"NRTARLA", C, 16, 0},
      {"PARCELA", N, 6, 0}, {"LOT", C, 16, 0}, {"SUPRAF", N, 9, 4}, {"VECN", C, 36, 0}, {"VECE", C, 36, 0},
      {"VECS", C, 36, 0}, {"VECV", C, 36, 0}, {"OBS", C, 50, 0}, {"LUNG", N, 8, 4}, {"LAT", N, 8, 4},
      {"COMENT", C, 50, 0}}},
    {"ANEXE1.DBF",
     {{"IDANEXA", N, 10, 0}, {"ANEXA", C, 16, 0}, {"TIPANX", C, 24, 0}, {"NRCRTA", N, 10, 0}, {"SATUL", C, 24, 0},
      {"NUME", C, 120, 0}, {"SINCAP", N, 8, 4}, {"SSOL", N, 8, 4}, {"SAPROB", N, 8, 4}, {"SACT", N, 8, 4},
      {"MOSTEN", C, 120, 0}, {"EXTOT", N, 8, 4}, {"EXAR", N, 8, 4}, {"EXVII", N, 8, 4}, {"EXLIV", N, 8, 4},
      {"EXPAS", N, 8, 4}, {"INTOT", N, 8, 4}, {"INAR", N, 8, 4}, {"INVII", N, 8, 4}, {"INLIV", N, 8, 4},
      {"INPAS", N, 8, 4}, {"NEAG", N, 8, 4}}},
    {"RF.DBF",
     {{"IDRF", N, 10, 0}, {"INSAT", C, 24, 0}, {"NRTARLA", C, 16, 0}, {"PARCELA", N, 6, 0}, {"SUPRAF", N, 9, 4},
      {"OBS", C, 50, 0}, {"TITULAR", C, 120, 0}, {"LOT", C, 16, 0}, {"ANEXA", C, 16, 0}, {"TIP", C, 10, 0},
      {"CATEG", C, 20, 0}}},
    {"Fisiere.dbf", {{"IDTP", N, 10, 0}, {"FISIER", C, 120, 0}}},
};

TEST_F(Schema, EmptyDataDirGetsTheFiveTablesWithTheirColumnsInOrder) {
    store.CreateTables();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(QDir(store.DataDir()).entryList(QDir::Files, QDir::Name),
              QStringList({"ANEXE1.DBF", "Fisiere.dbf", "RF.DBF", "TP.DBF", "TPDET.DBF"}));
    for (const auto& [file, columns] : kTables) {
        // Read back from the table header on disk.
        engine::Database fresh;
        const auto& fields = fresh.table(store.tablePath(file).toStdString())->fields();
        ASSERT_EQ(fields.size(), columns.size()) << file;
        for (size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(fields[i].name, columns[i].name) << file;
            EXPECT_EQ(fields[i].type, columns[i].type) << file << " " << columns[i].name;
            EXPECT_EQ(fields[i].width, columns[i].width) << file << " " << columns[i].name;
            EXPECT_EQ(fields[i].decimals, columns[i].decimals) << file << " " << columns[i].name;
        }
        EXPECT_TRUE(rows(QString("SELECT * FROM \"%1\"").arg(store.tablePath(file))).empty());
    }
}

TEST_F(Schema, StatementsAreSentExactlyAsComposed) {
    store.CreateTables();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].mid(0, 4), QStringList({"CREATE TABLE " + quoted("TP.DBF"), "(", "IDTP     DECIMAL(10,0),",
                                             "TPNR     CHAR(16),"}));
    EXPECT_EQ(log[0].last(), "IDANEXA  DECIMAL(10,0) )");
    EXPECT_EQ(log[0].size(), 11);
    EXPECT_EQ(log[1].size(), 18);
    EXPECT_EQ(log[2].size(), 24);
    EXPECT_EQ(log[3].size(), 13);
    EXPECT_EQ(log[4], QStringList({"CREATE TABLE " + quoted("Fisiere.dbf"), "(", "IDTP DECIMAL(10,0), FISIER CHAR(120))"}));
}

TEST_F(Schema, ExistingTablesKeepTheirRowsAndColumns) {
    exec("CREATE TABLE " + quoted("rf.dbf") + " (IDRF DECIMAL(10,0), INSAT CHAR(24))");
    exec("INSERT INTO " + quoted("RF.DBF") + " (IDRF, INSAT) VALUES (5, \"Vaslui\")");
    store.CreateTables();
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(columnNames("RF.DBF"), (std::vector<std::string>{"IDRF", "INSAT"}));
    EXPECT_EQ(rows("SELECT IDRF, INSAT FROM " + quoted("RF.DBF")), (std::vector<std::string>{"5|Vaslui"}));
    EXPECT_FALSE(store.BeginCreateTable(store.tablePath("Rf.Dbf")));
    EXPECT_TRUE(store.BeginCreateTable(store.tablePath("Other.dbf")));
    EXPECT_EQ(store.Sx().lines(), (std::vector<std::string>{"CREATE TABLE " + quoted("Other.dbf").toStdString(), "("}));
}

TEST_F(Schema, AnUnwritableDataDirIsAnError) {
    QDir(store.DataDir()).removeRecursively();
    QFile blocker(store.DataDir());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(store.CreateTables(), std::exception);
}

}  // namespace
