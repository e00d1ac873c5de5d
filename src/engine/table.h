#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/column_store.h"

namespace engine {

// One dBase table file, decoded into memory column by column as statements
// use the columns, and kept there between statements. The in-memory rows
// always equal the file: every write goes to the file first (through the
// Writer) and then to the decoded rows; a file changed by another program is
// noticed by Database::table() and read again, its decoded columns dropped.
class Table {
public:
    virtual ~Table() = default;

    // The file on disk (real name, platform separators).
    virtual const std::string& path() const = 0;
    virtual const std::vector<FieldDef>& fields() const = 0;
    // Case-insensitive; -1 when absent.
    virtual int findField(std::string_view name) const = 0;

    // Physical records, those marked deleted included (until a pack).
    virtual size_t recordCount() const = 0;
    virtual bool isDeleted(size_t record) const = 0;
    // The records; record r is row r. A column is decoded from the file when
    // first read. The store handed out never changes: a write while it is
    // still held decodes what it has not yet decoded and copies the columns
    // written first, so drop it when the statement is done.
    virtual std::shared_ptr<const ColumnStore> rows() const = 0;
    // Decodes the given columns and the deletion flags now, in one pass over
    // the file: what a statement is about to read.
    virtual void load(const std::vector<size_t>& columns) = 0;

    // The live records whose field equals key under the rules of `=` (texts
    // exact without trailing blanks, numbers and dates by value, NULL matches
    // nothing), in record order. A hash index is built on the second lookup of
    // a field (the first scans it) and kept current by the Writer, so a loop of point statements does
    // not scan the table each time. A text key matches texts exactly (the
    // empty text matches empty cells); a text key of a number or date field is
    // read as one. The list is valid until the next lookup on this table.
    virtual const std::vector<uint32_t>& lookup(int field, const Value& key) = 0;

    // The value as the field will store it: a text for a number or date field
    // is read as one ("12.5", "01.01.1900"), a number is rounded half away from
    // zero to the field's decimals, Romanian comma-below letters become the
    // cedilla letters. Throws ValueError naming the field when the value
    // cannot be stored: a text longer than the field or with a character the
    // table's code page lacks, a number whose whole part does not fit, an
    // impossible date.
    virtual Value coerce(int field, const Value& value) const = 0;

    // All the writes of one statement go through one Writer. It holds the
    // operating system's write lock on the file from creation to destruction.
    // Values must come from coerce(). Each call writes the file before the
    // in-memory rows, an appended record before the record count of the header.
    class Writer {
    public:
        virtual ~Writer() = default;
        virtual uint32_t append(const std::vector<Value>& record) = 0;  // one value per field
        virtual void update(uint32_t record, int field, const Value& value) = 0;
        virtual void remove(uint32_t record) = 0;  // marks the record deleted
        // Ends the statement's writes (file header updated, lock released).
        virtual void commit() = 0;
    };
    virtual std::unique_ptr<Writer> beginWrite() = 0;
};

}  // namespace engine
