// The export component's limits: an Excel 5.0 sheet's rows, and a large
// workbook whose container needs more than the header's FAT list.
#include <algorithm>
#include <set>

#include <QPushButton>
#include <QComboBox>
#include <QRadioButton>
#include <QTimer>

#include "app/message_dialog.h"
#include "data/progress.h"
#include "engine/errors.h"
#include "exchange/data_export.h"
#include "exchange/export_dialogs.h"
#include "exchange/export_writer.h"
#include "exchange/workbook_reader.h"
#include "exchange_fixture.h"
#include "platform/interaction.h"

namespace {

using exchange::ExportFormat;

exchange::TableExportSource numberedRows(int rows, int columns, const std::string& text) {
    std::vector<exchange::ExportColumn> captions;
    for (int c = 0; c < columns; ++c) captions.push_back({QStringLiteral("C%1").arg(c + 1), c == 0});
    std::vector<std::vector<std::string>> cells{size_t(rows)};
    for (int r = 0; r < rows; ++r) {
        cells[size_t(r)].push_back(std::to_string(r + 1));
        for (int c = 1; c < columns; ++c) cells[size_t(r)].push_back(text);
    }
    return exchange::TableExportSource(std::move(captions), std::move(cells));
}

class DataExportTest : public exchangetest::ExchangeFixture {
protected:
    exchange::Tfrm_Selection selection;
    exchange::Tfrm_ProgressForm progress;
    platform::ScriptedAnswers answers;

    void chooseExcelToFile() {
        QTimer::singleShot(0, &selection, [this] {
            selection.FormatBox->setCurrentIndex(selection.FormatBox->findText(QStringLiteral("Microsoft Excel")));
            selection.ToFile->setChecked(true);
            selection.ExportB->click();
        });
    }
};

TEST_F(DataExportTest, MoreRowsThanAnExcel5SheetHoldsAreOfferedAsXlsx) {
    const auto source = numberedRows(exchange::kExcel5MaxRows, 2, "x");
    const QString path = dir.path() + QStringLiteral("/mare");
    answers.message(mrDa).saveFile(path);
    chooseExcelToFile();
    exchange::DataExport(exchange::gridExportSettings(dir.path())).Execute(&source, nullptr);

    const auto asked = answers.requestsOf(platform::DialogKind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].heading, QStringLiteral("Export Grila"));
    EXPECT_EQ(asked[0].text, QStringLiteral("\rO foaie Microsoft Excel 5.0 are cel mult 16383 de randuri; tabelul are "
                                            "16384.\rDoriti exportul in format Microsoft Excel 2007+ (.xlsx)?"));
    const auto saves = answers.requestsOf(platform::DialogKind::SaveFile);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].filter, QStringLiteral("Excel 2007+ Files (*.xlsx)"));
    const auto book = exchange::openWorkbookFile(path + QStringLiteral(".xlsx"));
    EXPECT_EQ(book->usedRows(), exchange::kExcel5MaxRows + 1);
    EXPECT_EQ(book->cellText(exchange::kExcel5MaxRows + 1, 1), QStringLiteral("16384"));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".xls")));
}

TEST_F(DataExportTest, DecliningTheXlsxOfferWritesNothingAndTheWriterRefusesACutSheet) {
    const auto source = numberedRows(exchange::kExcel5MaxRows, 1, "");
    answers.message(mrNu);
    chooseExcelToFile();
    exchange::DataExport(exchange::gridExportSettings(dir.path())).Execute(&source, nullptr);
    EXPECT_TRUE(answers.requestsOf(platform::DialogKind::SaveFile).empty());
    const QString path = dir.path() + QStringLiteral("/cut.xls");
    EXPECT_THROW(exchange::writeExport(source, ExportFormat::Excel, path, {}, nullptr), engine::ValueError);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DataExportTest, AFileThatCannotBeWrittenIsToldAndLeavesNoFile) {
    const auto source = numberedRows(3, 2, "x");
    answers.saveFile(dir.path() + QStringLiteral("/no/such/folder/f")).message(mrOk);
    chooseExcelToFile();
    exchange::DataExport(exchange::gridExportSettings(dir.path())).Execute(&source, nullptr);
    const auto told = answers.requestsOf(platform::DialogKind::Message);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].text.startsWith(QStringLiteral("\rExportul nu s-a putut face:\r"))) << told[0].text.toStdString();
    EXPECT_EQ(told[0].messageKind, int(mkError));
    EXPECT_FALSE(progress.isVisible());
}

// 16,383 rows of 22 long texts: a stream of some 45 MB, whose FAT takes more
// sectors than the header can list, so the container needs DIFAT sectors.
TEST_F(DataExportTest, AFullExcel5SheetReadsBackWhole) {
    const auto source = numberedRows(exchange::kExcel5MaxRows - 1, 22, std::string(120, 'N'));
    const QString path = dir.path() + QStringLiteral("/plin.xls");
    exchange::writeExport(source, ExportFormat::Excel, path, {}, nullptr);
    EXPECT_GT(QFileInfo(path).size(), 109LL * 128 * 512);
    const auto book = exchange::openWorkbookFile(path);
    EXPECT_EQ(book->usedRows(), exchange::kExcel5MaxRows);
    EXPECT_EQ(book->usedColumns(), 22);
    EXPECT_EQ(book->cellText(exchange::kExcel5MaxRows, 1), QStringLiteral("16383"));
    EXPECT_EQ(book->cellText(exchange::kExcel5MaxRows, 22), QString(120, QLatin1Char('N')));
}

// libxlsxwriter compresses the whole sheet after the last row; the bar keeps
// moving meanwhile instead of resting at the rows' end, the workbook takes
// the target's name only once complete, and it reads back whole.
TEST_F(DataExportTest, AnXlsxExportShowsThePackingAndReadsBackWhole) {
    struct RecordedProgress : data::Progress {
        int maximum_ = 0;
        std::vector<int> positions;
        int maximum() const override { return maximum_; }
        void setMaximum(int m) override { maximum_ = m; }
        int position() const override { return positions.empty() ? 0 : positions.back(); }
        void setPosition(int p) override { positions.push_back(p); }
    } recorded;
    constexpr int kRows = 120000;
    const auto source = numberedRows(kRows, 5, "Popescu Ion");
    const QString path = dir.path() + QStringLiteral("/rapid.xlsx");
    exchange::writeExport(source, ExportFormat::Xlsx, path, {}, &recorded);

    ASSERT_GT(recorded.maximum_, kRows);
    EXPECT_EQ(recorded.positions.back(), recorded.maximum_);
    std::set<int> packing;
    for (const int p : recorded.positions)
        if (p > kRows && p < recorded.maximum_) packing.insert(p);
    EXPECT_GE(packing.size(), 2u) << "the bar rests while the sheet is compressed";
    EXPECT_TRUE(std::is_sorted(recorded.positions.begin(), recorded.positions.end()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("rapid.xlsx")});

    const auto book = exchange::openWorkbookFile(path);
    EXPECT_EQ(book->usedRows(), kRows + 1);
    EXPECT_EQ(book->cellText(kRows + 1, 1), QString::number(kRows));
    EXPECT_EQ(book->cellText(kRows + 1, 5), QStringLiteral("Popescu Ion"));
}

TEST(ReadsAsNumber, OnlyPlainDecimalTextsAreNumberCells) {
    const struct {
        const char* text;
        bool number;
    } cases[] = {{"12", true},  {"-0.5", true}, {"0123", true}, {"12.", false}, {".5", false}, {"1e5", false},
                 {"12,5", false}, {" 1", false}, {"", false},     {"-", false},  {"T100", false}};
    for (const auto& c : cases) {
        double value = 0;
        EXPECT_EQ(exchange::readsAsNumber(c.text, value), c.number) << c.text;
    }
}

}  // namespace
