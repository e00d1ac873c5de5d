// The terralog-sql shell, run as a user runs it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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

TEST_F(Shell, ADamagedTableStopsTheStatementWithItsDamageOnStandardError) {
    createTables();
    for (int i = 2; i <= 6; ++i) {
        exec({"INSERT INTO \"{DataDir}\\TPDET.DBF\" (IDTP, IDDET, SUPRAF) VALUES (" + std::to_string(i) + ", " +
              std::to_string(i) + ", 1.5)"});
        exec({"INSERT INTO \"{DataDir}\\TP.DBF\" (IDTP, SUPTOT) VALUES (" + std::to_string(i) + ", 1.5)"});
    }
    const std::string tpdet = expand("{DataDir}/TPDET.DBF"), tp = expand("{DataDir}/TP.DBF");
    const std::string goodTpdet = read(tpdet), goodTp = read(tp);
    const size_t headerLength = 32 + 16 * 32 + 1, recordLength = 358;
    ASSERT_EQ(goodTpdet.size(), headerLength + 5 * recordLength + 1);
    // SUPTOT of the second title: after TP's header and first record, its flag, IDTP ... DATA.
    const size_t suptot = (32 + 9 * 32 + 1) + 223 + 1 + 10 + 16 + 9 + 120 + 24 + 8;
    const struct {
        const char* what;
        std::string file, bytes;
        const char* problem;
    } cases[] = {
        {"header counts fewer", tpdet, std::string(goodTpdet).replace(4, 1, 1, '\3'),
         "terralog-sql: Tabelul TPDET.DBF este deteriorat: antetul numara 3 inregistrari, fisierul are 5 inregistrari "
         "intregi.\n"},
        {"header counts more", tpdet, std::string(goodTpdet).replace(4, 1, 1, '\7'),
         "terralog-sql: Tabelul TPDET.DBF este deteriorat: antetul numara 7 inregistrari, fisierul are 5 inregistrari "
         "intregi.\n"},
        {"cut in record 4", tpdet, goodTpdet.substr(0, headerLength + 3 * recordLength + 100),
         "terralog-sql: Tabelul TPDET.DBF este deteriorat: antetul numara 5 inregistrari, fisierul are 3 inregistrari "
         "intregi si o inregistrare taiata (100 din 358 octeti).\n"},
        {"a stray letter in a number", tp, std::string(goodTp).replace(suptot, 9, "   12a.5 "),
         "terralog-sql: Tabelul TP.DBF, inregistrarea 2, campul SUPTOT: \"12a.5\" nu este un numar.\n"},
    };
    const std::string statements[] = {
        "SELECT * FROM \"{DataDir}\\TPDET.DBF\"",
        "INSERT INTO \"{DataDir}\\TPDET.DBF\" (IDDET) VALUES (9)",
        "SELECT T.IDTP, T.SUPTOT, D.SUPRAF FROM \"{DataDir}\\TP.DBF\" T\nLEFT JOIN \"{DataDir}\\TPDET.DBF\" D ON "
        "D.IDTP=T.IDTP",
        "UPDATE \"{DataDir}\\TP.DBF\" SET IDANEXA=1",
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(c.file, std::ios::binary | std::ios::trunc) << c.bytes;
        for (const std::string& statement : statements) {
            const bool reads = statement.find(c.file == tp ? "TP.DBF\"" : "TPDET.DBF\"") != std::string::npos;
            if (!reads) continue;
            SCOPED_TRACE(statement);
            const ShellRun r = shell(statement);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, c.problem);
            EXPECT_EQ(read(c.file), c.bytes);
        }
        // The other tables serve as before.
        const ShellRun other = shell("SELECT Count(*) AS NR FROM \"{DataDir}\\ANEXE1.DBF\"");
        EXPECT_EQ(other.status, 0) << other.err;
        EXPECT_EQ(other.out, "NR\n0\n");
        std::ofstream(c.file, std::ios::binary | std::ios::trunc) << (c.file == tp ? goodTp : goodTpdet);
    }
}
