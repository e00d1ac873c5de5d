// Queries held as lines and tables opened by path, as the forms use them.
#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/query.h"
#include "engine/table_dataset.h"
#include "sql_fixture.h"

using namespace engine;

namespace {

using Rows = std::vector<std::vector<std::string>>;

class Datasets : public SqlFixture {
protected:
    void SetUp() override { fillRegister(); }

    // The annex query of "Anexa 2A" with its ten lines.
    void composeAnnexQuery(Query& q) {
        q.clear();
        q.add("SELECT IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,");
        q.add("MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG,MAX(IDTP) AS MM, MAX(TPNR) AS TIT, "
              "SUM(T.SUPTOT) AS SUPTOT");
        q.add(expand("FROM \"{DataDir}\\Anexe1.dbf\""));
        q.add(expand("LEFT JOIN \"{DataDir}\\TP.dbf\" T"));
        q.add("     ON IDANEXA=T.IDANEXA");
        q.add("WHERE ANEXA=\"Anexa 2A\"");
        q.add(" ");
        q.add("GROUP BY IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,");
        q.add("MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG");
        q.add(" ");
    }

    static std::vector<std::string> column(Dataset& ds, const char* field) {
        std::vector<std::string> out;
        for (ds.first(); !ds.eof(); ds.next()) out.push_back(ds.field(field).asString());
        return out;
    }
};

}  // namespace

TEST_F(Datasets, QueryLinesSlotsAndFilters) {
    Query anex(db());
    composeAnnexQuery(anex);
    EXPECT_EQ(anex.lines().size(), 10u);
    EXPECT_EQ(anex.text().substr(0, 22), "SELECT IDANEXA, ANEXA,");
    EXPECT_NE(anex.text().find("\n     ON IDANEXA=T.IDANEXA\n"), std::string::npos);

    anex.setFilter("(MM IS NULL)");
    anex.setFiltered(true);
    anex.open();
    EXPECT_EQ(column(anex, "IDANEXA"), (std::vector<std::string>{"4"}));

    // Writing a slot closes the query; opening it again keeps the filter.
    anex.setLine(6, "AND (SATUL=\"SAT A\") ");
    EXPECT_FALSE(anex.isOpen());
    anex.setLine(9, "ORDER BY NUME");
    anex.open();
    EXPECT_EQ(column(anex, "IDANEXA"), (std::vector<std::string>{"4"}));
    anex.setFiltered(false);
    EXPECT_EQ(column(anex, "IDANEXA"), (std::vector<std::string>{"2", "4"}));
    EXPECT_TRUE(anex.locate("IDANEXA", Value::text("4")));
    EXPECT_EQ(anex.field("NUME").asString(), "ZAMFIR DAN");
    EXPECT_TRUE(anex.field("MM").isNull());
    EXPECT_EQ(anex.field("SAPROB").asFloat(), 0.0);

    EXPECT_THROW(anex.setLine(10, "x"), Error);

    // An open query opened again runs its statement again.
    Query tx(db());
    tx.add(expand("SELECT * FROM \"{DataDir}\\TP.dbf\""));
    tx.add(" ");
    tx.add("ORDER BY TITULAR");
    tx.setFilter("IDANEXA=2");
    tx.setFiltered(true);
    tx.open();
    EXPECT_EQ(column(tx, "IDTP"), (std::vector<std::string>{"2", "3"}));
    exec({"UPDATE \"{DataDir}\\TP.dbf\"", "SET ANEXA=\"Anexa 2A\",", "IDANEXA=2", "WHERE IDTP=5"});
    EXPECT_EQ(tx.recordCount(), 2);  // the rows are those of the last opening
    tx.open();
    EXPECT_EQ(column(tx, "IDTP"), (std::vector<std::string>{"5", "2", "3"}));
}

TEST_F(Datasets, QueryRunsOnlyWhatItIsAskedTo) {
    Query sx(db());
    sx.add(expand("DELETE FROM \"{DataDir}\\TP.dbf\""));
    sx.add("WHERE IDTP=2");
    EXPECT_THROW(sx.open(), Error);
    EXPECT_FALSE(sx.isOpen());
    EXPECT_EQ(select({"SELECT Count(*) AS NR FROM \"{DataDir}\\TP.dbf\""}), (Rows{{"6"}}));
    sx.execSQL();
    EXPECT_EQ(sx.rowsAffected(), 1u);
    EXPECT_EQ(select({"SELECT Count(*) AS NR FROM \"{DataDir}\\TP.dbf\""}), (Rows{{"5"}}));

    sx.clear();
    sx.add(expand("SELECT IDTP, NUMAR FROM \"{DataDir}\\TP.dbf\""));
    EXPECT_THROW(sx.open(), BindError);
    EXPECT_FALSE(sx.isOpen());
    sx.setLine(0, expand("SELECT IDTP, TPNR FROM \"{DataDir}\\TP.dbf\" WHERE IDTP>5"));
    sx.open();
    EXPECT_EQ(sx.recordCount(), 2);
    EXPECT_EQ(sx.field("TPNR").asString(), "7");
}

TEST_F(Datasets, TableAppendEditPostAndDelete) {
    TableDataset tp(db());
    tp.setTableName(expand("{DataDir}\\Fisiere.dbf"));
    tp.setFilter("IDTP=2");
    tp.setFiltered(true);
    tp.open();
    EXPECT_TRUE(tp.isEmpty());

    const struct {
        int idtp;
        const char* file;
    } attach[] = {{2, "C:\\poze\\a.jpg"}, {3, "C:\\poze\\b.jpg"}, {2, "C:\\poze\\c.jpg"}, {2, "C:\\poze\\d.jpg"}};
    for (const auto& a : attach) {
        tp.append();
        tp.setValue("IDTP", Value::number(Decimal::fromInt(a.idtp)));
        tp.setValue("FISIER", Value::text(a.file));
        tp.post();
    }
    // Rows follow the filter; the one of another title is stored all the same.
    EXPECT_EQ(column(tp, "FISIER"), (std::vector<std::string>{"C:\\poze\\a.jpg", "C:\\poze\\c.jpg", "C:\\poze\\d.jpg"}));
    EXPECT_EQ(select({"SELECT IDTP, FISIER FROM \"{DataDir}\\Fisiere.dbf\" WHERE IDTP=3"}),
              (Rows{{"3", "C:\\poze\\b.jpg"}}));

    // Editing keeps the record current; a value that does not fit writes nothing.
    ASSERT_TRUE(tp.locate("FISIER", Value::text("C:\\poze\\c.jpg")));
    tp.edit();
    tp.setValue("FISIER", Value::text("D:\\nou\\c.jpg"));
    tp.post();
    EXPECT_EQ(tp.recNo(), 1);
    EXPECT_EQ(tp.field("FISIER").asString(), "D:\\nou\\c.jpg");
    tp.edit();
    tp.setValue("FISIER", Value::text(std::string(121, 'x')));
    EXPECT_THROW(tp.post(), ValueError);
    EXPECT_EQ(tp.state(), TableDataset::State::Edit);
    tp.cancel();
    EXPECT_EQ(select({"SELECT FISIER FROM \"{DataDir}\\Fisiere.dbf\" WHERE IDTP=2"}),
              (Rows{{"C:\\poze\\a.jpg"}, {"D:\\nou\\c.jpg"}, {"C:\\poze\\d.jpg"}}));
    EXPECT_THROW(tp.setValue("FISIER", Value::text("x")), Error);
    EXPECT_THROW((tp.edit(), tp.setValue("POZA", Value::text("x"))), BindError);
    tp.cancel();

    // Deleting moves to the next record, or the previous one after the last.
    tp.first();
    tp.deleteRecord();
    EXPECT_EQ(tp.field("FISIER").asString(), "D:\\nou\\c.jpg");
    tp.last();
    tp.deleteRecord();
    EXPECT_EQ(tp.field("FISIER").asString(), "D:\\nou\\c.jpg");
    while (!tp.isEmpty()) tp.deleteRecord();
    EXPECT_EQ(select({"SELECT IDTP FROM \"{DataDir}\\Fisiere.dbf\""}), (Rows{{"3"}}));

    // The spare table, unfiltered, sees what was written through the other.
    TableDataset ty(db());
    ty.setTableName(expand("{DataDir}\\Fisiere.dbf"));
    ty.open();
    EXPECT_EQ(column(ty, "FISIER"), (std::vector<std::string>{"C:\\poze\\b.jpg"}));
}

TEST_F(Datasets, RegisterValueFoundByItsFilterExpression) {
    const std::string key =
        "(INSAT='SAT A') AND (TITULAR='') AND (OBS=' * toate *') AND (NRTARLA='') AND (PARCELA=0) AND (LOT='') AND "
        "(ANEXA=' * toate *') AND (TIP=' * toate *') AND (CATEG=' * toate *')";
    auto store = [&](const char* area) {
        TableDataset ti(db());
        ti.setTableName(expand("{DataDir}\\RF.dbf"));
        ti.setFilter(key);
        ti.setFiltered(true);
        ti.open();
        if (ti.isEmpty()) {
            ti.append();
            ti.setValue("IDRF", Value::number(Decimal::fromInt(2)));
        } else {
            ti.edit();
        }
        const struct {
            const char* field;
            Value value;
        } values[] = {{"INSAT", Value::text("SAT A")},      {"NRTARLA", Value::text("")},
                      {"PARCELA", Value::number(Decimal())}, {"SUPRAF", Value::number(*Decimal::parse(area))},
                      {"OBS", Value::text(" * toate *")},    {"TITULAR", Value::text("")},
                      {"LOT", Value::text("")},              {"ANEXA", Value::text(" * toate *")},
                      {"TIP", Value::text(" * toate *")},    {"CATEG", Value::text(" * toate *")}};
        for (const auto& v : values) ti.setValue(v.field, v.value);
        ti.post();
        EXPECT_EQ(ti.recordCount(), 1);
        EXPECT_EQ(ti.field("SUPRAF").asString(), area);
    };
    store("12.5");
    store("7.25");
    EXPECT_EQ(select({"SELECT IDRF, INSAT, PARCELA, SUPRAF, TIP FROM \"{DataDir}\\RF.dbf\""}),
              (Rows{{"2", "SAT A", "0", "7.25", " * toate *"}}));
}

TEST_F(Datasets, PackNeedsAnExclusiveTable) {
    TableDataset sursa(db());
    sursa.setTableName(expand("{DataDir}\\TPDET.dbf"));
    sursa.open();
    EXPECT_THROW(sursa.pack(), TableError);
    sursa.close();

    exec({"DELETE FROM \"{DataDir}\\TPDET.dbf\"", "WHERE IDTP=2"});
    sursa.setExclusive(true);
    sursa.open();
    EXPECT_EQ(sursa.recordCount(), 3);
    sursa.pack();
    EXPECT_TRUE(sursa.isOpen());
    EXPECT_EQ(column(sursa, "IDDET"), (std::vector<std::string>{"5", "6", "7"}));
    sursa.close();
    Database fresh;
    EXPECT_EQ(fresh.table(dir() + "/TPDET.DBF")->recordCount(), 3u);
}
