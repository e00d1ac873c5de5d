#include "ui/data_grid.h"

#include <algorithm>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QToolTip>

#include "ui/banded_header.h"
#include "ui/dataset_model.h"

namespace ui {

namespace {
constexpr int kMaxGuessedChars = 30;
// The cell's margins and grid line around its text.
constexpr int kCellPadding = 12;
// A title's margins and the sort indicator beside it.
constexpr int kTitlePadding = 30;
// Texts of fields up to this many letters (a village, a category) are short:
// they give way only after the long ones (a holder, a plot name).
constexpr int kShortField = 24;
}  // namespace

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), model_(new DatasetModel(this)), header_(new BandedHeader(this)) {
    setHorizontalHeader(header_);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    // Rows of one height let the view place a large register without measuring it.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    connect(model_, &DatasetModel::currentRowChanged, this, [this] { showDatasetRow(); });
    // Connected after the view's own reset handling, so this runs once the
    // view has rebuilt itself.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (int(states_.size()) != model_->columnCount()) resetColumnStates();
        applyColumnLayout();
        applyBands();
        if (fitting_) fitColumns();
        showSortIndicator();
        showDatasetRow();
    });
    // The header moves its indicator on every click; only the form moves it.
    connect(header_, &QHeaderView::sortIndicatorChanged, this, [this] { showSortIndicator(); });
    connect(header_, &QHeaderView::sectionClicked, this,
            [this](int section) { emit titleClicked(model_->fieldOfColumn(section)); });
    connect(header_, &QHeaderView::sectionResized, this, [this](int section) {
        if (!layingOut_ && section < int(states_.size())) states_[size_t(section)].sized = true;
    });
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit cellClicked(model_->fieldOfColumn(index.column())); });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowDoubleClicked(index.row()); });
}

DataGrid::~DataGrid() = default;

void DataGrid::setDataset(engine::Dataset* dataset) { model_->setDataset(dataset); }

engine::Dataset* DataGrid::dataset() const { return model_->dataset(); }

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    model_->setColumns(std::move(columns));
    resetColumnStates();
    applyColumnLayout();
    applyBands();
}

void DataGrid::resetColumnStates() {
    states_.clear();
    for (const GridColumn& c : model_->columns()) states_.push_back({c.visible, false});
}

void DataGrid::setColumnVisible(const QString& field, bool visible) {
    const int column = model_->columnOfField(field);
    if (column < 0) return;
    states_[size_t(column)].visible = visible;
    setColumnHidden(column, !visible);
    // A band's caption spans only its visible sections.
    header_->viewport()->update();
}

bool DataGrid::isColumnVisible(const QString& field) const {
    const int column = model_->columnOfField(field);
    return column >= 0 && !isColumnHidden(column);
}

void DataGrid::setBands(const std::vector<GridBand>& bands) {
    bands_ = bands;
    applyBands();
}

void DataGrid::setTitlesVisible(bool visible) { header_->setVisible(visible); }

void DataGrid::setRowHint(std::function<QString(int)> hint) { rowHint_ = std::move(hint); }

void DataGrid::applyBands() {
    std::vector<BandedHeader::Band> resolved;
    for (const auto& b : bands_) {
        const int first = model_->columnOfField(b.firstField);
        const int last = model_->columnOfField(b.lastField);
        if (first < 0 || last < 0) continue;
        resolved.push_back({b.caption, qMin(first, last), qMax(first, last)});
    }
    header_->setBands(std::move(resolved));
}

int DataGrid::defaultWidth(int column) const {
    const GridColumn& c = model_->columns()[size_t(column)];
    const QFontMetrics titleMetrics(header_->font());
    int width = 0;
    for (const QString& line : c.title.split(QLatin1Char('\n')))
        width = qMax(width, titleMetrics.horizontalAdvance(line) + 16);
    if (const engine::FieldDef* def = model_->fieldDefOfColumn(column)) {
        int chars = def->width;
        if (def->type == engine::FieldType::Date) chars = 10;
        if (def->type == engine::FieldType::Number && !c.format.isEmpty()) chars = qMax(chars, int(c.format.size()));
        chars = qMin(chars, kMaxGuessedChars);
        width = qMax(width, fontMetrics().averageCharWidth() * chars + kCellPadding);
    }
    return width;
}

int DataGrid::widthToShow(const QString& widest) const { return fontMetrics().horizontalAdvance(widest) + kCellPadding; }

void DataGrid::fitColumnsToContents(const QString& spareField) {
    fitting_ = true;
    spareField_ = spareField;
    header_->setStretchLastSection(false);
    fitColumns();
}

void DataGrid::fitColumns() {
    const auto& columns = model_->columns();
    const int count = int(columns.size());
    const QFontMetrics cellMetrics(font());
    const QFontMetrics titleMetrics(header_->font());
    const int rows = model_->rowCount();
    const int step = rows > kFittedRows ? (rows + kFittedRows - 1) / kFittedRows : 1;
    enum Kind { Number, ShortText, LongText };
    std::vector<int> natural(size_t(count), 0), least(size_t(count), 0);
    std::vector<Kind> kind(size_t(count), ShortText);
    int spare = -1;
    int lastVisible = -1;
    for (int c = 0; c < count; ++c) {
        if (isColumnHidden(c)) continue;
        int title = 0;
        for (const QString& line : columns[size_t(c)].title.split(QLatin1Char('\n')))
            title = qMax(title, titleMetrics.horizontalAdvance(line));
        title += kTitlePadding;
        int content = 0;
        for (int r = 0; r < rows; r += step) content = qMax(content, cellMetrics.horizontalAdvance(model_->displayText(r, c)));
        natural[size_t(c)] = qMax(title, content + kCellPadding);
        least[size_t(c)] = title;
        const engine::FieldDef* def = model_->fieldDefOfColumn(c);
        kind[size_t(c)] = def && def->type == engine::FieldType::Number ? Number
                          : def && def->width > kShortField            ? LongText
                                                                        : ShortText;
        lastVisible = c;
        if (!spareField_.isEmpty() && columns[size_t(c)].field.compare(spareField_, Qt::CaseInsensitive) == 0) spare = c;
    }
    if (lastVisible < 0) return;
    if (spare < 0) spare = lastVisible;
    std::vector<int> widths = natural;
    const auto total = [&] {
        int sum = 0;
        for (int c = 0; c < count; ++c)
            if (!isColumnHidden(c)) sum += widths[size_t(c)];
        return sum;
    };
    // The columns of one kind capped alike at the widest width that lets
    // all fit, none below its title.
    const auto cap = [&](Kind capped, int available) {
        const auto widthAt = [&](int limit) {
            int sum = 0;
            for (int c = 0; c < count; ++c)
                if (!isColumnHidden(c))
                    sum += kind[size_t(c)] == capped ? qMax(least[size_t(c)], qMin(natural[size_t(c)], limit))
                                                     : widths[size_t(c)];
            return sum;
        };
        int low = 0, high = *std::max_element(natural.begin(), natural.end());
        while (low < high) {
            const int limit = (low + high + 1) / 2;
            if (widthAt(limit) <= available) low = limit;
            else high = limit - 1;
        }
        for (int c = 0; c < count; ++c)
            if (kind[size_t(c)] == capped) widths[size_t(c)] = qMax(least[size_t(c)], qMin(natural[size_t(c)], low));
    };
    const int available = viewport()->width();
    if (available > 0 && total() > available) {
        // The long texts (holders, plot names) give way first; the short
        // ones only when that is not enough. Numbers never do.
        cap(LongText, available);
        if (total() > available) cap(ShortText, available);
    } else if (available > total()) {
        widths[size_t(spare)] += available - total();
    }
    layingOut_ = true;
    for (int c = 0; c < count; ++c)
        if (!isColumnHidden(c)) setColumnWidth(c, widths[size_t(c)]);
    layingOut_ = false;
}

void DataGrid::setSortField(const QString& field) {
    sortField_ = field;
    showSortIndicator();
}

void DataGrid::showSortIndicator() {
    const int column = sortField_.isEmpty() ? -1 : model_->columnOfField(sortField_);
    if (header_->isSortIndicatorShown() == (column >= 0) &&
        (column < 0 || (header_->sortIndicatorSection() == column && header_->sortIndicatorOrder() == Qt::AscendingOrder)))
        return;
    const QSignalBlocker quiet(header_);
    header_->setSortIndicatorShown(column >= 0);
    if (column >= 0) header_->setSortIndicator(column, Qt::AscendingOrder);
    header_->viewport()->update();
}

void DataGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (fitting_) fitColumns();
}

void DataGrid::applyColumnLayout() {
    layingOut_ = true;
    const auto& columns = model_->columns();
    for (int i = 0; i < int(columns.size()); ++i) {
        const GridColumn& c = columns[size_t(i)];
        ColumnState& state = states_[size_t(i)];
        setColumnHidden(i, !state.visible);
        if (state.sized) continue;
        if (c.width > 0) {
            setColumnWidth(i, c.width);
            state.sized = true;
        } else {
            setColumnWidth(i, defaultWidth(i));
            // A guess from the title alone is redone once the field is known.
            state.sized = model_->fieldDefOfColumn(i) != nullptr;
        }
    }
    layingOut_ = false;
}

void DataGrid::showDatasetRow() {
    const engine::Dataset* ds = model_->dataset();
    const int row = ds ? ds->recNo() : -1;
    QItemSelectionModel* selection = selectionModel();
    if (row < 0 || row >= model_->rowCount()) {
        if (selection->currentIndex().isValid()) selection->clear();
        return;
    }
    int column = currentIndex().isValid() ? currentIndex().column() : -1;
    if (column < 0 || isColumnHidden(column)) {
        column = 0;
        while (column < model_->columnCount() - 1 && isColumnHidden(column)) ++column;
    }
    const QModelIndex index = model_->index(row, column);
    if (index == selection->currentIndex() && selection->isRowSelected(row)) return;
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    engine::Dataset* ds = model_->dataset();
    if (!ds || !current.isValid() || current.row() == ds->recNo()) return;
    ds->moveTo(current.row());
}

// A click or a key sets the view's current row before the view selects;
// when the dataset's afterScroll moved the cursor elsewhere meanwhile, the
// grid then follows the cursor, not the click or the key.
void DataGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    showDatasetRow();
}

void DataGrid::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    if (event->buttons() != Qt::NoButton) showDatasetRow();
}

void DataGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    showDatasetRow();
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Delete:
            emit deletePressed();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit enterPressed();
            event->accept();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
    showDatasetRow();
}

bool DataGrid::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    QString tip;
    if (rowHint_ && index.isValid()) tip = rowHint_(index.row());
    if (tip.isEmpty()) tip = toolTip();
    // Forms may separate a tooltip's lines by carriage returns.
    tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, viewport());
    }
    return true;
}

}  // namespace ui
