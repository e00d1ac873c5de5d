#include "exchange/export_source.h"

#include <charconv>

#include "engine/dataset.h"
#include "engine/errors.h"

namespace exchange {

void TableExportSource::cell(int row, int column, std::string& text) const {
    const std::vector<std::string>& cells = rows_[size_t(row)];
    if (size_t(column) < cells.size())
        text = cells[size_t(column)];
    else
        text.clear();
}

DatasetExportSource::DatasetExportSource(const engine::Dataset& dataset, const std::vector<Column>& columns,
                                         std::string nullText)
    : dataset_(dataset), nullText_(std::move(nullText)) {
    for (const Column& c : columns) {
        const int index = dataset.fieldIndex(c.field);
        if (index < 0) throw engine::BindError("The export has no field " + c.field);
        const engine::FieldType type = dataset.fields()[size_t(index)].type;
        fields_.push_back(index);
        textFields_.push_back(type == engine::FieldType::Text);
        columns_.push_back({c.caption, type == engine::FieldType::Number, type == engine::FieldType::Text});
    }
}

int DatasetExportSource::rowCount() const { return dataset_.isOpen() ? dataset_.recordCount() : 0; }

void DatasetExportSource::cell(int row, int column, std::string& text) const {
    const engine::Value value = dataset_.rowValue(row, fields_[size_t(column)]);
    text = value.type() == engine::ValueType::Text ? value.asText() : value.toString();
    if (text.empty() && textFields_[size_t(column)]) text = nullText_;
}

bool readsAsNumber(const std::string& text, double& value) {
    size_t i = 0;
    const size_t n = text.size();
    if (i < n && text[i] == '-') ++i;
    const size_t digitsStart = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digitsStart) return false;
    if (i < n && text[i] == '.') {
        const size_t fraction = ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == fraction) return false;
    }
    if (i != n) return false;
    const auto result = std::from_chars(text.data(), text.data() + n, value);
    return result.ec == std::errc();
}

}  // namespace exchange
