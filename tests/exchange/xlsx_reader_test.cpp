// The .xlsx reader on parts written by hand: what other writers put in a
// sheet (prefixed names, rich-text runs, phonetic hints, cells without
// references) and the damaged parts it must refuse with a message.
#include <map>
#include <string>

#include "exchange/workbook_reader.h"
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

TEST_F(XlsxReaderTest, CellsAsOtherWritersPutThem) {
    const std::string strings =
        "<si><t>BRAN</t></si>"
        "<si><r><t>Anexa </t></r><r><rPr><x:b xmlns:x=\"s\"/></rPr><t>2A</t></r><rPh><t>ANEKUSA</t></rPh></si>"
        "<si><t xml:space=\"preserve\"> &amp; &lt;x&gt; </t></si>";
    const QString path = book(
        "<x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>1</x:v></x:c><x:c r=\"C1\" t=\"s\"><x:v>0</x:v></x:c></x:row>"
        "<x:row r=\"3\"><x:c t=\"n\"><x:v> 1.50E+2 </x:v></x:c><x:c><x:v>0.1</x:v></x:c>"
        "<x:c t=\"inlineStr\"><x:is><x:r><x:t>PO</x:t></x:r><x:r><x:t>P</x:t></x:r></x:is></x:c>"
        "<x:c r=\"AB3\" t=\"s\"><x:v>2</x:v></x:c><x:c t=\"b\"><x:v>1</x:v></x:c></x:row>"
        "<x:row><x:c t=\"str\"><x:v>=A1</x:v></x:c><x:c r=\"B4\"/></x:row>",
        strings);
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

TEST_F(XlsxReaderTest, DamagedPartsAreRefusedWithWhatIsWrong) {
    const struct {
        std::string rows;
        std::string strings;
        std::string message;
    } cases[] = {
        {"<x:row r=\"1\"><x:c t=\"s\"><x:v>3</x:v></x:c></x:row>", "<si><t>A</t></si>", "names a shared string it lacks"},
        {"<x:row r=\"1\"><x:c t=\"s\"><x:v></x:v></x:c></x:row>", "<si><t>A</t></si>", "names a shared string it lacks"},
        {"<x:row r=\"1\"><x:c t=\"s\"><x:v>0x</x:v></x:c></x:row>", "<si><t>A</t></si>", "names a shared string it lacks"},
        {"<x:row r=\"0\"><x:c><x:v>1</x:v></x:c></x:row>", "", "has a row out of range"},
        {"<x:row r=\"1048577\"><x:c><x:v>1</x:v></x:c></x:row>", "", "has a row out of range"},
        {"<x:row r=\"1\"><x:c r=\"XFE1\"><x:v>1</x:v></x:c></x:row>", "", "has a column out of range"},
        {"<x:row r=\"1\"><x:c><x:v>1</x:v></x:row>", "", "is not well-formed XML"},
        {"<x:row r=\"1\"><x:c><x:v>1</x:v></x:c></x:row>", "<si><t>A</si>", "is not well-formed XML"},
    };
    for (const auto& c : cases) {
        const QString path = book(c.rows, c.strings);
        try {
            exchange::openWorkbookFile(path);
            ADD_FAILURE() << c.rows << ": opened";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.rows << ": " << e.what();
        }
    }
}

}  // namespace
