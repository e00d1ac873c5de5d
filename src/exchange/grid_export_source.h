#pragma once

#include <memory>
#include <vector>

#include <QStringList>

#include "exchange/export_source.h"
#include "ui/grid_column.h"

namespace engine {
class Dataset;
}
namespace ui {
class DatasetModel;
}

namespace exchange {

// The rows of a data grid as the grid shows them: its visible columns in
// grid order, each cell the text the grid shows (an empty value empty). The
// heading of column i is entry i of the caption list, or the grid's title
// beyond its end.
class GridExportSource : public ExportSource {
public:
    GridExportSource(const std::vector<ui::GridColumn>& columns, engine::Dataset* rows, const QStringList& captions);
    ~GridExportSource() override;

    const std::vector<ExportColumn>& columns() const override { return columns_; }
    int rowCount() const override;
    void cell(int row, int column, std::string& text) const override;
    bool numberCell(int row, int column, double& value) const override;

private:
    std::unique_ptr<ui::DatasetModel> model_;
    std::vector<ExportColumn> columns_;
};

}  // namespace exchange
