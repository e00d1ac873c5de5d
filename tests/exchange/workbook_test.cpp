// The import's workbook: opening, the copy it leaves, the cells of a row.
#include <QFileInfo>

#include "common/test_paths.h"
#include "exchange/biff_formulas.h"
#include "exchange/compound_file.h"
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

// Formula cells read as the result saved with them, in workbooks LibreOffice
// and Gnumeric saved: numbers, texts (one of 5000 letters, longer than a
// record), logicals, an error and an empty text.
TEST(XlsFormulaCells, ReadAsTheirSavedResults) {
    const struct {
        const char* file;
        QString longText;
    } cases[] = {
        {"formula_cells.xls", QString(5000, QChar(0x015E))},
        {"formula_cells_gnumeric.xls", QString(5000, QChar(0x015E))},
        // Excel 5.0 holds 8-bit text: Gnumeric wrote the letter Gnumeric's
        // code page lacks as "?".
        {"formula_cells_gnumeric_excel95.xls", QString(5000, QLatin1Char('?'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto book = exchange::openWorkbookFile(exchangetest::fixture(QString::fromLatin1(c.file)));
        EXPECT_EQ(book->usedRows(), 8);
        const QStringList expected{QStringLiteral("2.5"), QStringLiteral("Pop Ion"), QStringLiteral("1"),
                                   QStringLiteral("0"),   QStringLiteral("#DIV/0!"), QString(),
                                   c.longText,            QStringLiteral("80")};
        for (int r = 1; r <= 8; ++r) EXPECT_EQ(book->cellText(r, 1), expected[r - 1]) << "row " << r;
    }
}

namespace {

std::string record(uint16_t id, const std::string& body) {
    std::string r{char(id & 0xFF), char(id >> 8), char(body.size() & 0xFF), char(body.size() >> 8)};
    return r + body;
}
std::string u16(unsigned v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string u32(unsigned v) { return u16(v & 0xFFFF) + u16(v >> 16); }

// A BIFF8 workbook stream: globals naming one sheet, then the sheet with
// the records given.
std::string biff8Stream(const std::string& sheetRecords) {
    const std::string bof = u16(0x0600) + u16(0x0005) + std::string(12, '\0');
    std::string sheetName = std::string("\x05\x00", 2) + "Foaia";
    std::string globals = record(0x0809, bof);
    const size_t sheetAt = globals.size() + 4 + 6 + sheetName.size() + 4;
    globals += record(0x0085, u32(unsigned(sheetAt)) + std::string(2, '\0') + sheetName) + record(0x000A, "");
    return globals + record(0x0809, u16(0x0600) + u16(0x0010) + std::string(12, '\0')) + sheetRecords +
           record(0x000A, "");
}

// A FORMULA record at row 0, column 0 whose result is a text.
std::string textFormula() {
    return record(0x0006, std::string(6, '\0') + std::string("\0\0\0\0\0\0\xFF\xFF", 8) + std::string(8, '\0'));
}

}  // namespace

// What the formula reader reads from the file is checked before it is used:
// each damage is refused with its reason, never read past.
TEST(XlsFormulaCells, DamagedRecordsAreRefusedWithTheirReason) {
    const struct {
        const char* what;
        std::string stream;
        const char* reason;
    } cases[] = {
        {"a text longer than its records", biff8Stream(textFormula() + record(0x0207, u16(10) + std::string("\0abc", 4))),
         "textul unei formule se termina inaintea lungimii declarate"},
        {"a record running past the stream", biff8Stream(std::string("\x06\x00\xFF\x00", 4)), "dincolo de flux"},
        {"a shortened FORMULA record", biff8Stream(record(0x0006, std::string(10, '\0'))),
         "o inregistrare FORMULA este scurtata"},
        {"a sheet beyond the stream",
         record(0x0809, u16(0x0600) + u16(0x0005) + std::string(12, '\0')) +
             record(0x0085, u32(9999) + std::string(2, '\0') + std::string("\x01\x00X", 3)),
         "incepe dincolo de flux"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            exchange::BiffFormulas formulas(c.stream, QStringLiteral("Foaia"));
            ADD_FAILURE() << "read without complaint";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
    // Sound records read, the text across a CONTINUE record.
    const exchange::BiffFormulas sound(
        biff8Stream(textFormula() + record(0x0207, u16(5) + std::string("\0ab", 3)) + record(0x003C, std::string("\0cde", 4))),
        QStringLiteral("Foaia"));
    EXPECT_EQ(sound.text(1, 1), QStringLiteral("abcde"));
}

// Records FreeXL would trust and fail on are refused before it reads them:
// a DIMENSIONS record of another length than BIFF8's 14 bytes, or a second
// one amid the cells (a damaged workbook made FreeXL free memory it never had).
TEST(XlsRecords, RecordsFreeXLWouldFailOnAreRefusedFirst) {
    const std::string dimensions = record(0x0200, std::string(14, '\0'));
    EXPECT_NO_THROW(exchange::checkBiffRecords(biff8Stream(dimensions + textFormula())));
    for (const std::string& sheet : {record(0x0200, std::string(2080, '?')), dimensions + textFormula() + dimensions}) {
        try {
            exchange::checkBiffRecords(biff8Stream(sheet));
            ADD_FAILURE() << "checked without complaint";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find("DIMENSIONS nepotrivita"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(exchange::openWorkbookFile(QString::fromStdString(
                     testing_paths::fixture("../../fuzz/corpus/xls/crash_freexl_dimensions_amid_cells.xls"))),
                 exchange::WorkbookError);
}

// The compound document's sector numbers and chains are checked too.
TEST(CompoundFile, DamagedContainersAreRefusedWithTheirReason) {
    const std::string sound = exchange::compoundFileWithStream(u"Book", std::string(5000, 'x'));
    ASSERT_EQ(exchange::compoundFileStream(sound, u"book"), std::string(5000, 'x'));
    EXPECT_FALSE(exchange::compoundFileStream(sound, u"Workbook"));

    const auto with32 = [&](size_t at, uint32_t v) {
        std::string s = sound;
        for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
        return s;
    };
    // The stream's sectors come first: 10 of them, then the directory, then the FAT.
    const size_t fat = 512 + 11 * 512;
    const struct {
        const char* what;
        std::string file;
        const char* reason;
    } cases[] = {
        {"too short for its header", sound.substr(0, 100), "antetul"},
        {"a directory beyond the file", with32(48, 4000), "sectorul 4000, care nu exista"},
        {"a FAT sector beyond the file", with32(76, 4000), "dincolo de sfarsitul fisierului"},
        {"a chain that loops", with32(fat + 4 * 5, 2), "se intoarce in el insusi"},
        {"a stream larger than the file", with32(512 + 10 * 512 + 128 + 120, 90000), "mai multi octeti decat are fisierul"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            exchange::compoundFileStream(c.file, u"Book");
            ADD_FAILURE() << "read without complaint";
        } catch (const exchange::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

}  // namespace
