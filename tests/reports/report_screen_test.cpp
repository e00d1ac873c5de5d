// What the clerk sees of a report: columns sized from what they show, the
// sort indicator, the totals with room for their rows, and what the print
// dialog proposes.
#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QPrinter>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

#include "exchange/export_folder.h"
#include "reports_fixture.h"

namespace reportstest {
namespace {

// A register with the values a clerk's report holds at their longest: a
// village of 24 letters, a holder of 120, an annex and a category of their
// fields' widths, the largest area and three-digit lengths.
class ReportScreen : public ReportsFixture {
protected:
    std::unique_ptr<TRaportF> form;
    const QString village = QStringLiteral("VALEA MORILOR DE SUS NOR");
    const QString holder = QString(QStringLiteral("STAMATE VASILE SI STAMATE ELENA CRISTINA MOSTENITORI AI LUI STAMATE "
                                                  "GHEORGHE DIN SATUL POIANA LUI STAMATE COMUNA BRADU ARGES"))
                               .left(120);

    void SetUp() override {
        ReportsFixture::SetUp();
        addRegister();
        const int title = addTitle("0045", holder, {{"INSAT", text(village)}, {"ANEXA", text("Legea 247/2005")}});
        addSurface(title, "EXTRAVILAN", "CURTI, CONSTRUCTII", "9999.9999",
                   {{"OBS", text("LUNGIME DUPA CADASTRU")}, {"NRTARLA", text("12")}, {"PARCELA", "123456"},
                    {"LUNG", "999.9999"}, {"LAT", "140.5"}, {"COMENT", text("")}});
        form = std::make_unique<TRaportF>();
    }
    void TearDown() override {
        form.reset();
        ReportsFixture::TearDown();
    }

    // The form shown at a size, its layout settled.
    void show(int width, int height) {
        form->prepareOpening();
        form->resize(width, height);
        form->show();
        QApplication::processEvents();
        QTest::qWait(50);
    }
    int columnOf(const char* field) const { return form->SMDBGrid3->datasetModel()->columnOfField(field); }
    // The widest text a column shows, whole.
    int widestIn(const ui::DataGrid* grid, int column) const {
        int widest = 0;
        const ui::DatasetModel* m = grid->datasetModel();
        for (int r = 0; r < m->rowCount(); ++r)
            widest = std::max(widest, grid->widthToShow(m->displayText(r, column)));
        return widest;
    }
};

// With the room of a wide screen every column shows its texts whole, the
// texts the clerk complained of among them, and "Detalii", mostly empty, is
// no wider than its title and its texts need.
TEST_F(ReportScreen, ColumnsAreAsWideAsWhatTheyShow) {
    show(2400, 900);
    const ui::DataGrid* grid = form->SMDBGrid3;
    for (const char* field : {"INSAT", "ANEXA", "TITULAR", "CATEG", "OBS", "SUPRAF", "LUNG", "LAT", "PARCELA"})
        EXPECT_GE(grid->columnWidth(columnOf(field)), widestIn(grid, columnOf(field))) << field;
    EXPECT_LE(grid->columnWidth(columnOf("COMENT")),
              std::max(widestIn(grid, columnOf("COMENT")), grid->widthToShow("Detalii") + 30));
}

// Where the room is short the holders give way first; the numbers and the
// short texts stay whole.
TEST_F(ReportScreen, OnANarrowScreenTheLongTextsGiveWayNotTheNumbers) {
    show(1500, 700);
    const ui::DataGrid* grid = form->SMDBGrid3;
    for (const char* field : {"NRC", "SUPRAF", "LUNG", "LAT", "PARCELA", "INSAT", "ANEXA", "CATEG", "TIP"})
        EXPECT_GE(grid->columnWidth(columnOf(field)), widestIn(grid, columnOf(field))) << field;
    EXPECT_LT(grid->columnWidth(columnOf("TITULAR")), widestIn(grid, columnOf("TITULAR")));
    int total = 0;
    for (int c = 0; c < grid->datasetModel()->columnCount(); ++c) total += grid->columnWidth(c);
    EXPECT_LE(total, grid->viewport()->width());
}

TEST_F(ReportScreen, TheSortedColumnShowsTheIndicator) {
    form->prepareOpening();
    const QHeaderView* header = form->SMDBGrid3->horizontalHeader();
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), columnOf("TITULAR"));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    form->show();
    // A click on a title sorts by it, always ascending; twice changes nothing.
    for (int i = 0; i < 2; ++i) {
        const int x = header->sectionViewportPosition(columnOf("SUPRAF")) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        EXPECT_EQ(QString::fromStdString(form->Tx.lines()[7]), "ORDER BY SUPRAF");
        EXPECT_EQ(header->sortIndicatorSection(), columnOf("SUPRAF"));
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }
    // "Nr.crt." sorts nothing, and the indicator stays where the sort is.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(5, header->height() / 2));
    EXPECT_EQ(header->sortIndicatorSection(), columnOf("SUPRAF"));
    // A new opening starts from the holders again.
    form->hide();
    form->closeDown();
    form->prepareOpening();
    EXPECT_EQ(header->sortIndicatorSection(), columnOf("TITULAR"));
}

// The totals take the room beside the figures and, up to nearly half the
// form, the height their rows need.
TEST_F(ReportScreen, TheTotalsShowTheirRowsInTheRoomTheyHave) {
    const char* categories[] = {"Arabil", "Pasune", "Faneata", "Vii", "Livezi", "Padure", "Ape", "Drumuri", "Neproductiv",
                                "Curti"};
    for (const char* type : {"EXTRAVILAN", "INTRAVILAN"})
        for (const char* category : categories) surface(titleBa, type, category, "1", "ZAVOI", "9", "1", "");
    show(1600, 1000);
    const ui::DataGrid* totals = form->DBGrid1;
    ASSERT_GE(form->ToX.recordCount(), 20);
    const int shownRows = totals->viewport()->height() / totals->verticalHeader()->defaultSectionSize();
    EXPECT_GE(shownRows, 18);
    EXPECT_GT(totals->width(), 440);
    // Nothing is left empty to the right of the buttons.
    EXPECT_GE(form->LbSpeedButton1->mapTo(form.get(), QPoint(form->LbSpeedButton1->width(), 0)).x(),
              form->width() - 20);
    // The categories and the areas show whole.
    EXPECT_GE(totals->columnWidth(1), widestIn(totals, 1));
    EXPECT_GE(totals->columnWidth(2), widestIn(totals, 2));
}

// The print dialog proposes, for printing to PDF, a file named after the
// report and the day, in the folder of the last export.
TEST_F(ReportScreen, ThePrintDialogProposesTheLastExportFolderAndTheDate) {
    form->prepareOpening();
    QPrinter printer;
    form->preparePrinter(printer);
    const QString day = QDate::currentDate().toString("dd.MM.yyyy");
    EXPECT_EQ(printer.outputFileName(), QDir(AppDir()).filePath("RAPORT GENERAL " + day + ".pdf"));
    EXPECT_EQ(printer.docName(), "RAPORT GENERAL");

    const QString folder = dir.filePath("exporturi");
    ASSERT_TRUE(QDir().mkpath(folder));
    exchange::rememberExportFolder(folder);
    form->preparePrinter(printer);
    EXPECT_EQ(printer.outputFileName(), QDir(folder).filePath("RAPORT GENERAL " + day + ".pdf"));
    exchange::rememberExportFolder(QString());
}

}  // namespace
}  // namespace reportstest
