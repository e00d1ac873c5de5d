#include "engine/integrity.h"

#include <algorithm>
#include <cstdio>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_names.h"
#include "engine/os.h"

namespace engine {
namespace {

// Records are examined from reads of about this many bytes.
constexpr size_t kReadChunk = 1 << 20;

std::string recordsText(uint64_t n) {
    return n == 1 ? std::string("1 inregistrare") : std::to_string(n) + " inregistrari";
}

std::string wholeRecordsText(uint64_t n) {
    return n == 1 ? std::string("1 inregistrare intreaga") : std::to_string(n) + " inregistrari intregi";
}

std::string hexByte(char c) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned(uint8_t(c)));
    return text;
}

// The cell as a message shows it: without the blanks around it, in UTF-8,
// control characters as their codes.
std::string shownCell(std::string_view bytes, CodePage page) {
    const auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (!bytes.empty() && blank(bytes.front())) bytes.remove_prefix(1);
    while (!bytes.empty() && blank(bytes.back())) bytes.remove_suffix(1);
    std::string shown;
    for (char c : decodeToUtf8(bytes, page)) {
        if (uint8_t(c) < 0x20 || c == 0x7F)
            shown += "\\" + hexByte(c).substr(1);
        else
            shown += c;
    }
    return shown;
}

const char* faultText(CellFault fault) {
    switch (fault) {
    case CellFault::NotANumber: return "nu este un numar";
    case CellFault::NumberTooLarge: return "este un numar prea mare pentru program";
    case CellFault::NotADate: return "nu este o data";
    case CellFault::NotALogical: return "nu este o valoare logica";
    case CellFault::None: break;
    }
    return "";
}

std::string tableName(const std::string& path) { return fileio::fileNameOf(path); }

}  // namespace

std::vector<std::string> TableCondition::problems() const {
    const std::string damaged = "Tabelul " + tableName(path) + " este deteriorat: ";
    if (!headerRead()) return {damaged + "antetul nu poate fi citit (" + headerFault + ")."};
    std::vector<std::string> out;
    if (!sizeAgrees()) {
        std::string sentence = damaged + "antetul numara " + recordsText(headerCount) + ", fisierul are " +
                               wholeRecordsText(wholeRecords);
        if (partialBytes > 0)
            sentence += " si o inregistrare taiata (" + std::to_string(partialBytes) + " din " +
                        std::to_string(recordLength) + " octeti)";
        out.push_back(sentence + ".");
    }
    for (const RecordFault& f : faults) out.push_back(f.message);
    if (faultCount > faults.size())
        out.push_back("Tabelul " + tableName(path) + ": inca " + std::to_string(faultCount - faults.size()) +
                      " valori care nu pot fi citite.");
    return out;
}

std::string TableCondition::describe() const {
    std::string text;
    for (const std::string& p : problems()) text += (text.empty() ? "" : "\n") + p;
    return text;
}

bool readTableHeader(const std::string& path, uint64_t fileSize, const ReadAt& read, DbfLayout& layout,
                     TableCondition& condition) {
    TableCondition& c = condition;
    c.path = path;
    c.fileSize = fileSize;
    std::string header(kDbfPrefixSize, '\0');
    header.resize(read(0, &header[0], header.size()));
    size_t headerLength = 0;
    c.headerFault = headerLengthFault(header, fileSize, headerLength);
    if (!c.headerFault.empty()) return false;
    header.resize(headerLength);
    header.resize(read(0, &header[0], headerLength));
    c.headerFault = layoutFault(header, fileSize, layout);
    if (!c.headerFault.empty()) return false;
    c.headerCount = layout.headerCount;
    c.headerLength = layout.headerLength;
    c.recordLength = layout.recordLength;
    uint64_t body = fileSize - layout.headerLength;
    // Bytes beyond whole records may end with the end-of-file byte.
    if (body % layout.recordLength != 0) {
        char last = 0;
        if (read(fileSize - 1, &last, 1) == 1 && last == kDbfEndOfFile) {
            c.endOfFileByte = true;
            --body;
        }
    }
    c.wholeRecords = body / layout.recordLength;
    c.partialBytes = size_t(body % layout.recordLength);
    return true;
}

TableCondition examineTableFile(const std::string& path, uint64_t fileSize, const ReadAt& read,
                                std::optional<CodePage> cpgPage, bool records, std::vector<uint8_t>* deletions) {
    TableCondition c;
    DbfLayout layout;
    if (!readTableHeader(path, fileSize, read, layout, c) || !records) return c;
    c.recordsExamined = true;
    const CodePage page = cpgPage.value_or(codePageFromLdid(layout.languageDriver()).value_or(CodePage::Cp1250));
    // Text cells read whatever they hold.
    std::vector<const DbfField*> checked;
    for (const DbfField& f : layout.fields)
        if (f.visible >= 0 && f.type != 'C') checked.push_back(&f);

    if (deletions) deletions->assign(size_t(c.wholeRecords), 0);
    const size_t length = layout.recordLength;
    const size_t perChunk = std::max<size_t>(1, kReadChunk / length);
    std::string buffer(size_t(std::min<uint64_t>(perChunk, std::max<uint64_t>(c.wholeRecords, 1))) * length, '\0');
    for (uint64_t start = 0; start < c.wholeRecords;) {
        const size_t want = size_t(std::min<uint64_t>(perChunk, c.wholeRecords - start));
        const size_t got = read(layout.headerLength + start * length, &buffer[0], want * length) / length;
        if (got == 0) break;  // shorter now than when measured
        // The faults of the chunk, field by field, then noted in the order of
        // the records: (record in the chunk, 0 for its flag or 1 + checked field).
        std::vector<std::pair<size_t, size_t>> faulty;
        for (size_t i = 0; i < got; ++i) {
            const char flag = buffer[i * length];
            if (flag == '*') {
                ++c.deletedRecords;
                if (deletions) (*deletions)[size_t(start + i)] = 1;
            } else if (flag != ' ') {
                faulty.emplace_back(i, 0);
            }
        }
        for (size_t k = 0; k < checked.size(); ++k)
            for (size_t i = firstCellFault(*checked[k], buffer.data(), got, length, 0); i < got;
                 i = firstCellFault(*checked[k], buffer.data(), got, length, i + 1))
                faulty.emplace_back(i, k + 1);
        std::sort(faulty.begin(), faulty.end());
        for (const auto& [i, k] : faulty) {
            if (c.faultCount++ >= TableCondition::kListedFaults) continue;
            const char* record = buffer.data() + i * length;
            const uint64_t r = start + i;
            if (k == 0) {
                c.faults.push_back(RecordFault{r, std::string(), flagFaultMessage(path, r, record[0])});
                continue;
            }
            const DbfField& f = *checked[k - 1];
            const std::string_view cell(record + 1 + f.offset, size_t(f.width));
            c.faults.push_back(RecordFault{r, f.name, cellFaultMessage(path, r, f, cell, page, cellFault(f, cell))});
        }
        start += got;
    }
    return c;
}

std::string cellFaultMessage(const std::string& path, uint64_t record, const DbfField& field, std::string_view bytes,
                             CodePage page, CellFault fault) {
    return "Tabelul " + tableName(path) + ", inregistrarea " + std::to_string(record + 1) + ", campul " + field.name +
           ": \"" + shownCell(bytes, page) + "\" " + faultText(fault) + ".";
}

std::string flagFaultMessage(const std::string& path, uint64_t record, char flag) {
    return "Tabelul " + tableName(path) + ", inregistrarea " + std::to_string(record + 1) + ": marcajul de stergere " +
           hexByte(flag) + " nu este nici spatiu, nici \"*\".";
}

std::vector<std::string> checkTableFile(const std::string& path) {
    const os::File file = os::File::open(path, os::File::Open::Read);
    os::FileInfo info;
    if (!file || !file.info(info)) return {"cannot open " + path + ": " + os::describe(os::lastError())};
    const ReadAt read = [&](uint64_t offset, char* out, size_t size) {
        return fileio::readAt(file, offset, out, size, "the table file " + path);
    };
    try {
        return examineTableFile(path, info.size, read, cpgPageBeside(path), true).problems();
    } catch (const Error& e) {
        return {e.what()};
    }
}

}  // namespace engine
