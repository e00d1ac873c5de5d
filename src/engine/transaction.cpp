#include "engine/transaction.h"

#include "engine/errors.h"
#include "engine/write_unit.h"

namespace engine {

Transaction::Transaction(Database& db) : db_(db) {
    UnitHost& host = db_.units();
    if (!host.open) {
        host.open = std::make_shared<WriteUnit>();
        outer_ = true;
    }
    unit_ = host.open;
}

Transaction::~Transaction() {
    if (ended_) return;
    try {
        rollback();
    } catch (const Error&) {
        // The journal stays; the next opening of the tables rolls back.
    }
}

void Transaction::leave() {
    ended_ = true;
    if (outer_) db_.units().open.reset();
}

void Transaction::commit() {
    if (ended_) throw TableError("The transaction has already ended");
    if (!outer_) {
        if (!unit_->isOpen()) {
            ended_ = true;
            throw TableError("The transaction was rolled back");
        }
        ended_ = true;
        return;
    }
    leave();
    if (!unit_->isOpen()) throw TableError("The transaction was rolled back; nothing of it was written");
    unit_->commit();
}

void Transaction::rollback() {
    if (ended_) return;
    leave();
    unit_->abandon();
}

void Transaction::protectFile(const std::string& path) {
    if (ended_) throw TableError("The transaction has already ended");
    unit_->protectFile(path);
}

}  // namespace engine
