#include "engine/write_unit.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "engine/errors.h"
#include "engine/file_io.h"

namespace engine {
namespace {

constexpr uint64_t kPage = 4096;
// Pages held in memory beyond this are written out (their originals synced
// into the journal first), so a statement over a whole large table does not
// hold two copies of it.
size_t spillBytes = size_t(64) << 20;
constexpr size_t kWriteRun = size_t(1) << 20;

std::string tableName(const std::string& path) { return "the table file " + path; }

std::string backupNameFor(const std::string& path) {
    std::random_device random;
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%08x%08x", unsigned(random()), unsigned(random()));
    return path + "-original-" + suffix;
}

}  // namespace

void WriteUnit::setMemoryLimit(size_t bytes) { spillBytes = bytes; }

WriteUnit::~WriteUnit() {
    if (state_ != State::Open) return;
    try {
        rollback();
    } catch (const Error&) {
        // The journal stays; the next opening of the tables rolls back.
    }
}

void WriteUnit::checkOpen() const {
    if (abandoned_ || state_ == State::RolledBack)
        throw TableError("The transaction was rolled back after an error; nothing more is written in it");
    if (state_ == State::Committed) throw TableError("The transaction has already been committed");
}

void WriteUnit::checkFolder(const std::string& path) {
    const std::string folder = fileio::folderOf(path);
    if (folder_.empty()) {
        writers_ = FolderLock(folder, FolderLock::Kind::Writers, os::LockMode::Exclusive);
        folder_ = folder;
    }
    if (folder != folder_)
        throw TableError("A transaction writes the files of one folder: " + path + " is not in " + folder_);
}

WriteUnit::Member& WriteUnit::member(const TableFile& file) const {
    if (last_ && last_->file.get() == &file) return *last_;
    for (const auto& m : members_)
        if (m->file.get() == &file) return *(last_ = m.get());
    throw TableError("The table file " + file.path() + " is not written by this transaction");
}

bool WriteUnit::holds(const TableFile& file) const {
    for (const auto& m : members_)
        if (m->file.get() == &file) return true;
    return false;
}

std::shared_ptr<UnitReading> WriteUnit::readingOf(const TableFile& file) const { return member(file).reading.lock(); }

void WriteUnit::setReading(const TableFile& file, const std::shared_ptr<UnitReading>& reading) {
    member(file).reading = reading;
}

void WriteUnit::join(const std::shared_ptr<TableFile>& file, const std::shared_ptr<UnitReading>& reading) {
    checkOpen();
    if (holds(*file)) return setReading(*file, reading);
    checkFolder(file->path());
    if (file->isBeingWritten())
        throw TableError("The table " + file->path() + " is being written by another transaction");
    file->acquireExclusive();
    auto m = std::make_unique<Member>();
    m->file = file;
    m->reading = reading;
    try {
        m->originalSize = m->diskSize = m->size = uint64_t(file->identity().size);
    } catch (...) {
        file->releaseExclusive();
        throw;
    }
    file->joinUnit(this);
    members_.push_back(std::move(m));
}

Journal& WriteUnit::journal(const std::string& path) {
    if (!journal_) journal_ = std::make_unique<Journal>(path);
    return *journal_;
}

void WriteUnit::journalTable(Member& m) {
    if (m.journalIndex == UINT32_MAX) m.journalIndex = journal(m.file->path()).addTable(m.file->path(), m.originalSize);
}

std::string& WriteUnit::page(Member& m, uint64_t number) {
    const auto found = m.dirty.find(number);
    if (found != m.dirty.end()) return found->second;
    std::string bytes(kPage, '\0');
    const uint64_t start = number * kPage;
    if (start < m.diskSize) m.file->readAt(start, &bytes[0], size_t(std::min(kPage, m.diskSize - start)));
    if (!m.replaced && start < m.originalSize && m.saved.insert(number).second) {
        journalTable(m);
        journal_->addPage(m.journalIndex, start, std::string_view(bytes).substr(0, size_t(std::min(kPage, m.originalSize - start))));
    }
    dirtyBytes_ += kPage;
    return m.dirty.emplace(number, std::move(bytes)).first->second;
}

void WriteUnit::write(TableFile& file, uint64_t offset, std::string_view bytes) {
    checkOpen();
    Member& m = member(file);
    while (!bytes.empty()) {
        const uint64_t number = offset / kPage;
        const size_t within = size_t(offset % kPage);
        const size_t n = std::min(bytes.size(), size_t(kPage) - within);
        std::memcpy(&page(m, number)[within], bytes.data(), n);
        m.size = std::max(m.size, offset + n);
        bytes.remove_prefix(n);
        offset += n;
    }
    if (dirtyBytes_ > spillBytes) spill();
}

// The member's pages held here, in runs of neighbouring pages.
void WriteUnit::writeOut(Member& m) {
    if (m.dirty.empty()) return;
    diskTouched_ = m.written = true;
    std::vector<uint64_t> numbers;
    numbers.reserve(m.dirty.size());
    for (const auto& entry : m.dirty) numbers.push_back(entry.first);
    std::sort(numbers.begin(), numbers.end());
    std::string run;
    uint64_t runStart = 0;
    const auto flush = [&] {
        if (run.empty()) return;
        if (runStart + run.size() > m.size) run.resize(size_t(m.size - runStart));
        m.file->writeThrough(runStart, run);
        m.diskSize = std::max(m.diskSize, runStart + run.size());
        run.clear();
    };
    for (uint64_t number : numbers) {
        const uint64_t start = number * kPage;
        if (start >= m.size) continue;
        if (!run.empty() && (runStart + run.size() != start || run.size() >= kWriteRun)) flush();
        if (run.empty()) runStart = start;
        run += m.dirty[number];
    }
    flush();
    dirtyBytes_ -= m.dirty.size() * kPage;
    m.dirty.clear();
}

void WriteUnit::spill() {
    for (auto& m : members_)
        if (!m->dirty.empty() && !m->replaced) journalTable(*m);
    if (journal_) journal_->sync();
    for (auto& m : members_) writeOut(*m);
}

void WriteUnit::beforeReplace(TableFile& file) {
    checkOpen();
    Member& m = member(file);
    if (m.replaced) return;
    journalTable(m);
    if (!m.dirty.empty()) {
        journal_->sync();
        writeOut(m);
    }
    const std::string backup = backupNameFor(file.path());
    journal_->addReplacement(m.journalIndex, backup);
    journal_->sync();
    fileio::link(file.path(), backup, tableName(file.path()));
    backups_.push_back(backup);
    diskTouched_ = true;
    m.replaced = true;
}

void WriteUnit::afterReplace(TableFile& file) {
    Member& m = member(file);
    if (auto reading = m.reading.lock()) reading->unitEnded(false);
    m.reading.reset();
    m.diskSize = m.size = uint64_t(file.identity().size);
}

void WriteUnit::beforeCreate(const std::string& path, const FileIdentity& created) {
    checkOpen();
    checkFolder(path);
    journal(path).addCreated(path, created.device, created.index);
    journal_->sync();
    diskTouched_ = true;
}

void WriteUnit::protectFile(const std::string& path) {
    checkOpen();
    checkFolder(path);
    if (!protected_.insert(path).second) return;
    std::string content;
    const os::File file = os::File::open(path, os::File::Open::Read);
    const bool existed = file.isOpen();
    if (existed)
        content = fileio::readWhole(file, "the file " + path);
    else if (os::lastError().kind != os::Failure::NotFound)
        fileio::fail("read", "the file " + path, os::lastError());
    journal(path).addSavedFile(path, existed, content);
    journal_->sync();
    diskTouched_ = true;
}

void WriteUnit::commit() {
    checkOpen();
    try {
        for (auto& m : members_)
            if (!m->dirty.empty() && !m->replaced) journalTable(*m);
        if (journal_) journal_->sync();
        for (auto& m : members_) {
            if (m->dirty.empty() && !m->written) continue;
            // The name must still lead to the file written, or the writes are lost.
            os::FileInfo onDisk;
            if (!os::pathInfo(m->file->path(), onDisk) || !m->file->identity().sameFile(FileIdentity::of(onDisk)))
                throw TableError("The table file " + m->file->path() + " was removed or replaced while being written");
            writeOut(*m);
            m->file->syncFile();
        }
        if (journal_) {
            if (!backups_.empty()) {
                journal_->addCommit();
                journal_->sync();
                // Committed: what is left of the clean-up the next opening finishes.
                try {
                    for (const std::string& backup : backups_) fileio::remove(backup, tableName(backup));
                    journal_->remove();
                } catch (const Error&) {
                    noteCleanupPending();
                }
                end(true);
                return;
            }
            journal_->remove();
        }
    } catch (const Error&) {
        try {
            restore();
        } catch (const Error& e) {
            end(false);
            throw TableError(e.what() + std::string("; the tables are put back at their next opening"));
        }
        end(false);
        throw;
    }
    end(true);
}

// The files as before the unit. The journal is written out whole first, so
// every original the unit took is in it.
void WriteUnit::restore() {
    for (auto& m : members_) {
        dirtyBytes_ -= m->dirty.size() * kPage;
        m->dirty.clear();
    }
    if (!journal_) return;
    if (diskTouched_) journal_->rollBack();
    journal_->remove();
}

void WriteUnit::rollback() {
    if (state_ != State::Open) return;
    try {
        restore();
    } catch (const Error& e) {
        journal_.reset();
        end(false);
        throw TableError(e.what() + std::string("; the tables are put back at their next opening"));
    }
    end(false);
}

void WriteUnit::abandon() {
    if (state_ != State::Open) return;
    abandoned_ = true;
    rollback();
}

void WriteUnit::end(bool committed) {
    state_ = committed ? State::Committed : State::RolledBack;
    journal_.reset();
    for (auto& m : members_) {
        if (auto reading = m->reading.lock()) reading->unitEnded(committed);
        m->file->leaveUnit();
        if (!committed) m->file->forgetStamp();
        m->file->releaseExclusive();
    }
    members_.clear();
    last_ = nullptr;
    writers_.release();
}

}  // namespace engine
