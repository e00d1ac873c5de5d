// The terralog-sql shell, run as a user runs it.
#include <gtest/gtest.h>

#include "common/child_process.h"
#include "common/test_paths.h"
#include "sql_fixture.h"

namespace {

struct ShellRun {
    int status = -1;
    std::string out, err;
};

class Shell : public SqlFixture {
protected:
    ShellRun shell(const std::string& statement) {
        testing_child::ChildProcess sql(testing_paths::builtProgram("terralog-sql"), {},
                                        testing_child::ChildProcess::Errors::Captured);
        sql.writeInput(expand(statement));
        sql.closeInput();
        const testing_child::Status status = sql.wait();
        ShellRun r;
        r.status = status.end == testing_child::Status::End::Exited ? int(status.code) : -1;
        r.out = lines(sql.output());
        r.err = lines(sql.errors());
        return r;
    }
    // A Windows program's text output ends its lines with "\r\n" (the C
    // runtime's text mode).
    static std::string lines(std::string text) {
#ifdef _WIN32
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
#endif
        return text;
    }
};

}  // namespace

TEST_F(Shell, PrintsRowsCountsAndErrors) {
    const struct {
        const char* statement;
        int status;
        const char* out;
        const char* err;  // a part of the message
    } cases[] = {
        {"CREATE TABLE \"{DataDir}\\T.dbf\"\n(\nID DECIMAL(10,0), NUME CHAR(20), SUP DECIMAL(9,4), DATA DATE)", 0,
         "0\n", ""},
        {"INSERT INTO \"{DataDir}\\T.dbf\"\n(ID, NUME, SUP, DATA)\nVALUES (2, \"ŞTEFAN  \", 12.0025, \"05.06.1995\")", 0,
         "1\n", ""},
        {"INSERT INTO \"{DataDir}\\T.dbf\" (ID, NUME, SUP) VALUES (3, \"\", 1.50)", 0, "1\n", ""},
        {"INSERT INTO \"{DataDir}\\T.dbf\" (ID, SUP) VALUES (4, 0)", 0, "1\n", ""},
        {"SELECT * FROM \"{DataDir}\\T.dbf\"", 0,
         "ID\tNUME\tSUP\tDATA\n2\tŞTEFAN\t12.0025\t05.06.1995\n3\t\t1.5\t\n4\t\t0\t\n", ""},
        {"SELECT Count(*) AS NR, MAX(DATA) AS ULTIMA\nFROM \"{DataDir}\\T.dbf\"\nWHERE ID>2", 0, "NR\tULTIMA\n2\t\n",
         ""},
        {"UPDATE \"{DataDir}\\T.dbf\"\nSET SUP=SUP+1\nWHERE ID>2", 0, "2\n", ""},
        {"SELECT ID\nFROM \"{DataDir}\\T.dbf\"\nWHERE NUME=\"A\"B\"", 1, "", "line 3, column 15"},
        {"SELECT NUMAR FROM \"{DataDir}\\T.dbf\"", 1, "", "NUMAR"},
        {"SELECT * FROM \"{DataDir}\\LIPSA.dbf\"", 1, "", "LIPSA.dbf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        const ShellRun r = shell(c.statement);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}
