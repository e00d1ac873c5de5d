#include <QComboBox>

#include "data/annexes.h"
#include "data_fixture.h"
#include "engine/os.h"

namespace {

using Rows = std::vector<std::string>;

class Pack : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        store.CreateTables();
        for (int id = 2; id <= 6; ++id)
            exec(QString("INSERT INTO %1 (IDTP, TPNR) VALUES (%2, \"T%2\")").arg(quoted("TP.DBF")).arg(id));
        exec("DELETE FROM " + quoted("TP.DBF") + " WHERE (IDTP=3) OR (IDTP=5)");
    }
};

TEST_F(Pack, DeletedRowsGoForGoodAndTheOthersStay) {
    const qsizetype before = bytesOf("TP.DBF").size();
    store.PackTable(store.tablePath("TP.dbf"));
    EXPECT_LT(bytesOf("TP.DBF").size(), before);
    EXPECT_EQ(rows("SELECT IDTP, TPNR FROM " + quoted("TP.dbf") + " ORDER BY IDTP"), (Rows{"2|T2", "4|T4", "6|T6"}));
    EXPECT_FALSE(store.Sursa().isOpen());
    // The table can be packed again, and written to afterwards.
    store.PackTable(store.tablePath("TP.dbf"));
    exec("INSERT INTO " + quoted("TP.dbf") + " (IDTP) VALUES (7)");
    EXPECT_EQ(rows("SELECT IDTP FROM " + quoted("TP.dbf") + " ORDER BY IDTP"), (Rows{"2", "4", "6", "7"}));
}

TEST_F(Pack, AnAlreadyPackedTableKeepsItsBytes) {
    store.PackTable(store.tablePath("TP.dbf"));
    // Dated years ago: a rewrite would date it today.
    QByteArray packed = bytesOf("TP.DBF");
    packed[1] = char(99);
    {
        QFile f(store.tablePath("TP.DBF"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_EQ(f.write(packed), packed.size());
    }
    store.PackTable(store.tablePath("TP.dbf"));
    EXPECT_EQ(bytesOf("TP.DBF"), packed);
    EXPECT_FALSE(store.Sursa().isOpen());
    EXPECT_EQ(rows("SELECT IDTP FROM " + quoted("TP.dbf") + " ORDER BY IDTP"), (Rows{"2", "4", "6"}));
}

TEST_F(Pack, ATableInUseByAnotherProgramIsLeftWholeAndTheErrorGoesOn) {
    const QByteArray before = bytesOf("TP.DBF");
    // Another program holding the file: a lock through a handle of its own.
    engine::os::File other = engine::os::File::open(store.tablePath("TP.DBF").toStdString(), engine::os::File::Open::Read);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other.lock(engine::os::LockMode::Shared));
    EXPECT_THROW(store.PackTable(store.tablePath("TP.dbf")), std::exception);
    EXPECT_FALSE(store.Sursa().isOpen());
    EXPECT_EQ(bytesOf("TP.DBF"), before);
    other.close();

    store.PackTable(store.tablePath("TP.dbf"));
    EXPECT_EQ(rows("SELECT IDTP FROM " + quoted("TP.dbf") + " ORDER BY IDTP"), (Rows{"2", "4", "6"}));
}

TEST(PackOrder, TheFiveTablesInStartUpOrder) {
    EXPECT_EQ(data::DataStore::packOrder(), QStringList({"TP.dbf", "TPDET.dbf", "Anexe1.dbf", "RF.dbf", "Fisiere.dbf"}));
}

class FillDistinct : public DataFixture {
protected:
    QComboBox box;
    void SetUp() override {
        DataFixture::SetUp();
        store.CreateTables();
        const struct {
            int id;
            const char* annex;
            const char* type;
        } lines[] = {{2, "Legea 1/2000", "Anexa 45"}, {3, "Legea 1/2000", ""}, {4, "Legea 1/2000", "Anexa 37"},
                     {5, "Legea 1/2000", "Anexa 45"}, {6, "Anexa 3", "Altceva"}};
        for (const auto& l : lines)
            exec(QString("INSERT INTO %1 (IDANEXA, ANEXA, TIPANX) VALUES (%2, \"%3\", \"%4\")")
                     .arg(quoted("ANEXE1.DBF"))
                     .arg(l.id)
                     .arg(l.annex, l.type));
        box.addItem(data::kAllValues);
        log.clear();
    }
    QStringList items() const {
        QStringList out;
        for (int i = 0; i < box.count(); ++i) out.append(box.itemText(i));
        return out;
    }
};

TEST_F(FillDistinct, AppendsTheDistinctValuesUnderTheConditionAndSelectsTheFirst) {
    store.FillDistinct(&box, store.tablePath("Anexe1.dbf"), "TIPANX", "ANEXA=\"Legea 1/2000\"");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], QStringList({"SELECT DISTINCT TIPANX", "FROM " + quoted("Anexe1.dbf"),
                                   "WHERE ANEXA=\"Legea 1/2000\"", "ORDER BY TIPANX"}));
    // The empty value is an item of its own, where the ordering puts it.
    EXPECT_EQ(items(), QStringList({" * toate *", "", "Anexa 37", "Anexa 45"}));
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_FALSE(store.Sx().isOpen());
}

TEST_F(FillDistinct, BlankConditionWritesNoWhereLine) {
    for (const QString& condition : {QString(), QString("   ")}) {
        log.clear();
        store.FillDistinct(&box, store.tablePath("Anexe1.dbf"), "ANEXA", condition);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], QStringList({"SELECT DISTINCT ANEXA", "FROM " + quoted("Anexe1.dbf"), "ORDER BY ANEXA"}));
    }
    // The items already there stay; each fill appends.
    EXPECT_EQ(items(), QStringList({" * toate *", "Anexa 3", "Legea 1/2000", "Anexa 3", "Legea 1/2000"}));
}

TEST_F(FillDistinct, AConditionIsInsertedUntrimmedAndResetsAFilteredQuery) {
    store.Sx().add("SELECT * FROM " + quoted("TP.DBF").toStdString());
    store.Sx().setFilter("IDTP=2");
    store.Sx().setFiltered(true);
    store.FillDistinct(&box, store.tablePath("Anexe1.dbf"), "SATUL", " (ANEXA=\"Anexa 3\") ");
    EXPECT_EQ(log[0][2], "WHERE  (ANEXA=\"Anexa 3\") ");
    EXPECT_FALSE(store.Sx().filtered());
    EXPECT_EQ(store.Sx().filter(), "");
    EXPECT_EQ(items(), QStringList({" * toate *", ""}));
}

TEST(AnnexNames, TheTwelveAnnexesInPageOrder) {
    EXPECT_EQ(data::AnnexNames(),
              QStringList({"Anexa 2A", "Anexa 2B", "Anexa 3", "Anexa 6", "Anexa 7", "Anexa 9A", "Anexa 13", "Anexa 19",
                           "Anexa 20", "Legea 1/2000", "Legea 247/2005", "Altele"}));
    EXPECT_EQ(data::kAllValues.size(), 10);
}

}  // namespace
