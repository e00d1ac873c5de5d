#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/column_store.h"
#include "engine/filter.h"

namespace engine {

class Dataset;

// Told when a dataset's rows or current row change, unless the dataset's
// controls are disabled; grids and labels bound to a dataset implement this.
class DatasetObserver {
public:
    virtual ~DatasetObserver() = default;
    // Opened, closed, refiltered or rewritten: everything may have changed.
    virtual void datasetReset(Dataset& dataset) = 0;
    // The current row moved.
    virtual void currentChanged(Dataset& dataset) { (void)dataset; }
    // The dataset is going away; it must not be used after this returns.
    virtual void datasetDestroyed(Dataset& dataset) { (void)dataset; }
};

// One field of the current row of a dataset, read in the forms' terms.
class Field {
public:
    Field(const Dataset& dataset, int index) : dataset_(&dataset), index_(index) {}
    const std::string& name() const;
    const FieldDef& def() const;
    int index() const { return index_; }
    bool isNull() const;
    Value value() const;
    // Numbers in their shortest form (12.5), dates dd.MM.yyyy, NULL as "".
    std::string asString() const;
    Decimal asDecimal() const;       // NULL and blank read as 0
    double asFloat() const;          // NULL reads as 0
    int64_t asInteger() const;       // the whole part; NULL reads as 0
    std::optional<Date> asDate() const;

private:
    const Dataset* dataset_;
    int index_;
};

// Values a calculated-fields handler sets for one row.
class CalcRow {
public:
    CalcRow(const Dataset& dataset, ColumnStore& calc, size_t storeRow, size_t sequence)
        : dataset_(dataset), calc_(calc), row_(storeRow), sequence_(sequence) {}
    // Reads a stored (not calculated) field of this row.
    Value get(std::string_view field) const;
    // Position of the row in the dataset, from 0, before any filter.
    size_t sequence() const { return sequence_; }
    void set(std::string_view calculatedField, const Value& v);

private:
    const Dataset& dataset_;
    ColumnStore& calc_;
    size_t row_;
    size_t sequence_;
};

// Rows with a cursor, a client-side filter, calculated fields and
// notifications: what the forms bind their grids and labels to. Queries and
// tables fill it when they open; the rows are then fixed until the next open.
//
// Row positions (recNo, moveTo, rowValue) count the visible rows, after the
// filter, from 0.
class Dataset {
public:
    Dataset();
    virtual ~Dataset();
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    bool isOpen() const { return open_; }
    virtual void close();

    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const { return current_; }  // -1 when empty or closed
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int index);

    // Stored fields, then calculated fields.
    const std::vector<FieldDef>& fields() const { return allFields_; }
    int fieldIndex(std::string_view name) const;  // -1 when absent
    std::optional<Field> findField(std::string_view name) const;
    Field field(std::string_view name) const;  // throws BindError when absent
    Field field(int index) const { return Field(*this, index); }

    // Cell of a visible row, for grids.
    Value rowValue(int index, int field) const;
    bool rowIsNull(int index, int field) const;
    Value currentValue(int field) const;

    // Moves to the first visible row whose field equals value exactly (texts
    // compared without trailing blanks, numbers as numbers); false, and no
    // move, when there is none.
    bool locate(std::string_view field, const Value& value);

    // The filter applies while filtered() is on; setting a new text while it
    // is on refilters at once. An invalid text throws and leaves the previous
    // filter in force.
    void setFilter(const std::string& text);
    const std::string& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // Calculated fields are declared before opening and filled by the handler
    // once per row when the dataset opens.
    void addCalculatedField(FieldDef def);
    std::function<void(CalcRow&)> onCalcFields;
    // Runs after every move of the current row, opening included.
    std::function<void(Dataset&)> afterScroll;

    // While disabled (nestable), observers are not told anything; enabling
    // the last level tells them to reset.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disableCount_ > 0; }
    void addObserver(DatasetObserver* observer);
    void removeObserver(DatasetObserver* observer);

protected:
    // Subclasses hand over the rows when they open. `order` lists the store
    // rows that make up the dataset (all of them when empty and allRows).
    void setRows(std::shared_ptr<const ColumnStore> store, std::vector<uint32_t> order, bool allRows);
    // The dataset's own rows changed (a table's record appended, changed or
    // deleted), possibly into a new store with the same fields: refilter and
    // make `currentStoreRow` current where it is visible, else the first row.
    void rowsChanged(std::shared_ptr<const ColumnStore> store, std::vector<uint32_t> order, bool allRows,
                     std::optional<uint32_t> currentStoreRow);
    // Lets go of the rows while their owner changes them in place (a table
    // copies rows that someone still holds). Nothing may read the dataset
    // until rowsChanged hands rows back.
    void releaseRows() { store_.reset(); }
    // Store row of a visible row.
    uint32_t storeRow(int index) const;
    // The rows, every column decoded: what reads cells goes through here.
    const ColumnStore* store() const { return &cells(); }
    void notifyReset();

private:
    friend class Field;
    friend class CalcRow;
    void applyFilter();
    void computeCalculated();
    void setCurrent(int index);
    void scrolled();
    void notifyCurrent();
    // A dataset shows, filters and searches all its columns: they are decoded
    // together, on the first read of a cell, in one pass per table.
    const ColumnStore& cells() const;

    bool open_ = false;
    std::shared_ptr<const ColumnStore> store_;
    mutable bool decoded_ = false;  // store_ has every column decoded
    std::vector<uint32_t> base_;  // dataset rows (store rows), unless allBase_
    bool allBase_ = true;
    std::vector<uint32_t> visible_;  // rows passing the filter, unless !filtering
    bool filtering_ = false;
    std::vector<FieldDef> calcFields_;
    std::vector<FieldDef> allFields_;
    ColumnStore calc_;  // one row per store row
    std::string filterText_;
    bool filtered_ = false;
    std::unique_ptr<RowFilter> filter_;
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    int disableCount_ = 0;
    std::vector<DatasetObserver*> observers_;
};

}  // namespace engine

namespace engine {

// A dataset over rows built in memory: for lists the program computes itself
// and for tests of what binds to datasets.
class MemoryDataset : public Dataset {
public:
    void open(std::shared_ptr<const ColumnStore> rows) { setRows(std::move(rows), {}, true); }
};

}  // namespace engine
