#include "engine/table_dataset.h"

#include "engine/errors.h"

namespace engine {
namespace {

// The live records of a table; an empty list with `all` set when none is deleted.
std::vector<uint32_t> liveRecords(const Table& table, size_t count, bool& all) {
    std::vector<uint32_t> live;
    all = true;
    for (size_t r = 0; r < count; ++r) {
        if (!table.isDeleted(r)) continue;
        all = false;
        break;
    }
    if (all) return live;
    live.reserve(count);
    for (size_t r = 0; r < count; ++r)
        if (!table.isDeleted(r)) live.push_back(uint32_t(r));
    return live;
}

}  // namespace

TableDataset::TableDataset(Database& db) : db_(db) {}

TableDataset::~TableDataset() = default;

void TableDataset::setTableName(std::string path) {
    if (path == path_) return;
    close();
    path_ = std::move(path);
}

void TableDataset::open() {
    close();
    if (path_.empty()) throw TableError("No table name is set");
    if (exclusive_) lock_ = db_.lockExclusive(path_);
    try {
        load();
    } catch (...) {
        lock_.reset();
        table_.reset();
        throw;
    }
}

void TableDataset::load() {
    table_ = db_.table(path_);
    std::shared_ptr<const ColumnStore> rows = table_->rows();
    bool all = true;
    std::vector<uint32_t> live = liveRecords(*table_, rows->rowCount(), all);
    state_ = State::Browse;
    setRows(std::move(rows), std::move(live), all);
}

void TableDataset::close() {
    state_ = State::Inactive;
    buffer_.clear();
    changed_.clear();
    Dataset::close();
    table_.reset();
    lock_.reset();
}

void TableDataset::requireOpen(const char* action) const {
    if (!isOpen() || !table_) throw Error(std::string("Cannot ") + action + ": the table " + path_ + " is not open");
}

void TableDataset::append() {
    requireOpen("append");
    buffer_.assign(table_->fields().size(), Value::null());
    changed_.assign(buffer_.size(), true);
    state_ = State::Insert;
}

void TableDataset::edit() {
    requireOpen("edit");
    if (recNo() < 0) throw Error("The table " + path_ + " has no current record to edit");
    editRecord_ = storeRow(recNo());
    buffer_.clear();
    for (size_t f = 0; f < table_->fields().size(); ++f) buffer_.push_back(store()->value(editRecord_, f));
    changed_.assign(buffer_.size(), false);
    state_ = State::Edit;
}

void TableDataset::setValue(std::string_view field, const Value& value) {
    if (state_ != State::Insert && state_ != State::Edit)
        throw Error("The table " + path_ + " is not being edited; call append or edit first");
    const int f = table_->findField(field);
    if (f < 0) throw BindError("Unknown field " + std::string(field) + " in " + path_);
    buffer_[size_t(f)] = value;
    changed_[size_t(f)] = true;
}

void TableDataset::post() {
    if (state_ != State::Insert && state_ != State::Edit) return;
    std::vector<Value> values(buffer_.size());
    for (size_t f = 0; f < buffer_.size(); ++f)
        if (changed_[f]) values[f] = table_->coerce(int(f), buffer_[f]);
    auto writer = table_->beginWrite();
    uint32_t record = editRecord_;
    releaseRows();
    try {
        if (state_ == State::Insert) {
            record = writer->append(values);
        } else {
            for (size_t f = 0; f < values.size(); ++f)
                if (changed_[f]) writer->update(editRecord_, int(f), values[f]);
        }
        writer->commit();
    } catch (...) {
        recover(state_ == State::Edit ? std::optional<uint32_t>(editRecord_) : std::nullopt);
        throw;
    }
    state_ = State::Browse;
    buffer_.clear();
    changed_.clear();
    refresh(record);
}

void TableDataset::cancel() {
    if (state_ != State::Insert && state_ != State::Edit) return;
    state_ = State::Browse;
    buffer_.clear();
    changed_.clear();
}

void TableDataset::deleteRecord() {
    requireOpen("delete");
    cancel();
    const int current = recNo();
    if (current < 0) throw Error("The table " + path_ + " has no current record to delete");
    const uint32_t record = storeRow(current);
    std::optional<uint32_t> next;
    if (current + 1 < recordCount())
        next = storeRow(current + 1);
    else if (current > 0)
        next = storeRow(current - 1);
    auto writer = table_->beginWrite();
    releaseRows();
    try {
        writer->remove(record);
        writer->commit();
    } catch (...) {
        recover(record);
        throw;
    }
    refresh(next);
}

void TableDataset::refresh(std::optional<uint32_t> current) {
    std::shared_ptr<const ColumnStore> rows = table_->rows();
    bool all = true;
    std::vector<uint32_t> live = liveRecords(*table_, rows->rowCount(), all);
    rowsChanged(std::move(rows), std::move(live), all, current);
}

void TableDataset::recover(std::optional<uint32_t> current) {
    try {
        refresh(current);
    } catch (...) {
        close();
    }
}

void TableDataset::pack() {
    requireOpen("pack");
    if (!exclusive_ || !lock_) throw TableError("The table " + path_ + " must be opened exclusively to be packed");
    cancel();
    Dataset::close();
    table_.reset();
    try {
        db_.packTable(path_);
        load();
    } catch (...) {
        lock_.reset();
        state_ = State::Inactive;
        throw;
    }
}

}  // namespace engine
