// The .ods reader on content written by hand and on a sheet LibreOffice
// saved, read whole and a few bytes at a time, and the damaged content it
// must refuse with a message.
#include <string>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "exchange/workbook_reader.h"
#include "exchange/workbook_readers.h"
#include "exchange_fixture.h"
#include "zip_writing.h"

namespace {

const std::string kContentHead =
    "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>";

std::string contentOf(const std::string& tables) {
    return kContentHead + tables + "</office:spreadsheet></office:body></office:document-content>";
}

// A first table of texts, numbers, runs of cells and rows, paragraphs with
// spaces, tabs, line breaks and a note; a second table, not read.
const std::string kTables =
    "<table:table table:name=\"Anexa\"><table:table-row>"
    "<table:table-cell office:value-type=\"string\"><text:p>Ștefănești</text:p></table:table-cell>"
    "<table:table-cell office:value-type=\"float\" office:value=\"1.5\"><text:p>1,50</text:p></table:table-cell>"
    "<table:table-cell table:number-columns-repeated=\"2\"><text:p>x</text:p></table:table-cell>"
    "<table:covered-table-cell/>"
    "<table:table-cell><text:p>a<text:s text:c=\"3\"/>b<text:tab/>c</text:p><text:p>d<text:line-break/>e"
    "<text:note><text:note-body><text:p>nota</text:p></text:note-body></text:note>f</text:p></table:table-cell>"
    "</table:table-row>"
    "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell/>"
    "<table:table-cell><text:p>Țară</text:p></table:table-cell></table:table-row>"
    "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell/></table:table-row>"
    "</table:table>"
    "<table:table table:name=\"Alta\"><table:table-row><table:table-cell><text:p>Foaia2</text:p>"
    "</table:table-cell></table:table-row></table:table>";

class OdsReaderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString book(const std::string& content, int method = Z_DEFLATED) {
        const QString path = dir.path() + QStringLiteral("/book%1.ods").arg(++count_);
        exchangetest::writeZip(path, {{"content.xml", content}}, method);
        return path;
    }

private:
    int count_ = 0;
};

TEST_F(OdsReaderTest, CellsReadTheSameWholeAndInPieces) {
    const QString path = book(contentOf(kTables));
    const std::vector<std::tuple<int, int, QString>> cells{
        {1, 1, "Ștefănești"}, {1, 2, "1.5"},  {1, 3, "x"},    {1, 4, "x"}, {1, 5, ""},
        {1, 6, "a   b\tc\nd\nef"}, {2, 1, ""}, {2, 2, "Țară"}, {3, 2, "Țară"}, {4, 2, ""}};
    for (const size_t piece : {exchange::kZipPieceSize, size_t(1), size_t(2), size_t(3), size_t(5), size_t(8),
                               size_t(13), size_t(64), size_t(1000)}) {
        const auto sheet = exchange::openOdsWorkbook(path, piece);
        EXPECT_EQ(sheet->usedRows(), 3) << piece;
        EXPECT_EQ(sheet->usedColumns(), 6) << piece;
        for (const auto& [row, column, text] : cells)
            EXPECT_EQ(sheet->cellText(row, column), text) << piece << ": " << row << "," << column;
    }
}

TEST_F(OdsReaderTest, ASheetLibreOfficeSavedReadsTheSameInPieces) {
    const QString path = exchangetest::fixture(QStringLiteral("annex_2a.ods"));
    const auto whole = exchange::openWorkbookFile(path);
    ASSERT_GT(whole->usedRows(), 1);
    for (const size_t piece : {1, 7, 61, 1000}) {
        const auto sheet = exchange::openOdsWorkbook(path, piece);
        ASSERT_EQ(sheet->usedRows(), whole->usedRows()) << piece;
        ASSERT_EQ(sheet->usedColumns(), whole->usedColumns()) << piece;
        for (int r = 1; r <= whole->usedRows(); ++r)
            for (int c = 1; c <= whole->usedColumns(); ++c)
                EXPECT_EQ(sheet->cellText(r, c), whole->cellText(r, c)) << piece << ": " << r << "," << c;
    }
}

TEST_F(OdsReaderTest, DamagedContentIsRefusedWithWhatIsWrong) {
    const struct {
        std::string content;
        int method;
        std::string message;
    } cases[] = {
        // Where the reader finds the fault: past the end tag that closes the
        // wrong element, and at the end of a content cut short.
        {contentOf("<table:table><table:table-row><table:table-cell><text:p>x</table:table-cell>"), Z_DEFLATED,
         "nu este XML corect (linia 1, coloana 320)."},
        {kContentHead + "<table:table><table:table-row><table:table-cell><text:p>An", Z_DEFLATED,
         "nu este XML corect (linia 1, coloana 302)."},
        {contentOf("<table:table><table:table-row table:number-rows-repeated=\"1000\">"
                   "<table:table-cell table:number-columns-repeated=\"1001\"><text:p>x</text:p></table:table-cell>"
                   "</table:table-row></table:table>"),
         Z_DEFLATED, "repeta o celula de prea multe ori."},
        // Stored, with a letter of the second table changed after the
        // checksum was taken: the rest is not read for cells, but checked.
        {contentOf(kTables), 0, "este deteriorata."},
    };
    for (const auto& c : cases) {
        const QString path = book(c.content, c.method);
        if (c.method == 0) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const qsizetype at = bytes.indexOf("Foaia2");
            ASSERT_GE(at, 0);
            bytes[at + 5] = '3';
            file.seek(0);
            file.write(bytes);
        }
        const std::string expected =
            "Foaia content.xml din " + QDir::toNativeSeparators(path).toStdString() + " " + c.message;
        try {
            exchange::openWorkbookFile(path);
            ADD_FAILURE() << c.message << ": opened";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_EQ(e.what(), expected);
        }
        // The same whichever piece the fault falls in.
        for (const size_t piece : {1, 7}) {
            try {
                exchange::openOdsWorkbook(path, piece);
                ADD_FAILURE() << c.message << ": opened in pieces of " << piece;
            } catch (const exchange::WorkbookError& e) {
                EXPECT_EQ(e.what(), expected) << piece;
            }
        }
    }
}

}  // namespace
