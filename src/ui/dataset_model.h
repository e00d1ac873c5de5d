#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "engine/dataset.h"
#include "ui/grid_column.h"

namespace ui {

// The rows of a dataset as a read-only table model, in the columns a form
// declares (or every field, titled by its name, when it declares none).
// The model follows the dataset's notifications: a reset when the dataset
// opens, closes or refilters; the current row when its cursor moves. While
// the dataset's controls are disabled no notification comes, so views keep
// what they show until the dataset enables them again.
// A dataset destroyed first detaches itself, leaving the model empty.
class DatasetModel : public QAbstractTableModel, private engine::DatasetObserver {
    Q_OBJECT

public:
    explicit DatasetModel(QObject* parent = nullptr);
    ~DatasetModel() override;

    void setDataset(engine::Dataset* dataset);
    engine::Dataset* dataset() const { return dataset_; }

    void setColumns(std::vector<GridColumn> columns);
    // The columns shown: the declared ones, or one per field.
    const std::vector<GridColumn>& columns() const { return shown_; }
    int columnOfField(const QString& field) const;  // -1 when not shown
    QString fieldOfColumn(int column) const;        // empty when out of range
    // The field behind a column, or null when the dataset has no such field.
    const engine::FieldDef* fieldDefOfColumn(int column) const;

    // The text a cell shows.
    QString displayText(int row, int column) const;
    // The same in UTF-8, for writers that want bytes.
    std::string displayUtf8(int row, int column) const;
    // The number a cell of a number value shows, rounded as shown; nothing
    // for any other cell.
    std::optional<engine::Decimal> shownNumber(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The dataset's cursor moved to this row (-1: no current row).
    void currentRowChanged(int row);

private:
    void datasetReset(engine::Dataset& dataset) override;
    void currentChanged(engine::Dataset& dataset) override;
    void datasetDestroyed(engine::Dataset& dataset) override;
    void rebuild();

    engine::Dataset* dataset_ = nullptr;
    std::vector<GridColumn> declared_;
    std::vector<GridColumn> shown_;
    std::vector<int> fieldIndex_;  // per shown column; -1 when the dataset lacks the field
    std::vector<int> decimals_;    // per shown column; -1 for the shortest form
    int rows_ = 0;
};

}  // namespace ui
