// The terralog-sql shell, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include "sql_fixture.h"

namespace {

struct ShellRun {
    int status = -1;
    std::string out, err;
};

class Shell : public SqlFixture {
protected:
    ShellRun shell(const std::string& statement) {
        const std::string in = dir() + "/in.sql", out = dir() + "/out.txt", err = dir() + "/err.txt";
        std::ofstream(in, std::ios::binary) << expand(statement);
        const std::string command = std::string("'") + TERRALOG_SQL_BIN + "' < '" + in + "' > '" + out + "' 2> '" + err + "'";
        ShellRun r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = read(out);
        r.err = read(err);
        return r;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
