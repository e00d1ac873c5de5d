// Exclusive use and statement locks, seen from this process and from another one.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "common/child_process.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "temp_dir.h"

using engine::Database;
using engine::FieldDef;
using engine::FieldType;
using engine::Value;

namespace {

std::string makeTable(const TempDir& dir) {
    const std::string path = dir.file("TP.DBF");
    Database db;
    db.createTable(path, {FieldDef{"NUME", FieldType::Text, 10, 0, 'C'}});
    auto table = db.table(path);
    auto w = table->beginWrite();
    w->append({Value::text("a")});
    w->append({Value::text("b")});
    w->remove(1);
    w->commit();
    return path;
}

// What another process tries on the table.
const std::map<std::string, std::function<void(Database&, const std::string&)>> kAttempts = {
    {"read", [](Database& db, const std::string& path) { db.table(path); }},
    {"lock", [](Database& db, const std::string& path) { db.lockExclusive(path); }},
    {"pack", [](Database& db, const std::string& path) { db.packTable(path); }},
    {"begin a write", [](Database& db, const std::string& path) { db.table(path)->beginWrite(); }},
    {"append",
     [](Database& db, const std::string& path) {
         auto w = db.table(path)->beginWrite();
         w->append({Value::text("d")});
         w->commit();
     }},
};

// The child: 0 when the attempt failed with "este folosit de alt program"
// naming the table, 1 when it succeeded, 2 otherwise.
const testing_child::Entry attemptChild("table-attempt", [](const testing_child::Arguments& a) {
    const std::string& path = a.at(0);
    try {
        Database db;
        kAttempts.at(a.at(1))(db, path);
        return 1;
    } catch (const engine::TableError& e) {
        const std::string message = e.what();
        if (message.find("este folosit de alt program") != std::string::npos && message.find(path) != std::string::npos)
            return 0;
    } catch (...) {
    }
    return 2;
});

// The child's answer to the attempt; 3 when it did not end by itself.
int inOtherProcess(const std::string& path, const std::string& attempt) {
    testing_child::ChildProcess child(attemptChild, {path, attempt});
    const testing_child::Status status = child.wait();
    return status.end == testing_child::Status::End::Exited ? int(status.code) : 3;
}

// The child: holds the table in exclusive use until the parent lets go.
const testing_child::Entry holderChild("table-holder", [](const testing_child::Arguments& a) {
    try {
        Database db;
        auto lock = db.lockExclusive(a.at(0));
        testing_child::report("held\n");
        testing_child::waitForParent();
    } catch (...) {
        testing_child::report("failed\n");
    }
    return 0;
});

}  // namespace

TEST(TableLock, ExclusiveUseRefusesOtherProcessesOnly) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Database db;
    ASSERT_EQ(inOtherProcess(path, "read"), 1);
    {
        auto lock = db.lockExclusive(dir.path() + "\\tp.dbf");
        // This process's own statements go on.
        auto table = db.table(path);
        auto w = table->beginWrite();
        w->append({Value::text("c")});
        w->commit();
        auto again = db.lockExclusive(path);  // nested use of the same table
        again.reset();
        // Another process is refused, whatever it tries.
        EXPECT_EQ(inOtherProcess(path, "read"), 0);
        EXPECT_EQ(inOtherProcess(path, "lock"), 0);
        EXPECT_EQ(inOtherProcess(path, "pack"), 0);
        // Packing replaces the file; the exclusive use moves to the new one.
        db.packTable(path);
        EXPECT_EQ(db.table(path)->recordCount(), 2u);
        EXPECT_EQ(inOtherProcess(path, "read"), 0);
        db.alterTable(path, {FieldDef{"LOT", FieldType::Text, 4, 0, 'C'}}, {});
        EXPECT_EQ(inOtherProcess(path, "read"), 0);
    }
    EXPECT_EQ(inOtherProcess(path, "read"), 1);
    EXPECT_EQ(inOtherProcess(path, "pack"), 1);
}

TEST(TableLock, AStatementHoldsTheTableUntilItEnds) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Database db;
    auto table = db.table(path);
    auto w = table->beginWrite();
    w->append({Value::text("c")});
    EXPECT_EQ(inOtherProcess(path, "read"), 0);
    EXPECT_EQ(inOtherProcess(path, "begin a write"), 0);
    w->commit();
    EXPECT_EQ(inOtherProcess(path, "append"), 1);
    // The other process's record is seen here, and a writer dropped without
    // commit releases the table too.
    EXPECT_EQ(db.table(path)->recordCount(), 4u);
    db.table(path)->beginWrite()->append({Value::text("e")});
    EXPECT_EQ(inOtherProcess(path, "read"), 1);
}

TEST(TableLock, ProcessHoldingTheTableRefusesThisOne) {
    TempDir dir;
    const std::string path = makeTable(dir);
    testing_child::ChildProcess holder(holderChild, {path});
    ASSERT_TRUE(holder.waitForOutput("\n"));
    ASSERT_EQ(holder.output(), "held\n");
    Database db;
    try {
        db.table(path);
        ADD_FAILURE() << "read while another process holds the table";
    } catch (const engine::TableError& e) {
        EXPECT_EQ(std::string(e.what()), "Tabelul " + path + " este folosit de alt program");
    }
    EXPECT_THROW(db.lockExclusive(path), engine::TableError);
    EXPECT_THROW(db.alterTable(path, {}, {"NUME"}), engine::TableError);
    holder.closeInput();
    EXPECT_TRUE(holder.wait().exited(0));
    EXPECT_EQ(db.table(path)->recordCount(), 2u);
}
