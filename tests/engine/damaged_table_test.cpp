// Damaged table files: a clear error naming the file, or the whole records there are.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "engine/database.h"
#include "engine/errors.h"
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
        {"empty file", [](std::string& b) { b.clear(); }, "the header is cut short"},
        {"cut in the first 32 bytes", [](std::string& b) { b.resize(20); }, "the header is cut short"},
        {"cut in the descriptors", [](std::string& b) { b.resize(80); }, "the header is cut short"},
        {"not a dBase version", [](std::string& b) { b[0] = 0x00; }, "not a dBase table"},
        {"header length too small", [](std::string& b) { setU16(b, 8, 40); }, "cannot hold a field"},
        {"header length beyond the file", [](std::string& b) { setU16(b, 8, 5000); }, "the header is cut short"},
        {"header length cuts a descriptor", [](std::string& b) { setU16(b, 8, 100); }, "do not fit the header length"},
        {"terminator lost", [](std::string& b) { b[kHeader - 1] = 'X'; }, "field descriptors"},
        {"record length too long", [](std::string& b) { setU16(b, 10, kRecord + 5); }, "record length is 33"},
        {"record length too short", [](std::string& b) { setU16(b, 10, 3); }, "record length is 3"},
        {"field width zero", [](std::string& b) { b[32 + 16] = 0; }, "width 0"},
        {"field widths changed", [](std::string& b) { b[32 + 32 + 16] = 12; }, "the fields take 31 bytes"},
        {"date of wrong width", [](std::string& b) { b[32 + 64 + 16] = 6; }, "date field DATA"},
        {"nameless field", [](std::string& b) { b[32] = 0; }, "has no name"},
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
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find("damaged"), std::string::npos) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        }
    }
}

TEST(DamagedTable, RecordsMissingAtTheEndAreLeftOut) {
    TempDir dir;
    const std::string good = goodTable(dir);
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        size_t records;
    } cases[] = {
        {"count far beyond the file", [](std::string& b) { setU16(b, 4, 60000); }, 3},
        {"last record cut", [](std::string& b) { b.resize(kHeader + 2 * kRecord + 10); }, 2},
        {"no end-of-file byte", [](std::string& b) { b.pop_back(); }, 3},
        {"only the header", [](std::string& b) { b.resize(kHeader); }, 0},
        {"a record beyond the count", [](std::string& b) { b[4] = 2; }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        c.damage(bytes);
        const std::string path = dir.file("SHORT.DBF");
        writeBytes(path, bytes);
        Database db;
        auto table = db.table(path);
        ASSERT_EQ(table->recordCount(), c.records);
        if (c.records > 0) {
            EXPECT_EQ(table->rows()->value(c.records - 1, 0), Value::text("rand " + std::to_string(c.records - 1)));
        }
        // A record appended now follows the records read, and the count is right again.
        auto w = table->beginWrite();
        w->append({Value::text("nou"), Value(), Value()});
        w->commit();
        auto again = Database().table(path);
        ASSERT_EQ(again->recordCount(), c.records + 1);
        EXPECT_EQ(again->rows()->value(c.records, 0), Value::text("nou"));
    }
}

TEST(DamagedTable, NoCutOrCorruptByteCrashesTheReader) {
    TempDir dir;
    const std::string good = goodTable(dir);
    int variant = 0;
    const auto tryRead = [&](const std::string& bytes) {
        // A new file each time: rewriting one file in place makes the file system flush it.
        const std::string path = dir.file("FUZZ" + std::to_string(variant++) + ".DBF");
        writeBytes(path, bytes);
        try {
            Database().table(path);
        } catch (const engine::TableError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
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
