#pragma once

#include <memory>
#include <string>

#include "engine/database.h"

namespace engine {

class WriteUnit;

// Several statements, on one or several tables of `db`, as one unit: every
// statement run on `db` (through executeStatement, a Query, a TableDataset)
// while the object lives joins it. Destroyed without commit() -> rolled back.
// A Transaction made while another is open on the same Database joins the
// outer one: its commit() does nothing until the outer commits; its rollback
// (or destruction without commit) makes the whole unit roll back and the
// outer commit() then throws TableError.
//
// The tables written stay locked for other programs until the unit ends, and
// the files of one unit must lie in one folder (its journal's).
class Transaction {
public:
    explicit Transaction(Database& db = Database::global());
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();    // durable when it returns; throws TableError on failure (then rolled back)
    void rollback();
    // A small non-table file (the settings file Terralog.ini) that is about to
    // be rewritten inside the unit: its content before the first change is kept
    // in the journal and put back on rollback and on crash recovery.
    void protectFile(const std::string& path);

private:
    void leave();

    Database& db_;
    std::shared_ptr<WriteUnit> unit_;
    bool outer_ = false;
    bool ended_ = false;
};

}  // namespace engine
