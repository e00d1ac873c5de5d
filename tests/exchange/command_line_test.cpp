// The command-line programs, run as a script runs them.
#include <QProcess>

#include "common/test_paths.h"
#include "exchange/workbook_reader.h"
#include "exchange_fixture.h"

namespace {

using exchangetest::fixture;

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const std::string& program, const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString(testing_paths::builtProgram(program)), args);
    ToolRun r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class CommandLineTest : public exchangetest::ExchangeFixture {
protected:
    ToolRun import(QStringList args) {
        return runTool("terralog-import", QStringList{QStringLiteral("--data"), store.DataDir()} + args);
    }
    ToolRun exportTo(QStringList args) {
        return runTool("terralog-export", QStringList{QStringLiteral("--data"), store.DataDir()} + args);
    }
    // The sheet's rows, those columns of each joined by "|".
    QStringList sheet(const QString& path, const std::vector<int>& columns = {1, 3, 4, 21}) {
        const auto book = exchange::openWorkbookFile(path);
        QStringList out;
        for (int r = 1; r <= book->usedRows(); ++r) {
            QStringList cells;
            for (const int c : columns) cells << book->cellText(r, c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
};

TEST_F(CommandLineTest, ImportPrintsTheMessagesAndAnswersAsAsked) {
    addLine(2, QStringLiteral("Anexa 2A"), 40, QStringLiteral("BRAN"), QStringLiteral("VECHI"));
    const ToolRun kept = import({QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), fixture(QStringLiteral("annex_2a.xlsx"))});
    EXPECT_EQ(kept.exitCode, 0) << kept.err.toStdString();
    EXPECT_EQ(kept.out, QStringLiteral("Import date Anexa 2A\nDoriti sa adaugam 5 linii?\n"
                                       "Import date Anexa 2A\nDoriti sa stergem liniile existente la aceasta Anexa?\n"
                                       "Import date\nImport incheiat cu succes!\n"));
    EXPECT_EQ(rows(QStringLiteral("SELECT COUNT(*) FROM ") + quoted(QStringLiteral("Anexe1.dbf"))),
              std::vector<std::string>{"6"});
    // The copy of the workbook goes beside the data folder.
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/XLSTmp0.xlsx")));

    const ToolRun replaced = import({QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), QStringLiteral("--delete-existing"),
                                 fixture(QStringLiteral("annex_2a.xls"))});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_EQ(rows(QStringLiteral("SELECT MIN(NRCRTA), MAX(NRCRTA), COUNT(*) FROM ") + quoted(QStringLiteral("Anexe1.dbf"))),
              std::vector<std::string>{"1|5|5"});
}

TEST_F(CommandLineTest, ImportFailuresExitWithOneAndLeaveTheTables) {
    const auto before = dataFiles();
    const ToolRun wrong = import({QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), fixture(QStringLiteral("annex_3.xls"))});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(wrong.out, QStringLiteral("Import date\nFisierul Excel este cu Anexa 3, in loc de Anexa 2A!\n"));
    const ToolRun missing = import({QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), dir.path() + QStringLiteral("/nu.xls")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith(QStringLiteral("terralog-import: "))) << missing.err.toStdString();
    EXPECT_EQ(dataFiles(), before);
}

// The four programs alike: --help on standard output with exit 0, an
// unknown option said as "program: ..." with the usage and exit 2.
TEST_F(CommandLineTest, EveryProgramHelpsAndRefusesAnUnknownOption) {
    for (const char* program : {"terralog-sql", "terralog-import", "terralog-export", "terralog-backup"}) {
        SCOPED_TRACE(program);
        const ToolRun help = runTool(program, {QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Folosire: ")) || help.out.startsWith(QStringLiteral("Folosire:\n")))
            << help.out.toStdString();
        const ToolRun wrong = runTool(program, {QStringLiteral("--nu-exista")});
        EXPECT_EQ(wrong.exitCode, 2);
        EXPECT_TRUE(wrong.err.startsWith(QLatin1String(program) + QStringLiteral(": "))) << wrong.err.toStdString();
        EXPECT_TRUE(wrong.err.contains(QStringLiteral("Folosire:"))) << wrong.err.toStdString();
    }
}

TEST_F(CommandLineTest, WrongUsageExitsWithTwo) {
    const QStringList cases[] = {
        {},
        {QStringLiteral("--annex"), QStringLiteral("Anexa 2A")},
        {QStringLiteral("--annex"), QStringLiteral("Anexa 99"), QStringLiteral("f.xls")},
        {QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), QStringLiteral("--force"), QStringLiteral("f.xls")},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(import(args).exitCode, 2);
    }
    // Said in Romanian, as the form says it.
    EXPECT_TRUE(import(cases[2]).err.startsWith(QStringLiteral("terralog-import: anexa \"Anexa 99\" nu exista; anexele sunt ")));
    EXPECT_TRUE(import(cases[0]).err.startsWith(QStringLiteral("Folosire: terralog-import")));
    const QStringList exports[] = {
        {QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), QStringLiteral("out.csv")},
        {QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), QStringLiteral("--format"), QStringLiteral("csv"),
         QStringLiteral("out.csv")},
        {QStringLiteral("--annex"), QStringLiteral("Anexa 2A"), QStringLiteral("--report"), QStringLiteral("general"),
         QStringLiteral("--format"), QStringLiteral("xls"), QStringLiteral("out.xls")},
        {QStringLiteral("--report"), QStringLiteral("weekly"), QStringLiteral("--format"), QStringLiteral("xls"),
         QStringLiteral("out.xls")},
    };
    for (const QStringList& args : exports) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(exportTo(args).exitCode, 2);
    }
}

TEST_F(CommandLineTest, ExportWritesTheAnnexListWithTheViewsFilters) {
    addLine(2, QStringLiteral("Anexa 2A"), 1, QStringLiteral("BRAN"), QStringLiteral("ZETA"));
    addLine(3, QStringLiteral("Anexa 2A"), 2, QStringLiteral("BRAN"), QStringLiteral("ALFA"));
    addLine(4, QStringLiteral("Anexa 2A"), 3, QStringLiteral("ARINI"), QStringLiteral("BETA"));
    addLine(5, QStringLiteral("Anexa 3"), 1, QStringLiteral("BRAN"), QStringLiteral("ALTA"));
    addTitle(7, QStringLiteral("T9"), QStringLiteral("BRAN"), QStringLiteral("ALFA"), QStringLiteral("Anexa 2A"), 3);
    const struct {
        QStringList filters;
        QStringList rows;
    } cases[] = {
        {{}, {"Nr.Poz.|SATUL|AUTOR|Titlul Nr.", "1|BRAN|ZETA|** NUL **", "2|BRAN|ALFA|T9", "3|ARINI|BETA|** NUL **"}},
        {{QStringLiteral("--village"), QStringLiteral("BRAN"), QStringLiteral("--alpha")},
         {"Nr.Poz.|SATUL|AUTOR|Titlul Nr.", "2|BRAN|ALFA|T9", "1|BRAN|ZETA|** NUL **"}},
        {{QStringLiteral("--no-title")},
         {"Nr.Poz.|SATUL|AUTOR|Titlul Nr.", "1|BRAN|ZETA|** NUL **", "3|ARINI|BETA|** NUL **"}},
    };
    for (const QString& format : {QStringLiteral("xls"), QStringLiteral("xlsx")}) {
        for (const auto& c : cases) {
            SCOPED_TRACE((format + QLatin1Char(' ') + c.filters.join(' ')).toStdString());
            const QString out = dir.path() + QStringLiteral("/lista.") + format;
            const ToolRun r = exportTo(QStringList{QStringLiteral("--annex"), QStringLiteral("Anexa 2A")} + c.filters +
                                   QStringList{QStringLiteral("--format"), format, out});
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_EQ(sheet(out), c.rows);
        }
    }
}

// Each report with every filter neutral: the general one by holder, the
// per-parcel one by title number, under their export headings.
TEST_F(CommandLineTest, ExportWritesAReportAsItOpens) {
    addLine(2, QStringLiteral("Anexa 2A"), 1, QStringLiteral("BRAN"), QStringLiteral("POP ION"));
    addTitle(7, QStringLiteral("12"), QStringLiteral("BRAN"), QStringLiteral("POP ION"), QStringLiteral("Anexa 2A"), 2);
    addTitle(8, QStringLiteral("3"), QStringLiteral("ARINI"), QStringLiteral("ANA"), QString(), 0);
    for (const char* values : {"(7, 20, \"EXTRAVILAN\", \"Arabil\", 1.5)", "(7, 21, \"INTRAVILAN\", \"Curti\", 0.25)",
                               "(8, 22, \"EXTRAVILAN\", \"Vii\", 2)"})
        run(QStringLiteral("INSERT INTO ") + quoted(QStringLiteral("TPDET.dbf")) +
            QStringLiteral(" (IDTP, IDDET, TIP, CATEG, SUPRAF) VALUES ") + QString::fromLatin1(values));
    const QString general = dir.path() + QStringLiteral("/general.xlsx");
    const ToolRun g = exportTo({QStringLiteral("--report"), QStringLiteral("general"), QStringLiteral("--format"),
                                QStringLiteral("xlsx"), general});
    ASSERT_EQ(g.exitCode, 0) << g.err.toStdString();
    EXPECT_EQ(exchange::openWorkbookFile(general)->usedColumns(), 15);
    EXPECT_EQ(sheet(general, {1, 2, 4, 5, 12, 15}),
              (QStringList{"Nr. Crt.|Satul|Titulari|Titlul Nr.|Suprafata|Detalii", "1|ARINI|ANA|3|2|",
                           "2|BRAN|POP ION|12|1.5|", "3|BRAN|POP ION|12|0.25|"}));

    const QString parcel = dir.path() + QStringLiteral("/parcel.xls");
    const ToolRun p = exportTo({QStringLiteral("--report"), QStringLiteral("parcel"), QStringLiteral("--format"),
                                QStringLiteral("xls"), parcel});
    ASSERT_EQ(p.exitCode, 0) << p.err.toStdString();
    EXPECT_EQ(sheet(parcel, {1, 2, 3, 4, 5}),
              (QStringList{"Nr. Crt.|Anexa|Titlul Nr.|Suprafata|Titulari", "1|Anexa 2A|12|1.75|POP ION",
                           "2||3|2|ANA"}));
}

TEST_F(CommandLineTest, AReportOfAFolderWithoutTablesFailsWithOne) {
    const QString empty = dir.path() + QStringLiteral("/Gol");
    ASSERT_TRUE(QDir().mkpath(empty));
    const ToolRun r = runTool("terralog-export", {QStringLiteral("--data"), empty, QStringLiteral("--report"),
                                                    QStringLiteral("general"), QStringLiteral("--format"),
                                                    QStringLiteral("csv"), dir.path() + QStringLiteral("/r.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("terralog-export: Tabelul nu exista: "))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/r.csv")));
}

}  // namespace
