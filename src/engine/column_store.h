#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/bulk_allocator.h"
#include "engine/value.h"

namespace engine {

class ColumnDecoder;

// Rows of typed cells, held column by column. Tables keep their records in
// one and query results are built into one, so a large register costs a few
// bytes per cell instead of a Value each.
//
// Text cells are never NULL: a blank text is the empty text (which IS NULL
// accepts, see the expression rules). Number, date and logical cells are NULL
// when blank.
//
// Columns are shared, not copied: a copy of a store, or a result that refers
// to a table's rows, holds the same cells until one of them writes, which
// copies that one column first. A column may also be decoded only on first
// use, by the Decoder of the table it comes from.
class ColumnStore {
public:
    // The cells of one column.
    class Column {
    public:
        explicit Column(FieldType type) : type_(type) {}
        FieldType type() const { return type_; }
        size_t size() const { return cells_.size(); }
        // Of a column still to be decoded: the decoder's own field number,
        // and how many rows to decode.
        size_t sourceField() const { return sourceField_; }
        size_t pendingRows() const { return pendingRows_; }

        // For decoders: `rows` NULL cells, then set them.
        void resize(size_t rows);
        void reserveText(size_t bytes) { arena_.reserve(bytes); }
        // The text must be without trailing blanks.
        void setTrimmedText(size_t row, std::string_view s);
        // As setTrimmedText; a text met a short while before in the column
        // shares its bytes (types, categories, villages repeat all along).
        void setRepeatedText(size_t row, std::string_view s);
        void setNumber(size_t row, Decimal d) { cells_[row] = d.units(); }
        void setDate(size_t row, Date d) { cells_[row] = d.dayNumber(); }
        void setLogical(size_t row, bool b) { cells_[row] = b ? 1 : 0; }

    private:
        friend class ColumnStore;
        FieldType type_;
        // numbers: units; dates: day number; logicals: 0/1; texts: packed offset/length
        std::vector<int64_t, BulkAllocator<int64_t>> cells_;
        // Text bytes of a text column; it grows as it fills, so ordinary
        // pages keep what it has not filled yet out of memory.
        std::string arena_;
        std::unique_ptr<int64_t[]> recent_;  // while decoding: text cells by a hash of their text
        std::shared_ptr<ColumnDecoder> decoder_;  // until decoded
        size_t sourceField_ = 0;
        size_t pendingRows_ = 0;
    };

    ColumnStore() = default;
    explicit ColumnStore(std::vector<FieldDef> fields);
    // `rows` rows whose column i is decoded on first use by `decoder`, from
    // its field i.
    ColumnStore(std::vector<FieldDef> fields, size_t rows, std::shared_ptr<ColumnDecoder> decoder);

    const std::vector<FieldDef>& fields() const { return fields_; }
    size_t columnCount() const { return fields_.size(); }
    size_t rowCount() const { return rows_; }
    // Case-insensitive; -1 when absent.
    int findField(std::string_view name) const;

    // Decoding ahead of use: the columns given (or all), each table's ones in
    // one pass over its file. A cell read decodes its column alone.
    void load(const std::vector<size_t>& columns) const;
    void loadAll() const;
    bool isLoaded(size_t col) const;

    // Asks the processor for the cells of `row` ahead of their reading; with
    // `texts`, for the text bytes of cells asked for before. A reader of many
    // rows in an order of their own (a sorted result) asks a few rows ahead,
    // then for the texts of nearer ones.
    void prefetch(size_t row, bool texts) const;

    void reserve(size_t rows);
    // Appends a row of NULL cells and returns its index. A column still to be
    // decoded just grows: its decoder reads the new row from the file.
    size_t appendRow();
    // Appends `count` rows of NULL cells at once.
    void appendRows(size_t count);

    bool isNull(size_t row, size_t col) const {
        const CellRef ref = at(row, col);
        if (fields_[col].type == FieldType::Text) return (uint64_t(ref.cell) & kMaxTextLength) == 0;
        return ref.cell == kNullCell;
    }
    std::string_view text(size_t row, size_t col) const {
        const CellRef ref = at(row, col);
        const uint64_t length = uint64_t(ref.cell) & kMaxTextLength;
        if (!ref.column || length == 0) return {};
        return std::string_view(ref.column->arena_.data() + (uint64_t(ref.cell) >> 24), length);
    }
    Decimal number(size_t row, size_t col) const {  // 0 when NULL
        const int64_t cell = at(row, col).cell;
        return cell == kNullCell ? Decimal() : Decimal::fromUnits(cell);
    }
    Date date(size_t row, size_t col) const;       // day 0 when NULL
    bool logical(size_t row, size_t col) const;    // false when NULL
    Value value(size_t row, size_t col) const;

    // The value must be NULL or of the column's type (a number column takes a
    // Number); anything else throws ValueError. Texts are stored without their
    // trailing blanks.
    void set(size_t row, size_t col, const Value& v);
    void setText(size_t row, size_t col, std::string_view s);
    void setNumber(size_t row, size_t col, Decimal d);
    void setDate(size_t row, size_t col, Date d);
    void setNull(size_t row, size_t col);

    // Makes column `col` show column `fromCol` of `from` at the given rows
    // (one per row of this store; kNoRow for a NULL cell), sharing its cells.
    void refer(size_t col, const ColumnStore& from, size_t fromCol, const std::shared_ptr<const std::vector<uint32_t>>& rows);
    // A new store holding the given rows, in the given order; it shares the
    // cells of this one.
    ColumnStore selectRows(const std::vector<uint32_t>& rows) const;

    // Whether another store holds the cells of the column too.
    bool isShared(size_t col) const;

private:
    // A column as this store shows it: shared cells (none while every cell
    // is NULL), and the rows of them that make this store's rows when they
    // are not the same.
    struct Slot {
        std::shared_ptr<Column> cells;
        std::shared_ptr<const std::vector<uint32_t>> rows;
    };
    struct CellRef {
        const Column* column;  // null for a column without cells
        int64_t cell;
    };
    static constexpr int64_t kNullCell = INT64_MIN;
    // A text cell packs its arena offset (40 bits) and byte length (24 bits).
    static constexpr uint64_t kMaxTextLength = 0xFFFFFF;
    static constexpr uint32_t kNoCell = UINT32_MAX;
    static int64_t nullCell(FieldType type) { return type == FieldType::Text ? 0 : kNullCell; }

    // The cell of a store row, its column decoded first. Inline: statements
    // read cells by the million.
    CellRef at(size_t row, size_t col) const {
        const Slot& s = columns_[col];
        const Column* c = s.cells.get();
        if (!c) return {nullptr, nullCell(fields_[col].type)};
        if (c->decoder_) load({col});
        size_t r = row;
        if (s.rows) {
            r = (*s.rows)[row];
            if (r == kNoCell) return {c, nullCell(c->type_)};
        }
        return {c, c->cells_[r]};
    }
    // The column for writing: cells of its own, decoded, in row order.
    Column& own(size_t col);
    // Grows a column by `count` NULL rows.
    void grow(size_t col, size_t count);

    std::vector<FieldDef> fields_;
    std::vector<Slot> columns_;
    size_t rows_ = 0;
};

// Reads the cells of columns that a store decodes on first use.
class ColumnDecoder {
public:
    virtual ~ColumnDecoder() = default;
    // Fills each column (all of this decoder, still to be decoded): its
    // pendingRows() rows from its sourceField(). Throws TableError when the
    // cells cannot be read as they were, for example when another program
    // changed the file since.
    virtual void decode(const std::vector<ColumnStore::Column*>& columns) = 0;
};

}  // namespace engine
