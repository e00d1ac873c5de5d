// The grid over a dataset: the cursor both ways, clicks, keys, hidden
// columns, bands and tooltips.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "grid_fixture.h"
#include "ui/banded_header.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"

using namespace ui;

namespace {

class DataGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        ds_.open(gridtest::annexLines());
        ds_.afterScroll = [this](engine::Dataset& d) { scrolledTo_.push_back(d.recNo()); };
        grid_ = std::make_unique<DataGrid>();
        grid_->setDataset(&ds_);
        grid_->setColumns({
            {"NRCRTA", "Nr. Poz.", true, {}, {}, 60},
            {"TIPANX", "Anexa", false, {}, {}, 0},
            {"SATUL", "Satul", true, {}, {}, 0},
            {"NUME", "Autor", true, {}, {}, 0},
            {"MOSTEN", "Mostenitori", true, {}, {}, 0},
            {"TIT", "Numarul", true, {}, {}, 70},
            {"SUPTOT", "Suprafata totala", true, {}, "0.0000", 0},
        });
        grid_->setBands({{"Titlu de proprietate", "TIT", "SUPTOT"}});
        grid_->resize(700, 250);
        grid_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(grid_.get()));
        scrolledTo_.clear();
    }
    void TearDown() override { grid_->setDataset(nullptr); }

    int column(const char* field) const { return grid_->datasetModel()->columnOfField(field); }
    int gridRow() const { return grid_->currentIndex().row(); }
    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        for (const QModelIndex& i : grid_->selectionModel()->selectedRows()) rows.push_back(i.row());
        return rows;
    }
    void clickRow(int row) {
        const QRect cell = grid_->visualRect(grid_->datasetModel()->index(row, column("SATUL")));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // A point in the header: the title row of a section, or the band row.
    QPoint inHeader(const char* field, bool bandRow) const {
        BandedHeader* h = grid_->bandedHeader();
        const int s = column(field);
        const int x = h->sectionViewportPosition(s) + h->sectionSize(s) / 2;
        return QPoint(x, bandRow ? 4 : h->height() - 5);
    }

    gridtest::NarrowableDataset ds_;
    std::unique_ptr<DataGrid> grid_;
    std::vector<int> scrolledTo_;
};

}  // namespace

TEST_F(DataGridTest, FollowsTheDatasetsCursor) {
    EXPECT_EQ(gridRow(), 0);
    ds_.moveTo(3);
    EXPECT_EQ(gridRow(), 3);
    EXPECT_EQ(selectedRows(), std::vector<int>{3});
    ds_.last();
    EXPECT_EQ(selectedRows(), std::vector<int>{4});
    ds_.keepRows({4, 0});
    EXPECT_EQ(grid_->datasetModel()->rowCount(), 2);
    EXPECT_EQ(selectedRows(), std::vector<int>{0});
    ds_.close();
    EXPECT_EQ(grid_->datasetModel()->rowCount(), 0) << "a closed dataset leaves the grid empty";
    EXPECT_FALSE(grid_->currentIndex().isValid());
    EXPECT_TRUE(selectedRows().empty());
    ds_.open(gridtest::annexLines());
    EXPECT_EQ(selectedRows(), std::vector<int>{0});
}

TEST_F(DataGridTest, ClicksAndKeysMoveTheDatasetsCursor) {
    clickRow(2);
    EXPECT_EQ(ds_.recNo(), 2);
    QTest::keyClick(grid_.get(), Qt::Key_Down);
    EXPECT_EQ(ds_.recNo(), 3);
    QTest::keyClick(grid_.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(ds_.recNo(), 0);
    QTest::keyClick(grid_.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(ds_.recNo(), 4);
    clickRow(4);  // the current row again: no scroll
    EXPECT_EQ(scrolledTo_, (std::vector<int>{2, 3, 0, 4}));
    EXPECT_EQ(selectedRows(), std::vector<int>{4});
}

// A form's afterScroll may move the cursor again (to keep a record current);
// the grid must end on that row, with only that row selected.
TEST_F(DataGridTest, EndsOnTheRowWhereAfterScrollLeftTheCursor) {
    ds_.afterScroll = [](engine::Dataset& d) {
        if (d.recNo() == 1) d.moveTo(3);
    };
    clickRow(1);
    EXPECT_EQ(ds_.recNo(), 3);
    EXPECT_EQ(gridRow(), 3);
    EXPECT_EQ(selectedRows(), std::vector<int>{3});

    ds_.moveTo(0);
    QTest::keyClick(grid_.get(), Qt::Key_Down);
    EXPECT_EQ(gridRow(), 3);
    EXPECT_EQ(selectedRows(), std::vector<int>{3});

    // A handler that reopens the grid's own dataset on the move.
    ds_.afterScroll = [this](engine::Dataset& d) {
        if (d.recNo() == 2) {
            d.afterScroll = nullptr;
            ds_.open(gridtest::annexLines());
            ds_.moveTo(4);
        }
    };
    clickRow(2);
    EXPECT_EQ(ds_.recNo(), 4);
    EXPECT_EQ(selectedRows(), std::vector<int>{4});
}

TEST_F(DataGridTest, DoesNotFollowWhileTheDatasetsControlsAreDisabled) {
    ds_.disableControls();
    ds_.moveTo(4);
    EXPECT_EQ(gridRow(), 0);
    ds_.enableControls();
    EXPECT_EQ(gridRow(), 4);
}

TEST_F(DataGridTest, ReportsTitleClicksByFieldButNotClicksOnABand) {
    QSignalSpy titles(grid_.get(), &DataGrid::titleClicked);
    QHeaderView* header = grid_->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inHeader("SATUL", false));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inHeader("SATUL", true));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inHeader("TIT", true));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inHeader("SUPTOT", false));
    ASSERT_EQ(titles.count(), 3);
    EXPECT_EQ(titles[0][0].toString(), "SATUL");
    EXPECT_EQ(titles[1][0].toString(), "SATUL") << "an unbanded title fills the header's height";
    EXPECT_EQ(titles[2][0].toString(), "SUPTOT");
    EXPECT_EQ(ds_.recNo(), 0) << "a title click does not move the cursor";
}

TEST_F(DataGridTest, ReportsCellClicksKeysAndDoubleClicks) {
    QSignalSpy deletes(grid_.get(), &DataGrid::deletePressed);
    QSignalSpy enters(grid_.get(), &DataGrid::enterPressed);
    QSignalSpy doubles(grid_.get(), &DataGrid::rowDoubleClicked);
    int rowAtCellClick = -1;
    QString fieldClicked;
    QObject::connect(grid_.get(), &DataGrid::cellClicked, [&](const QString& field) {
        fieldClicked = field;
        rowAtCellClick = ds_.recNo();
    });

    clickRow(3);
    EXPECT_EQ(fieldClicked, "SATUL");
    EXPECT_EQ(rowAtCellClick, 3) << "the cursor moves before the click is reported";
    QTest::keyClick(grid_.get(), Qt::Key_Delete);
    QTest::keyClick(grid_.get(), Qt::Key_Return);
    QTest::keyClick(grid_.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(deletes.count(), 1);
    EXPECT_EQ(enters.count(), 2);
    const QRect cell = grid_->visualRect(grid_->datasetModel()->index(1, column("NUME")));
    // The events of a real double click.
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles[0][0].toInt(), 1);
    EXPECT_EQ(ds_.recNo(), 1);
}

TEST_F(DataGridTest, HidesColumnsAsDeclaredAndAsToggled) {
    EXPECT_FALSE(grid_->isColumnVisible("TIPANX"));
    EXPECT_TRUE(grid_->isColumnVisible("MOSTEN"));
    grid_->setColumnVisible("MOSTEN", false);
    grid_->setColumnVisible("TIPANX", true);
    ds_.close();
    ds_.open(gridtest::annexLines());
    EXPECT_FALSE(grid_->isColumnVisible("MOSTEN")) << "a reopened dataset keeps the form's choice";
    EXPECT_TRUE(grid_->isColumnVisible("TIPANX"));
    EXPECT_TRUE(grid_->isColumnHidden(column("MOSTEN")));
}

TEST_F(DataGridTest, KeepsColumnWidthsAcrossReopening) {
    EXPECT_EQ(grid_->columnWidth(column("NRCRTA")), 60);
    EXPECT_GT(grid_->columnWidth(column("NUME")), grid_->columnWidth(column("SATUL")))
        << "a guessed width follows the field's size";
    grid_->setColumnWidth(column("SATUL"), 155);
    ds_.close();
    ds_.open(gridtest::annexLines());
    EXPECT_EQ(grid_->columnWidth(column("SATUL")), 155);
    EXPECT_EQ(grid_->columnWidth(column("NRCRTA")), 60);
}

TEST_F(DataGridTest, BandsFollowTheirColumns) {
    BandedHeader* header = grid_->bandedHeader();
    ASSERT_EQ(header->bands().size(), 1u);
    const auto expectBandOverItsColumns = [&] {
        const QRect band = header->bandRect(0);
        const int left = header->sectionViewportPosition(column("TIT"));
        const int right = header->sectionViewportPosition(column("SUPTOT")) + header->sectionSize(column("SUPTOT"));
        EXPECT_EQ(band.left(), left);
        EXPECT_EQ(band.left() + band.width(), right);
    };
    expectBandOverItsColumns();
    const int before = header->bandRect(0).width();
    grid_->setColumnWidth(column("TIT"), grid_->columnWidth(column("TIT")) + 40);
    EXPECT_EQ(header->bandRect(0).width(), before + 40);
    expectBandOverItsColumns();
    grid_->setColumnWidth(column("NUME"), grid_->columnWidth(column("NUME")) + 25);
    expectBandOverItsColumns();

    grid_->horizontalScrollBar()->setValue(grid_->horizontalScrollBar()->maximum());
    expectBandOverItsColumns();

    grid_->setColumnVisible("SUPTOT", false);
    EXPECT_EQ(header->bandRect(0).width(), header->sectionSize(column("TIT")));
    grid_->setColumnVisible("TIT", false);
    EXPECT_TRUE(header->bandRect(0).isEmpty());

    const int banded = header->height();
    grid_->setBands({});
    EXPECT_LT(header->sizeHint().height(), banded) << "without bands the header has one row";
}

TEST_F(DataGridTest, ShowsTheRowHintOrElseTheGridsTooltip) {
    const QPoint inRow = grid_->visualRect(grid_->datasetModel()->index(1, column("SATUL"))).center();
    const auto hover = [&](QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, grid_->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid_->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(inRow), "");
    // Lines separated by carriage returns show as lines.
    grid_->setToolTip("ANEXA 3\r\rSatul : BRADU");
    EXPECT_EQ(hover(inRow), "ANEXA 3\n\nSatul : BRADU");
    grid_->setRowHint([this](int row) {
        return row == 1 ? QString::fromStdString(ds_.rowValue(row, 3).toString()) : QString();
    });
    EXPECT_EQ(hover(inRow), "IONESCU MARIA");
    const QPoint otherRow = grid_->visualRect(grid_->datasetModel()->index(0, column("SATUL"))).center();
    EXPECT_EQ(hover(otherRow), "ANEXA 3\n\nSatul : BRADU");
    QToolTip::hideText();
}

TEST_F(DataGridTest, AGridWithoutTitles) {
    grid_->setTitlesVisible(false);
    EXPECT_FALSE(grid_->horizontalHeader()->isVisible());
    const QRect firstRow = grid_->visualRect(grid_->datasetModel()->index(0, column("SATUL")));
    EXPECT_EQ(grid_->viewport()->mapTo(grid_.get(), firstRow.topLeft()).y(), grid_->frameWidth());
}
