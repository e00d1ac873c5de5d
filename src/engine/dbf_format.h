#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/codepage.h"
#include "engine/column_store.h"

namespace engine {

// The layout of a dBase III/IV table file: a 32-byte header, one 32-byte
// descriptor per field, 0x0D, any bytes the header length adds (a FoxPro
// backlink), then fixed-length records that start with a deletion flag
// (' ' or '*'), and an end-of-file byte 0x1A. Level 7 files (version 4) have a
// 68-byte header and 48-byte descriptors.
constexpr size_t kDbfPrefixSize = 32;
constexpr size_t kDbfDescriptorSize = 32;
constexpr size_t kDbf7PrefixSize = 68;
constexpr size_t kDbf7DescriptorSize = 48;
constexpr char kDbfTerminator = 0x0D;
constexpr char kDbfEndOfFile = 0x1A;
constexpr uint8_t kDbfNewVersion = 0x03;

struct DbfField {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
    size_t offset = 0;   // in the record, after the deletion flag
    int visible = -1;    // index among the fields the table shows; -1 for a type not read (memo, binary)
    char blank = ' ';    // the byte an empty cell is filled with
    std::string descriptor;  // as found, for rewriting it unchanged
};

struct DbfLayout {
    std::string prefix;  // the header bytes before the descriptors, as found
    size_t descriptorSize = kDbfDescriptorSize;
    std::vector<DbfField> fields;
    std::string headerTail;  // bytes after the terminator, up to the header length
    uint32_t headerCount = 0;
    size_t headerLength = 0;
    size_t recordLength = 0;

    uint8_t version() const { return uint8_t(prefix[0]); }
    uint8_t languageDriver() const { return uint8_t(prefix[29]); }
    bool isVisualFoxPro() const { return version() == 0x30 || version() == 0x31 || version() == 0x32; }
    // A new table's layout: version 0x03, code page 1250, no fields yet.
    static DbfLayout fresh();
    std::vector<FieldDef> visibleFields() const;
};

// Reads the layout of a file of `fileSize` bytes: headerLengthFault takes its
// first kDbfPrefixSize bytes and tells how many bytes layoutFault needs. Each
// returns what is wrong with the header, empty when it adds up (see
// readTableHeader in integrity.h, which the readers of table files use).
std::string headerLengthFault(std::string_view prefix, uint64_t fileSize, size_t& headerLength);
std::string layoutFault(std::string_view header, uint64_t fileSize, DbfLayout& layout);

// A new field (name, type and width checked). Throws TableError naming `path`
// for a definition a dBase file cannot hold.
DbfField makeField(const FieldDef& def, const std::string& path);
// Places the fields one after the other, numbers the visible ones, writes
// their descriptors and sets the lengths.
void arrangeLayout(DbfLayout& layout);
// The header bytes (headerLength of them) for `count` records, dated today.
std::string buildHeader(const DbfLayout& layout, uint32_t count);
// The three date bytes of a header (years since 1900, month, day) for today.
std::array<uint8_t, 3> todayStamp();

// Why the stored bytes of a cell are no value of its field. Blanks (spaces or
// NULs, around a value too), a number of '*' only (the overflow mark of dBase
// writers) and a date of '0' only (GDAL's missing date) are NULL, no fault.
enum class CellFault : uint8_t { None, NotANumber, NumberTooLarge, NotADate, NotALogical };

// Cells. decodeCell reads the bytes of one field into row `row` of a column
// (whose cells start NULL) and returns CellFault::None, or the fault of bytes
// it cannot read, leaving the cell NULL; cellFault tells the same without
// decoding. encodeCell writes a value already coerced to the field into `out`
// (width bytes), and blankCell writes the empty or NULL form of the field.
CellFault decodeCell(const DbfField& field, std::string_view bytes, CodePage page, ColumnStore::Column& column,
                     size_t row, std::string& scratch);
CellFault cellFault(const DbfField& field, std::string_view bytes);
// The first of the `count` records at `records` (`length` bytes each, the
// deletion flag first), from record `from` on, that is not marked deleted and
// whose cell of `field` cellFault finds at fault; `count` when none is.
size_t firstCellFault(const DbfField& field, const char* records, size_t count, size_t length, size_t from);
void encodeCell(const DbfField& field, const Value& value, CodePage page, char* out);
void blankCell(const DbfField& field, char* out);

// The value as a field of the table will hold it; see Table::coerce.
Value coerceToField(const DbfField& field, const Value& value, CodePage page);

}  // namespace engine
