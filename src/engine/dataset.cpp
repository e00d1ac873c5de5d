#include "engine/dataset.h"

#include <algorithm>

#include "engine/errors.h"
#include "engine/text.h"

namespace engine {

// ---- Field ---------------------------------------------------------------

const std::string& Field::name() const { return def().name; }

const FieldDef& Field::def() const { return dataset_->allFields_[size_t(index_)]; }

bool Field::isNull() const { return dataset_->recNo() < 0 || dataset_->rowIsNull(dataset_->recNo(), index_); }

Value Field::value() const { return dataset_->currentValue(index_); }

std::string Field::asString() const { return value().toString(); }

Decimal Field::asDecimal() const {
    const Value v = value();
    if (v.type() == ValueType::Number) return v.asNumber();
    if (v.type() == ValueType::Text) return Decimal::parse(v.asText()).value_or(Decimal());
    return Decimal();
}

double Field::asFloat() const { return asDecimal().toDouble(); }

int64_t Field::asInteger() const { return asDecimal().wholePart(); }

std::optional<Date> Field::asDate() const {
    const Value v = value();
    if (v.type() == ValueType::Date) return v.asDate();
    return std::nullopt;
}

// ---- CalcRow -------------------------------------------------------------

Value CalcRow::get(std::string_view field) const {
    const int col = dataset_.store_->findField(field);
    if (col < 0) throw BindError("Field '" + std::string(field) + "' not found");
    return dataset_.cells().value(row_, size_t(col));
}

void CalcRow::set(std::string_view calculatedField, const Value& v) {
    const int col = calc_.findField(calculatedField);
    if (col < 0) throw BindError("Calculated field '" + std::string(calculatedField) + "' not found");
    calc_.set(row_, size_t(col), v);
}

// ---- Dataset -------------------------------------------------------------

Dataset::Dataset() = default;

Dataset::~Dataset() {
    const auto observers = std::move(observers_);
    observers_.clear();
    for (auto* o : observers) o->datasetDestroyed(*this);
}

void Dataset::close() {
    if (!open_) return;
    open_ = false;
    store_.reset();
    base_.clear();
    visible_.clear();
    calc_ = ColumnStore(calcFields_);
    current_ = -1;
    eof_ = bof_ = true;
    notifyReset();
}

int Dataset::recordCount() const {
    if (!open_) return 0;
    if (filtering_) return int(visible_.size());
    return allBase_ ? int(store_->rowCount()) : int(base_.size());
}

uint32_t Dataset::storeRow(int index) const {
    if (filtering_) return visible_[size_t(index)];
    return allBase_ ? uint32_t(index) : base_[size_t(index)];
}

void Dataset::first() {
    setCurrent(recordCount() > 0 ? 0 : -1);
    bof_ = true;
    eof_ = recordCount() == 0;
    scrolled();
}

void Dataset::last() {
    setCurrent(recordCount() - 1);
    eof_ = true;
    bof_ = recordCount() == 0;
    scrolled();
}

void Dataset::next() {
    if (current_ + 1 < recordCount()) {
        setCurrent(current_ + 1);
        bof_ = false;
        scrolled();
    } else {
        eof_ = true;
    }
}

void Dataset::prior() {
    if (current_ > 0) {
        setCurrent(current_ - 1);
        eof_ = false;
        scrolled();
    } else {
        bof_ = true;
    }
}

void Dataset::moveTo(int index) {
    if (index < 0 || index >= recordCount()) return;
    setCurrent(index);
    bof_ = eof_ = false;
    scrolled();
}

void Dataset::setCurrent(int index) { current_ = index; }

void Dataset::scrolled() {
    notifyCurrent();
    if (afterScroll) afterScroll(*this);
}

int Dataset::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < allFields_.size(); ++i)
        if (equalsIgnoreCase(allFields_[i].name, name)) return int(i);
    return -1;
}

std::optional<Field> Dataset::findField(std::string_view name) const {
    const int i = fieldIndex(name);
    if (i < 0) return std::nullopt;
    return Field(*this, i);
}

Field Dataset::field(std::string_view name) const {
    const int i = fieldIndex(name);
    if (i < 0) throw BindError("Field '" + std::string(name) + "' not found");
    return Field(*this, i);
}

Value Dataset::rowValue(int index, int field) const {
    if (!open_ || index < 0 || index >= recordCount()) return Value::null();
    const uint32_t row = storeRow(index);
    const size_t stored = store_->columnCount();
    if (size_t(field) < stored) return cells().value(row, size_t(field));
    return calc_.value(row, size_t(field) - stored);
}

bool Dataset::rowIsNull(int index, int field) const {
    if (!open_ || index < 0 || index >= recordCount()) return true;
    const uint32_t row = storeRow(index);
    const size_t stored = store_->columnCount();
    if (size_t(field) < stored) return cells().isNull(row, size_t(field));
    return calc_.isNull(row, size_t(field) - stored);
}

Value Dataset::currentValue(int field) const { return rowValue(current_, field); }

namespace {

bool cellEquals(const ColumnStore& store, size_t row, size_t col, const Value& v) {
    if (v.isNull()) return store.isNull(row, col);
    switch (store.fields()[col].type) {
    case FieldType::Text: return store.text(row, col) == trimRight(v.toString());
    case FieldType::Number: {
        if (store.isNull(row, col)) return false;
        if (v.type() == ValueType::Number) return store.number(row, col) == v.asNumber();
        const auto d = Decimal::parse(v.toString());
        return d && store.number(row, col) == *d;
    }
    case FieldType::Date:
        return !store.isNull(row, col) && v.type() == ValueType::Date && store.date(row, col) == v.asDate();
    case FieldType::Logical:
        return !store.isNull(row, col) && v.type() == ValueType::Logical && store.logical(row, col) == v.asLogical();
    }
    return false;
}

}  // namespace

bool Dataset::locate(std::string_view fieldName, const Value& value) {
    if (!open_) return false;
    const int col = fieldIndex(fieldName);
    if (col < 0) throw BindError("Field '" + std::string(fieldName) + "' not found");
    const size_t stored = store_->columnCount();
    const int n = recordCount();
    for (int i = 0; i < n; ++i) {
        const uint32_t row = storeRow(i);
        const bool hit = size_t(col) < stored ? cellEquals(cells(), row, size_t(col), value)
                                              : cellEquals(calc_, row, size_t(col) - stored, value);
        if (hit) {
            moveTo(i);
            return true;
        }
    }
    return false;
}

void Dataset::setFilter(const std::string& text) {
    if (open_ && filtered_) {
        auto compiled = compileFilter(text, store_->fields());
        filter_ = std::move(compiled);
        filterText_ = text;
        applyFilter();
        first();
        notifyReset();
        return;
    }
    filterText_ = text;
    filter_.reset();
}

void Dataset::setFiltered(bool on) {
    if (on == filtered_) return;
    if (on && open_ && !filterText_.empty()) filter_ = compileFilter(filterText_, store_->fields());
    filtered_ = on;
    if (!open_) return;
    applyFilter();
    first();
    notifyReset();
}

void Dataset::applyFilter() {
    visible_.clear();
    filtering_ = false;
    if (!open_ || !filtered_ || filterText_.empty()) return;
    if (!filter_) filter_ = compileFilter(filterText_, store_->fields());
    filtering_ = true;
    const size_t n = allBase_ ? store_->rowCount() : base_.size();
    for (size_t i = 0; i < n; ++i) {
        const uint32_t row = allBase_ ? uint32_t(i) : base_[i];
        if (filter_->matches(cells(), row)) visible_.push_back(row);
    }
}

void Dataset::addCalculatedField(FieldDef def) {
    calcFields_.push_back(std::move(def));
    calc_ = ColumnStore(calcFields_);
}

void Dataset::computeCalculated() {
    calc_ = ColumnStore(calcFields_);
    if (calcFields_.empty()) return;
    const size_t n = store_->rowCount();
    calc_.reserve(n);
    for (size_t r = 0; r < n; ++r) calc_.appendRow();
    if (!onCalcFields) return;
    const size_t count = allBase_ ? n : base_.size();
    for (size_t i = 0; i < count; ++i) {
        CalcRow row(*this, calc_, allBase_ ? i : base_[i], i);
        onCalcFields(row);
    }
}

const ColumnStore& Dataset::cells() const {
    if (!decoded_) {
        store_->loadAll();
        decoded_ = true;
    }
    return *store_;
}

void Dataset::setRows(std::shared_ptr<const ColumnStore> store, std::vector<uint32_t> order, bool allRows) {
    store_ = std::move(store);
    decoded_ = false;
    base_ = std::move(order);
    allBase_ = allRows;
    allFields_ = store_->fields();
    allFields_.insert(allFields_.end(), calcFields_.begin(), calcFields_.end());
    open_ = true;
    filter_.reset();
    try {
        computeCalculated();
        applyFilter();
    } catch (...) {
        close();
        throw;
    }
    current_ = -1;
    notifyReset();
    first();
}

void Dataset::rowsChanged(std::shared_ptr<const ColumnStore> store, std::vector<uint32_t> order, bool allRows,
                          std::optional<uint32_t> currentStoreRow) {
    store_ = std::move(store);
    decoded_ = false;
    base_ = std::move(order);
    allBase_ = allRows;
    computeCalculated();
    applyFilter();
    int index = -1;
    if (currentStoreRow) {
        const int n = recordCount();
        for (int i = 0; i < n; ++i)
            if (storeRow(i) == *currentStoreRow) {
                index = i;
                break;
            }
    }
    notifyReset();
    if (index >= 0)
        moveTo(index);
    else
        first();
}

void Dataset::disableControls() { ++disableCount_; }

void Dataset::enableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ == 0) notifyReset();
}

void Dataset::addObserver(DatasetObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void Dataset::removeObserver(DatasetObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Dataset::notifyReset() {
    if (disableCount_ > 0) return;
    const auto observers = observers_;
    for (auto* o : observers) o->datasetReset(*this);
}

void Dataset::notifyCurrent() {
    if (disableCount_ > 0) return;
    const auto observers = observers_;
    for (auto* o : observers) o->currentChanged(*this);
}

}  // namespace engine
