// Pack and ALTER: a new file replaces the old one, with every kept record intact.
#include <gtest/gtest.h>

#include <filesystem>

#include "dbf_bytes.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "table_values.h"
#include "temp_dir.h"

using engine::Database;
using engine::Decimal;
using engine::FieldDef;
using engine::FieldType;
using engine::Value;

using namespace tablevalues;

namespace {

size_t u16(const std::string& b, size_t at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; }
size_t u32(const std::string& b, size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }

std::vector<std::string> recordsOf(const std::string& bytes) {
    const size_t headerLength = u16(bytes, 8), recordLength = u16(bytes, 10), count = u32(bytes, 4);
    std::vector<std::string> out;
    for (size_t i = 0; i < count; ++i) out.push_back(bytes.substr(headerLength + i * recordLength, recordLength));
    return out;
}

size_t filesIn(const std::string& dir) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.is_regular_file();
    return n;
}

// Surfaces 2..11, TIP alternating; records 1, 4 and 7 deleted.
std::string makeSurfaces(Database& db, const TempDir& dir) {
    const std::string path = dir.file("TPDET.DBF");
    db.createTable(path, {number("IDDET", 10, 0), text("TIP", 10), number("SUPRAF", 9, 4), text("OBS", 20)});
    auto table = db.table(path);
    auto w = table->beginWrite();
    for (int i = 0; i < 10; ++i)
        w->append({num(i + 2), txt(i % 2 ? "INTRAVILAN" : "EXTRAVILAN"), Value::number(*Decimal::parse("0.1234")),
                   txt("Şes " + std::to_string(i))});
    w->remove(1);
    w->remove(4);
    w->remove(7);
    w->commit();
    return path;
}

}  // namespace

TEST(Pack, RemovesDeletedRecordsAndKeepsTheOthersByteForByte) {
    TempDir dir;
    Database db;
    const std::string path = makeSurfaces(db, dir);
    const std::string before = readBytes(path);
    std::vector<std::string> live;
    for (const auto& r : recordsOf(before))
        if (r[0] != '*') live.push_back(r);
    ASSERT_EQ(live.size(), 7u);

    db.packTable(dir.path() + "\\tpdet.dbf");
    const std::string after = readBytes(path);
    EXPECT_EQ(recordsOf(after), live);
    EXPECT_EQ(after.size(), u16(after, 8) + 7 * u16(after, 10) + 1);
    EXPECT_EQ(after.back(), 0x1A);
    EXPECT_EQ(after.substr(8, 4), before.substr(8, 4));
    EXPECT_EQ(after.substr(12, u16(before, 8) - 12), before.substr(12, u16(before, 8) - 12));
    EXPECT_EQ(filesIn(dir.path()), 1u);

    auto table = db.table(path);
    ASSERT_EQ(table->recordCount(), 7u);
    EXPECT_EQ(table->rows()->value(1, 0), num(4));
    EXPECT_EQ(table->lookup(0, num(5)), std::vector<uint32_t>{2});
    EXPECT_EQ(table->lookup(0, num(6)), std::vector<uint32_t>{});
    db.packTable(path);  // nothing to remove
    EXPECT_EQ(recordsOf(readBytes(path)), live);
}

TEST(Alter, AddsFieldsAfterTheOthersWithEmptyCells) {
    TempDir dir;
    Database db;
    const std::string path = makeSurfaces(db, dir);
    db.alterTable(path, {number("LUNG", 8, 4), number("LAT", 8, 4), text("COMENT", 50), date("DATA")}, {});
    Database fresh;
    auto table = fresh.table(path);
    ASSERT_EQ(table->fields().size(), 8u);
    EXPECT_EQ(table->fields()[4].name, "LUNG");
    EXPECT_EQ(table->fields()[6].name, "COMENT");
    EXPECT_EQ(table->fields()[6].width, 50);
    ASSERT_EQ(table->recordCount(), 10u);
    EXPECT_TRUE(table->isDeleted(4));
    auto rows = table->rows();
    for (size_t r = 0; r < 10; ++r) {
        EXPECT_EQ(rows->value(r, 0), num(int(r) + 2));
        EXPECT_EQ(rows->value(r, 3), txt("Şes " + std::to_string(r)));
        EXPECT_TRUE(rows->isNull(r, 4));
        EXPECT_TRUE(rows->isNull(r, 7));
        EXPECT_EQ(rows->value(r, 6), txt(""));
    }
    auto w = table->beginWrite();
    w->update(0, 4, Value::number(*Decimal::parse("12.5")));
    w->append({num(99), txt("X"), Value(), txt(""), Value(), Value(), txt("nou"), Value()});
    w->commit();
    EXPECT_EQ(Database().table(path)->rows()->value(10, 6), txt("nou"));
}

TEST(Alter, DropsAFieldAndKeepsTheData) {
    TempDir dir;
    Database db;
    const std::string path = makeSurfaces(db, dir);
    auto old = db.table(path);
    db.alterTable(path, {text("LOT", 16)}, {"tip"});
    auto table = db.table(path);
    EXPECT_NE(table, old);
    EXPECT_THROW(old->beginWrite(), engine::TableError);
    ASSERT_EQ(table->fields().size(), 4u);
    EXPECT_EQ(table->fields()[1].name, "SUPRAF");
    EXPECT_EQ(table->fields()[3].name, "LOT");
    auto rows = table->rows();
    EXPECT_EQ(rows->value(9, 0), num(11));
    EXPECT_EQ(rows->value(9, 1), Value::number(*Decimal::parse("0.1234")));
    EXPECT_EQ(rows->value(9, 2), txt("Şes 9"));
    EXPECT_EQ(table->findField("TIP"), -1);
}

TEST(Alter, RefusedChangeLeavesTheTableAsItWas) {
    TempDir dir;
    Database db;
    const std::string path = makeSurfaces(db, dir);
    const std::string before = readBytes(path);
    EXPECT_THROW(db.alterTable(path, {}, {"NOPE"}), engine::BindError);
    EXPECT_THROW(db.alterTable(path, {text("obs", 5)}, {}), engine::BindError);
    EXPECT_THROW(db.alterTable(path, {text("TOO_LONG_NAME", 5)}, {}), engine::TableError);
    EXPECT_THROW(db.alterTable(path, {}, {"IDDET", "TIP", "SUPRAF", "OBS"}), engine::TableError);
    EXPECT_THROW(db.alterTable(dir.file("NONE.DBF"), {text("A", 1)}, {}), engine::TableError);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), 1u);
    EXPECT_EQ(db.table(path)->recordCount(), 10u);
}

TEST(Alter, KeepsFieldsOfTypesNotRead) {
    TempDir dir;
    const std::string path = dir.file("MEMO.DBF");
    // A dBase IV table with a memo field (version 0x8B): the memo pointers stay as they are.
    writeBytes(path, dbfBytes({{"ID", 'N', 4}, {"NOTE", 'M', 10}, {"NAME", 'C', 5}},
                              {"    1         7Ana  ", "    2          Ion  "}, 0x8B));
    Database db;
    auto table = db.table(path);
    ASSERT_EQ(table->fields().size(), 2u);
    EXPECT_EQ(table->fields()[1].name, "NAME");
    auto w = table->beginWrite();
    w->append({num(3), txt("Eva")});
    w->commit();
    db.alterTable(path, {text("EXTRA", 3)}, {"ID"});
    const auto records = recordsOf(readBytes(path));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], "          7Ana     ");
    EXPECT_EQ(records[2], "           Eva     ");
    EXPECT_EQ(uint8_t(readBytes(path)[0]), 0x8B);
    EXPECT_EQ(db.table(path)->rows()->value(1, 0), txt("Ion"));
}
