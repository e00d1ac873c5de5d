// Tables written by other dBase tools, and ours as another tool reads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/test_paths.h"
#include "dbf_bytes.h"
#include "engine/database.h"
#include "engine/errors.h"
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

std::string fixture(const std::string& name) { return testing_paths::fixture(name); }

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
}

bool onPath(const char* program) { return run(std::string("command -v ") + program).size() > 0; }

const std::vector<std::vector<Value>> kTitles = {
    {num("2"), txt("12/A"), num("1.25"), day(2003, 5, 17), txt("Ştefan Ţăranu")},
    {num("3"), txt(""), num("0.0001"), Value(), txt("Ana-Maria Îndrumătoare")},
    {num("4"), txt("B7"), Value(), day(1999, 12, 31), txt("")},
};

}  // namespace

TEST(ForeignTable, FixturesOfOtherToolsReadRight) {
    struct Case {
        const char* file;
        std::vector<std::vector<Value>> records;
    } cases[] = {
        {"gdal_cp1250.dbf", kTitles},
        {"gdal_utf8.dbf", kTitles},
        {"gdal_iso8859_2.dbf", kTitles},
        {"gdal_ldid87.dbf", {{txt("1"), txt("Café Müller")}, {txt("2"), txt("Señor Ørsted")}}},
        {"shapelib_1252.dbf",
         {{txt("Café Müller"), num("5"), num("2.5")}, {txt(""), Value(), Value()}, {txt("Maria"), num("123456"), num("-0.1234")}}},
        {"shapelib_cpg.dbf", {{txt("Ion Ştefănescu"), num("7")}}},
        // Driver byte 0 and no .cpg: read as 1250. An empty number is written as 0.
        {"libreoffice_1250.dbf",
         {kTitles[0], kTitles[1], {num("4"), txt("B7"), num("0"), day(1999, 12, 31), txt("")}}},
    };
    Database db;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto table = db.table(fixture(c.file));
        ASSERT_EQ(table->recordCount(), c.records.size());
        auto rows = table->rows();
        for (size_t r = 0; r < c.records.size(); ++r)
            for (size_t f = 0; f < c.records[r].size(); ++f)
                EXPECT_EQ(rows->value(r, f), c.records[r][f]) << "record " << r << " field " << f;
    }
    const auto& fields = db.table(fixture("gdal_cp1250.dbf"))->fields();
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[2].type, FieldType::Number);
    EXPECT_EQ(fields[2].decimals, 4);
    EXPECT_EQ(fields[3].type, FieldType::Date);
}

TEST(ForeignTable, ZeroDriverByteWithoutCpgReadsAs1250) {
    TempDir dir;
    std::filesystem::copy_file(fixture("gdal_cp1250.dbf"), dir.file("T.DBF"));
    Database db;
    EXPECT_EQ(db.table(dir.file("T.DBF"))->rows()->value(0, 4), txt("Ştefan Ţăranu"));
    // The .cpg wins over the byte, whatever the case of its name.
    writeBytes(dir.file("t.Cpg"), "UTF-8\n");
    EXPECT_EQ(Database().table(dir.file("T.DBF"))->rows()->value(1, 4), txt("Ana-Maria \uFFFDndrum\uFFFDtoare"));
}

TEST(ForeignTable, HeaderVariantsOfOtherWriters) {
    // A name with one letter of each code page: "Ăî" in 1250/852, "é" elsewhere.
    struct Case {
        const char* what;
        uint8_t version;
        uint8_t ldid;
        size_t extraHeader;
        std::vector<RawField> fields;
        std::string record;
        const char* name;
    } cases[] = {
        {"dBase IV, 1250", 0x03, 0xC8, 0, {{"NUME", 'C', 4}}, " \xC3\xEE  ", "Ăî"},
        {"BDE version 4", 0x04, 0xC8, 0, {{"NUME", 'C', 4}}, " \xC3\xEE  ", "Ăî"},
        {"memo flag, no memo", 0x83, 0xC8, 0, {{"NUME", 'C', 4}}, " \xC3\xEE  ", "Ăî"},
        {"dBase IV memo", 0x8B, 0xC8, 0, {{"NUME", 'C', 4}, {"NOTE", 'M', 10}}, " \xC3\xEE           3", "Ăî"},
        {"Visual FoxPro backlink", 0x30, 0x03, 263, {{"NUME", 'C', 4}, {"N", 'I', 4}}, std::string(" \xE9   \0\0\0\0", 9), "é"},
        {"852", 0x03, 0x64, 0, {{"NUME", 'C', 4}}, " \xC6\x8C  ", "Ăî"},
        {"437", 0x03, 0x01, 0, {{"NUME", 'C', 4}}, " \x82   ", "é"},
        {"850", 0x03, 0x02, 0, {{"NUME", 'C', 4}}, " \x82   ", "é"},
        {"1252", 0x03, 0x03, 0, {{"NUME", 'C', 4}}, " \xE9   ", "é"},
        {"unknown driver", 0x03, 0x4D, 0, {{"NUME", 'C', 4}}, " \xC3\xEE  ", "Ăî"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("V.DBF");
        writeBytes(path, dbfBytes(c.fields, {c.record}, c.version, c.ldid, c.extraHeader));
        Database db;
        auto table = db.table(path);
        ASSERT_EQ(table->fields().size(), 1u);
        ASSERT_EQ(table->recordCount(), 1u);
        EXPECT_EQ(table->rows()->value(0, 0), txt(c.name));
        // Appending keeps the fields not read blank and the layout intact.
        auto w = table->beginWrite();
        w->append({txt(c.name)});
        w->commit();
        auto again = Database().table(path);
        ASSERT_EQ(again->recordCount(), 2u);
        EXPECT_EQ(again->rows()->value(1, 0), txt(c.name));
    }
}

TEST(ForeignTable, Level7DescriptorsAreRead) {
    // Version 4 with a 68-byte header and 48-byte descriptors.
    std::string h(68, '\0');
    h[0] = 0x04;
    h[4] = 1;
    const size_t headerLength = 68 + 2 * 48 + 1;
    h[8] = char(headerLength);
    h[10] = 1 + 6 + 5;
    for (auto [name, type, width, decimals] :
         {std::tuple<const char*, char, int, int>{"PARCELA", 'N', 6, 0}, {"LOT", 'C', 5, 0}}) {
        std::string d(48, '\0');
        d.replace(0, std::strlen(name), name);
        d[32] = type;
        d[33] = char(width);
        d[34] = char(decimals);
        h += d;
    }
    h += '\x0D';
    h += "     42A/1  \x1A";
    TempDir dir;
    writeBytes(dir.file("L7.DBF"), h);
    Database db;
    auto table = db.table(dir.file("L7.DBF"));
    ASSERT_EQ(table->fields().size(), 2u);
    EXPECT_EQ(table->fields()[0].name, "PARCELA");
    EXPECT_EQ(table->rows()->value(0, 0), num("42"));
    EXPECT_EQ(table->rows()->value(0, 1), txt("A/1"));
    db.alterTable(dir.file("L7.DBF"), {FieldDef{"X", FieldType::Text, 2, 0, 'C'}}, {"LOT"});
    auto altered = db.table(dir.file("L7.DBF"));
    ASSERT_EQ(altered->fields().size(), 2u);
    EXPECT_EQ(altered->fields()[1].name, "X");
    EXPECT_EQ(altered->rows()->value(0, 0), num("42"));
}

TEST(ForeignTable, OurTableReadsRightInShapelib) {
    if (!onPath("dbfdump")) GTEST_SKIP() << "dbfdump (shapelib) is not installed";
    TempDir dir;
    const std::string path = dir.file("TP.DBF");
    Database db;
    db.createTable(path, {FieldDef{"IDTP", FieldType::Number, 10, 0, 'N'}, FieldDef{"TPNR", FieldType::Text, 16, 0, 'C'},
                          FieldDef{"SUPTOT", FieldType::Number, 9, 4, 'N'}, FieldDef{"DATA", FieldType::Date, 8, 0, 'D'},
                          FieldDef{"TITULAR", FieldType::Text, 20, 0, 'C'}});
    auto table = db.table(path);
    auto w = table->beginWrite();
    w->append({num("2"), txt("12/A"), num("12.5"), day(2024, 3, 9), txt("Ștefan")});
    w->append({num("3"), txt(""), Value(), Value(), txt("Ana")});
    w->append({num("4"), txt("X"), num("1"), Value(), txt("deleted")});
    w->remove(2);
    w->commit();

    const std::string header = run("dbfdump -h '" + path + "'");
    for (const char* line : {"Field 0: Type=N/Double, Title=`IDTP', Width=10, Decimals=0",
                             "Field 1: Type=C/String, Title=`TPNR', Width=16, Decimals=0",
                             "Field 2: Type=N/Double, Title=`SUPTOT', Width=9, Decimals=4", "Type=D/",
                             "Title=`DATA', Width=8, Decimals=0",
                             "Field 4: Type=C/String, Title=`TITULAR', Width=20, Decimals=0"})
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << header;

    // One record per block, blanks dropped: "IDTP:2", "SUPTOT:(NULL)".
    std::string dump;
    for (char c : run("dbfdump -m '" + path + "'") + run("dbfdump -m -r '" + path + "'"))
        if (c != ' ') dump += c;
    for (const char* cell : {"IDTP:2\n", "TPNR:12/A\n", "SUPTOT:12.5000\n", "DATA:20240309\n", "TITULAR:\xAAtefan\n",
                             "IDTP:3\n", "TPNR:(NULL)\n", "SUPTOT:(NULL)\n", "DATA:\nTITULAR:Ana\n"})
        EXPECT_NE(dump.find(cell), std::string::npos) << cell << "\n" << dump;
    EXPECT_NE(dump.find("TITULAR:deleted\n(DELETED)"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("TITULAR:Ana\n(DELETED)"), std::string::npos) << dump;
}
