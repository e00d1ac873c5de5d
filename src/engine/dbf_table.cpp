#include "engine/dbf_table.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>

#include "engine/errors.h"
#include "engine/integrity.h"
#include "engine/text.h"

namespace engine {
namespace {

// Records are decoded from reads of about this many bytes: few enough system
// calls, and a buffer that stays in the processor's cache while its records
// are decoded column after column.
constexpr size_t kReadChunk = 1 << 20;
constexpr uint32_t kMaxRecords = 0xFFFFFFF0;

uint64_t hashText(std::string_view text) { return std::hash<std::string_view>()(text); }

bool holds(FieldType field, ValueType value) {
    switch (field) {
    case FieldType::Text: return value == ValueType::Text;
    case FieldType::Number: return value == ValueType::Number;
    case FieldType::Date: return value == ValueType::Date;
    case FieldType::Logical: return value == ValueType::Logical;
    }
    return false;
}

}  // namespace

// Reads the cells of a reading's columns from the file as it was read. Its own
// descriptor still reaches that file after the path has come to name another
// one (a pack, a replacement by another program); a file changed in place
// since is refused, its bytes being no longer those of the reading. This
// process's own writes keep the reading equal to the file (see written()).
class DbfTable::Decoder final : public ColumnDecoder {
public:
    Decoder(std::shared_ptr<TableFile> file, std::string path, const DbfLayout& layout, std::vector<DbfField> fields,
            CodePage page, const FileIdentity& identity, size_t count)
        : file_(std::move(file)), path_(std::move(path)), headerLength_(layout.headerLength),
          recordLength_(layout.recordLength), fields_(std::move(fields)), page_(page), identity_(identity),
          count_(count), handle_(file_->duplicate()) {}
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    void decode(const std::vector<ColumnStore::Column*>& columns) override {
        std::vector<uint8_t>* flags = flagsWanted;
        flagsWanted = nullptr;
        run(columns, flags);
    }

    // Decodes the columns and, unless null, the deletion flag of each record.
    void run(const std::vector<ColumnStore::Column*>& columns, std::vector<uint8_t>* flags) {
        TableFile::ReadLock lock(*file_);
        os::FileInfo info;
        if (!handle_.info(info))
            throw TableError("Cannot examine the table file " + path_ + ": " + os::describe(os::lastError()));
        // A file no name leads to any more (replaced, removed) had its change
        // time moved by that alone; its size and modification time still tell.
        FileIdentity now = FileIdentity::of(info);
        if (info.links == 0) now.changed = identity_.changed;
        if (now != identity_)
            throw TableError("The table " + path_ + " was changed by another program; read it again");
        size_t rows = flags ? count_ : 0;
        for (ColumnStore::Column* c : columns) {
            rows = std::max(rows, c->pendingRows());
            c->resize(c->pendingRows());
        }
        if (rows > count_) throw TableError("The table " + path_ + " has fewer records than its rows");
        if (flags) flags->assign(count_, 0);

        const size_t length = recordLength_;
        const size_t perChunk = std::max<size_t>(1, kReadChunk / length);
        std::string buffer(std::min(perChunk, std::max<size_t>(rows, 1)) * length, '\0');
        std::string scratch;
        for (size_t start = 0; start < rows;) {
            const size_t want = std::min(perChunk, rows - start);
            const size_t bytes = want * length;
            if (readAt(headerLength_ + uint64_t(start) * length, &buffer[0], bytes) != bytes)
                throw TableError("The table file " + path_ + " was cut short while being read");
            const char* records = buffer.data();
            for (ColumnStore::Column* c : columns) {
                const DbfField& f = fields_[c->sourceField()];
                const size_t end = std::min(start + want, c->pendingRows());
                const char* cell = records + 1 + f.offset;
                for (size_t r = start; r < end; ++r, cell += length) {
                    const std::string_view bytes(cell, size_t(f.width));
                    const CellFault fault = decodeCell(f, bytes, page_, *c, r, scratch);
                    // A deleted record's cell is never read: it stays NULL.
                    if (fault != CellFault::None && records[(r - start) * length] != '*') [[unlikely]]
                        throw TableError(cellFaultMessage(path_, r, f, bytes, page_, fault));
                }
            }
            if (flags)
                for (size_t i = 0; i < want; ++i) {
                    const char flag = records[i * length];
                    if (flag != ' ' && flag != '*') [[unlikely]]
                        throw TableError(flagFaultMessage(path_, start + i, flag));
                    (*flags)[start + i] = flag == '*';
                }
            start += want;
        }
    }

    // This process wrote the file: the reading equals it again.
    void written(const FileIdentity& identity, size_t count) {
        identity_ = identity;
        count_ = count;
    }

    // Set by DbfTable::load: the flags come along with the next columns.
    std::vector<uint8_t>* flagsWanted = nullptr;

private:
    size_t readAt(uint64_t offset, char* out, size_t size) const {
        const int64_t n = handle_.readAt(offset, out, size);
        if (n < 0) throw TableError("Cannot read the table file " + path_ + ": " + os::describe(os::lastError()));
        return size_t(n);
    }

    std::shared_ptr<TableFile> file_;
    std::string path_;
    size_t headerLength_;
    size_t recordLength_;
    std::vector<DbfField> fields_;  // per visible field
    CodePage page_;
    FileIdentity identity_;
    size_t count_;
    os::File handle_;
};

// The writes of one statement, in the unit its catalog holds open or in a
// unit of its own that commits with the statement. Refuses to start on a
// reading the file has moved away from, since record numbers of a stale
// reading would hit other records. A statement abandoned after a write rolls
// its unit back.
class DbfTable::TableWriter final : public Table::Writer {
public:
    explicit TableWriter(std::shared_ptr<DbfTable> table) : table_(std::move(table)) {
        DbfTable& t = *table_;
        TableFile& file = *t.file_;
        if (file.hasOpenStatement())
            throw TableError("The table " + t.path_ + " is already being written by another statement");
        WriteUnit* open = t.units_ ? t.units_->open.get() : nullptr;
        if (open && open->holds(file)) {
            const auto reading = open->readingOf(file);
            if (reading.get() != static_cast<UnitReading*>(&t)) {
                if (reading || t.identity_ != file.identity())
                    throw TableError("The table " + t.path_ + " was changed by another program; read it again");
                open->setReading(file, table_);
            }
            unit_ = open;
        } else {
            if (file.isBeingWritten())
                throw TableError("The table " + t.path_ + " is already being written by another statement");
            file.acquireExclusive();
            os::FileInfo onDisk;
            const bool exists = os::pathInfo(t.path_, onDisk);
            const FileIdentity current = file.identity();
            if (!exists || !current.sameFile(FileIdentity::of(onDisk)) || current != t.identity_) {
                file.releaseExclusive();
                throw TableError("The table " + t.path_ + " was changed by another program; read it again");
            }
            if (!open) {
                own_ = std::make_unique<WriteUnit>();
                open = own_.get();
            }
            try {
                open->join(t.file_, table_);
            } catch (...) {
                file.releaseExclusive();
                throw;
            }
            file.releaseExclusive();  // the unit holds it now
            unit_ = open;
        }
        t.writing_ = true;
        file.setOpenStatement(true);
    }

    ~TableWriter() override {
        try {
            finish(false);
        } catch (const Error&) {
            // The statement is being abandoned with an error of its own.
        }
    }

    uint32_t append(const std::vector<Value>& record) override {
        checkOpen();
        DbfTable& t = *table_;
        prepare();
        if (record.size() != t.fields_.size())
            throw ValueError("A record of table " + t.path_ + " has " + std::to_string(t.fields_.size()) +
                             " fields, not " + std::to_string(record.size()));
        std::vector<Value> values;
        values.reserve(record.size());
        for (size_t i = 0; i < record.size(); ++i) values.push_back(t.coerce(int(i), record[i]));
        const size_t n = t.recordCount();
        if (n >= kMaxRecords) throw TableError("The table " + t.path_ + " is full");

        const DbfLayout& layout = t.layout_;
        std::string bytes(layout.recordLength + 1, ' ');
        for (const DbfField& f : layout.fields) {
            char* out = &bytes[1 + f.offset];
            if (f.visible >= 0)
                encodeCell(f, values[size_t(f.visible)], t.codePage_, out);
            else
                blankCell(f, out);
        }
        bytes.back() = kDbfEndOfFile;
        wrote_ = true;
        t.file_->appendRecord(layout.headerLength + uint64_t(n) * layout.recordLength, bytes, uint32_t(n + 1));

        ColumnStore& rows = *t.ownRows();
        const size_t row = rows.appendRow();
        for (size_t i = 0; i < values.size(); ++i) rows.set(row, i, values[i]);
        t.deleted_.push_back(0);
        ++t.count_;
        t.indexRecord(uint32_t(row));
        return uint32_t(row);
    }

    void update(uint32_t record, int field, const Value& value) override {
        checkOpen();
        DbfTable& t = *table_;
        checkRecord(record);
        prepare();
        const Value v = t.coerce(field, value);
        const DbfField& f = t.physical(field);
        std::string cell(size_t(f.width), ' ');
        encodeCell(f, v, t.codePage_, &cell[0]);
        wrote_ = true;
        t.file_->writeRecordBytes(recordOffset(record) + 1 + f.offset, cell);
        stamp_ = true;

        FieldIndex* index = t.indexes_[size_t(field)].get();
        const bool indexed = index && !t.deleted_[record];
        uint64_t key = 0;
        if (indexed && t.keyOfCell(field, record, key)) index->erase(key, record);
        t.ownRows()->set(record, size_t(field), v);
        if (indexed && t.keyOfCell(field, record, key)) index->insert(key, record);
    }

    void remove(uint32_t record) override {
        checkOpen();
        DbfTable& t = *table_;
        checkRecord(record);
        prepare();
        if (t.deleted_[record]) return;
        wrote_ = true;
        t.file_->writeRecordBytes(recordOffset(record), "*");
        stamp_ = true;
        t.unindexRecord(record);
        t.deleted_[record] = 1;
    }

    void commit() override { finish(true); }

private:
    void prepare() {
        if (prepared_) return;
        table_->prepareWrite();
        prepared_ = true;
    }

    void checkRecord(uint32_t record) const {
        if (record >= table_->recordCount())
            throw TableError("The table " + table_->path_ + " has no record " + std::to_string(record));
    }

    uint64_t recordOffset(uint32_t record) const {
        return table_->layout_.headerLength + uint64_t(record) * table_->layout_.recordLength;
    }

    void finish(bool commit) {
        if (done_) return;
        done_ = true;
        DbfTable& t = *table_;
        t.file_->setOpenStatement(false);
        if (commit && stamp_) {
            try {
                t.file_->stampHeader();
            } catch (const Error&) {
                unit_->abandon();
                throw;
            }
        }
        if (own_) {
            if (commit)
                own_->commit();
            else
                own_->rollback();
        } else if (!commit && wrote_) {
            unit_->abandon();
        }
    }

    void checkOpen() const {
        if (done_) throw TableError("The statement's writes to " + table_->path_ + " have already ended");
    }

    std::shared_ptr<DbfTable> table_;
    std::unique_ptr<WriteUnit> own_;
    WriteUnit* unit_ = nullptr;
    bool stamp_ = false;
    bool wrote_ = false;
    bool prepared_ = false;
    bool done_ = false;
};

DbfTable::DbfTable(std::shared_ptr<TableFile> file, std::string path, std::shared_ptr<UnitHost> units)
    : file_(std::move(file)), units_(std::move(units)), path_(std::move(path)) {}

std::shared_ptr<DbfTable> DbfTable::open(std::shared_ptr<TableFile> file, const std::string& path,
                                         std::optional<CodePage> cpgPage, std::shared_ptr<UnitHost> units) {
    std::shared_ptr<DbfTable> table(new DbfTable(std::move(file), path, std::move(units)));
    table->read(cpgPage);
    return table;
}

void DbfTable::unitEnded(bool committed) {
    writing_ = false;
    // Rolled back, the rows here are ahead of the file: the catalog reads it again.
    identity_ = FileIdentity();
    if (!committed) return;
    try {
        identity_ = file_->identity();
    } catch (const Error&) {
        // Unknown, so read again.
    }
    decoder_->written(identity_, count_);
}

void DbfTable::read(std::optional<CodePage> cpgPage) {
    identity_ = file_->identity();
    TableCondition condition;
    const ReadAt readAt = [this](uint64_t offset, char* out, size_t size) { return file_->readAt(offset, out, size); };
    if (!readTableHeader(path_, uint64_t(identity_.size), readAt, layout_, condition))
        throw TableError(condition.describe());
    // Records the header does not count, or counted records missing: read
    // as they are, they would be lost at the next write.
    if (!condition.sizeAgrees()) throw TableError(condition.describe());
    // A driver byte not known here reads as the office's own code page.
    codePage_ = cpgPage.value_or(codePageFromLdid(layout_.languageDriver()).value_or(CodePage::Cp1250));

    fields_ = layout_.visibleFields();
    std::vector<DbfField> visible;
    for (size_t i = 0; i < layout_.fields.size(); ++i)
        if (layout_.fields[i].visible >= 0) {
            physicalOf_.push_back(int(i));
            visible.push_back(layout_.fields[i]);
        }
    indexes_.resize(fields_.size());
    scanned_.resize(fields_.size());

    count_ = layout_.headerCount;
    decoder_ = std::make_shared<Decoder>(file_, path_, layout_, std::move(visible), codePage_, identity_, count_);
    rows_ = std::make_shared<ColumnStore>(fields_, count_, decoder_);
}

void DbfTable::load(const std::vector<size_t>& columns) {
    if (!flagsRead_) decoder_->flagsWanted = &deleted_;
    try {
        rows_->load(columns);
    } catch (...) {
        decoder_->flagsWanted = nullptr;
        throw;
    }
    // Taken by the pass over the columns, or still to read.
    if (!flagsRead_ && !decoder_->flagsWanted) flagsRead_ = true;
    decoder_->flagsWanted = nullptr;
    flags();
}

const std::vector<uint8_t>& DbfTable::flags() const {
    if (!flagsRead_) {
        decoder_->run({}, &deleted_);
        flagsRead_ = true;
    }
    return deleted_;
}

void DbfTable::knowDeletions(const std::vector<uint8_t>& marks) {
    if (flagsRead_ || marks.size() != count_) return;
    deleted_ = marks;
    flagsRead_ = true;
}

bool DbfTable::hasDeletedRecords() const {
    const std::vector<uint8_t>& f = flags();
    return std::find(f.begin(), f.end(), uint8_t(1)) != f.end();
}

int DbfTable::findField(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (equalsIgnoreCase(fields_[i].name, name)) return int(i);
    return -1;
}

const DbfField& DbfTable::physical(int field) const {
    if (field < 0 || size_t(field) >= fields_.size())
        throw BindError("The table " + path_ + " has no field number " + std::to_string(field));
    return layout_.fields[size_t(physicalOf_[size_t(field)])];
}

Value DbfTable::coerce(int field, const Value& value) const {
    return coerceToField(physical(field), value, codePage_);
}

std::unique_ptr<Table::Writer> DbfTable::beginWrite() { return std::make_unique<TableWriter>(shared_from_this()); }

void DbfTable::prepareWrite() {
    // A unit keeps its changes in memory until it commits: from here on the
    // file is no source for this reading's cells, so all of them are decoded.
    rows_->loadAll();
    flags();
}

std::shared_ptr<ColumnStore> DbfTable::ownRows() {
    // Someone still holds the rows handed out: they keep theirs unchanged,
    // and each column written is copied for the table first.
    if (rows_.use_count() > 1) rows_ = std::make_shared<ColumnStore>(*rows_);
    return rows_;
}

bool DbfTable::keyOfCell(int field, uint32_t record, uint64_t& key) const {
    const size_t col = size_t(field);
    switch (fields_[col].type) {
    case FieldType::Text: key = hashText(rows_->text(record, col)); return true;
    case FieldType::Number:
        if (rows_->isNull(record, col)) return false;
        key = uint64_t(rows_->number(record, col).units());
        return true;
    case FieldType::Date:
        if (rows_->isNull(record, col)) return false;
        key = uint64_t(int64_t(rows_->date(record, col).dayNumber()));
        return true;
    case FieldType::Logical:
        if (rows_->isNull(record, col)) return false;
        key = rows_->logical(record, col) ? 1 : 0;
        return true;
    }
    return false;
}

void DbfTable::indexRecord(uint32_t record) {
    uint64_t key = 0;
    for (size_t f = 0; f < indexes_.size(); ++f)
        if (indexes_[f] && keyOfCell(int(f), record, key)) indexes_[f]->insert(key, record);
}

void DbfTable::unindexRecord(uint32_t record) {
    uint64_t key = 0;
    for (size_t f = 0; f < indexes_.size(); ++f)
        if (indexes_[f] && keyOfCell(int(f), record, key)) indexes_[f]->erase(key, record);
}

FieldIndex& DbfTable::indexOf(int field) {
    auto& index = indexes_[size_t(field)];
    if (!index) {
        load({size_t(field)});
        index = std::make_unique<FieldIndex>();
        index->reserve(deleted_.size());
        uint64_t key = 0;
        for (uint32_t r = 0; r < deleted_.size(); ++r)
            if (!deleted_[r] && keyOfCell(field, r, key)) index->insert(key, r);
    }
    return *index;
}

const std::vector<uint32_t>& DbfTable::lookup(int field, const Value& key) {
    physical(field);  // throws for a field number out of range
    found_.clear();
    const size_t col = size_t(field);
    const FieldType type = fields_[col].type;
    // The key in the field's terms; a key the field cannot hold matches nothing.
    // Numbers are not rounded: 12.5 finds no record of a whole-number field.
    Value probe;
    if (key.type() == ValueType::Text && type == FieldType::Text) {
        probe = Value::text(std::string(trimRight(key.asText())));
    } else if (key.type() == ValueType::Text && type == FieldType::Number) {
        if (auto d = Decimal::parse(key.asText())) probe = Value::number(*d);
    } else if (key.type() == ValueType::Text) {
        try {
            probe = coerceToField(physical(field), key, codePage_);
        } catch (const ValueError&) {
            return found_;
        }
    } else if (holds(type, key.type())) {
        probe = key;
    }
    if (probe.isNull()) return found_;
    uint64_t hashed = 0;
    switch (probe.type()) {
    case ValueType::Text: hashed = hashText(probe.asText()); break;
    case ValueType::Number: hashed = uint64_t(probe.asNumber().units()); break;
    case ValueType::Date: hashed = uint64_t(int64_t(probe.asDate().dayNumber())); break;
    case ValueType::Logical: hashed = probe.asLogical() ? 1 : 0; break;
    case ValueType::Null: break;
    }
    const auto differs = [&](uint32_t r) {
        if (deleted_[r]) return true;
        if (type == FieldType::Text) return rows_->text(r, col) != probe.asText();
        return rows_->value(r, col) != probe;
    };
    // The first lookup of a field scans it: a process that asks once (one
    // statement from the command line) would pay more for the index.
    if (!indexes_[col] && !scanned_[col]) {
        scanned_[col] = true;
        load({col});
        for (uint32_t r = 0; r < count_; ++r)
            if (!differs(r)) found_.push_back(r);
        return found_;
    }
    indexOf(field).collect(hashed, found_);
    found_.erase(std::remove_if(found_.begin(), found_.end(), differs), found_.end());
    if (!std::is_sorted(found_.begin(), found_.end())) std::sort(found_.begin(), found_.end());
    return found_;
}

}  // namespace engine
