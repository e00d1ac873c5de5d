// Expressions nested deeper than any form writes them (found by fuzzing: the
// parser, binder and evaluator recurse) fail as syntax errors instead of
// overflowing the stack; ordinary nesting still works.
#include <gtest/gtest.h>

#include <string>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/filter.h"
#include "engine/statement.h"
#include "table_values.h"
#include "temp_dir.h"

using namespace tablevalues;

namespace {

std::string repeated(const std::string& part, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += part;
    return s;
}

struct DeepCase {
    const char* what;
    std::string condition;
    bool parses;
};

std::vector<DeepCase> cases() {
    return {
        {"parentheses", repeated("(", 20000) + "N=1" + repeated(")", 20000), false},
        {"a chain of sums", "N=1" + repeated("+1", 20000), false},
        {"a chain of ANDs", "N=1" + repeated(" AND N=1", 20000), false},
        {"NOTs", repeated("NOT ", 20000) + "N=1", false},
        {"signs", "N=" + repeated("-", 20000) + "1", false},
        {"forty parentheses", repeated("(", 40) + "N=1" + repeated(")", 40), true},
        {"sixty ANDs", "N=1" + repeated(" AND N=1", 60), true},
    };
}

}  // namespace

TEST(DeepExpressions, FailAsSyntaxErrorsInFiltersAndStatements) {
    TempDir dir;
    engine::Database db;
    const std::string path = dir.file("T.DBF");
    db.createTable(path, {number("N", 5, 0)});
    engine::executeStatement(db, "INSERT INTO \"" + path + "\" VALUES (1)");
    const std::vector<engine::FieldDef> fields = {number("N", 5, 0)};
    for (const DeepCase& c : cases()) {
        const std::string statement = "SELECT * FROM \"" + path + "\" WHERE " + c.condition;
        if (c.parses) {
            EXPECT_NO_THROW(engine::compileFilter(c.condition, fields)) << c.what;
            EXPECT_EQ(engine::executeStatement(db, statement).rows->rowCount(), 1u) << c.what;
        } else {
            EXPECT_THROW(engine::compileFilter(c.condition, fields), engine::SyntaxError) << c.what;
            EXPECT_THROW(engine::executeStatement(db, statement), engine::SyntaxError) << c.what;
        }
    }
}
