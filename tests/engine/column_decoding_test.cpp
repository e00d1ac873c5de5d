// Columns decoded on first use, and packing only what packing changes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "dbf_bytes.h"
#include "error_text.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/integrity.h"
#include "engine/statement.h"
#include "engine/transaction.h"
#include "table_values.h"
#include "temp_dir.h"

using engine::ColumnStore;
using engine::Database;
using engine::Value;

using namespace tablevalues;

namespace {

const std::vector<RawField> kSurfaceFields = {
    {"IDDET", 'N', 10}, {"TIP", 'C', 10}, {"SUPRAF", 'N', 9, 4}, {"DATA", 'D', 8}, {"OBS", 'C', 12}, {"BIFAT", 'L', 1}};

// Texts in code page 1250 (Ş is 0xAA), numbers with and without decimals,
// blank cells, a deleted record.
std::vector<std::string> surfaceRecords() {
    return {
        "          2INTRAVILAN   1.5000" "20240131" "\xAA" "es 1       " "T",
        "          3EXTRAVILAN  -0.0001" "19000101" "            " "F",
        "*         4EXTRAVILAN  99.9999" "20240229" "sters       " "T",
        "          5             12    " "        " "  spatii    " "?",
        "           INTRAVILAN         " "20001231" "ultimul     " " ",
    };
}

std::string statementOn(const std::string& path, const std::string& columns) {
    return "SELECT " + columns + " FROM \"" + path + "\"";
}

std::vector<std::vector<Value>> valuesOf(const ColumnStore& rows) {
    std::vector<std::vector<Value>> out(rows.rowCount());
    for (size_t r = 0; r < rows.rowCount(); ++r)
        for (size_t c = 0; c < rows.columnCount(); ++c) out[r].push_back(rows.value(r, c));
    return out;
}

// Every column of the file, decoded all at once by a catalog of its own.
std::vector<std::vector<Value>> decodedAtOnce(const std::string& path) {
    Database fresh;
    return valuesOf(*engine::executeStatement(fresh, statementOn(path, "*")).rows);
}

// The columns one statement at a time, the catalog keeping what it decoded.
std::vector<std::vector<Value>> decodedOneByOne(Database& db, const std::string& path) {
    const std::vector<std::string> names = {"IDDET", "TIP", "SUPRAF", "DATA", "OBS", "BIFAT"};
    std::vector<std::vector<Value>> out;
    for (const std::string& name : names) {
        // Filtered on the column, so that the statement itself decodes it.
        const auto rows = engine::executeStatement(db, statementOn(path, name) + " WHERE " + name + " IS NULL OR " +
                                                           name + " IS NOT NULL").rows;
        out.resize(rows->rowCount());
        for (size_t r = 0; r < rows->rowCount(); ++r) out[r].push_back(rows->value(r, 0));
    }
    return out;
}

// Rewrites the file in place, as another program editing it would, late
// enough for the file system's clock to have moved on.
void changeInPlace(const std::string& path, const std::string& bytes) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    writeBytes(path, bytes);
}

// Which file the name leads to (inode, or volume and file index): a rewrite
// that replaces the file changes it.
engine::os::FileInfo identityOf(const std::string& path) {
    engine::os::FileInfo info;
    engine::os::pathInfo(path, info);
    return info;
}

}  // namespace

TEST(LateColumns, ReadTheSameValuesAsColumnsDecodedAtOnce) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    writeBytes(path, dbfBytes(kSurfaceFields, surfaceRecords()));
    Database db;
    const auto expected = decodedAtOnce(path);
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(expected[0][4], txt("Şes 1"));
    EXPECT_EQ(expected[2][2], num(12));
    EXPECT_TRUE(expected[3][0].isNull());
    EXPECT_EQ(decodedOneByOne(db, path), expected);
    // Shown only, never evaluated: decoded when the result is read.
    EXPECT_EQ(valuesOf(*engine::executeStatement(db, statementOn(path, "*")).rows), expected);
}

TEST(LateColumns, GroupsAndAggregatesReadTheSameCellsAsColumnsDecodedEarly) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    writeBytes(path, dbfBytes(kSurfaceFields, surfaceRecords()));
    // Joined to itself: the joined side's rows come in no order of the first
    // table's, and lines without an IDDET join nothing (NULL cells).
    const std::string grouped = "SELECT D.TIP, D.OBS, COUNT(*) AS N, COUNT(E.IDDET) AS NE, SUM(E.SUPRAF) AS S, "
                                "MAX(E.DATA) AS M, MIN(E.IDDET) AS LO FROM \"" + path + "\" D LEFT JOIN \"" + path +
                                "\" E ON D.TIP=E.TIP GROUP BY D.TIP, D.OBS";
    const std::string byJoined = "SELECT E.TIP, COUNT(*) AS N, SUM(D.SUPRAF) AS S FROM \"" + path + "\" D LEFT JOIN \"" +
                                 path + "\" E ON D.IDDET=E.IDDET GROUP BY E.TIP";
    Database late, early;
    engine::executeStatement(early, statementOn(path, "*")).rows->loadAll();
    for (const std::string& statement : {grouped, byJoined})
        EXPECT_EQ(valuesOf(*engine::executeStatement(late, statement).rows),
                  valuesOf(*engine::executeStatement(early, statement).rows))
            << statement;

    Database fresh;
    const auto rows = valuesOf(*engine::executeStatement(fresh, grouped).rows);
    const std::vector<std::vector<Value>> expected = {
        {txt("INTRAVILAN"), txt("Şes 1"), num(2), num(1), num("1.5"), day(2024, 1, 31), num(2)},
        {txt("EXTRAVILAN"), txt(""), num(1), num(1), num("-0.0001"), day(1900, 1, 1), num(3)},
        {txt(""), txt("  spatii"), num(1), num(1), num(12), Value(), num(5)},
        {txt("INTRAVILAN"), txt("ultimul"), num(2), num(1), num("1.5"), day(2024, 1, 31), num(2)},
    };
    EXPECT_EQ(rows, expected);
}

TEST(LateColumns, AfterAnotherProgramChangedTheFileReadItsNewContent) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    std::vector<std::string> records = surfaceRecords();
    writeBytes(path, dbfBytes(kSurfaceFields, records));
    Database mine;
    engine::executeStatement(mine, statementOn(path, "IDDET") + " WHERE IDDET=2");  // IDDET decoded early

    // Same size, in place: another IDDET and another OBS.
    records[0].replace(1, 10, "        42");
    records[0].replace(1 + 10 + 10 + 9 + 8, 12, "schimbat    ");
    changeInPlace(path, dbfBytes(kSurfaceFields, records));
    const auto expected = decodedAtOnce(path);
    EXPECT_EQ(expected[0][0], num(42));
    EXPECT_EQ(decodedOneByOne(mine, path), expected);

    // Rows added by another program, then a column never decoded before.
    Database theirs;
    engine::executeStatement(theirs, "INSERT INTO \"" + path + "\" (IDDET, OBS) VALUES (77, \"nou\")");
    const auto rows = engine::executeStatement(mine, statementOn(path, "IDDET, OBS") + " WHERE OBS=\"nou\"").rows;
    ASSERT_EQ(rows->rowCount(), 1u);
    EXPECT_EQ(rows->value(0, 0), num(77));
    EXPECT_EQ(decodedOneByOne(mine, path), decodedAtOnce(path));
}

TEST(LateColumns, AHeldResultKeepsItsRowsOrSaysTheyAreGone) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    writeBytes(path, dbfBytes(kSurfaceFields, surfaceRecords()));
    const auto expected = decodedAtOnce(path);
    Database db;

    // This process's own writes: the held rows stay as they were.
    auto held = engine::executeStatement(db, statementOn(path, "*")).rows;
    engine::executeStatement(db, "UPDATE \"" + path + "\" SET OBS=\"nou\", SUPRAF=1 WHERE IDDET=2");
    engine::executeStatement(db, "INSERT INTO \"" + path + "\" (IDDET, TIP) VALUES (9, \"X\")");
    EXPECT_EQ(valuesOf(*held), expected);
    const auto now = engine::executeStatement(db, statementOn(path, "OBS, SUPRAF, TIP")).rows;
    ASSERT_EQ(now->rowCount(), 5u);
    EXPECT_EQ(now->value(0, 0), txt("nou"));
    EXPECT_EQ(now->value(0, 1), num(1));
    EXPECT_EQ(now->value(4, 2), txt("X"));

    // Another program replaces the file: rows held still read the old one.
    Database other;
    held = engine::executeStatement(other, statementOn(path, "*")).rows;
    const auto before = decodedAtOnce(path);
    const std::string replacement = dir.file("new.dbf");
    writeBytes(replacement, dbfBytes(kSurfaceFields, {surfaceRecords()[1]}));
    std::filesystem::rename(replacement, path);
    EXPECT_EQ(valuesOf(*held), before);
    EXPECT_EQ(valuesOf(*engine::executeStatement(other, statementOn(path, "*")).rows), decodedAtOnce(path));

    // Another program changes it in place: the old cells cannot be read any more.
    Database third;
    held = engine::executeStatement(third, statementOn(path, "*")).rows;
    std::string bytes = readBytes(path);
    bytes[bytes.size() - 3] = 'x';
    changeInPlace(path, bytes);
    EXPECT_NE(errorOf([&] { held->loadAll(); }).find("was changed by another program"), std::string::npos);
    EXPECT_EQ(valuesOf(*engine::executeStatement(third, statementOn(path, "*")).rows), decodedAtOnce(path));
}

TEST(LateColumns, WritesToColumnsNotDecodedReachTheFileAndLaterReads) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    writeBytes(path, dbfBytes(kSurfaceFields, surfaceRecords()));
    Database db;
    // IDDET decoded for the lookups; the others written to the file only.
    for (int id = 2; id <= 5; ++id)
        engine::executeStatement(db, "UPDATE \"" + path + "\" SET OBS=\"rand " + std::to_string(id) +
                                         "\", SUPRAF=" + std::to_string(id) + " WHERE IDDET=" + std::to_string(id));
    engine::executeStatement(db, "INSERT INTO \"" + path + "\" (IDDET, OBS, SUPRAF) VALUES (6, \"rand 6\", 6)");
    engine::executeStatement(db, "DELETE FROM \"" + path + "\" WHERE IDDET=3");
    const auto expected = decodedAtOnce(path);
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(expected[0][4], txt("rand 2"));
    EXPECT_EQ(expected[3][4], txt("rand 6"));
    EXPECT_EQ(expected[3][2], num(6));
    EXPECT_EQ(decodedOneByOne(db, path), expected);
}

TEST(Pack, LeavesAPackedTableAsItIsPacksTheOthersAndRefusesADamagedOne) {
    const std::vector<std::string> records = surfaceRecords();
    const std::vector<std::string> live = {records[0], records[1], records[3], records[4]};
    std::string noEnd = dbfBytes(kSurfaceFields, live);
    noEnd.pop_back();
    std::string countTooHigh = dbfBytes(kSurfaceFields, live);
    countTooHigh[4] = 5;
    std::string partialRecord = dbfBytes(kSurfaceFields, live);
    partialRecord.insert(partialRecord.size() - 1, "  rest");
    enum Outcome { Unchanged, Packed, Refused };
    struct Case {
        const char* name;
        std::string bytes;
        Outcome outcome;
        const char* problem;  // when refused
    };
    const Case cases[] = {
        {"no deleted record", dbfBytes(kSurfaceFields, live), Unchanged, ""},
        {"no end-of-file byte", noEnd, Unchanged, ""},
        {"empty", dbfBytes(kSurfaceFields, {}), Unchanged, ""},
        {"deleted records", dbfBytes(kSurfaceFields, records), Packed, ""},
        {"a record count beyond the records", countTooHigh, Refused,
         "antetul numara 5 inregistrari, fisierul are 4 inregistrari intregi."},
        {"bytes after the last record", partialRecord, Refused,
         "antetul numara 4 inregistrari, fisierul are 4 inregistrari intregi si o inregistrare taiata (6 din 51 "
         "octeti)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("TPDET.DBF");
        writeBytes(path, c.bytes);
        const engine::os::FileInfo original = identityOf(path);
        Database db;
        if (c.outcome == Refused) {
            // Packed, the records the header does not count would be lost.
            const std::string problem = std::string("Tabelul TPDET.DBF este deteriorat: ") + c.problem;
            EXPECT_EQ(errorOf([&] { db.packTable(path); }), problem);
            EXPECT_EQ(readBytes(path), c.bytes);
            EXPECT_TRUE(identityOf(path).sameFile(original));
            continue;
        }
        db.table(path)->rows()->loadAll();  // a reading with its deletion marks known
        db.packTable(path);
        const std::string after = readBytes(path);
        if (c.outcome == Unchanged) {
            EXPECT_EQ(after, c.bytes);
            EXPECT_TRUE(identityOf(path).sameFile(original));
            continue;
        }
        EXPECT_FALSE(identityOf(path).sameFile(original));
        EXPECT_EQ(after.substr(32, 32 * kSurfaceFields.size() + 1), c.bytes.substr(32, 32 * kSurfaceFields.size() + 1));
        EXPECT_EQ(after, dbfBytes(kSurfaceFields, live).replace(1, 3, after.substr(1, 3)));
        EXPECT_EQ(valuesOf(*engine::executeStatement(db, statementOn(path, "*")).rows), decodedAtOnce(path));
    }
}

TEST(Pack, AnExaminationTellsThePackAndTheReadingOnlyWhileTheFileStaysTheSame) {
    const std::vector<std::string> records = surfaceRecords();
    const std::string live = dbfBytes(kSurfaceFields, {records[0], records[1], records[3], records[4]});
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    writeBytes(path, live);
    const engine::os::FileInfo original = identityOf(path);
    Database db;
    const engine::TableCondition found = db.examineTable(path, true);
    EXPECT_TRUE(found.sound());
    EXPECT_EQ(found.deletedRecords, 0u);
    db.packTable(path);
    EXPECT_EQ(readBytes(path), live);
    EXPECT_TRUE(identityOf(path).sameFile(original));

    db.examineTable(path, true);
    Database other;
    engine::executeStatement(other, "DELETE FROM \"" + path + "\" WHERE IDDET=2");
    EXPECT_EQ(engine::executeStatement(db, statementOn(path, "IDDET")).rows->rowCount(), 3u);
    db.packTable(path);
    EXPECT_FALSE(identityOf(path).sameFile(original));
    EXPECT_EQ(decodedAtOnce(path).size(), 3u);

    // A record deleted when examined stays deleted for the reading.
    writeBytes(path, dbfBytes(kSurfaceFields, records));
    Database third;
    EXPECT_EQ(third.examineTable(path, true).deletedRecords, 1u);
    EXPECT_EQ(valuesOf(*engine::executeStatement(third, statementOn(path, "*")).rows), decodedAtOnce(path));
    EXPECT_EQ(engine::executeStatement(third, statementOn(path, "IDDET")).rows->rowCount(), 4u);
}

TEST(LateColumns, AUnitSeesItsOwnWritesAndARollbackTheOldCells) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    writeBytes(path, dbfBytes(kSurfaceFields, surfaceRecords()));
    const auto expected = decodedAtOnce(path);
    Database db;
    engine::executeStatement(db, statementOn(path, "IDDET") + " WHERE IDDET=2");  // OBS not decoded yet
    {
        engine::Transaction unit(db);
        engine::executeStatement(db, "UPDATE \"" + path + "\" SET OBS=\"in unitate\" WHERE IDDET=2");
        engine::executeStatement(db, "INSERT INTO \"" + path + "\" (IDDET, OBS) VALUES (8, \"nou\")");
        const auto inside = engine::executeStatement(db, statementOn(path, "OBS")).rows;
        ASSERT_EQ(inside->rowCount(), 5u);
        EXPECT_EQ(inside->value(0, 0), txt("in unitate"));
        EXPECT_EQ(inside->value(4, 0), txt("nou"));
        unit.rollback();
    }
    EXPECT_EQ(decodedAtOnce(path), expected);
    EXPECT_EQ(decodedOneByOne(db, path), expected);
    {
        engine::Transaction unit(db);
        engine::executeStatement(db, "UPDATE \"" + path + "\" SET OBS=\"pastrat\" WHERE IDDET=3");
        unit.commit();
    }
    const auto after = decodedAtOnce(path);
    EXPECT_EQ(after[1][4], txt("pastrat"));
    EXPECT_EQ(decodedOneByOne(db, path), after);
}
