// INSERT, UPDATE, DELETE and the table statements.
//
// A changing statement works in two passes: first it finds its records and
// computes and checks (Table::coerce) every value it will store, then it
// writes them all through one Writer. A value that cannot be stored therefore
// fails the statement before anything is written. Between the passes the
// statement lets go of the table's rows, so that the table can change them in
// place instead of copying them for a reader still holding them.
#include "engine/statement.h"

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/folder_lock.h"
#include "engine/sql_binder.h"
#include "engine/sql_parser.h"
#include "engine/sql_select.h"
#include "engine/text.h"

namespace engine {
namespace {

int fieldIndex(const TableSource& t, const AstColumnRef& c, const TokenList& tokens) {
    const int f = t.rows->findField(c.name);
    if (f < 0)
        throw BindError("Unknown field " + std::string(c.name) + " in " + t.table->path() + " (" +
                        tokens.where(c.offset) + ")");
    return f;
}

size_t runInsert(Database& db, const TokenList& tokens, const AstStatement& st) {
    const AstInsert& ins = st.insert;
    TableSource t = openSource(db, ins.table);
    const std::vector<FieldDef>& fields = t.rows->fields();
    std::vector<int> targets;
    if (ins.columns.empty()) {
        for (size_t f = 0; f < fields.size(); ++f) targets.push_back(int(f));
    } else {
        for (const AstColumnRef& c : ins.columns) {
            const int f = fieldIndex(t, c, tokens);
            for (int seen : targets)
                if (seen == f) throw BindError("The field " + std::string(c.name) + " is named twice");
            targets.push_back(f);
        }
    }

    std::vector<std::vector<Value>> records;
    if (!ins.select) {
        if (ins.values.size() != targets.size())
            throw BindError(std::to_string(ins.values.size()) + " values given for " + std::to_string(targets.size()) +
                            " fields");
        std::vector<BoundExpr> exprs;
        ExprBinder binder(tokens, st.exprs, exprs);
        std::vector<Value> record(fields.size());
        for (size_t i = 0; i < targets.size(); ++i) {
            const int f = targets[i];
            const int32_t b = binder.bindValueFor(ins.values[i], fields[size_t(f)]);
            record[size_t(f)] = t.table->coerce(f, datumToValue(evaluate(exprs, b, EvalRow{})));
        }
        records.push_back(std::move(record));
    } else {
        const std::shared_ptr<ColumnStore> result = runSelect(db, tokens, st.exprs, *ins.select);
        result->loadAll();
        if (result->columnCount() != targets.size())
            throw BindError("The SELECT gives " + std::to_string(result->columnCount()) + " columns for " +
                            std::to_string(targets.size()) + " fields");
        records.reserve(result->rowCount());
        for (size_t r = 0; r < result->rowCount(); ++r) {
            std::vector<Value> record(fields.size());
            for (size_t i = 0; i < targets.size(); ++i) {
                const int f = targets[i];
                Value v = result->value(r, i);
                // A blank text read into a number or date field is no value.
                if (v.type() == ValueType::Text && v.asText().empty() && fields[size_t(f)].type != FieldType::Text)
                    v = Value::null();
                record[size_t(f)] = t.table->coerce(f, v);
            }
            records.push_back(std::move(record));
        }
    }
    if (records.empty()) return 0;
    t.rows.reset();
    auto writer = t.table->beginWrite();
    for (const auto& record : records) writer->append(record);
    writer->commit();
    return records.size();
}

size_t runUpdate(Database& db, const TokenList& tokens, const AstStatement& st) {
    const AstUpdate& up = st.update;
    TableSource t = openSource(db, up.table);
    std::vector<BoundExpr> exprs;
    ExprBinder binder(tokens, st.exprs, exprs);
    binder.sources.push_back(bindSourceOf(t));
    const ColumnStore* stores[] = {t.rows.get()};

    struct Assignment {
        int field;
        int32_t expr;
        bool constant;
        Value value;  // when constant
    };
    std::vector<Assignment> sets;
    for (const AstAssignment& a : up.assignments) {
        const int f = fieldIndex(t, a.column, tokens);
        const int32_t b = binder.bindValueFor(a.value, t.rows->fields()[size_t(f)]);
        sets.push_back(Assignment{f, b, binder.isConstant(b), Value()});
    }
    std::vector<int32_t> conditions;
    if (up.where >= 0) conditions = conjunctsOf(exprs, binder.bindCondition(up.where));
    t.table->load(fieldsRead(exprs, 0));
    const std::vector<uint32_t> records = scanRecords(t, 0, 1, exprs, conditions, stores);
    if (records.empty()) return 0;

    size_t perRow = 0;
    for (Assignment& s : sets) {
        if (s.constant)
            s.value = t.table->coerce(s.field, datumToValue(evaluate(exprs, s.expr, EvalRow{})));
        else
            ++perRow;
    }
    std::vector<Value> computed;
    computed.reserve(records.size() * perRow);
    for (uint32_t r : records) {
        const EvalRow er{stores, &r, nullptr};
        for (const Assignment& s : sets)
            if (!s.constant) computed.push_back(t.table->coerce(s.field, datumToValue(evaluate(exprs, s.expr, er))));
    }

    t.rows.reset();
    auto writer = t.table->beginWrite();
    size_t next = 0;
    for (uint32_t r : records)
        for (const Assignment& s : sets) writer->update(r, s.field, s.constant ? s.value : computed[next++]);
    writer->commit();
    return records.size();
}

size_t runDelete(Database& db, const TokenList& tokens, const AstStatement& st) {
    TableSource t = openSource(db, st.del.table);
    std::vector<BoundExpr> exprs;
    ExprBinder binder(tokens, st.exprs, exprs);
    binder.sources.push_back(bindSourceOf(t));
    const ColumnStore* stores[] = {t.rows.get()};
    std::vector<int32_t> conditions;
    if (st.del.where >= 0) conditions = conjunctsOf(exprs, binder.bindCondition(st.del.where));
    t.table->load(fieldsRead(exprs, 0));
    const std::vector<uint32_t> records = scanRecords(t, 0, 1, exprs, conditions, stores);
    if (records.empty()) return 0;
    t.rows.reset();
    auto writer = t.table->beginWrite();
    for (uint32_t r : records) writer->remove(r);
    writer->commit();
    return records.size();
}

std::vector<FieldDef> definitionsOf(const std::vector<AstColumnDef>& columns) {
    std::vector<FieldDef> defs;
    for (const AstColumnDef& c : columns) {
        for (const FieldDef& d : defs)
            if (equalsIgnoreCase(d.name, c.def.name)) throw BindError("The field " + d.name + " is declared twice");
        defs.push_back(c.def);
    }
    return defs;
}

void runAlter(Database& db, const TokenList& tokens, const AstStatement& st) {
    const AstAlterTable& alter = st.alter;
    const std::shared_ptr<Table> table = db.table(alter.table.path);
    const std::vector<FieldDef> add = definitionsOf(alter.add);
    for (const FieldDef& d : add)
        if (table->findField(d.name) >= 0) throw BindError("The table " + table->path() + " already has a field " + d.name);
    std::vector<std::string> drop;
    for (const AstColumnRef& c : alter.drop) {
        if (table->findField(c.name) < 0)
            throw BindError("Unknown field " + std::string(c.name) + " in " + table->path() + " (" +
                            tokens.where(c.offset) + ")");
        drop.emplace_back(c.name);
    }
    db.alterTable(alter.table.path, add, drop);
}

}  // namespace

namespace {

const AstTable* writtenTable(const AstStatement& st) {
    switch (st.kind) {
    case StatementKind::Select: return nullptr;
    case StatementKind::Insert: return &st.insert.table;
    case StatementKind::Update: return &st.update.table;
    case StatementKind::Delete: return &st.del.table;
    case StatementKind::CreateTable: return &st.create.table;
    case StatementKind::AlterTable: return &st.alter.table;
    }
    return nullptr;
}

void addSelectTables(const AstSelect& select, std::vector<std::string>& out) {
    out.emplace_back(select.from.path);
    for (const AstJoin& join : select.joins) out.emplace_back(join.table.path);
}

}  // namespace

StatementTables statementTables(std::string_view text) {
    const TokenList tokens(text);
    const AstStatement st = parseStatement(tokens);
    StatementTables tables;
    if (const AstTable* written = writtenTable(st)) {
        tables.writes = true;
        tables.written = std::string(written->path);
        if (st.kind != StatementKind::CreateTable) tables.read.push_back(tables.written);
    }
    if (st.kind == StatementKind::Select) addSelectTables(st.select, tables.read);
    if (st.kind == StatementKind::Insert && st.insert.select) addSelectTables(*st.insert.select, tables.read);
    return tables;
}

StatementResult executeStatement(Database& db, std::string_view text) {
    const TokenList tokens(text);
    const AstStatement st = parseStatement(tokens);
    FolderLock writers;
    if (const AstTable* written = writtenTable(st))
        writers = FolderLock(db.folderOf(written->path), FolderLock::Kind::Writers,
                             os::LockMode::Exclusive);
    StatementResult result;
    switch (st.kind) {
    case StatementKind::Select:
        result.isSelect = true;
        result.rows = runSelect(db, tokens, st.exprs, st.select);
        break;
    case StatementKind::Insert: result.rowsAffected = runInsert(db, tokens, st); break;
    case StatementKind::Update: result.rowsAffected = runUpdate(db, tokens, st); break;
    case StatementKind::Delete: result.rowsAffected = runDelete(db, tokens, st); break;
    case StatementKind::CreateTable: db.createTable(st.create.table.path, definitionsOf(st.create.columns)); break;
    case StatementKind::AlterTable: runAlter(db, tokens, st); break;
    }
    return result;
}

}  // namespace engine
