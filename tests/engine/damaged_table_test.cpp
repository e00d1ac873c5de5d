// Damaged table files: a clear error naming the file, the same damage for the
// reading, the check and the repair, which keeps every whole record.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>

#include "dbf_bytes.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/integrity.h"
#include "engine/statement.h"
#include "error_text.h"
#include "temp_dir.h"

using engine::Database;
using engine::Decimal;
using engine::FieldDef;
using engine::FieldType;
using engine::Value;

namespace {

// NUME C 10 | SUPRAF N 9,4 | DATA D: header 32 + 3 * 32 + 1 = 129, records of 28.
constexpr size_t kHeader = 129;
constexpr size_t kRecord = 28;

std::string goodTable(const TempDir& dir) {
    const std::string path = dir.file("GOOD.DBF");
    Database db;
    db.createTable(path, {FieldDef{"NUME", FieldType::Text, 10, 0, 'C'}, FieldDef{"SUPRAF", FieldType::Number, 9, 4, 'N'},
                          FieldDef{"DATA", FieldType::Date, 8, 0, 'D'}});
    auto table = db.table(path);
    auto w = table->beginWrite();
    for (int i = 0; i < 3; ++i)
        w->append({Value::text("rand " + std::to_string(i)), Value::number(Decimal::fromInt(i)), Value()});
    w->commit();
    return readBytes(path);
}

void setU16(std::string& b, size_t at, size_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

}  // namespace

TEST(DamagedTable, HeaderFaultsAreNamedErrors) {
    TempDir dir;
    const std::string good = goodTable(dir);
    ASSERT_EQ(good.size(), kHeader + 3 * kRecord + 1);
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* message;
    } cases[] = {
        {"empty file", [](std::string& b) { b.clear(); }, "antetul este taiat"},
        {"cut in the first 32 bytes", [](std::string& b) { b.resize(20); }, "antetul este taiat"},
        {"cut in the descriptors", [](std::string& b) { b.resize(80); }, "antetul este taiat"},
        {"not a dBase version", [](std::string& b) { b[0] = 0x00; },
         "nu este un tabel dBase (octetul de versiune 0x00)"},
        {"header length too small", [](std::string& b) { setU16(b, 8, 40); },
         "lungimea antetului, 40 octeti, nu cuprinde niciun camp"},
        {"header length beyond the file", [](std::string& b) { setU16(b, 8, 5000); }, "antetul este taiat"},
        {"header length cuts a descriptor", [](std::string& b) { setU16(b, 8, 100); },
         "nu incap in lungimea antetului"},
        {"terminator lost", [](std::string& b) { b[kHeader - 1] = 'X'; }, "descrierile campurilor"},
        {"record length too long", [](std::string& b) { setU16(b, 10, kRecord + 5); },
         "lungimea inregistrarii este 33"},
        {"record length too short", [](std::string& b) { setU16(b, 10, 3); }, "lungimea inregistrarii este 3"},
        {"field width zero", [](std::string& b) { b[32 + 16] = 0; }, "are latimea 0"},
        {"field widths changed", [](std::string& b) { b[32 + 32 + 16] = 12; }, "campurile ocupa 31 octeti"},
        {"date of wrong width", [](std::string& b) { b[32 + 64 + 16] = 6; },
         "campul de tip data DATA nu are latimea 8"},
        {"nameless field", [](std::string& b) { b[32] = 0; }, "campul 1 nu are nume"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        c.damage(bytes);
        const std::string path = dir.file("BAD.DBF");
        writeBytes(path, bytes);
        Database db;
        try {
            db.table(path);
            ADD_FAILURE() << "no error";
        } catch (const engine::TableError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Tabelul BAD.DBF este deteriorat: antetul nu poate fi citit (", 0), 0u) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        }
    }
}

TEST(DamagedTable, AHeaderAndSizeThatDisagreeAreShownRefusedAndRepairedKeepingEveryWholeRecord) {
    TempDir dir;
    const std::string good = goodTable(dir);
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        uint32_t headerCount;
        uint64_t whole;
        size_t partial;
        const char* problem;
    } cases[] = {
        {"a record beyond the count", [](std::string& b) { b[4] = 2; }, 2, 3, 0,
         "antetul numara 2 inregistrari, fisierul are 3 inregistrari intregi."},
        {"count far beyond the file", [](std::string& b) { setU16(b, 4, 60000); }, 60000, 3, 0,
         "antetul numara 60000 inregistrari, fisierul are 3 inregistrari intregi."},
        {"last record cut", [](std::string& b) { b.resize(kHeader + 2 * kRecord + 10); }, 3, 2, 10,
         "antetul numara 3 inregistrari, fisierul are 2 inregistrari intregi si o inregistrare taiata (10 din 28 "
         "octeti)."},
        {"only the header", [](std::string& b) { b.resize(kHeader); }, 3, 0, 0,
         "antetul numara 3 inregistrari, fisierul are 0 inregistrari intregi."},
        {"a byte after the end-of-file byte", [](std::string& b) { b += '\x1A'; }, 3, 3, 1,
         "antetul numara 3 inregistrari, fisierul are 3 inregistrari intregi si o inregistrare taiata (1 din 28 "
         "octeti)."},
        {"one record, none counted",
         [](std::string& b) {
             b[4] = 0;
             b.erase(kHeader + kRecord, 2 * kRecord);
         },
         0, 1, 0, "antetul numara 0 inregistrari, fisierul are 1 inregistrare intreaga."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        c.damage(bytes);
        const std::string path = dir.file("SHORT.DBF");
        writeBytes(path, bytes);
        const std::string problem = std::string("Tabelul SHORT.DBF este deteriorat: ") + c.problem;
        Database db;
        EXPECT_EQ(errorOf([&] { db.table(path); }), problem);
        EXPECT_EQ(errorOf([&] {
                      engine::executeStatement(db, "INSERT INTO \"" + path + "\" (NUME) VALUES (\"nou\")");
                  }),
                  problem);
        EXPECT_EQ(errorOf([&] { db.alterTable(path, {FieldDef{"OBS", FieldType::Text, 5, 0, 'C'}}, {}); }), problem);
        EXPECT_EQ(errorOf([&] { db.packTable(path); }), problem);
        EXPECT_EQ(readBytes(path), bytes);
        EXPECT_EQ(engine::checkTableFile(path), std::vector<std::string>{problem});
        const engine::TableCondition found = db.examineTable(path, true);
        EXPECT_EQ(found.headerCount, c.headerCount);
        EXPECT_EQ(found.wholeRecords, c.whole);
        EXPECT_EQ(found.partialBytes, c.partial);
        EXPECT_EQ(found.lostRecords(), c.partial > 0 ? 1u : 0u);

        // The repair keeps every whole record, the file as it was in the copy.
        const std::string copy = dir.file("SHORT.DBF.deteriorat");
        EXPECT_EQ(db.repairTable(path, copy).describe(), problem);
        EXPECT_EQ(readBytes(copy), bytes);
        EXPECT_TRUE(engine::checkTableFile(path).empty());
        auto table = Database().table(path);
        ASSERT_EQ(table->recordCount(), c.whole);
        for (size_t r = 0; r < c.whole; ++r) EXPECT_EQ(table->rows()->value(r, 0), Value::text("rand " + std::to_string(r)));
        EXPECT_EQ(readBytes(path).substr(kHeader), bytes.substr(kHeader, c.whole * kRecord) + "\x1A");
        std::remove(copy.c_str());
    }
}

TEST(DamagedTable, ASoundFileWithoutItsEndOfFileByteReadsAndTakesRecords) {
    TempDir dir;
    std::string bytes = goodTable(dir);
    bytes.pop_back();
    const std::string path = dir.file("NOEND.DBF");
    writeBytes(path, bytes);
    EXPECT_TRUE(engine::checkTableFile(path).empty());
    Database db;
    auto table = db.table(path);
    ASSERT_EQ(table->recordCount(), 3u);
    auto w = table->beginWrite();
    w->append({Value::text("nou"), Value(), Value()});
    w->commit();
    auto again = Database().table(path);
    ASSERT_EQ(again->recordCount(), 4u);
    EXPECT_EQ(again->rows()->value(3, 0), Value::text("nou"));
    EXPECT_EQ(db.repairTable(path, dir.file("NOEND.DBF.copie")).describe(), "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("NOEND.DBF.copie")));
}

TEST(DamagedTable, CellsThatAreNoValueOfTheirFieldAreErrorsNamingTableRecordAndField) {
    TempDir dir;
    const RawField n94{"V", 'N', 9, 4}, n20{"V", 'N', 20, 0}, d{"V", 'D', 8}, l{"V", 'L', 1};
    const std::optional<Value> null = Value();
    struct Case {
        const char* what;
        RawField field;
        std::string cell;
        char flag;
        std::optional<Value> value;  // read, or else
        const char* error;           // the message after "Tabelul CELLS.DBF, inregistrarea 2"
    } cases[] = {
        {"a stray letter", n94, "   12a.5 ", ' ', {}, ", campul V: \"12a.5\" nu este un numar."},
        {"a decimal comma", n94, "   1,5   ", ' ', {}, ", campul V: \"1,5\" nu este un numar."},
        {"a star before digits", n94, "     *12 ", ' ', {}, ", campul V: \"*12\" nu este un numar."},
        {"a lone minus", n94, "    -    ", ' ', {}, ", campul V: \"-\" nu este un numar."},
        {"a control byte", n94, "   12\x07.5 ", ' ', {}, ", campul V: \"12\\x07.5\" nu este un numar."},
        {"beyond the engine's numbers", n20, "  123456789012345678", ' ', {},
         ", campul V: \"123456789012345678\" este un numar prea mare pentru program."},
        {"stars", n94, "*********", ' ', null, ""},
        {"stars among blanks", n94, "   ***   ", ' ', null, ""},
        {"blanks", n94, "         ", ' ', null, ""},
        {"blanks around", n94, "  12.5   ", ' ', Value::number(*Decimal::parse("12.5")), ""},
        {"NULs before", n94, std::string("\0\0\0", 3) + "-0.250", ' ', Value::number(*Decimal::parse("-0.25")), ""},
        {"a plus sign", n94, "    +2.5 ", ' ', Value::number(*Decimal::parse("2.5")), ""},
        {"more decimals than four", n94, "  1.23456", ' ', Value::number(*Decimal::parse("1.2346")), ""},
        {"a date", d, "20030517", ' ', Value::date(engine::Date::fromYmd(2003, 5, 17)), ""},
        {"GDAL's missing date", d, "00000000", ' ', null, ""},
        {"a blank date", d, "        ", ' ', null, ""},
        {"a letter in a date", d, "2003O517", ' ', {}, ", campul V: \"2003O517\" nu este o data."},
        {"month 13", d, "20031317", ' ', {}, ", campul V: \"20031317\" nu este o data."},
        {"a date cut short", d, "200305  ", ' ', {}, ", campul V: \"200305\" nu este o data."},
        {"true", l, "T", ' ', Value::logical(true), ""},
        {"unknown", l, "?", ' ', null, ""},
        {"not a logical value", l, "x", ' ', {}, ", campul V: \"x\" nu este o valoare logica."},
        {"a deletion flag of neither kind", n94, "   12.5  ", 'X', {},
         ": marcajul de stergere 0x58 nu este nici spatiu, nici \"*\"."},
        {"a deleted record's cell, never read", n94, "   12a.5 ", '*', null, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RawField& field = c.field;
        const std::string sound = field.type == 'N' ? std::string(size_t(field.width) - 1, ' ') + "7"
                                  : field.type == 'D' ? "19991231"
                                                      : "F";
        const std::string bytes = dbfBytes({field}, {" " + sound, c.flag + c.cell});
        const std::string path = dir.file("CELLS.DBF");
        writeBytes(path, bytes);
        Database db;
        const auto read = [&] {
            const auto rows = engine::executeStatement(db, "SELECT * FROM \"" + path + "\"").rows;
            rows->loadAll();
            return rows;
        };
        if (c.value) {
            EXPECT_EQ(errorOf([&] { read(); }), "");
            if (c.flag != '*') {
                EXPECT_EQ(read()->value(1, 0), *c.value);
            }
            EXPECT_TRUE(engine::checkTableFile(path).empty());
            continue;
        }
        const std::string message = std::string("Tabelul CELLS.DBF, inregistrarea 2") + c.error;
        EXPECT_EQ(errorOf([&] { read(); }), message);
        EXPECT_EQ(errorOf([&] { engine::executeStatement(db, "DELETE FROM \"" + path + "\" WHERE V IS NULL"); }),
                  message);
        EXPECT_EQ(readBytes(path), bytes);
        EXPECT_EQ(engine::checkTableFile(path), std::vector<std::string>{message});

        // Repaired, the record stays with what cannot be read left blank.
        const std::string copy = dir.file("CELLS.DBF.deteriorat");
        EXPECT_EQ(db.repairTable(path, copy).describe(), message);
        EXPECT_EQ(readBytes(copy), bytes);
        const auto rows = read();
        ASSERT_EQ(rows->rowCount(), 2u);
        EXPECT_FALSE(rows->isNull(0, 0));
        if (c.flag == ' ') {
            EXPECT_TRUE(rows->isNull(1, 0));
        }
        std::remove(copy.c_str());
    }
}

TEST(DamagedTable, ACellNotReadIsNoError) {
    TempDir dir;
    const std::string path = dir.file("CELLS.DBF");
    writeBytes(path, dbfBytes({{"ID", 'N', 4}, {"SUP", 'N', 6, 2}}, {"    1  1.50", "    2  1a50"}));
    Database db;
    const auto ids = engine::executeStatement(db, "SELECT ID FROM \"" + path + "\"").rows;
    ASSERT_EQ(ids->rowCount(), 2u);
    EXPECT_EQ(ids->value(1, 0), Value::number(Decimal::fromInt(2)));
    // A write reads every cell first: it fails, and the file is as it was.
    const std::string before = readBytes(path);
    EXPECT_EQ(errorOf([&] { engine::executeStatement(db, "UPDATE \"" + path + "\" SET ID=3 WHERE ID=2"); }),
              "Tabelul CELLS.DBF, inregistrarea 2, campul SUP: \"1a50\" nu este un numar.");
    EXPECT_EQ(readBytes(path), before);
}

TEST(DamagedTable, NoCutOrCorruptByteCrashesTheReader) {
    TempDir dir;
    const std::string good = goodTable(dir);
    int variant = 0;
    const auto tryRead = [&](const std::string& bytes) {
        // A new file each time: rewriting one file in place makes the file system flush it.
        const std::string name = "FUZZ" + std::to_string(variant++) + ".DBF";
        const std::string path = dir.file(name);
        writeBytes(path, bytes);
        try {
            Database().table(path);
        } catch (const engine::TableError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        std::remove(path.c_str());
    };
    for (size_t size = 0; size <= good.size(); ++size) tryRead(good.substr(0, size));
    for (size_t at = 0; at < kHeader; ++at)
        for (int value : {0x00, 0x01, 0x0D, 0x20, 0x7F, 0xFF}) {
            std::string bytes = good;
            bytes[at] = char(value);
            tryRead(bytes);
        }
}
