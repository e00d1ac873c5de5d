// The annex import over workbooks made by LibreOffice.
#include <QFileInfo>

#include "app/message_dialog.h"
#include "engine/errors.h"
#include "exchange/annex_import.h"
#include "exchange/workbook_reader.h"
#include "exchange_fixture.h"

namespace {

using exchangetest::fixture;

struct Message {
    QString heading;
    QString text;
    unsigned kind;
    unsigned buttons;
};

// Answers the questions in turn and records every message and call.
class RecordingHost : public exchange::ImportHost {
public:
    std::vector<int> answers;  // for the questions, in order
    std::vector<Message> messages;
    QStringList calls;
    int progressMaximum = -1;
    int advanced = 0;

    int Mesaj(const QString& heading, const QString& text, unsigned kind, unsigned buttons) override {
        messages.push_back({heading, text, kind, buttons});
        if (buttons != mbDa + mbNu) return mrOk;
        if (answers.empty()) return mrRenunt;
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void showProgress(const QString& caption, int maximum) override {
        calls << QStringLiteral("show ") + caption;
        progressMaximum = maximum;
    }
    void advanceProgress() override { ++advanced; }
    void hideProgress() override { calls << QStringLiteral("hide"); }
    void closeDatasets() override { calls << QStringLiteral("close"); }
    void reopenDatasets() override { calls << QStringLiteral("reopen"); }
};

class AnnexImportTest : public exchangetest::ExchangeFixture {
protected:
    RecordingHost host;
    engine::Query sx;

    bool import(const QString& file, const QString& annex = QStringLiteral("Anexa 2A")) {
        exchange::AnnexImport run(store, sx, host);
        return run.run(file, annex);
    }
    std::vector<std::string> lines(const QString& annex = QStringLiteral("Anexa 2A")) {
        return rows(QStringLiteral("SELECT NRCRTA, TIPANX, SATUL, NUME, SINCAP, SSOL, SACT, MOSTEN, EXTOT, NEAG FROM ") +
                    quoted(QStringLiteral("Anexe1.dbf")) + QStringLiteral(" WHERE ANEXA=\"") + annex +
                    QStringLiteral("\" ORDER BY NRCRTA"));
    }
    std::vector<std::string> titles() {
        return rows(QStringLiteral("SELECT T.TPNR, T.TPCOD, T.TITULAR, T.INSAT, T.DATA, T.SUPTOT, T.ANEXA, A.NRCRTA FROM ") +
                    quoted(QStringLiteral("TP.dbf")) + QStringLiteral(" T LEFT JOIN ") +
                    quoted(QStringLiteral("Anexe1.dbf")) +
                    QStringLiteral(" A ON T.IDANEXA=A.IDANEXA ORDER BY T.TPNR, T.INSAT"));
    }
    QString counter(const char* name) { return store.ReadCounter(QString::fromLatin1(name)); }
    bool copyLeft() { return QFileInfo::exists(dir.path() + QStringLiteral("/XLSTmp0.xls")); }
};

TEST_F(AnnexImportTest, SheetsOfAnotherLayoutStopBeforeAnyQuestion) {
    const struct {
        const char* file;
        QString text;
    } cases[] = {
        {"columns21.xls", QStringLiteral("\rFisierul Excel ales are mai putin de 22 coloane!")},
        {"subanexa_caption.xls", QStringLiteral("\rFisierul Excel NU corespunde cu cel exportat!")},
        {"annex_3.xls", QStringLiteral("\rFisierul Excel este cu Anexa 3, in loc de Anexa 2A!")},
        {"captions_only.xls", QStringLiteral("\rFisierul Excel este cu , in loc de Anexa 2A!")},
    };
    addLine(2, QStringLiteral("Anexa 2A"), 1, QStringLiteral("BRAN"), QStringLiteral("POP"));
    const auto before = dataFiles();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        host.messages.clear();
        EXPECT_FALSE(import(fixture(QString::fromLatin1(c.file))));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].heading, QStringLiteral("Import date"));
        EXPECT_EQ(host.messages[0].text, c.text);
        EXPECT_EQ(host.messages[0].kind, mkError);
        EXPECT_EQ(host.messages[0].buttons, mbOk);
        EXPECT_TRUE(copyLeft());
    }
    EXPECT_EQ(dataFiles(), before);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(AnnexImportTest, OnlyRowsWithAPositiveFirstCellAreLines) {
    host.answers = {mrDa, mrNu};
    EXPECT_TRUE(import(fixture(QStringLiteral("first_column.xls"))));
    ASSERT_GE(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0].heading, QStringLiteral("Import date Anexa 2A"));
    EXPECT_EQ(host.messages[0].text, QStringLiteral("\rDoriti sa adaugam 3 linii?"));
    EXPECT_EQ(host.messages[0].kind, mkConfirmation);
    EXPECT_EQ(host.messages[1].text, QStringLiteral("\rDoriti sa stergem liniile existente la aceasta Anexa?"));
    EXPECT_EQ(host.messages[2].heading, QStringLiteral("Import date"));
    EXPECT_EQ(host.messages[2].text, QStringLiteral("\rImport incheiat cu succes!"));
    EXPECT_EQ(host.messages[2].kind, mkInformation);
    const std::vector<std::string> expected = {"1|Anexa 2A|BRAN|Nume 0|1.5|2|4||0.25|2.75",
                                               "2|Anexa 2A|BRAN|Nume 1|1.5|2|4||0.25|2.75",
                                               "3|Anexa 2A|BRAN|Nume 4|1.5|2|4||0.25|2.75"};
    EXPECT_EQ(lines(), expected);
    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("show Import date Anexa 2A"), QStringLiteral("close"),
                                       QStringLiteral("reopen"), QStringLiteral("hide")}));
    EXPECT_EQ(host.progressMaximum, 0);
    EXPECT_TRUE(copyLeft());
}

class AnnexImportFormatsTest : public AnnexImportTest, public ::testing::WithParamInterface<const char*> {};

// The same sheet from each kind of workbook, into an annex whose greatest
// position is 40, beside a title 55 of "SAT NOU" linked elsewhere.
TEST_P(AnnexImportFormatsTest, RowsBecomeLinesAndTitles) {
    addLine(40, QStringLiteral("Anexa 2A"), 40, QStringLiteral("BRAN"), QStringLiteral("VECHI"));
    addLine(41, QStringLiteral("Anexa 3"), 1, QStringLiteral("SAT NOU"), QStringLiteral("ALTUL"));
    addTitle(50, QStringLiteral("55"), QStringLiteral("SAT NOU"), QStringLiteral("VECHI"), QStringLiteral("Anexa 3"), 41);
    addTitle(51, QStringLiteral("56"), QStringLiteral("SAT NOU"), QStringLiteral("NEATINS"), QStringLiteral("Anexa 3"), 41);
    store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDANEXA"), QStringLiteral("41"));
    store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDTP"), QStringLiteral("51"));

    host.answers = {mrDa, mrNu};
    EXPECT_TRUE(import(fixture(QString::fromLatin1(GetParam()))));
    EXPECT_EQ(host.messages[0].text, QStringLiteral("\rDoriti sa adaugam 5 linii?"));
    const std::vector<std::string> expected = {
        "40|Anexa 2A|BRAN|VECHI||||||",
        // Sub-annex and village as in the cell; name and heirs cleaned; a
        // decimal comma reads as 0.
        "41|Anexa 2A|BRAN|Pop Ion|1.5|2|4||0.25|2.75",
        "42|Anexa 2A| Sat  Nou|Ana Marin|1.5|2|4|Ion; Maria|0.25|2.75",
        "43|Anexa 2A|BRAN|Vasile|0|2|4||0.25|2.75",
        "44|Anexa 2A|bran|Mic|1.5|2|4||0.25|2.75",
        "45|Anexa 2A|Ştefăneşti|Ţăran Ion|1.5|2|4||0.25|2.75"};
    EXPECT_EQ(lines(), expected);
    const std::vector<std::string> expectedTitles = {
        // The quotes of the number cell are gone: it matched nothing and
        // rewrote no other title.
        "1 OR 1=1|0|Mic|bran|01.01.1900|1|Anexa 2A|44",
        // Matched by number and village in capitals: holder, area, line and
        // annex rewritten; code and date kept.
        "55|9|Ana Marin|SAT NOU|02.03.2001|3.5|Anexa 2A|42",
        "56|9|NEATINS|SAT NOU|02.03.2001|1|Anexa 3|1",
        "77|0|Ţăran Ion|Ştefăneşti|01.01.1900|2.5|Anexa 2A|45",
        "T100|0|Pop Ion|BRAN|01.01.1900|7.25|Anexa 2A|41"};
    EXPECT_EQ(titles(), expectedTitles);
    EXPECT_EQ(counter("IDANEXA"), QStringLiteral("46"));
    EXPECT_EQ(counter("IDTP"), QStringLiteral("54"));
}

INSTANTIATE_TEST_SUITE_P(Workbooks, AnnexImportFormatsTest,
                         ::testing::Values("annex_2a.xls", "annex_2a.xlsx", "annex_2a.ods"));

class AnnexImportFormulasTest : public AnnexImportTest, public ::testing::WithParamInterface<const char*> {};

// A sheet written with formulas: every "Nr.Poz." is ROW()-1, a village and a
// name are put together, a logical stands in a text column, a surface and a
// title number are sums. Each formula counts with the result saved with it.
TEST_P(AnnexImportFormulasTest, FormulaCellsCountWithTheirSavedResults) {
    host.answers = {mrDa, mrNu};
    EXPECT_TRUE(import(fixture(QString::fromLatin1(GetParam()))));
    EXPECT_EQ(host.messages[0].text, QStringLiteral("\rDoriti sa adaugam 4 linii?"));
    const std::vector<std::string> expected = {"1|Anexa 2A|BRAN|Pop Ion|1.5|2|4||0.25|2.75",
                                               "2|Anexa 2A|BRAN|1|1.5|2|4||0.25|2.75",
                                               "3|Anexa 2A|BRAN|Ana Marin|1.5|2|4||0.25|2.75",
                                               "4|Anexa 2A|BRAN|Vasile|1.5|2|4||0.25|2.75"};
    EXPECT_EQ(lines(), expected);
    const std::vector<std::string> expectedTitles = {"45|0|Vasile|BRAN|01.01.1900|0|Anexa 2A|4"};
    EXPECT_EQ(titles(), expectedTitles);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, AnnexImportFormulasTest,
                         ::testing::Values("formulas.xls", "formulas_gnumeric.xls", "formulas_gnumeric_excel95.xls",
                                           "formulas.xlsx", "formulas.ods"));

TEST_F(AnnexImportTest, DeletingTheExistingLinesNumbersFromOneAndFreesTheirTitles) {
    addLine(2, QStringLiteral("Anexa 2A"), 40, QStringLiteral("BRAN"), QStringLiteral("VECHI"));
    addLine(3, QStringLiteral("Anexa 3"), 1, QStringLiteral("BRAN"), QStringLiteral("RAMANE"));
    addTitle(5, QStringLiteral("9"), QStringLiteral("BRAN"), QStringLiteral("LIBER"), QStringLiteral("Anexa 2A"), 2);
    addTitle(6, QStringLiteral("55"), QStringLiteral("SAT NOU"), QStringLiteral("RELEGAT"), QStringLiteral("Anexa 2A"), 2);
    store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDANEXA"), QStringLiteral("3"));
    host.answers = {mrDa, mrDa};
    EXPECT_TRUE(import(fixture(QStringLiteral("annex_2a.xls"))));
    const std::vector<std::string> positions = rows(QStringLiteral("SELECT NRCRTA, NUME FROM ") +
                                                    quoted(QStringLiteral("Anexe1.dbf")) +
                                                    QStringLiteral(" WHERE ANEXA=\"Anexa 2A\" ORDER BY NRCRTA"));
    EXPECT_EQ(positions, (std::vector<std::string>{"1|Pop Ion", "2|Ana Marin", "3|Vasile", "4|Mic", "5|Ţăran Ion"}));
    EXPECT_EQ(lines(QStringLiteral("Anexa 3")).size(), 1u);
    const std::vector<std::string> linked = rows(QStringLiteral("SELECT TPNR, ANEXA, IDANEXA FROM ") +
                                                 quoted(QStringLiteral("TP.dbf")) +
                                                 QStringLiteral(" WHERE TPNR=\"9\" OR TPNR=\"55\" ORDER BY TPNR"));
    // The title of no sheet row is freed; the relinked one takes the annex again.
    EXPECT_EQ(linked, (std::vector<std::string>{"55|Anexa 2A|5", "9||0"}));
}

TEST_F(AnnexImportTest, ASecondImportAddsTheLinesAgainAndTakesTheTitles) {
    host.answers = {mrDa, mrNu, mrDa, mrNu};
    EXPECT_TRUE(import(fixture(QStringLiteral("annex_2a.xls"))));
    EXPECT_TRUE(import(fixture(QStringLiteral("annex_2a.xls"))));
    EXPECT_EQ(lines().size(), 10u);
    // A title is found again only where its village cell was already clean
    // and in capitals: "bran", " Sat  Nou " and "Ştefăneşti" were stored as
    // typed and are looked up cleaned and in capitals, so their titles are
    // created again; T100 of BRAN is found and relinked.
    const std::vector<std::string> linked = rows(QStringLiteral("SELECT T.TPNR, A.NRCRTA FROM ") +
                                                 quoted(QStringLiteral("TP.dbf")) + QStringLiteral(" T LEFT JOIN ") +
                                                 quoted(QStringLiteral("Anexe1.dbf")) +
                                                 QStringLiteral(" A ON T.IDANEXA=A.IDANEXA ORDER BY T.TPNR, A.NRCRTA"));
    EXPECT_EQ(linked, (std::vector<std::string>{"1 OR 1=1|4", "1 OR 1=1|9", "55|2", "55|7", "77|5", "77|10",
                                                "T100|6"}));
}

TEST_F(AnnexImportTest, ValuesTheTablesCannotHoldAreReportedTogetherAndNothingIsWritten) {
    const auto before = dataFiles();
    EXPECT_FALSE(import(fixture(QStringLiteral("long_texts.xls"))));
    ASSERT_EQ(host.messages.size(), 1u);
    const Message& m = host.messages[0];
    EXPECT_EQ(m.heading, QStringLiteral("Import date"));
    EXPECT_EQ(m.kind, mkError);
    // Every problem is listed: 23 names, then the village, the area and the
    // title number of the last row.
    const QStringList parts = m.text.split(QLatin1Char('\r'));
    ASSERT_EQ(parts.size(), 2 + 26);
    EXPECT_EQ(parts[1], QStringLiteral("Valori care nu incap in tabele (26); nu s-a importat nimic:"));
    EXPECT_EQ(parts[2],
              QStringLiteral("Randul 2, coloana 4 (AUTOR): textul de 121 caractere nu incape in campul NUME (cel mult 120)"));
    EXPECT_TRUE(parts[24].startsWith(QStringLiteral("Randul 24, coloana 4 (AUTOR): ")));
    EXPECT_EQ(parts.mid(25), (QStringList{
                                 QStringLiteral("Randul 25, coloana 3 (SATUL): textul de 25 caractere nu incape in campul "
                                                "SATUL (cel mult 24)"),
                                 QStringLiteral("Randul 25, coloana 8 (Supr.act.): valoarea 12345.5 nu incape in campul "
                                                "SACT (cel mult 999.9999)"),
                                 QStringLiteral("Randul 25, coloana 21 (Titlul Nr.): textul de 17 caractere nu incape in "
                                                "campul TPNR (cel mult 16)")}));
    EXPECT_EQ(dataFiles(), before);
    EXPECT_TRUE(host.calls.isEmpty());
}

// Each way a value can miss its field, said in Romanian.
TEST_F(AnnexImportTest, EachRefusedValueSaysWhyInRomanian) {
    EXPECT_FALSE(import(fixture(QStringLiteral("misfits.xls"))));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.split(QLatin1Char('\r')).mid(2),
              (QStringList{
                  QStringLiteral("Randul 2, coloana 5 (Supr.in CAP): valoarea 1500 nu incape in campul SINCAP (cel mult "
                                 "999.9999)"),
                  QStringLiteral("Randul 3, coloana 4 (AUTOR): caracterul \"\u0418\" (U+0418) nu poate fi scris in "
                                 "campul NUME: pagina de cod 1250 nu il are"),
                  QStringLiteral("Randul 4, coloana 9 (Mostenitori): textul de 130 caractere nu incape in campul MOSTEN "
                                 "(cel mult 120)"),
                  QStringLiteral("Randul 5, coloana 2 (Subanexa): textul de 29 caractere nu incape in campul TIPANX (cel "
                                 "mult 24)"),
                  QStringLiteral("Randul 6, coloana 22 (Supr.Totala): valoarea 10000 nu incape in campul SUPTOT (cel mult "
                                 "9999.9999)")}));
}

TEST_F(AnnexImportTest, DecliningTheFirstQuestionChangesNothing) {
    const auto before = dataFiles();
    host.answers = {mrNu};
    EXPECT_FALSE(import(fixture(QStringLiteral("annex_2a.xls"))));
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(dataFiles(), before);
    EXPECT_TRUE(copyLeft());
}

// An engine error at any statement of the writing, the deletion included,
// leaves the tables and the counters exactly as they were.
TEST_F(AnnexImportTest, AFailurePartWayLeavesEverythingAsBefore) {
    addLine(2, QStringLiteral("Anexa 2A"), 40, QStringLiteral("BRAN"), QStringLiteral("VECHI"));
    addTitle(6, QStringLiteral("55"), QStringLiteral("SAT NOU"), QStringLiteral("RELEGAT"), QStringLiteral("Anexa 2A"), 2);
    store.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDANEXA"), QStringLiteral("2"));
    const auto before = dataFiles();
    for (const int failAt : {0, 1, 5, 9}) {
        SCOPED_TRACE(failAt);
        host = RecordingHost();
        host.answers = {mrDa, mrDa};
        exchange::AnnexImport run(store, sx, host);
        run.beforeStatement = [failAt](int n) {
            if (n == failAt) throw engine::TableError("disk full");
        };
        EXPECT_FALSE(run.run(fixture(QStringLiteral("annex_2a.xls")), QStringLiteral("Anexa 2A")));
        ASSERT_EQ(host.messages.size(), 3u);
        EXPECT_EQ(host.messages[2].text,
                  QStringLiteral("\rImportul s-a oprit; tabelele au ramas ca inainte.\rdisk full"));
        EXPECT_EQ(host.calls.last(), QStringLiteral("hide"));
        EXPECT_TRUE(host.calls.contains(QStringLiteral("reopen")));
        EXPECT_EQ(dataFiles(), before);
    }
}

TEST_F(AnnexImportTest, AFileThatIsNotThereIsAnErrorOfTheWorkbook) {
    EXPECT_THROW(import(dir.path() + QStringLiteral("/missing.xls")), exchange::WorkbookError);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
