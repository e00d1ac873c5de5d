// Transactions: several statements on several tables commit or roll back
// together, nested ones join the outer, the settings file rolls back with
// the tables, and a loop of point statements syncs once.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "engine/errors.h"
#include "engine/fault_injection.h"
#include "write_workload.h"

using engine::Database;
using engine::TableError;
using engine::Transaction;
using workload::Workload;

namespace {

class TransactionTest : public ::testing::Test {
protected:
    TransactionTest() : w_(dir_.path(), 6) {
        w_.setUp();
        for (size_t i = 0; i < 4; ++i) w_.runStep(i);
        beforeA_ = readBytes(w_.a());
        beforeB_ = readBytes(w_.b());
    }

    void run(const std::string& statement) { Workload::run(db_, statement); }
    std::string A() const { return "\"" + w_.a() + "\""; }
    std::string B() const { return "\"" + w_.b() + "\""; }
    size_t count(const std::string& table) {
        return engine::executeStatement(db_, "SELECT * FROM " + table).rows->rowCount();
    }
    void expectUntouched() {
        EXPECT_EQ(readBytes(w_.a()), beforeA_);
        EXPECT_EQ(readBytes(w_.b()), beforeB_);
        EXPECT_EQ(w_.found(), w_.expected(4));
        const auto problems = w_.problems();
        EXPECT_TRUE(problems.empty()) << problems.front();
    }

    TempDir dir_;
    Workload w_;
    Database db_;
    std::string beforeA_, beforeB_;
};

}  // namespace

TEST_F(TransactionTest, CommitsSeveralTablesTogether) {
    Transaction t(db_);
    run("DELETE FROM " + A() + " WHERE ID=1");
    run("INSERT INTO " + B() + " VALUES (50, \"x\")");
    // The transaction reads its own writes.
    EXPECT_EQ(count(A()), 2u);
    EXPECT_EQ(count(B()), 4u);
    t.commit();
    Database other;
    EXPECT_EQ(engine::executeStatement(other, "SELECT * FROM " + B()).rows->rowCount(), 4u);
    EXPECT_EQ(engine::executeStatement(other, "SELECT * FROM " + A()).rows->rowCount(), 2u);
    EXPECT_TRUE(w_.problems().empty());
}

TEST_F(TransactionTest, WithoutCommitNothingStays) {
    {
        Transaction t(db_);
        run("UPDATE " + A() + " SET NAME=\"Q\"");
        run("ALTER TABLE " + B() + " ADD X CHAR(3)");
        run("INSERT INTO " + B() + " VALUES (50, \"x\", \"y\")");
        run("CREATE TABLE \"" + dir_.file("C.DBF") + "\" (ID DECIMAL(5,0))");
        EXPECT_EQ(count(A()), 3u);
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.file("C.DBF")));
    expectUntouched();
    // The catalog that wrote reads the tables again.
    EXPECT_EQ(count(B()), 3u);
    EXPECT_EQ(engine::executeStatement(db_, "SELECT NAME FROM " + A()).rows->value(0, 0).toString(), "N1");
}

TEST_F(TransactionTest, AnInnerRollbackUndoesTheOuterUnit) {
    Transaction outer(db_);
    run("DELETE FROM " + A());
    {
        Transaction inner(db_);
        run("DELETE FROM " + B());
        inner.commit();  // joins: nothing written yet
    }
    EXPECT_EQ(count(B()), 0u);
    {
        Transaction inner(db_);
        run("INSERT INTO " + B() + " VALUES (50, \"x\")");
    }  // not committed: the whole unit goes
    EXPECT_THROW(run("DELETE FROM " + A()), TableError);
    EXPECT_THROW(outer.commit(), TableError);
    expectUntouched();
}

TEST_F(TransactionTest, TheProtectedFileRollsBackWithTheTables) {
    const std::string fresh = dir_.file("NEW.INI");
    {
        Transaction t(db_);
        t.protectFile(w_.settings());
        t.protectFile(fresh);
        run("DELETE FROM " + A());
        workload::writeWhole(w_.settings(), "[INDEX]\nIDTP=99\n");
        workload::writeWhole(fresh, "[X]\n");
    }
    EXPECT_FALSE(std::filesystem::exists(fresh));
    expectUntouched();

    Transaction t(db_);
    t.protectFile(w_.settings());
    workload::writeWhole(w_.settings(), "[INDEX]\nIDTP=99\n");
    t.commit();
    EXPECT_EQ(readBytes(w_.settings()), "[INDEX]\nIDTP=99\n");
}

TEST_F(TransactionTest, FilesOfOneFolderOnly) {
    TempDir elsewhere;
    Database db;
    db.createTable(elsewhere.file("C.DBF"), {{"ID", engine::FieldType::Number, 5, 0, 'N'}});
    {
        Transaction t(db_);
        run("DELETE FROM " + A());
        EXPECT_THROW(run("INSERT INTO \"" + elsewhere.file("C.DBF") + "\" VALUES (1)"), TableError);
    }
    expectUntouched();
    EXPECT_TRUE(engine::checkTableFile(elsewhere.file("C.DBF")).empty());
}

TEST_F(TransactionTest, APointLoopSyncsOnceNotPerStatement) {
    engine::faults::arm({});
    {
        Transaction t(db_);
        for (int i = 0; i < 2000; ++i)
            run("UPDATE " + A() + " SET AMT=" + std::to_string(i) + " WHERE ID=" + std::to_string(1 + i % 3));
        t.commit();
    }
    const long operations = engine::faults::operations();
    engine::faults::disarm();
    EXPECT_LT(operations, 12);
    EXPECT_TRUE(w_.problems().empty());
}

// A table named in other ways within one unit (its name in other letter
// case, a "." in its path) is the same table: read with the unit's writes,
// not waited for as another writer's.
TEST_F(TransactionTest, OneTableNamedOtherwiseIsTheSameTable) {
    const std::string a = w_.a();
    const size_t cut = a.find_last_of("/\\");
    std::string lower = a.substr(cut + 1);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string spellings[] = {a.substr(0, cut + 1) + lower, a.substr(0, cut + 1) + "." + a[cut] + a.substr(cut + 1)};
    Transaction t(db_);
    run("DELETE FROM " + A() + " WHERE ID=1");
    for (const std::string& other : spellings) {
        SCOPED_TRACE(other);
        EXPECT_EQ(count("\"" + other + "\""), 2u);
        run("UPDATE \"" + other + "\" SET NAME=\"R\"");
    }
    t.commit();
    EXPECT_EQ(count(A()), 2u);
    EXPECT_TRUE(w_.problems().empty());
}
