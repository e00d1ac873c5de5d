// Every export format, read back by LibreOffice: the spreadsheet formats
// cell by cell, the documents by their text.
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "exchange/export_writer.h"
#include "libreoffice.h"
#include "qstring_print.h"

namespace {

using exchange::ExportColumn;
using exchange::ExportFormat;

// Romanian letters, a comma, quotes, a semicolon, a title number with a
// leading zero, an empty number and the annex export's empty text. The
// village, the name and the title number are text columns.
exchange::TableExportSource sample() {
    return exchange::TableExportSource(
        {{QStringLiteral("Nr.Poz."), true},
         {QStringLiteral("SATUL"), false, true},
         {QStringLiteral("AUTOR"), false, true},
         {QStringLiteral("Supr.act."), true},
         {QStringLiteral("Titlul Nr."), false, true}},
        {{"1", "Ștefănești", "Ion Țăran, \"zis\" Ionel", "12.5", "0123"},
         {"2", "BRAN", "Ana; Maria", "", "** NUL **"},
         {"40", "Sat-Nou", "www.primaria.ro", "-0.0001", "12A"}});
}

const exchange::ExportOptions kOptions{QStringLiteral("Export datele"), QStringLiteral("6:30 AM 10.12.2026")};

// How LibreOffice writes the sample's cells back as CSV: number cells bare,
// texts quoted. The Romanian letters are those the file could keep. A title
// number that reads as a number stays a text in the spreadsheet formats;
// separated text has no kinds of cell, so a reader takes it for a number.
struct Letters {
    QString S, s, T;
};
const Letters kCedilla{QStringLiteral("Ş"), QStringLiteral("ş"), QStringLiteral("Ţ")};
const Letters kCommaBelow{QStringLiteral("Ș"), QStringLiteral("ș"), QStringLiteral("Ț")};

QStringList expectedCells(const Letters& l, bool typedCells = true) {
    return {QStringLiteral("\"Nr.Poz.\",\"SATUL\",\"AUTOR\",\"Supr.act.\",\"Titlul Nr.\""),
            QStringLiteral("1,\"%1tefăne%2ti\",\"Ion %3ăran, \"\"zis\"\" Ionel\",12.5,%4")
                .arg(l.S, l.s, l.T, typedCells ? QStringLiteral("\"0123\"") : QStringLiteral("123")),
            QStringLiteral("2,\"BRAN\",\"Ana; Maria\",,\"** NUL **\""),
            QStringLiteral("40,\"Sat-Nou\",\"www.primaria.ro\",-0.0001,\"12A\"")};
}

class ExportFormatsTest : public ::testing::Test {
protected:
    static QTemporaryDir* dir;
    static bool converted;

    static QString file(const QString& name) { return dir->path() + QDir::separator() + name; }

    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        const exchange::TableExportSource source = sample();
        const QStringList keys{QStringLiteral("html"), QStringLiteral("doc"), QStringLiteral("xls"),
                               QStringLiteral("xlsx"), QStringLiteral("txt"), QStringLiteral("rtf"),
                               QStringLiteral("csv"), QStringLiteral("tab"), QStringLiteral("dif"),
                               QStringLiteral("slk")};
        for (const QString& key : keys) {
            const ExportFormat format = *exchange::formatFromKey(key);
            exchange::writeExport(source, format, file(QStringLiteral("out_") + key + QLatin1Char('.') +
                                                       exchange::formatInfo(format).extension.toLower()),
                                  kOptions, nullptr);
        }
        if (!exchangetest::LibreOffice::available()) return;
        const exchangetest::LibreOffice office(dir->path());
        const QString csv = file(QStringLiteral("csv"));
        const QString text = file(QStringLiteral("text"));
        converted =
            office.toCsv({file(QStringLiteral("out_xls.xls")), file(QStringLiteral("out_xlsx.xlsx")),
                          file(QStringLiteral("out_slk.slk"))},
                         csv) &&
            office.toCsv({file(QStringLiteral("out_dif.dif"))}, csv, QStringLiteral("DIF:33")) &&
            office.toCsv({file(QStringLiteral("out_csv.csv"))}, csv, QStringLiteral("Text - txt - csv (StarCalc):44,34,33,1")) &&
            office.toCsv({file(QStringLiteral("out_tab.txt"))}, csv, QStringLiteral("Text - txt - csv (StarCalc):9,34,33,1")) &&
            office.toText({file(QStringLiteral("out_html.htm")), file(QStringLiteral("out_doc.doc")),
                           file(QStringLiteral("out_rtf.rtf"))},
                          text) &&
            office.convert({file(QStringLiteral("out_txt.txt"))}, QStringLiteral("txt:Text (encoded):UTF8"),
                           file(QStringLiteral("plain")), QStringLiteral("Text (encoded):MS_1250,CRLF,,"));
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    void SetUp() override {
        if (!exchangetest::LibreOffice::available()) GTEST_SKIP() << "LibreOffice is not installed";
        ASSERT_TRUE(converted) << "soffice failed to convert the exports";
    }

    static QStringList csvOf(const QString& name) {
        return exchangetest::LibreOffice::lines(file(QStringLiteral("csv/") + name + QStringLiteral(".csv")));
    }
    static QString textOf(const QString& path) { return exchangetest::LibreOffice::lines(file(path)).join('\n'); }
};

QTemporaryDir* ExportFormatsTest::dir = nullptr;
bool ExportFormatsTest::converted = false;

TEST_F(ExportFormatsTest, SpreadsheetFormatsHoldTheCellsWithNumbersAsNumbers) {
    // 1250 has the cedilla letters only: the engine's own rule for them.
    EXPECT_EQ(csvOf(QStringLiteral("out_xls")), expectedCells(kCedilla));
    EXPECT_EQ(csvOf(QStringLiteral("out_dif")), expectedCells(kCedilla));
    EXPECT_EQ(csvOf(QStringLiteral("out_xlsx")), expectedCells(kCommaBelow));
}

TEST_F(ExportFormatsTest, SylkHoldsTheCells) {
    // LibreOffice reads SYLK in the machine's own code page (1250 only on
    // the office's Windows machines), so only the plain rows are compared.
    const QStringList cells = csvOf(QStringLiteral("out_slk"));
    const QStringList expected = expectedCells(kCedilla);
    ASSERT_EQ(cells.size(), expected.size());
    EXPECT_EQ(cells[0], expected[0]);
    EXPECT_TRUE(cells[1].endsWith(QStringLiteral(",12.5,\"0123\""))) << cells[1].toStdString();
    EXPECT_EQ(cells[2], expected[2]);
    EXPECT_EQ(cells[3], expected[3]);
}

TEST_F(ExportFormatsTest, SeparatedTextReadsBackAsTheCells) {
    // Read as text, every cell is a text or a number by its looks alone.
    QStringList expected = expectedCells(kCedilla, false);
    EXPECT_EQ(csvOf(QStringLiteral("out_csv")), expected);
    expected << QStringLiteral("\"Creat la 6:30 AM 10.12.2026\",,,,");
    EXPECT_EQ(csvOf(QStringLiteral("out_tab")), expected);
}

TEST_F(ExportFormatsTest, DocumentsShowEveryCellAndTheCreatedAtLine) {
    const struct {
        const char* path;
        QString s;
        bool heading;
    } documents[] = {{"text/out_html.txt", QStringLiteral("Ș"), true},
                     {"text/out_doc.txt", kCedilla.S, false},
                     {"text/out_rtf.txt", kCedilla.S, false}};
    for (const auto& d : documents) {
        const QString text = textOf(QString::fromLatin1(d.path));
        SCOPED_TRACE(d.path);
        for (const QString& cell : {QStringLiteral("Nr.Poz."), QStringLiteral("Titlul Nr."), d.s + QStringLiteral("tefăne"),
                                    QStringLiteral("Ion ") , QStringLiteral("\"zis\" Ionel"), QStringLiteral("** NUL **"),
                                    QStringLiteral("0123"), QStringLiteral("-0.0001"), QStringLiteral("Creat la 6:30 AM 10.12.2026")})
            EXPECT_TRUE(text.contains(cell)) << cell.toStdString() << " in\n" << text.toStdString();
        EXPECT_EQ(text.contains(QStringLiteral("Export datele")), d.heading);
    }
}

TEST_F(ExportFormatsTest, TextLinesUpTheColumnsBetweenRules) {
    const QStringList lines = exchangetest::LibreOffice::lines(file(QStringLiteral("plain/out_txt.txt")));
    const QString rule(62, QLatin1Char('-'));
    const QStringList expected{rule,
                               QStringLiteral("Nr.Poz. SATUL      AUTOR                  Supr.act. Titlul Nr."),
                               QStringLiteral("      1 Ştefăneşti Ion Ţăran, \"zis\" Ionel      12.5 0123"),
                               QStringLiteral("      2 BRAN       Ana; Maria                       ** NUL **"),
                               QStringLiteral("     40 Sat-Nou    www.primaria.ro          -0.0001 12A"),
                               rule,
                               QStringLiteral("Creat la 6:30 AM 10.12.2026")};
    EXPECT_EQ(lines, expected);
}

}  // namespace
