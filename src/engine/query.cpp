#include "engine/query.h"

#include "engine/errors.h"
#include "engine/sql_lexer.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace engine {

Query::Query(Database& db) : db_(db) {}

void Query::textChanged() { close(); }

void Query::clear() {
    textChanged();
    lines_.clear();
}

void Query::add(std::string line) {
    textChanged();
    lines_.push_back(std::move(line));
}

void Query::setLine(int index, std::string text) {
    if (index < 0 || size_t(index) >= lines_.size())
        throw Error("The statement has no line " + std::to_string(index) + " (it has " +
                    std::to_string(lines_.size()) + ")");
    textChanged();
    lines_[size_t(index)] = std::move(text);
}

std::string Query::text() const {
    std::string joined;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) joined += '\n';
        joined += lines_[i];
    }
    return joined;
}

void Query::open() {
    close();
    const std::string statement = text();
    const TokenList tokens(statement);
    if (tokens[0].kind != TokenKind::Word || !equalsIgnoreCase(tokens.source(tokens[0]), "SELECT"))
        throw Error("Only a SELECT statement can be opened; run other statements with execSQL");
    StatementResult result = executeStatement(db_, statement);
    setRows(std::move(result.rows), {}, true);
}

void Query::execSQL() {
    close();
    rowsAffected_ = 0;
    rowsAffected_ = executeStatement(db_, text()).rowsAffected;
}

}  // namespace engine
