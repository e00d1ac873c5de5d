#include "ui/dataset_model.h"

namespace ui {

namespace {

// "0.0000" gives 4, "0" gives 0, an empty format -1.
int decimalsOf(const QString& format) {
    if (format.isEmpty()) return -1;
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    if (point < 0) return 0;
    return int(qMin<qsizetype>(format.size() - point - 1, engine::Decimal::kScale));
}

}  // namespace

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

DatasetModel::~DatasetModel() {
    if (dataset_) dataset_->removeObserver(this);
}

void DatasetModel::setDataset(engine::Dataset* dataset) {
    if (dataset == dataset_) return;
    beginResetModel();
    if (dataset_) dataset_->removeObserver(this);
    dataset_ = dataset;
    if (dataset_) dataset_->addObserver(this);
    rebuild();
    endResetModel();
}

void DatasetModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    declared_ = std::move(columns);
    rebuild();
    endResetModel();
}

void DatasetModel::rebuild() {
    shown_ = declared_;
    if (shown_.empty() && dataset_) {
        for (const auto& f : dataset_->fields()) {
            GridColumn c;
            c.field = QString::fromStdString(f.name);
            c.title = c.field;
            shown_.push_back(c);
        }
    }
    fieldIndex_.clear();
    decimals_.clear();
    for (const auto& c : shown_) {
        fieldIndex_.push_back(dataset_ ? dataset_->fieldIndex(c.field.toStdString()) : -1);
        decimals_.push_back(decimalsOf(c.format));
    }
    rows_ = dataset_ ? dataset_->recordCount() : 0;
}

void DatasetModel::datasetReset(engine::Dataset&) {
    // The dataset tells us after the fact; the model has no rows to move, so
    // it reports one reset.
    beginResetModel();
    rebuild();
    endResetModel();
}

void DatasetModel::currentChanged(engine::Dataset& dataset) { emit currentRowChanged(dataset.recNo()); }

void DatasetModel::datasetDestroyed(engine::Dataset& dataset) {
    if (&dataset != dataset_) return;
    beginResetModel();
    dataset_ = nullptr;
    rebuild();
    endResetModel();
}

int DatasetModel::columnOfField(const QString& field) const {
    for (size_t i = 0; i < shown_.size(); ++i)
        if (shown_[i].field.compare(field, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

QString DatasetModel::fieldOfColumn(int column) const {
    if (column < 0 || column >= int(shown_.size())) return QString();
    return shown_[size_t(column)].field;
}

const engine::FieldDef* DatasetModel::fieldDefOfColumn(int column) const {
    if (!dataset_ || column < 0 || column >= int(shown_.size())) return nullptr;
    const int f = fieldIndex_[size_t(column)];
    if (f < 0 || f >= int(dataset_->fields().size())) return nullptr;
    return &dataset_->fields()[size_t(f)];
}

QString DatasetModel::displayText(int row, int column) const {
    return QString::fromStdString(displayUtf8(row, column));
}

std::string DatasetModel::displayUtf8(int row, int column) const {
    if (!dataset_ || column < 0 || column >= int(shown_.size())) return std::string();
    const int f = fieldIndex_[size_t(column)];
    if (f < 0) return std::string();
    const engine::Value v = dataset_->rowValue(row, f);
    const int decimals = decimals_[size_t(column)];
    if (v.type() == engine::ValueType::Number && decimals >= 0) return v.asNumber().toFixed(decimals);
    return v.toString();
}

std::optional<engine::Decimal> DatasetModel::shownNumber(int row, int column) const {
    if (!dataset_ || column < 0 || column >= int(shown_.size())) return std::nullopt;
    const int f = fieldIndex_[size_t(column)];
    if (f < 0) return std::nullopt;
    const engine::Value v = dataset_->rowValue(row, f);
    if (v.type() != engine::ValueType::Number) return std::nullopt;
    const int decimals = decimals_[size_t(column)];
    return decimals >= 0 ? v.asNumber().rounded(decimals) : v.asNumber();
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= int(shown_.size())) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = shown_[size_t(index.column())].alignment;
        if (!(a & Qt::AlignHorizontal_Mask)) {
            const engine::FieldDef* def = fieldDefOfColumn(index.column());
            a |= def && def->type == engine::FieldType::Number ? Qt::AlignRight : Qt::AlignLeft;
        }
        if (!(a & Qt::AlignVertical_Mask)) a |= Qt::AlignVCenter;
        return QVariant::fromValue(a);
    }
    default:
        return QVariant();
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QVariant();
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= int(shown_.size())) return QVariant();
    return shown_[size_t(section)].title;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace ui
