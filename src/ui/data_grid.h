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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void showDatasetRow();
    void applyColumnLayout();
    void applyBands();
    int defaultWidth(int column) const;

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
};

}  // namespace ui
