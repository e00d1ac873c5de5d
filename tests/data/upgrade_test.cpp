#include <QDir>
#include <QFile>

#include "data_fixture.h"
#include "engine/fault_injection.h"

namespace {

using Names = std::vector<std::string>;
using Rows = std::vector<std::string>;

// Columns of the tables as older versions wrote them.
const char* const kOldTpWithFile =
    "IDTP DECIMAL(10,0), TPNR CHAR(16), TPCOD DECIMAL(9,0), TITULAR CHAR(120), INSAT CHAR(24), DATA DATE, "
    "SUPTOT DECIMAL(9,4), ANEXA CHAR(16), IDANEXA DECIMAL(10,0), FISIER CHAR(120)";
const char* const kOldTpWithoutTotal =
    "IDTP DECIMAL(10,0), TPNR CHAR(16), TPCOD DECIMAL(9,0), TITULAR CHAR(120), INSAT CHAR(24), DATA DATE, "
    "ANEXA CHAR(16), IDANEXA DECIMAL(10,0)";
const char* const kOldTpWithFileWithoutTotal =
    "IDTP DECIMAL(10,0), TPNR CHAR(16), TPCOD DECIMAL(9,0), TITULAR CHAR(120), INSAT CHAR(24), DATA DATE, "
    "ANEXA CHAR(16), IDANEXA DECIMAL(10,0), FISIER CHAR(120)";
const char* const kOldTpdet =
    "IDTP DECIMAL(10,0), IDDET DECIMAL(10,0), TIP CHAR(10), CATEG CHAR(20), NRTARLA CHAR(16), PARCELA DECIMAL(6,0), "
    "LOT CHAR(16), SUPRAF DECIMAL(9,4), VECN CHAR(36), VECE CHAR(36), VECS CHAR(36), VECV CHAR(36), OBS CHAR(50)";
const char* const kOldRf =
    "IDRF DECIMAL(10,0), INSAT CHAR(24), NRTARLA CHAR(16), PARCELA DECIMAL(6,0), SUPRAF DECIMAL(9,4), OBS CHAR(50)";
const char* const kOldAnexe =
    "IDANEXA DECIMAL(10,0), ANEXA CHAR(16), TIPANX CHAR(24), SATUL CHAR(24), NUME CHAR(120), SINCAP DECIMAL(8,4), "
    "SSOL DECIMAL(8,4), SAPROB DECIMAL(8,4), SACT DECIMAL(8,4), MOSTEN CHAR(120), EXTOT DECIMAL(8,4), "
    "EXAR DECIMAL(8,4), EXVII DECIMAL(8,4), EXLIV DECIMAL(8,4), EXPAS DECIMAL(8,4), INTOT DECIMAL(8,4), "
    "INAR DECIMAL(8,4), INVII DECIMAL(8,4), INLIV DECIMAL(8,4), INPAS DECIMAL(8,4), NEAG DECIMAL(8,4)";

class Upgrade : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        store.CreateTables();
        log.clear();
    }

    // Puts a table of an older version in place of the current one.
    void replaceTable(const QString& file, const char* columns) {
        ASSERT_TRUE(QFile::remove(store.tablePath(file)));
        exec("CREATE TABLE " + quoted(file) + " (" + columns + ")");
    }

    QStringList inspection(const QString& file) const { return {"SELECT * FROM " + quoted(file)}; }

    // The statements after the four inspections.
    std::vector<QStringList> steps() const {
        EXPECT_GE(log.size(), 4u);
        EXPECT_EQ(log[0], inspection("TP.dbf"));
        EXPECT_EQ(log[1], inspection("Anexe1.dbf"));
        EXPECT_EQ(log[2], inspection("TPDET.dbf"));
        EXPECT_EQ(log[3], inspection("RF.dbf"));
        return std::vector<QStringList>(log.begin() + std::min<size_t>(4, log.size()), log.end());
    }
};

TEST_F(Upgrade, CurrentVersionOnlyInspectsTheTables) {
    exec("INSERT INTO " + quoted("TP.dbf") + " (IDTP, TPNR) VALUES (2, \"12\")");
    const QByteArray before = bytesOf("TP.DBF");
    store.UpgradeTables();
    EXPECT_TRUE(steps().empty());
    EXPECT_EQ(bytesOf("TP.DBF"), before);
}

TEST_F(Upgrade, StepAMovesFileNamesToFisiereAndDropsTheColumn) {
    replaceTable("TP.DBF", kOldTpWithFile);
    exec("INSERT INTO " + quoted("TP.DBF") + " (IDTP, TPNR, FISIER) VALUES (2, \"10\", \"C:\\scan\\t10.jpg\")");
    exec("INSERT INTO " + quoted("TP.DBF") + " (IDTP, TPNR, FISIER) VALUES (3, \"11\", \"\")");
    exec("INSERT INTO " + quoted("TP.DBF") + " (IDTP, TPNR, FISIER) VALUES (4, \"12\", \"C:\\scan\\t12.bmp\")");
    store.UpgradeTables();

    const std::vector<QStringList> expected = {
        {"INSERT INTO " + quoted("Fisiere.dbf"), "(IDTP,FISIER)", "SELECT IDTP, FISIER", "FROM " + quoted("TP.dbf")},
        {"ALTER TABLE " + quoted("TP.dbf"), "DROP FISIER"},
    };
    EXPECT_EQ(steps(), expected);
    EXPECT_EQ(rows("SELECT IDTP, FISIER FROM " + quoted("Fisiere.dbf") + " ORDER BY IDTP"),
              (Rows{"2|C:\\scan\\t10.jpg", "3|", "4|C:\\scan\\t12.bmp"}));
    EXPECT_EQ(columnNames("TP.DBF"),
              (Names{"IDTP", "TPNR", "TPCOD", "TITULAR", "INSAT", "DATA", "SUPTOT", "ANEXA", "IDANEXA"}));
    EXPECT_EQ(rows("SELECT IDTP, TPNR FROM " + quoted("TP.dbf") + " ORDER BY IDTP"), (Rows{"2|10", "3|11", "4|12"}));
}

TEST_F(Upgrade, StepBAddsTheDimensionsOfSurfaces) {
    replaceTable("TPDET.DBF", kOldTpdet);
    exec("INSERT INTO " + quoted("TPDET.DBF") + " (IDTP, IDDET, SUPRAF) VALUES (2, 5, 1.25)");
    store.UpgradeTables();

    const std::vector<QStringList> expected = {
        {"ALTER TABLE " + quoted("TPDET.dbf"), "ADD LUNG DECIMAL(8,4),ADD LAT DECIMAL(8,4), ADD COMENT CHAR(50)"},
        {"UPDATE " + quoted("TPDET.dbf"), "SET LUNG=0, LAT=0,COMENT=\"\""},
    };
    EXPECT_EQ(steps(), expected);
    EXPECT_EQ(columnNames("TPDET.DBF").back(), "COMENT");
    EXPECT_EQ(rows("SELECT IDDET, SUPRAF, LUNG, LAT, COMENT FROM " + quoted("TPDET.dbf")), (Rows{"5|1.25|0|0|"}));
}

TEST_F(Upgrade, StepCCountsOldLandRegisterValuesForEverySelection) {
    replaceTable("RF.DBF", kOldRf);
    exec("INSERT INTO " + quoted("RF.DBF") + " (IDRF, INSAT, SUPRAF) VALUES (2, \"Vaslui\", 10.5)");
    exec("INSERT INTO " + quoted("RF.DBF") + " (IDRF, INSAT, SUPRAF) VALUES (3, \" * toate *\", 99)");
    store.UpgradeTables();

    const std::vector<QStringList> expected = {
        {"ALTER TABLE " + quoted("RF.dbf"),
         "ADD TITULAR CHAR(120),ADD LOT CHAR(16),ADD ANEXA CHAR(16),ADD TIP CHAR(10),ADD CATEG CHAR(20)"},
        {"UPDATE " + quoted("RF.dbf"), "SET TITULAR=\" * toate *\",", "LOT=\" * toate *\",", "ANEXA=\" * toate *\",",
         "TIP=\" * toate *\",", "CATEG=\" * toate *\""},
    };
    EXPECT_EQ(steps(), expected);
    EXPECT_EQ(rows("SELECT IDRF, SUPRAF, TITULAR, LOT, ANEXA, TIP, CATEG FROM " + quoted("RF.dbf") + " ORDER BY IDRF"),
              (Rows{"2|10.5| * toate *| * toate *| * toate *| * toate *| * toate *",
                    "3|99| * toate *| * toate *| * toate *| * toate *| * toate *"}));
}

TEST_F(Upgrade, StepDNumbersEachAnnexAndTypeInTheOrderOfIdentifiers) {
    replaceTable("ANEXE1.DBF", kOldAnexe);
    const struct {
        int id;
        const char* annex;
        const char* type;
    } lines[] = {
        {9, "Legea 1/2000", "Anexa 37"}, {4, "Legea 1/2000", "Anexa 45"}, {7, "Legea 1/2000", "Anexa 37"},
        {12, "Anexa 3", ""},             {2, "Legea 1/2000", "Anexa 37"}, {5, "Anexa 3", ""},
        {11, "Legea 1/2000", "Anexa 45"},
    };
    for (const auto& l : lines)
        exec(QString("INSERT INTO %1 (IDANEXA, ANEXA, TIPANX) VALUES (%2, \"%3\", \"%4\")")
                 .arg(quoted("ANEXE1.DBF"))
                 .arg(l.id)
                 .arg(l.annex, l.type));
    // A leftover of an earlier run is deleted and its name reused.
    QFile leftover(dir.filePath("UpGr0.ser"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    store.Bar1().setMaximum(100);
    store.Bar1().setPosition(40);

    store.UpgradeTables();

    EXPECT_EQ(rows("SELECT IDANEXA, NRCRTA FROM " + quoted("Anexe1.dbf") + " ORDER BY IDANEXA"),
              (Rows{"2|1", "4|1", "5|1", "7|2", "9|3", "11|2", "12|2"}));
    const std::vector<QStringList> s = steps();
    ASSERT_EQ(s.size(), 2u + 7u);
    EXPECT_EQ(s[0], QStringList({"ALTER TABLE " + quoted("Anexe1.dbf"), "ADD NRCRTA DECIMAL(10,0)"}));
    EXPECT_EQ(s[1], QStringList({"SELECT IDANEXA, ANEXA, TIPANX FROM " + quoted("Anexe1.dbf"),
                                 "ORDER BY ANEXA, TIPANX, IDANEXA"}));
    // In the order of the query: "Anexa 3", then the two types of the law.
    EXPECT_EQ(s[2], QStringList({"UPDATE " + quoted("Anexe1.dbf"), "SET NRCRTA=1", "WHERE IDANEXA=5"}));
    EXPECT_EQ(s[3], QStringList({"UPDATE " + quoted("Anexe1.dbf"), "SET NRCRTA=2", "WHERE IDANEXA=12"}));
    EXPECT_EQ(s[8], QStringList({"UPDATE " + quoted("Anexe1.dbf"), "SET NRCRTA=2", "WHERE IDANEXA=11"}));
    EXPECT_TRUE(QDir(dir.path()).entryList({"UpGr*"}).isEmpty());
    EXPECT_EQ(store.Bar1().maximum(), 100);
    EXPECT_EQ(store.Bar1().position(), 0);
}

TEST_F(Upgrade, StepDOnAnEmptyTableOnlyAddsTheColumn) {
    replaceTable("ANEXE1.DBF", kOldAnexe);
    store.UpgradeTables();
    const std::vector<QStringList> s = steps();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1].first(), "SELECT IDANEXA, ANEXA, TIPANX FROM " + quoted("Anexe1.dbf"));
    EXPECT_EQ(columnNames("ANEXE1.DBF").back(), "NRCRTA");
    EXPECT_TRUE(QDir(dir.path()).entryList({"UpGr*"}).isEmpty());
}

TEST_F(Upgrade, StepEAddsTheTotalOfTitles) {
    replaceTable("TP.DBF", kOldTpWithoutTotal);
    exec("INSERT INTO " + quoted("TP.DBF") + " (IDTP, TPNR) VALUES (2, \"7\")");
    store.UpgradeTables();
    const std::vector<QStringList> expected = {
        {"ALTER TABLE " + quoted("TP.dbf"), "ADD SUPTOT DECIMAL(9,4)"},
        {"UPDATE " + quoted("TP.dbf"), "SET SUPTOT=0"},
    };
    EXPECT_EQ(steps(), expected);
    EXPECT_EQ(rows("SELECT IDTP, SUPTOT FROM " + quoted("TP.dbf")), (Rows{"2|0"}));
}

TEST_F(Upgrade, AllStepsTogetherRunInOrderAndOnce) {
    replaceTable("TP.DBF", kOldTpWithFileWithoutTotal);
    replaceTable("TPDET.DBF", kOldTpdet);
    replaceTable("RF.DBF", kOldRf);
    replaceTable("ANEXE1.DBF", kOldAnexe);
    exec("INSERT INTO " + quoted("TP.DBF") + " (IDTP, FISIER) VALUES (2, \"a.jpg\")");
    exec("INSERT INTO " + quoted("ANEXE1.DBF") + " (IDANEXA, ANEXA) VALUES (3, \"Anexa 6\")");

    store.UpgradeTables();
    const std::vector<QStringList> s = steps();
    QStringList heads;
    for (const QStringList& statement : s) heads.append(statement.first().section(' ', 0, 1) + " " + statement.value(1));
    EXPECT_EQ(heads, QStringList({
                         "INSERT INTO (IDTP,FISIER)",
                         "ALTER TABLE DROP FISIER",
                         "ALTER TABLE ADD LUNG DECIMAL(8,4),ADD LAT DECIMAL(8,4), ADD COMENT CHAR(50)",
                         "UPDATE " + quoted("TPDET.dbf") + " SET LUNG=0, LAT=0,COMENT=\"\"",
                         "ALTER TABLE ADD TITULAR CHAR(120),ADD LOT CHAR(16),ADD ANEXA CHAR(16),ADD TIP CHAR(10),ADD CATEG CHAR(20)",
                         "UPDATE " + quoted("RF.dbf") + " SET TITULAR=\" * toate *\",",
                         "ALTER TABLE ADD NRCRTA DECIMAL(10,0)",
                         "SELECT IDANEXA, ORDER BY ANEXA, TIPANX, IDANEXA",
                         "UPDATE " + quoted("Anexe1.dbf") + " SET NRCRTA=1",
                         "ALTER TABLE ADD SUPTOT DECIMAL(9,4)",
                         "UPDATE " + quoted("TP.dbf") + " SET SUPTOT=0",
                     }));
    EXPECT_EQ(columnNames("TP.DBF"),
              (Names{"IDTP", "TPNR", "TPCOD", "TITULAR", "INSAT", "DATA", "ANEXA", "IDANEXA", "SUPTOT"}));
    EXPECT_EQ(rows("SELECT IDTP, FISIER FROM " + quoted("Fisiere.dbf")), (Rows{"2|a.jpg"}));
    EXPECT_TRUE(QDir(dir.path()).entryList({"UpGr*"}).isEmpty());

    log.clear();
    store.UpgradeTables();
    EXPECT_TRUE(steps().empty());
}

TEST_F(Upgrade, AFailedStepIsReportedAndLeavesTheTablesUsable) {
    replaceTable("TP.DBF", kOldTpWithFile);
    exec("INSERT INTO " + quoted("TP.DBF") + " (IDTP, FISIER) VALUES (2, \"a.jpg\")");
    ASSERT_TRUE(QFile::remove(store.tablePath("Fisiere.dbf")));
    EXPECT_THROW(store.UpgradeTables(), std::exception);
    // The column was not dropped: its names are still there for the next start.
    EXPECT_EQ(rows("SELECT IDTP, FISIER FROM " + quoted("TP.dbf")), (Rows{"2|a.jpg"}));

    store.CreateTables();
    log.clear();
    store.UpgradeTables();
    EXPECT_EQ(rows("SELECT IDTP, FISIER FROM " + quoted("Fisiere.dbf")), (Rows{"2|a.jpg"}));
}

// A step is one transaction: stopped by a full disk at any of its writes, it
// leaves its tables as before (the trigger still holds) and the next start
// runs it whole.
TEST_F(Upgrade, AStepStoppedMidwayIsUndoneAndRunsWholeNextTime) {
    const auto oldTables = [&] {
        replaceTable("TPDET.DBF", kOldTpdet);
        replaceTable("ANEXE1.DBF", kOldAnexe);
        for (int id = 2; id < 6; ++id) {
            exec(QString("INSERT INTO %1 (IDTP, IDDET, SUPRAF) VALUES (2, %2, 1.25)").arg(quoted("TPDET.DBF")).arg(id));
            exec(QString("INSERT INTO %1 (IDANEXA, ANEXA, TIPANX) VALUES (%2, \"Anexa 3\", \"\")")
                     .arg(quoted("ANEXE1.DBF"))
                     .arg(id));
        }
    };
    const Rows upgradedSurfaces{"2|0|", "3|0|", "4|0|", "5|0|"};
    const Rows numberedLines{"2|1", "3|2", "4|3", "5|4"};
    const auto surfaces = [&] {
        if (columnNames("TPDET.DBF").back() != "COMENT") return Rows{"old"};
        return rows("SELECT IDDET, LUNG, COMENT FROM " + quoted("TPDET.dbf") + " ORDER BY IDDET");
    };
    const auto lines = [&] {
        if (columnNames("ANEXE1.DBF").back() != "NRCRTA") return Rows{"old"};
        return rows("SELECT IDANEXA, NRCRTA FROM " + quoted("Anexe1.dbf") + " ORDER BY IDANEXA");
    };

    oldTables();
    engine::faults::arm({});
    store.UpgradeTables();
    const long operations = engine::faults::operations();
    engine::faults::disarm();
    ASSERT_EQ(surfaces(), upgradedSurfaces);
    ASSERT_EQ(lines(), numberedLines);
    for (long k = 1; k <= operations; ++k) {
        oldTables();
        engine::faults::arm(engine::faults::Plan::diskFullFrom(k));
        bool failed = false;
        try {
            store.UpgradeTables();
        } catch (const std::exception&) {
            failed = true;
        }
        engine::faults::disarm();
        // Past its commit a step is done, whatever its clean-up met.
        const Rows s = surfaces(), l = lines();
        EXPECT_TRUE(s == upgradedSurfaces || (failed && s == Rows{"old"})) << "write " << k;
        EXPECT_TRUE(l == numberedLines || (failed && l == Rows{"old"})) << "write " << k;
        EXPECT_FALSE(QFile::exists(dir.filePath("UpGr0.ser"))) << "write " << k;
        store.UpgradeTables();
        EXPECT_EQ(surfaces(), upgradedSurfaces) << "write " << k;
        EXPECT_EQ(lines(), numberedLines) << "write " << k;
        // The five tables, and nothing left beside them.
        EXPECT_EQ(QDir(store.DataDir()).entryList(QDir::Files | QDir::Hidden).size(), 5) << "write " << k;
    }
}

}  // namespace
