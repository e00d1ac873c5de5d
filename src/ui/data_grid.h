#pragma once

#include <functional>
#include <vector>

#include <QTableView>

#include "engine/dataset.h"
#include "ui/grid_column.h"

namespace ui {

class BandedHeader;
class DatasetModel;

// A read-only grid over a dataset, one whole row selected: the row the
// dataset's cursor is on. Moving in the grid (click, arrows, page keys) moves
// the cursor, so the dataset's afterScroll runs; moving the cursor moves the
// grid. Columns are declared by the form (field, title, visibility,
// alignment, format, width); bands can stand over adjacent titles.
//
// A dataset destroyed before the grid leaves it empty (see DatasetModel).
class DataGrid : public QTableView {
    Q_OBJECT

public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setDataset(engine::Dataset* dataset);
    engine::Dataset* dataset() const;

    void setColumns(std::vector<GridColumn> columns);
    void setColumnVisible(const QString& field, bool visible);
    bool isColumnVisible(const QString& field) const;
    void setBands(const std::vector<GridBand>& bands);
    // A grid without titles hides its header.
    void setTitlesVisible(bool visible);

    // The tooltip of the row under the mouse; where it gives no text the
    // grid's own toolTip() shows.
    void setRowHint(std::function<QString(int row)> hint);

    // The width a column needs to show `widest` whole in a cell, for columns
    // that must never cut their values (a code cut short reads as another).
    int widthToShow(const QString& widest) const;

    // Columns sized from what they show, from now on: each as wide as its
    // title and the texts of its rows (the first kFittedRows, or as many
    // spread over all the rows), refitted whenever the rows change or the
    // grid is resized. When they do not all fit, the columns of long texts
    // (fields of more than 24 letters: holders, plot names) give way first,
    // then those of short texts, never below their titles; number columns
    // keep their whole width. Width to spare goes to the column of
    // `spareField` (the last one when empty).
    void fitColumnsToContents(const QString& spareField = QString());
    static constexpr int kFittedRows = 2000;

    // The column whose title shows the sort indicator, ascending; none for
    // an empty field. A click on a title moves the indicator only through
    // the form, which knows whether it sorted.
    void setSortField(const QString& field);
    const QString& sortField() const { return sortField_; }

    DatasetModel* datasetModel() const { return model_; }
    BandedHeader* bandedHeader() const { return header_; }

signals:
    // A click on a column's title (not on a band).
    void titleClicked(const QString& field);
    // A click on a cell, after the cursor has moved to its row.
    void cellClicked(const QString& field);
    void deletePressed();
    void enterPressed();
    void rowDoubleClicked(int row);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void showDatasetRow();
    void applyColumnLayout();
    void applyBands();
    int defaultWidth(int column) const;
    void fitColumns();
    void showSortIndicator();

    DatasetModel* model_;
    BandedHeader* header_;
    std::vector<GridBand> bands_;
    struct ColumnState {
        bool visible = true;
        bool sized = false;  // the width no longer comes from a guess
    };
    void resetColumnStates();

    std::vector<ColumnState> states_;  // per column of the model
    bool layingOut_ = false;
    std::function<QString(int)> rowHint_;
    bool fitting_ = false;
    QString spareField_;
    QString sortField_;
};

}  // namespace ui
