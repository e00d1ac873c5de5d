// Exclusive use and statement locks, seen from this process and from another one.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

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

// Runs `attempt` in a child process: 0 when it failed with "is in use by
// another program" naming the table, 1 when it succeeded, 2 otherwise.
int inOtherProcess(const std::string& path, const std::function<void(Database&)>& attempt) {
    const pid_t child = ::fork();
    if (child == 0) {
        int code = 2;
        try {
            Database db;
            attempt(db);
            code = 1;
        } catch (const engine::TableError& e) {
            const std::string message = e.what();
            if (message.find("este folosit de alt program") != std::string::npos &&
                message.find(path) != std::string::npos)
                code = 0;
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

const std::function<void(Database&)> readIt(const std::string& path) {
    return [path](Database& db) { db.table(path); };
}

}  // namespace

TEST(TableLock, ExclusiveUseRefusesOtherProcessesOnly) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Database db;
    ASSERT_EQ(inOtherProcess(path, readIt(path)), 1);
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
        EXPECT_EQ(inOtherProcess(path, readIt(path)), 0);
        EXPECT_EQ(inOtherProcess(path, [&](Database& other) { other.lockExclusive(path); }), 0);
        EXPECT_EQ(inOtherProcess(path, [&](Database& other) { other.packTable(path); }), 0);
        // Packing replaces the file; the exclusive use moves to the new one.
        db.packTable(path);
        EXPECT_EQ(db.table(path)->recordCount(), 2u);
        EXPECT_EQ(inOtherProcess(path, readIt(path)), 0);
        db.alterTable(path, {FieldDef{"LOT", FieldType::Text, 4, 0, 'C'}}, {});
        EXPECT_EQ(inOtherProcess(path, readIt(path)), 0);
    }
    EXPECT_EQ(inOtherProcess(path, readIt(path)), 1);
    EXPECT_EQ(inOtherProcess(path, [&](Database& other) { other.packTable(path); }), 1);
}

TEST(TableLock, AStatementHoldsTheTableUntilItEnds) {
    TempDir dir;
    const std::string path = makeTable(dir);
    Database db;
    auto table = db.table(path);
    auto w = table->beginWrite();
    w->append({Value::text("c")});
    EXPECT_EQ(inOtherProcess(path, readIt(path)), 0);
    EXPECT_EQ(inOtherProcess(path, [&](Database& other) {
                  auto t = other.table(path);
                  t->beginWrite();
              }),
              0);
    w->commit();
    EXPECT_EQ(inOtherProcess(path, [&](Database& other) {
                  auto t = other.table(path);
                  auto ow = t->beginWrite();
                  ow->append({Value::text("d")});
                  ow->commit();
              }),
              1);
    // The other process's record is seen here, and a writer dropped without
    // commit releases the table too.
    EXPECT_EQ(db.table(path)->recordCount(), 4u);
    db.table(path)->beginWrite()->append({Value::text("e")});
    EXPECT_EQ(inOtherProcess(path, readIt(path)), 1);
}

TEST(TableLock, ProcessHoldingTheTableRefusesThisOne) {
    TempDir dir;
    const std::string path = makeTable(dir);
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        char c = 0;
        try {
            Database db;
            auto lock = db.lockExclusive(path);
            c = 1;
            (void)!::write(ready[1], &c, 1);
            (void)!::read(done[0], &c, 1);
        } catch (...) {
            (void)!::write(ready[1], &c, 1);
        }
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 1);
    Database db;
    try {
        db.table(path);
        ADD_FAILURE() << "read while another process holds the table";
    } catch (const engine::TableError& e) {
        EXPECT_EQ(std::string(e.what()), "Tabelul " + path + " este folosit de alt program");
    }
    EXPECT_THROW(db.lockExclusive(path), engine::TableError);
    EXPECT_THROW(db.alterTable(path, {}, {"NUME"}), engine::TableError);
    (void)!::write(done[1], &c, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(db.table(path)->recordCount(), 2u);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}
