// Tables on disk: what is written, what is read back, and how values are stored.
#include <gtest/gtest.h>

#include "engine/database.h"
#include "engine/errors.h"
#include "dbf_bytes.h"
#include "error_text.h"
#include "table_values.h"
#include "temp_dir.h"

using engine::Database;
using engine::Date;
using engine::Decimal;
using engine::FieldDef;
using engine::FieldType;
using engine::Value;

using namespace tablevalues;

namespace {

// A title-shaped table: text, whole number, area, date.
std::vector<FieldDef> titleFields() {
    return {number("IDTP", 10, 0), text("TPNR", 16), number("SUPTOT", 9, 4), date("DATA"), text("TITULAR", 40)};
}

void appendRows(Database& db, const std::string& path, const std::vector<std::vector<Value>>& rows) {
    auto table = db.table(path);
    auto w = table->beginWrite();
    for (const auto& r : rows) w->append(r);
    w->commit();
}

}  // namespace

TEST(TableFile, NewTableHasTheDocumentedHeader) {
    TempDir dir;
    Database db;
    db.createTable(dir.file("TP.DBF"), titleFields());
    const std::string bytes = readBytes(dir.file("TP.DBF"));
    const size_t headerLength = 32 + 5 * 32 + 1;
    ASSERT_EQ(bytes.size(), headerLength + 1);
    EXPECT_EQ(uint8_t(bytes[0]), 0x03);
    EXPECT_EQ(uint8_t(bytes[29]), 0xC8);
    EXPECT_EQ(bytes[4] | bytes[5] | bytes[6] | bytes[7], 0);
    EXPECT_EQ(uint8_t(bytes[8]) | uint8_t(bytes[9]) << 8, int(headerLength));
    EXPECT_EQ(uint8_t(bytes[10]) | uint8_t(bytes[11]) << 8, 1 + 10 + 16 + 9 + 8 + 40);
    EXPECT_EQ(bytes.substr(32, 5), std::string("IDTP\0", 5));
    EXPECT_EQ(bytes[32 + 11], 'N');
    EXPECT_EQ(bytes[32 + 16], 10);
    EXPECT_EQ(bytes[32 + 3 * 32 + 11], 'D');
    EXPECT_EQ(bytes[headerLength - 1], 0x0D);
    EXPECT_EQ(bytes.back(), 0x1A);
    EXPECT_GT(uint8_t(bytes[1]), 100);  // years since 1900
}

TEST(TableFile, RecordsAreWrittenInTheirFieldFormats) {
    TempDir dir;
    Database db;
    const std::string path = dir.file("TP.DBF");
    db.createTable(path, titleFields());
    appendRows(db, path,
               {{num("7"), txt("A12"), num("12.5"), day(2024, 3, 9), txt("Ştefan Ţăranu")},
                {Value(), txt(""), Value(), Value(), txt("")}});
    const std::string bytes = readBytes(path);
    const size_t headerLength = 32 + 5 * 32 + 1, recordLength = 84;
    ASSERT_EQ(bytes.size(), headerLength + 2 * recordLength + 1);
    EXPECT_EQ(bytes[4], 2);
    const std::string first = bytes.substr(headerLength, recordLength);
    EXPECT_EQ(first.substr(0, 1 + 10 + 16 + 9 + 8),
              "          7A12               12.500020240309");
    EXPECT_EQ(first.substr(44), std::string("\xAA" "tefan \xDE\xE3ranu") + std::string(27, ' '));
    EXPECT_EQ(bytes.substr(headerLength + recordLength, recordLength), std::string(recordLength, ' '));
    EXPECT_EQ(bytes.back(), 0x1A);
}

TEST(TableFile, ValuesRoundTripThroughAFreshCatalog) {
    TempDir dir;
    const std::string path = dir.file("TP.DBF");
    {
        Database db;
        db.createTable(path, titleFields());
        appendRows(db, path,
                   {{num("2"), txt("12/B"), num("-999.9999"), day(1900, 1, 1), txt("Ion Popescu; Ana Ionescu")},
                    {num("9999999999"), txt("ăâîşţĂÂÎŞŢ"), num("9999.9999"), day(2024, 2, 29), txt("  leading")},
                    {Value(), txt(""), Value(), Value(), txt("")}});
    }
    Database fresh;
    auto table = fresh.table(path);
    ASSERT_EQ(table->recordCount(), 3u);
    auto rows = table->rows();
    EXPECT_EQ(rows->value(0, 0), num("2"));
    EXPECT_EQ(rows->value(0, 1), txt("12/B"));
    EXPECT_EQ(rows->value(0, 2), num("-999.9999"));
    EXPECT_EQ(rows->value(0, 3), day(1900, 1, 1));
    EXPECT_EQ(rows->value(0, 4), txt("Ion Popescu; Ana Ionescu"));
    EXPECT_EQ(rows->value(1, 0), num("9999999999"));
    EXPECT_EQ(rows->value(1, 1), txt("ăâîşţĂÂÎŞŢ"));
    EXPECT_EQ(rows->value(1, 2), num("9999.9999"));
    EXPECT_EQ(rows->value(1, 3), day(2024, 2, 29));
    EXPECT_EQ(rows->value(1, 4), txt("  leading"));
    for (size_t c = 0; c < 5; ++c) EXPECT_TRUE(rows->isNull(2, c)) << c;
    EXPECT_EQ(rows->value(2, 1), txt(""));
    EXPECT_EQ(table->fields()[2].decimals, 4);
    EXPECT_EQ(table->fields()[2].width, 9);
}

TEST(TableFile, CoerceStoresOrRefuses) {
    TempDir dir;
    Database db;
    const std::string path = dir.file("T.DBF");
    db.createTable(path, {text("NUME", 5), number("SUPRAF", 9, 4), number("ID", 10, 0), number("P", 6, 2), date("DATA")});
    auto table = db.table(path);
    struct Case {
        int field;
        Value in;
        Value out;          // when no error
        const char* error;  // part of the message, or nullptr
    } cases[] = {
        {0, txt("abc"), txt("abc"), nullptr},
        {0, txt("abc   "), txt("abc"), nullptr},
        {0, txt("abcde "), txt("abcde"), nullptr},
        {0, txt("ș Ț"), txt("ş Ţ"), nullptr},
        {0, txt("ăâîşţ"), txt("ăâîşţ"), nullptr},
        {0, Value(), txt(""), nullptr},
        {0, txt("abcdef"), {}, "Text too long for field NUME"},
        {0, txt("a→b"), {}, "Field NUME cannot hold the character '→'"},
        {1, num("12.5"), num("12.5"), nullptr},
        {1, num("9999.9999"), num("9999.9999"), nullptr},
        {1, num("-999.9999"), num("-999.9999"), nullptr},
        {1, num("10000"), {}, "Number too large for field SUPRAF"},
        {1, num("-1000"), {}, "Number too large for field SUPRAF"},
        {1, txt(" 3.25 "), num("3.25"), nullptr},
        {1, txt(""), Value(), nullptr},
        {1, txt("abc"), {}, "Not a number for field SUPRAF"},
        {1, day(2020, 1, 1), {}, "SUPRAF"},
        {2, num("2.5"), num("3"), nullptr},
        {2, num("-2.5"), num("-3"), nullptr},
        {2, num("9999999999"), num("9999999999"), nullptr},
        {2, num("10000000000"), {}, "Number too large for field ID"},
        {3, num("1.005"), num("1.01"), nullptr},
        {3, num("-1.005"), num("-1.01"), nullptr},
        {3, num("999.994"), num("999.99"), nullptr},
        {3, num("999.995"), {}, "Number too large for field P"},
        {4, txt("01.01.1900"), day(1900, 1, 1), nullptr},
        {4, txt("9.3.2024"), day(2024, 3, 9), nullptr},
        {4, txt(""), Value(), nullptr},
        {4, txt("31.02.2024"), {}, "DATA"},
        {4, txt("tomorrow"), {}, "Not a date for field DATA"},
        {4, num("5"), {}, "DATA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " " + c.in.toString());
        if (c.error) {
            try {
                table->coerce(c.field, c.in);
                ADD_FAILURE() << "no error";
            } catch (const engine::ValueError& e) {
                EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
            }
        } else {
            EXPECT_EQ(table->coerce(c.field, c.in), c.out);
        }
    }
}

TEST(TableFile, RefusedValueLeavesTheFileUnchanged) {
    TempDir dir;
    Database db;
    const std::string path = dir.file("T.DBF");
    db.createTable(path, {text("NUME", 5), number("N", 4, 0)});
    appendRows(db, path, {{txt("ok"), num("1")}});
    const std::string before = readBytes(path);
    auto table = db.table(path);
    auto w = table->beginWrite();
    EXPECT_THROW(w->append({txt("日本"), num("2")}), engine::ValueError);
    EXPECT_THROW(w->append({txt("abcdef"), num("2")}), engine::ValueError);
    EXPECT_THROW(w->append({txt("x"), num("12345")}), engine::ValueError);
    EXPECT_THROW(w->update(0, 0, txt("→")), engine::ValueError);
    EXPECT_THROW(w->append({txt("x")}), engine::ValueError);
    w->commit();
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(table->recordCount(), 1u);
    EXPECT_EQ(table->rows()->value(0, 0), txt("ok"));
}

TEST(TableFile, WritesAreVisibleToAFreshCatalog) {
    TempDir dir;
    const std::string path = dir.file("TPDET.DBF");
    Database db;
    db.createTable(path, {number("IDDET", 10, 0), text("TIP", 10), number("SUPRAF", 9, 4)});
    auto table = db.table(path);
    {
        auto w = table->beginWrite();
        for (int i = 0; i < 5; ++i) w->append({Value::number(Decimal::fromInt(i + 2)), txt("EXTRAVILAN"), num("0.5")});
        w->update(1, 1, txt("INTRAVILAN"));
        w->update(3, 2, Value());
        w->remove(2);
        w->remove(2);
        w->commit();
    }
    const std::string bytes = readBytes(path);
    const size_t headerLength = 32 + 3 * 32 + 1, recordLength = 30;
    EXPECT_EQ(bytes[headerLength + 2 * recordLength], '*');
    EXPECT_EQ(bytes[headerLength + 1 * recordLength], ' ');

    Database fresh;
    auto again = fresh.table(path);
    ASSERT_EQ(again->recordCount(), 5u);
    EXPECT_TRUE(again->isDeleted(2));
    EXPECT_FALSE(again->isDeleted(1));
    auto rows = again->rows();
    EXPECT_EQ(rows->value(1, 1), txt("INTRAVILAN"));
    EXPECT_EQ(rows->value(0, 1), txt("EXTRAVILAN"));
    EXPECT_TRUE(rows->isNull(3, 2));
    EXPECT_EQ(rows->value(4, 0), num("6"));
}

TEST(TableFile, HeldRowsAreASnapshot) {
    TempDir dir;
    Database db;
    const std::string path = dir.file("T.DBF");
    db.createTable(path, {text("NUME", 10)});
    appendRows(db, path, {{txt("a")}, {txt("b")}});
    auto table = db.table(path);
    auto before = table->rows();
    auto w = table->beginWrite();
    w->update(0, 0, txt("changed"));
    w->append({txt("c")});
    w->commit();
    EXPECT_EQ(before->rowCount(), 2u);
    EXPECT_EQ(before->value(0, 0), txt("a"));
    EXPECT_EQ(table->rows()->rowCount(), 3u);
    EXPECT_EQ(table->rows()->value(0, 0), txt("changed"));
}

TEST(TableFile, LookupFollowsTheWrites) {
    TempDir dir;
    Database db;
    const std::string path = dir.file("T.DBF");
    db.createTable(path, {number("IDTP", 10, 0), text("TIP", 10), date("DATA")});
    appendRows(db, path,
               {{num("5"), txt("EXTRAVILAN"), day(2020, 1, 1)},
                {num("6"), txt("INTRAVILAN"), Value()},
                {num("5"), txt("EXTRAVILAN"), day(2020, 1, 1)},
                {Value(), txt(""), Value()}});
    auto table = db.table(path);
    using List = std::vector<uint32_t>;
    EXPECT_EQ(table->lookup(0, num("5")), (List{0, 2}));
    EXPECT_EQ(table->lookup(0, txt("5")), (List{0, 2}));
    EXPECT_EQ(table->lookup(0, num("5.5")), List{});
    EXPECT_EQ(table->lookup(0, Value()), List{});
    EXPECT_EQ(table->lookup(1, txt("EXTRAVILAN  ")), (List{0, 2}));
    EXPECT_EQ(table->lookup(1, txt("extravilan")), List{});
    EXPECT_EQ(table->lookup(1, txt("")), List{3});
    EXPECT_EQ(table->lookup(2, day(2020, 1, 1)), (List{0, 2}));
    EXPECT_EQ(table->lookup(2, txt("01.01.2020")), (List{0, 2}));
    {
        auto w = table->beginWrite();
        w->update(2, 0, num("6"));
        w->update(2, 1, txt("INTRAVILAN"));
        w->append({num("5"), txt("EXTRAVILAN"), Value()});
        w->append({num("6"), txt("INTRAVILAN"), Value()});
        w->remove(0);
        w->update(1, 0, num("5"));
        w->commit();
    }
    EXPECT_EQ(table->lookup(0, num("5")), (List{1, 4}));
    EXPECT_EQ(table->lookup(0, num("6")), (List{2, 5}));
    EXPECT_EQ(table->lookup(1, txt("EXTRAVILAN")), List{4});
    EXPECT_EQ(table->lookup(1, txt("INTRAVILAN")), (List{1, 2, 5}));
    EXPECT_EQ(table->lookup(2, day(2020, 1, 1)), List{2});
    {
        auto w = table->beginWrite();
        w->update(0, 0, num("6"));  // a deleted record stays out of the index
        w->commit();
    }
    EXPECT_EQ(table->lookup(0, num("6")), (List{2, 5}));
}

TEST(TableFile, ManyKeysInOneIndex) {
    TempDir dir;
    Database db;
    const std::string path = dir.file("T.DBF");
    db.createTable(path, {number("ID", 10, 0), text("K", 10)});
    auto table = db.table(path);
    auto w = table->beginWrite();
    for (int i = 0; i < 3000; ++i)
        w->append({Value::number(Decimal::fromInt(i % 1000)), Value::text("k" + std::to_string(i % 7))});
    w->commit();
    EXPECT_EQ(table->lookup(0, num("999")), (std::vector<uint32_t>{999, 1999, 2999}));
    w = table->beginWrite();
    for (uint32_t r = 0; r < 1500; ++r) w->remove(r);
    w->commit();
    EXPECT_EQ(table->lookup(0, num("999")), (std::vector<uint32_t>{1999, 2999}));
    EXPECT_EQ(table->lookup(0, num("0")), (std::vector<uint32_t>{2000}));
    size_t k3 = 0;
    for (int i = 1500; i < 3000; ++i) k3 += i % 7 == 3;
    EXPECT_EQ(table->lookup(1, txt("k3")).size(), k3);
}

TEST(Catalog, NamesAreFoundWithoutRegardToCase) {
    TempDir dir;
    Database db;
    db.createTable(dir.file("TP.DBF"), {text("A", 1)});
    db.createTable(dir.file("Fisiere.dbf"), {text("A", 1)});
    struct Case {
        std::string asked;
        std::string found;
    } cases[] = {
        {dir.file("TP.dbf"), dir.file("TP.DBF")},
        {dir.file("tp.DbF"), dir.file("TP.DBF")},
        {dir.path() + "\\TP.dbf", dir.file("TP.DBF")},
        {dir.path() + "\\FISIERE.DBF", dir.file("Fisiere.dbf")},
        {dir.path() + "\\Anexe1.dbf", dir.file("Anexe1.dbf")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db.resolve(c.asked), c.found) << c.asked;
        EXPECT_EQ(db.exists(c.asked), c.found != dir.file("Anexe1.dbf")) << c.asked;
    }
    EXPECT_EQ(db.table(dir.path() + "\\tp.dbf")->path(), dir.file("TP.DBF"));
    EXPECT_EQ(db.table(dir.file("TP.DBF")), db.table(dir.file("tp.dbf")));
}

TEST(Catalog, MissingOrExistingTableIsReported) {
    TempDir dir;
    Database db;
    const std::string missing = dir.file("RF.DBF");
    EXPECT_EQ(errorOf([&] { db.table(missing); }), "Table does not exist: " + missing);
    db.createTable(missing, {text("A", 1)});
    EXPECT_EQ(errorOf([&] { db.createTable(dir.file("rf.dbf"), {text("A", 1)}); }), "Table already exists: " + missing);
    EXPECT_NE(errorOf([&] { db.createTable(dir.file("X.DBF"), {text("NAME_TOO_LONG", 1)}); }), "");
    EXPECT_NE(errorOf([&] { db.createTable(dir.file("X.DBF"), {text("A", 1), text("a", 2)}); }), "");
    EXPECT_NE(errorOf([&] { db.createTable(dir.file("X.DBF"), {text("A", 255)}); }), "");
    EXPECT_NE(errorOf([&] { db.createTable(dir.file("X.DBF"), {number("A", 4, 4)}); }), "");
    EXPECT_NE(errorOf([&] { db.createTable(dir.file("X.DBF"), {}); }), "");
    EXPECT_FALSE(db.exists(dir.file("X.DBF")));
    EXPECT_NE(errorOf([&] { db.createTable(dir.file("nowhere/X.DBF"), {text("A", 1)}); }), "");
}

TEST(Catalog, ChangeByAnotherProgramIsNoticed) {
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    Database mine, theirs;
    mine.createTable(path, {text("NUME", 10)});
    appendRows(mine, path, {{txt("a")}});
    auto first = mine.table(path);
    EXPECT_EQ(mine.table(path), first);  // unchanged: the same reading

    appendRows(theirs, path, {{txt("b")}});
    auto second = mine.table(path);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->recordCount(), 2u);
    // A stale reading must not write: its record numbers may name other records now.
    EXPECT_THROW(first->beginWrite(), engine::TableError);

    // Same size, other content (a program editing in place).
    std::string bytes = readBytes(path);
    bytes[bytes.size() - 2 - 9] = 'z';
    writeBytes(path, bytes);
    EXPECT_EQ(mine.table(path)->rows()->value(1, 0), txt("z"));
}

TEST(Catalog, GlobalIsOneInstance) { EXPECT_EQ(&Database::global(), &Database::global()); }

TEST(TableFile, ReadsCellsOfOtherWriters) {
    TempDir dir;
    const std::string path = dir.file("OTHER.DBF");
    // N 6,2 | F 8,3 | D | L | C 4
    const std::vector<RawField> fields = {{"N", 'N', 6, 2}, {"F", 'F', 8, 3}, {"D", 'D', 8}, {"L", 'L', 1}, {"C", 'C', 4}};
    const auto record = [](std::vector<std::string> cells) {
        std::string r;
        for (const auto& c : cells) r += c;
        return r;
    };
    writeBytes(path, dbfBytes(fields, {
                                          record({" ", " 12.50", "  -0.125", "20240309", "T", "ab  "}),
                                          record({" ", "      ", "     0.5", "00000000", "F", std::string("\xE2\xBA\0\0", 4)}),
                                          record({" ", "******", "  ******", "        ", "?", "    "}),
                                          record({"*", "  -1.5", "     1.0", "20241301", "t", "    "}),
                                      }));
    Database db;
    auto table = db.table(path);
    ASSERT_EQ(table->recordCount(), 4u);
    const auto& defs = table->fields();
    EXPECT_EQ(defs[1].type, FieldType::Number);
    EXPECT_EQ(defs[1].dbfType, 'F');
    EXPECT_EQ(defs[3].type, FieldType::Logical);
    auto rows = table->rows();
    EXPECT_EQ(rows->value(0, 0), num("12.5"));
    EXPECT_EQ(rows->value(0, 1), num("-0.125"));
    EXPECT_EQ(rows->value(0, 2), day(2024, 3, 9));
    EXPECT_EQ(rows->value(0, 3), Value::logical(true));
    EXPECT_EQ(rows->value(0, 4), txt("ab"));
    EXPECT_TRUE(rows->isNull(1, 0));
    EXPECT_EQ(rows->value(1, 1), num("0.5"));
    EXPECT_TRUE(rows->isNull(1, 2));  // zeros
    EXPECT_EQ(rows->value(1, 3), Value::logical(false));
    EXPECT_EQ(rows->value(1, 4), txt("âş"));  // padded with NULs
    for (size_t c = 0; c < 4; ++c) EXPECT_TRUE(rows->isNull(2, c)) << "stars and blanks, field " << c;
    EXPECT_TRUE(table->isDeleted(3));
    EXPECT_FALSE(table->isDeleted(2));
    EXPECT_EQ(rows->value(3, 0), num("-1.5"));
    EXPECT_TRUE(rows->isNull(3, 2));  // month 13, in a deleted record that no statement reads
    EXPECT_EQ(rows->value(3, 3), Value::logical(true));

    // Writing keeps each field's own format.
    auto w = table->beginWrite();
    w->update(0, 1, num("2"));
    w->update(0, 3, Value());
    w->commit();
    const std::string bytes = readBytes(path);
    const size_t headerLength = 32 + 5 * 32 + 1;
    EXPECT_EQ(bytes.substr(headerLength + 7, 8), "   2.000");
    EXPECT_EQ(bytes[headerLength + 23], '?');
}

TEST(TableFile, OneStatementWritesATableAtATime) {
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    Database one, two;
    one.createTable(path, {text("NUME", 10)});
    auto a = one.table(path);
    auto b = two.table(path);
    auto w = a->beginWrite();
    EXPECT_THROW(b->beginWrite(), engine::TableError);
    EXPECT_THROW(a->beginWrite(), engine::TableError);
    EXPECT_THROW(one.packTable(path), engine::TableError);
    w->append({txt("a")});
    w->commit();
    // The other catalog's reading is stale now: it reads again before writing.
    EXPECT_THROW(b->beginWrite(), engine::TableError);
    auto fresh = two.table(path);
    EXPECT_EQ(fresh->recordCount(), 1u);
    auto w2 = fresh->beginWrite();
    w2->append({txt("b")});
    w2->commit();
    EXPECT_EQ(one.table(path)->recordCount(), 2u);
}

TEST(TableFile, TheCatalogKeepsTheReadingAStatementWrites) {
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    Database db;
    db.createTable(path, {text("NUME", 10)});
    auto table = db.table(path);
    auto w = table->beginWrite();
    w->append({txt("a")});
    EXPECT_EQ(db.table(path), table);  // an INSERT ... SELECT reading its own table
    w->update(0, 0, txt("b"));
    w->remove(0);
    w->commit();
    EXPECT_EQ(db.table(path), table);
}
