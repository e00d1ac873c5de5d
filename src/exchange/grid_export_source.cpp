#include "exchange/grid_export_source.h"

#include "engine/dataset.h"
#include "ui/dataset_model.h"

namespace exchange {

GridExportSource::GridExportSource(const std::vector<ui::GridColumn>& columns, engine::Dataset* rows,
                                   const QStringList& captions)
    : model_(std::make_unique<ui::DatasetModel>()) {
    std::vector<ui::GridColumn> visible;
    for (const ui::GridColumn& c : columns)
        if (c.visible) visible.push_back(c);
    model_->setColumns(visible);
    model_->setDataset(rows);
    for (int i = 0; i < model_->columnCount(); ++i) {
        const ui::GridColumn& c = model_->columns()[size_t(i)];
        QString title = i < captions.size() ? captions[i] : c.title;
        title.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const engine::FieldDef* def = model_->fieldDefOfColumn(i);
        const bool right = c.alignment ? bool(c.alignment & Qt::AlignRight)
                                       : def && def->type == engine::FieldType::Number;
        columns_.push_back({title, right, def && def->type == engine::FieldType::Text});
    }
}

GridExportSource::~GridExportSource() = default;

int GridExportSource::rowCount() const { return model_->rowCount(); }

void GridExportSource::cell(int row, int column, std::string& text) const {
    text = model_->displayUtf8(row, column);
}

bool GridExportSource::numberCell(int row, int column, double& value) const {
    const auto number = model_->shownNumber(row, column);
    if (number) value = number->toDouble();
    return bool(number);
}

}  // namespace exchange
