#include "engine/integrity.h"

#include <cstring>

#include "engine/date.h"
#include "engine/dbf_format.h"
#include "engine/decimal.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/os.h"
#include "engine/text.h"

namespace engine {
namespace {

bool readable(const DbfField& f, std::string_view cell) {
    std::string_view t = trimRight(cell);
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    switch (f.type) {
    case 'N':
    case 'F': return t.empty() || Decimal::parse(t).has_value();
    case 'D': return t.empty() || Date::parseStored(cell).has_value();
    case 'L': return cell.size() == 1 && std::strchr("TtFfYyNn? ", cell[0]) != nullptr;
    default: return true;
    }
}

}  // namespace

std::vector<std::string> checkTableFile(const std::string& path) {
    std::vector<std::string> problems;
    const os::File file = os::File::open(path, os::File::Open::Read);
    if (!file) return {"cannot open " + path + ": " + os::describe(os::lastError())};
    std::string bytes;
    try {
        bytes = fileio::readWhole(file, path);
    } catch (const Error& e) {
        return {e.what()};
    }
    DbfLayout layout;
    try {
        const size_t headerLength = headerLengthOf(bytes.substr(0, kDbfPrefixSize), bytes.size(), path);
        layout = parseLayout(std::string_view(bytes).substr(0, headerLength), bytes.size(), path);
    } catch (const Error& e) {
        return {e.what()};
    }
    size_t widths = 1;
    for (const DbfField& f : layout.fields) widths += size_t(f.width);
    if (widths != layout.recordLength)
        problems.push_back("the record length " + std::to_string(layout.recordLength) + " is not the fields' " +
                           std::to_string(widths));
    const uint64_t body = uint64_t(layout.headerLength) + uint64_t(layout.headerCount) * layout.recordLength;
    const bool endByte = bytes.size() == body + 1 && bytes.back() == kDbfEndOfFile;
    if (bytes.size() != body && !endByte)
        problems.push_back("the header counts " + std::to_string(layout.headerCount) + " records of " +
                           std::to_string(layout.recordLength) + " bytes, the file holds " +
                           std::to_string(bytes.size()) + " bytes");
    const size_t whole = bytes.size() < layout.headerLength
                             ? 0
                             : std::min<size_t>(layout.headerCount, (bytes.size() - layout.headerLength) / layout.recordLength);
    for (size_t r = 0; r < whole; ++r) {
        const std::string_view record = std::string_view(bytes).substr(layout.headerLength + r * layout.recordLength, layout.recordLength);
        if (record[0] != ' ' && record[0] != '*')
            problems.push_back("record " + std::to_string(r) + " has the deletion flag " + std::to_string(uint8_t(record[0])));
        for (const DbfField& f : layout.fields)
            if (1 + f.offset + size_t(f.width) <= record.size() && !readable(f, record.substr(1 + f.offset, size_t(f.width))))
                problems.push_back("record " + std::to_string(r) + " field " + f.name + " holds \"" +
                                   std::string(record.substr(1 + f.offset, size_t(f.width))) + "\"");
        if (problems.size() > 20) break;
    }
    return problems;
}

}  // namespace engine
