#include "engine/statement_tables.h"

#include <algorithm>
#include <string>

#include "engine/errors.h"
#include "engine/sql_lexer.h"
#include "engine/sql_parser.h"

namespace engine {
namespace {

std::vector<std::string_view> pathsOf(const AstStatement& st) {
    std::vector<std::string_view> paths;
    const auto addSelect = [&](const AstSelect& select) {
        paths.push_back(select.from.path);
        for (const AstJoin& join : select.joins) paths.push_back(join.table.path);
    };
    switch (st.kind) {
    case StatementKind::Select: addSelect(st.select); break;
    case StatementKind::Insert:
        paths.push_back(st.insert.table.path);
        if (st.insert.select) addSelect(*st.insert.select);
        break;
    case StatementKind::Update: paths.push_back(st.update.table.path); break;
    case StatementKind::Delete: paths.push_back(st.del.table.path); break;
    case StatementKind::CreateTable: paths.push_back(st.create.table.path); break;
    case StatementKind::AlterTable: paths.push_back(st.alter.table.path); break;
    }
    return paths;
}

}  // namespace

std::vector<TableCondition> damagedTablesOf(Database& db, std::string_view statement) {
    AstStatement st;
    const TokenList tokens(statement);
    try {
        st = parseStatement(tokens);
    } catch (const SyntaxError&) {
        return {};
    }
    std::vector<std::string> seen;
    std::vector<TableCondition> damaged;
    for (std::string_view path : pathsOf(st)) {
        if (!db.exists(path)) continue;
        const std::string resolved = db.resolve(path);
        if (std::find(seen.begin(), seen.end(), resolved) != seen.end()) continue;
        seen.push_back(resolved);
        TableCondition condition = db.examineTable(resolved, false);
        if (!condition.sound()) damaged.push_back(std::move(condition));
    }
    return damaged;
}

}  // namespace engine
