// The import's workbook: opening, the copy it leaves, the cells of a row.
#include <QFileInfo>

#include "exchange/export_writer.h"
#include "exchange/expxlsole.h"
#include "exchange/workbook_reader.h"
#include "exchange_fixture.h"
#include "zip_writing.h"

namespace {

class WorkbookTest : public exchangetest::ExchangeFixture {};

TEST_F(WorkbookTest, AFileThatIsNotThereOpensNothingAndReadsFail) {
    exchange::TExpXLSOLE book(store);
    EXPECT_FALSE(book.OpenWorkbook(dir.path() + QStringLiteral("/nu.xls")));
    EXPECT_THROW(book.usedColumns(), exchange::WorkbookError);
    book.CloseWorkbook();
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/XLSTmp0.xls")));
}

TEST_F(WorkbookTest, ClosingLeavesAByteCopyUnderTheFirstFreeName) {
    exchange::TExpXLSOLE book(store);
    const QString source = exchangetest::fixture(QStringLiteral("annex_2a.xls"));
    ASSERT_TRUE(book.OpenWorkbook(source));
    EXPECT_EQ(book.WorkbookCopyName, dir.path() + QStringLiteral("/XLSTmp0.xls"));
    book.CloseWorkbook();
    QFile a(source), b(book.WorkbookCopyName);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
    // A stale copy is replaced; another kind of workbook keeps its extension.
    ASSERT_TRUE(book.OpenWorkbook(source));
    EXPECT_EQ(book.WorkbookCopyName, dir.path() + QStringLiteral("/XLSTmp0.xls"));
    book.CloseWorkbook();
    ASSERT_TRUE(book.OpenWorkbook(exchangetest::fixture(QStringLiteral("annex_2a.ods"))));
    EXPECT_EQ(book.WorkbookCopyName, dir.path() + QStringLiteral("/XLSTmp0.ods"));
    book.CloseWorkbook();
}

TEST_F(WorkbookTest, ARowIsItsFirst22CellsEachCutTo200Characters) {
    std::vector<exchange::ExportColumn> columns;
    for (int c = 0; c < 24; ++c) columns.push_back({QStringLiteral("C%1").arg(c + 1), false});
    std::vector<std::string> row{std::string(250, 'x'), "0.1", "-3", "1234567.125"};
    for (int c = 4; c < 24; ++c) row.push_back("c" + std::to_string(c + 1));
    const exchange::TableExportSource source(columns, {row});
    const QString path = dir.path() + QStringLiteral("/lung.xlsx");
    exchange::writeExport(source, exchange::ExportFormat::Xlsx, path, {}, nullptr);

    exchange::TExpXLSOLE book(store);
    ASSERT_TRUE(book.OpenWorkbook(path));
    EXPECT_EQ(book.usedColumns(), 24);
    const QStringList cells = book.ReadRowCells(2);
    ASSERT_EQ(cells.size(), 22);
    EXPECT_EQ(cells[0], QString(200, QLatin1Char('x')));
    // Number cells in their shortest decimal text with a point.
    EXPECT_EQ(cells[1], QStringLiteral("0.1"));
    EXPECT_EQ(cells[2], QStringLiteral("-3"));
    EXPECT_EQ(cells[3], QStringLiteral("1234567.125"));
    EXPECT_EQ(cells[21], QStringLiteral("c22"));
    book.CloseWorkbook();
}

TEST_F(WorkbookTest, AFileThatIsNoWorkbookIsRefusedWithWhy) {
    const QString zip = dir.path() + QStringLiteral("/arhiva.zip");
    exchangetest::writeZip(zip, {{"readme.txt", "nimic"}});
    const struct {
        QString path;
        QByteArray bytes;  // written there first, unless empty
        std::string message;
    } cases[] = {
        {dir.path() + QStringLiteral("/nu.xlsx"), {}, " nu poate fi deschis: "},
        {dir.path() + QStringLiteral("/text.xls"), "Nr.crt;Nume\n", " nu este un registru Excel sau OpenDocument."},
        {dir.path() + QStringLiteral("/cap.xlsx"), "PK\x03\x04 si atat",
         " nu poate fi citit ca registru Excel sau OpenDocument: nu este o arhiva zip."},
        {zip, {}, " nu este un registru Excel sau OpenDocument."},
    };
    for (const auto& c : cases) {
        if (!c.bytes.isEmpty()) {
            QFile file(c.path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.bytes);
        }
        try {
            exchange::openWorkbookFile(c.path);
            ADD_FAILURE() << c.path.toStdString() << ": opened";
        } catch (const exchange::WorkbookError& e) {
            const std::string expected = "Fisierul " + QDir::toNativeSeparators(c.path).toStdString() + c.message;
            EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
        }
    }
}

TEST(NumberText, ShortestDecimalWithAPoint) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{12.5, "12.5"}, {3, "3"}, {0.0001, "0.0001"}, {-0.0, "0"}, {0.1 + 0.2, "0.30000000000000004"},
                 {1e20, "100000000000000000000"}};
    for (const auto& c : cases) EXPECT_EQ(exchange::numberText(c.value), QString::fromLatin1(c.text)) << c.text;
}

}  // namespace
