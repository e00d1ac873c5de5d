// Stand-in for the journaled unit of the write path: it keeps, in memory, the
// content of each protected file and of every table file (.dbf) in the same
// folder as it was when first protected, and writes them back on rollback.
// It covers an engine error or a refused value part-way through a unit, not
// a crash of the process.
#include "engine/transaction.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "engine/errors.h"

namespace engine {

namespace fs = std::filesystem;

struct Transaction::Unit {
    // Original content; nullopt-like empty marker for a file that did not exist.
    std::map<std::string, std::pair<bool, std::string>> saved;
    bool doomed = false;
};

namespace {

std::map<const Database*, std::weak_ptr<Transaction::Unit>>& openUnits() {
    static std::map<const Database*, std::weak_ptr<Transaction::Unit>> units;
    return units;
}

// The whole file in one read (a register's tables run to a hundred MB).
std::pair<bool, std::string> contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {false, std::string()};
    std::string bytes(size_t(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), std::streamsize(bytes.size()));
    if (!in) throw TableError("The file " + path.string() + " cannot be read to keep it");
    return {true, std::move(bytes)};
}

bool isTableFile(const fs::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".dbf";
}

void save(Transaction::Unit& unit, const fs::path& path) {
    const std::string key = path.lexically_normal().string();
    if (!unit.saved.count(key)) unit.saved[key] = contentOf(path);
}

// Puts a file back whole: a new file renamed over the changed one.
void restore(const std::string& path, const std::pair<bool, std::string>& content) {
    std::error_code ec;
    if (!content.first) {
        fs::remove(path, ec);
        return;
    }
    const std::string temp = path + ".rollback";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(content.second.data(), std::streamsize(content.second.size()));
        if (!out) throw TableError("The file " + path + " cannot be put back as it was");
    }
    fs::rename(temp, path, ec);
    if (ec) throw TableError("The file " + path + " cannot be put back as it was: " + ec.message());
}

void rollBack(Transaction::Unit& unit) {
    std::string failed;
    for (const auto& [path, content] : unit.saved) {
        try {
            restore(path, content);
        } catch (const TableError& e) {
            if (failed.empty()) failed = e.what();
        }
    }
    unit.saved.clear();
    if (!failed.empty()) throw TableError(failed);
}

}  // namespace

Transaction::Transaction(Database& db) : db_(db) {
    auto& units = openUnits();
    unit_ = units[&db_].lock();
    if (!unit_) {
        unit_ = std::make_shared<Unit>();
        units[&db_] = unit_;
        outer_ = true;
    }
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            rollback();
        } catch (const Error&) {
            // A destructor cannot report it; the files left are as the failed
            // restore left them.
        }
    }
    if (outer_) openUnits().erase(&db_);
}

void Transaction::commit() {
    if (done_) return;
    done_ = true;
    if (!outer_) return;
    if (unit_->doomed) {
        rollBack(*unit_);
        throw TableError("The transaction was rolled back by a unit inside it");
    }
    unit_->saved.clear();
}

void Transaction::rollback() {
    if (done_) return;
    done_ = true;
    unit_->doomed = true;
    if (outer_) rollBack(*unit_);
}

void Transaction::protectFile(const std::string& path) {
    const fs::path file = fs::path(db_.resolve(path));
    save(*unit_, file);
    std::error_code ec;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && isTableFile(entry.path())) save(*unit_, entry.path());
}

}  // namespace engine
