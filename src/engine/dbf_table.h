#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/codepage.h"
#include "engine/dbf_format.h"
#include "engine/field_index.h"
#include "engine/table.h"
#include "engine/table_file.h"
#include "engine/write_unit.h"

namespace engine {

// A dBase table whose columns are decoded from the file on first use. Each
// object is one reading of the file: when the file changes under it, the
// catalog reads a new one, and this one refuses to write (and to decode what
// it has not decoded yet).
class DbfTable final : public Table, public UnitReading, public std::enable_shared_from_this<DbfTable> {
public:
    // Reads the header; the caller holds the file for reading. `path` is the
    // name the table is known by; `cpgPage` the code page a .cpg file beside
    // it names, which wins over the header's language driver byte. Statements
    // join the unit `units` holds open, or make a unit of their own.
    static std::shared_ptr<DbfTable> open(std::shared_ptr<TableFile> file, const std::string& path,
                                          std::optional<CodePage> cpgPage, std::shared_ptr<UnitHost> units);

    const std::string& path() const override { return path_; }
    const std::vector<FieldDef>& fields() const override { return fields_; }
    int findField(std::string_view name) const override;
    size_t recordCount() const override { return count_; }
    bool isDeleted(size_t record) const override { return flags()[record] != 0; }
    std::shared_ptr<const ColumnStore> rows() const override { return rows_; }
    void load(const std::vector<size_t>& columns) override;
    const std::vector<uint32_t>& lookup(int field, const Value& key) override;
    Value coerce(int field, const Value& value) const override;
    std::unique_ptr<Writer> beginWrite() override;

    // The file as it was when read or last written by this object.
    const FileIdentity& identity() const { return identity_; }
    // A unit is writing through this reading: it equals the file as the unit
    // has it, and takes the file's identity when the unit commits.
    bool isWriting() const { return writing_; }
    void unitEnded(bool committed) override;
    CodePage codePage() const { return codePage_; }
    bool hasDeletedRecords() const;
    // The deletion marks (1 for deleted) of the same file as an examination
    // read them, so that this reading need not read them again.
    void knowDeletions(const std::vector<uint8_t>& marks);

private:
    class TableWriter;
    class Decoder;
    DbfTable(std::shared_ptr<TableFile> file, std::string path, std::shared_ptr<UnitHost> units);
    void read(std::optional<CodePage> cpgPage);
    const std::vector<uint8_t>& flags() const;
    const DbfField& physical(int field) const;
    // Before the first write of a statement: the flags, and every column that
    // someone else still reads decoded while the file holds its cells.
    void prepareWrite();
    std::shared_ptr<ColumnStore> ownRows();
    // The index key of a stored cell; false for a NULL cell.
    bool keyOfCell(int field, uint32_t record, uint64_t& key) const;
    void indexRecord(uint32_t record);
    void unindexRecord(uint32_t record);
    FieldIndex& indexOf(int field);

    std::shared_ptr<TableFile> file_;
    std::shared_ptr<UnitHost> units_;
    std::string path_;
    CodePage codePage_ = CodePage::Cp1250;
    DbfLayout layout_;
    std::vector<int> physicalOf_;  // visible field -> layout field
    std::vector<FieldDef> fields_;
    std::shared_ptr<Decoder> decoder_;
    std::shared_ptr<ColumnStore> rows_;
    size_t count_ = 0;
    mutable std::vector<uint8_t> deleted_;
    mutable bool flagsRead_ = false;
    std::vector<std::unique_ptr<FieldIndex>> indexes_;  // per visible field, built on its second lookup
    std::vector<bool> scanned_;                         // per visible field: looked up once, by a scan
    std::vector<uint32_t> found_;
    FileIdentity identity_;
    bool writing_ = false;
};

}  // namespace engine
