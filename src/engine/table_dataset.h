#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/database.h"
#include "engine/dataset.h"

namespace engine {

// A dBase table opened by path: its live records in record order, with the
// filters of any dataset and editing of the current record. Every post or
// delete is written to the file at once, through the table's Writer.
class TableDataset : public Dataset {
public:
    enum class State { Inactive, Browse, Insert, Edit };

    explicit TableDataset(Database& db = Database::global());
    ~TableDataset() override;

    // Both take effect at the next open; changing the table closes this one.
    void setTableName(std::string path);
    const std::string& tableName() const { return path_; }
    // While open, an exclusive table holds Database::lockExclusive.
    void setExclusive(bool on) { exclusive_ = on; }
    bool exclusive() const { return exclusive_; }

    // Throws TableError when the file is missing, damaged or (exclusive) in
    // use by another program. An open table is opened again.
    void open();
    void close() override;
    State state() const { return state_; }

    // A new record buffer with every field NULL; nothing is written until post.
    void append();
    // Edits the current record; throws Error when there is none.
    void edit();
    // Into the buffer of append or edit; throws Error in any other state and
    // BindError for an unknown field.
    void setValue(std::string_view field, const Value& value);
    // Checks every value against its field (ValueError, nothing written and
    // the buffer kept), then writes: the record becomes current when the
    // filter lets it through.
    void post();
    void cancel();
    // Marks the current record deleted; the next record becomes current (the
    // previous one when it was the last).
    void deleteRecord();
    // Removes the deleted records for good and opens the table again; only
    // for a table opened exclusively (TableError otherwise).
    void pack();

private:
    void requireOpen(const char* action) const;
    void load();
    void refresh(std::optional<uint32_t> current);
    // After a failed write: the rows as the table now has them, or closed.
    void recover(std::optional<uint32_t> current);

    Database& db_;
    std::string path_;
    bool exclusive_ = false;
    std::unique_ptr<Database::ExclusiveLock> lock_;
    std::shared_ptr<Table> table_;
    State state_ = State::Inactive;
    std::vector<Value> buffer_;
    std::vector<bool> changed_;
    uint32_t editRecord_ = 0;
};

}  // namespace engine
