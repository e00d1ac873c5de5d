// The .xlsx reader on parts written by hand: what other writers put in a
// sheet (prefixed names, rich-text runs, phonetic hints, cells without
// references), read whole and a few bytes at a time, and the damaged parts
// it must refuse with a message.
#include <map>
#include <string>

#include "exchange/workbook_reader.h"
#include "exchange/workbook_readers.h"
#include "exchange_fixture.h"
#include "zip_writing.h"

namespace {

const char* const kWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId7\"/></sheets></workbook>";
const char* const kRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Target=\"worksheets/other.xml\"/>"
    "<Relationship Id=\"rId7\" Target=\"/xl/worksheets/first.xml\"/></Relationships>";

std::string sheetOf(const std::string& rows) {
    return "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>" + rows +
           "</x:sheetData></x:worksheet>";
}

class XlsxReaderTest : public exchangetest::ExchangeFixture {
protected:
    // The workbook with this sheet and these shared strings.
    QString book(const std::string& rows, const std::string& strings = std::string()) {
        const QString path = dir.path() + QStringLiteral("/book%1.xlsx").arg(++count_);
        std::map<std::string, std::string> parts{{"xl/workbook.xml", kWorkbook},
                                                 {"xl/_rels/workbook.xml.rels", kRelationships},
                                                 {"xl/worksheets/first.xml", sheetOf(rows)},
                                                 {"xl/worksheets/other.xml", sheetOf("")}};
        if (!strings.empty())
            parts["xl/sharedStrings.xml"] =
                "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + strings + "</sst>";
        exchangetest::writeZip(path, parts);
        return path;
    }

private:
    int count_ = 0;
};

// Shared strings and rows as other writers put them.
const std::string kOtherWritersStrings =
    "<si><t>BRAN</t></si>"
    "<si><r><t>Anexa </t></r><r><rPr><x:b xmlns:x=\"s\"/></rPr><t>2A</t></r><rPh><t>ANEKUSA</t></rPh></si>"
    "<si><t xml:space=\"preserve\"> &amp; &lt;x&gt; </t></si>";
const std::string kOtherWritersRows =
    "<x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>1</x:v></x:c><x:c r=\"C1\" t=\"s\"><x:v>0</x:v></x:c></x:row>"
    "<x:row r=\"3\"><x:c t=\"n\"><x:v> 1.50E+2 </x:v></x:c><x:c><x:v>0.1</x:v></x:c>"
    "<x:c t=\"inlineStr\"><x:is><x:r><x:t>PO</x:t></x:r><x:r><x:t>P</x:t></x:r></x:is></x:c>"
    "<x:c r=\"AB3\" t=\"s\"><x:v>2</x:v></x:c><x:c t=\"b\"><x:v>1</x:v></x:c></x:row>"
    "<x:row><x:c t=\"str\"><x:v>=A1</x:v></x:c><x:c r=\"B4\"/></x:row>";

TEST_F(XlsxReaderTest, CellsAsOtherWritersPutThem) {
    const QString path = book(kOtherWritersRows, kOtherWritersStrings);
    const auto sheet = exchange::openWorkbookFile(path);
    EXPECT_EQ(sheet->usedRows(), 4);
    EXPECT_EQ(sheet->usedColumns(), 29);
    const std::vector<std::tuple<int, int, QString>> cells{
        {1, 1, "Anexa 2A"}, {1, 2, ""},   {1, 3, "BRAN"}, {3, 1, "150"},
        {3, 2, "0.1"},      {3, 3, "POP"}, {3, 28, " & <x> "}, {3, 29, "1"},
        {4, 1, "=A1"},      {4, 2, ""},   {2, 1, ""}};
    for (const auto& [row, column, text] : cells)
        EXPECT_EQ(sheet->cellText(row, column), text) << row << "," << column;
}

TEST_F(XlsxReaderTest, CellsAcrossPieceBoundariesReadAsWhole) {
    const QString path = book(kOtherWritersRows +
                                  "<x:row r=\"5\"><x:c t=\"s\"><x:v>3</x:v></x:c><x:c t=\"inlineStr\"><x:is><x:t>"
                                  "Ștefănești</x:t></x:is></x:c></x:row>",
                              kOtherWritersStrings + "<si><t>Țară — Târgu</t></si>");
    const auto whole = exchange::openWorkbookFile(path);
    ASSERT_EQ(whole->cellText(5, 1), QStringLiteral("Țară — Târgu"));
    ASSERT_EQ(whole->cellText(5, 2), QStringLiteral("Ștefănești"));
    for (const size_t piece : {1, 2, 3, 5, 8, 13, 64, 1000}) {
        const auto sheet = exchange::openXlsxWorkbook(path, piece);
        ASSERT_EQ(sheet->usedRows(), whole->usedRows()) << piece;
        ASSERT_EQ(sheet->usedColumns(), whole->usedColumns()) << piece;
        for (int r = 1; r <= whole->usedRows(); ++r)
            for (int c = 1; c <= whole->usedColumns(); ++c)
                EXPECT_EQ(sheet->cellText(r, c), whole->cellText(r, c)) << piece << ": " << r << "," << c;
    }
}

TEST_F(XlsxReaderTest, DamagedPartsAreRefusedWithWhatIsWrong) {
    const std::string sheet = "Foaia xl/worksheets/first.xml";
    const struct {
        std::string rows;
        std::string strings;
        std::string part;
        std::string message;
    } cases[] = {
        {"<x:row r=\"1\"><x:c t=\"s\"><x:v>3</x:v></x:c></x:row>", "<si><t>A</t></si>", sheet,
         "trimite la un text comun care lipseste."},
        {"<x:row r=\"1\"><x:c t=\"s\"><x:v></x:v></x:c></x:row>", "<si><t>A</t></si>", sheet,
         "trimite la un text comun care lipseste."},
        {"<x:row r=\"1\"><x:c t=\"s\"><x:v>0x</x:v></x:c></x:row>", "<si><t>A</t></si>", sheet,
         "trimite la un text comun care lipseste."},
        {"<x:row r=\"0\"><x:c><x:v>1</x:v></x:c></x:row>", "", sheet, "are un rand in afara limitelor."},
        {"<x:row r=\"1048577\"><x:c><x:v>1</x:v></x:c></x:row>", "", sheet, "are un rand in afara limitelor."},
        {"<x:row r=\"1\"><x:c r=\"XFE1\"><x:v>1</x:v></x:c></x:row>", "", sheet, "are o coloana in afara limitelor."},
        // Where expat finds the fault: the name of the end tag that closes
        // the wrong element.
        {"<x:row r=\"1\"><x:c><x:v>1</x:v></x:row>", "", sheet, "nu este XML corect (linia 1, coloana 126)."},
        {"<x:row r=\"1\"><x:c><x:v>1</x:v></x:c></x:row>", "<si><t>A</si>", "Partea xl/sharedStrings.xml",
         "nu este XML corect (linia 1, coloana 81)."},
    };
    for (const auto& c : cases) {
        const QString path = book(c.rows, c.strings);
        const std::string expected =
            c.part + " din " + QDir::toNativeSeparators(path).toStdString() + " " + c.message;
        try {
            exchange::openWorkbookFile(path);
            ADD_FAILURE() << c.rows << ": opened";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_EQ(e.what(), expected);
        }
        // The same whichever piece the fault falls in.
        for (const size_t piece : {1, 7}) {
            try {
                exchange::openXlsxWorkbook(path, piece);
                ADD_FAILURE() << c.rows << ": opened in pieces of " << piece;
            } catch (const exchange::WorkbookError& e) {
                EXPECT_EQ(e.what(), expected) << piece;
            }
        }
    }
}

TEST_F(XlsxReaderTest, MissingPartsAreNamed) {
    const QString path = dir.path() + QStringLiteral("/parts.xlsx");
    const std::string start =
        "Fisierul " + QDir::toNativeSeparators(path).toStdString() + " nu poate fi citit ca registru Excel: ";
    const struct {
        std::map<std::string, std::string> parts;
        std::string message;
    } cases[] = {
        {{{"xl/workbook.xml", kWorkbook}}, "lipseste partea xl/_rels/workbook.xml.rels."},
        {{{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRelationships}},
         "lipseste foaia xl/worksheets/first.xml."},
        {{{"xl/workbook.xml", "<workbook><sheets/></workbook>"}}, "registrul nu are nicio foaie."},
        {{{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", "<Relationships/>"}},
         "prima foaie nu se gaseste in arhiva."},
    };
    for (const auto& c : cases) {
        QFile::remove(path);
        exchangetest::writeZip(path, c.parts);
        try {
            exchange::openWorkbookFile(path);
            ADD_FAILURE() << c.message << ": opened";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_EQ(e.what(), start + c.message);
        }
    }
}

}  // namespace
