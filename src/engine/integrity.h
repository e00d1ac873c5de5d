#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/codepage.h"
#include "engine/dbf_format.h"

namespace engine {

// What is wrong with a table file, in one place: the reading of tables, the
// checks and the repair of a table all judge a file by these rules, so that
// what one calls damage the others call damage too.
//
// A file is sound when its header reads, the header's record count times the
// record length plus the header length is the file's size (one end-of-file
// byte 0x1A may follow), every deletion flag is ' ' or '*', and every cell of
// a record not deleted reads as its field's type (see CellFault).

// One record a statement cannot read whole: a deletion flag that is neither
// ' ' nor '*', or a cell that is no value of its field.
struct RecordFault {
    uint64_t record = 0;  // from 0
    std::string field;    // empty for the deletion flag
    std::string message;  // the sentence for the user
};

struct TableCondition {
    static constexpr size_t kListedFaults = 10;

    std::string path;
    std::string headerFault;  // why the header does not read; then nothing below is known
    uint64_t fileSize = 0;
    uint32_t headerCount = 0;   // the records the header counts
    size_t headerLength = 0;
    size_t recordLength = 0;
    uint64_t wholeRecords = 0;  // the whole records after the header
    size_t partialBytes = 0;    // the bytes of a record cut short after them
    bool endOfFileByte = false;
    bool recordsExamined = false;
    uint64_t deletedRecords = 0;      // whole records marked deleted
    uint64_t faultCount = 0;          // faults of the records, every one counted
    std::vector<RecordFault> faults;  // the first kListedFaults of them

    bool headerRead() const { return headerFault.empty(); }
    bool sizeAgrees() const { return headerRead() && headerCount == wholeRecords && partialBytes == 0; }
    bool sound() const { return sizeAgrees() && faultCount == 0; }
    // A repair keeps every whole record and loses the one cut short.
    uint64_t lostRecords() const { return partialBytes > 0 ? 1 : 0; }
    // What is wrong, in Romanian, one sentence each; empty for a sound file.
    std::vector<std::string> problems() const;
    // The problems on one line each.
    std::string describe() const;
};

// Reads `size` bytes at `offset` into `out`; returns how many it read.
using ReadAt = std::function<size_t(uint64_t offset, char* out, size_t size)>;

// Reads the header of the table file at `path` (`fileSize` bytes) into
// `layout` and its facts into `condition`, the last byte too when it may be
// the end-of-file byte. False, with condition.headerFault set, for a header
// that does not read.
bool readTableHeader(const std::string& path, uint64_t fileSize, const ReadAt& read, DbfLayout& layout,
                     TableCondition& condition);

// The condition of a table file: its header and size, and with `records`
// every record too, `deletions` then getting the deletion mark of each whole
// record (1 for deleted). `cpgPage` is the code page a .cpg file beside the
// table names, for showing cells in messages. Nothing is changed.
TableCondition examineTableFile(const std::string& path, uint64_t fileSize, const ReadAt& read,
                                std::optional<CodePage> cpgPage, bool records,
                                std::vector<uint8_t>* deletions = nullptr);

// The messages of faults in a record of the table at `path` (record from 0),
// as the reading of the table reports them.
std::string cellFaultMessage(const std::string& path, uint64_t record, const DbfField& field, std::string_view bytes,
                             CodePage page, CellFault fault);
std::string flagFaultMessage(const std::string& path, uint64_t record, char flag);

// What is wrong with the table file at `path`, every record examined; empty
// for a sound file.
std::vector<std::string> checkTableFile(const std::string& path);

}  // namespace engine
