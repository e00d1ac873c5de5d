// The per-parcel report: one row per title under the four location
// filters, and the land-register value it shares with the general report.
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "reports_fixture.h"

namespace reportstest {
namespace {

using ParcelReport = ReportTest<TRapParcF>;

TEST_F(ParcelReport, ListsEveryTitleOnceByNumberWithTheSumOfItsSurfaces) {
    open();
    EXPECT_EQ(linesOf(form->Tx),
              (QStringList{"SELECT T.TITULAR, T.IDTP, T.IDANEXA, T.INSAT, T.ANEXA, T.TPNR, SUM(D.SUPRAF) AS TOT",
                           "FROM " + quoted("TPDET.dbf") + " D", "LEFT JOIN " + quoted("TP.dbf") + " T",
                           "ON T.IDTP=D.IDTP", "", "", "GROUP BY T.IDTP,T.INSAT, T.IDANEXA, T.TPNR, T.TITULAR, T.ANEXA",
                           "ORDER BY T.TPNR"}));
    EXPECT_EQ(linesOf(form->ToX)[4], "");
    EXPECT_EQ(shownRows(form->SMDBGrid3), (QStringList{"1|Anexa 3|12|2.1250|CAB MARIA", "2||20|0.5000|POPA ANA", "3||3|3.0001|BA DAN",
                                    "4|Anexa 2A|7|1.7500|ABC ION"}));
    EXPECT_EQ(figures(*form), (QStringList{"4", "7.3751", "0.0000", "7.3751"}));
    // RF is opened for each lookup only.
    EXPECT_FALSE(form->Ti.isOpen());
    EXPECT_EQ(QString::fromStdString(form->Ti.tableName()), store().tablePath("RF.dbf"));
}

TEST_F(ParcelReport, TheLocationFiltersNarrowTheTitlesToTheirLandThere) {
    open();
    const struct {
        const char* name;
        std::function<void(TRapParcF&)> set;
        QString where;
        QStringList rows;  // title number = area
    } cases[] = {
        {"plot name", [](TRapParcF& f) { choose(f.TarlaBox, "LA POD"); }, "WHERE (OBS=\"LA POD\")",
         {"12=2.0000", "7=1.5000"}},
        {"village", [](TRapParcF& f) { choose(f.SatBox, "BRADU"); }, "WHERE (INSAT=\"BRADU\")",
         {"3=3.0001", "7=1.7500"}},
        {"plot number", [](TRapParcF& f) { f.NrTarlaE->setText("11"); }, "WHERE (NRTARLA=\"11\")",
         {"12=0.1250", "3=3.0001"}},
        {"parcel", [](TRapParcF& f) { f.ParcelaNr->setText("1"); }, "WHERE (PARCELA=1)", {"20=0.5000", "7=1.5000"}},
        {"parcel 0", [](TRapParcF& f) { f.ParcelaNr->setText("0"); }, "",
         {"12=2.1250", "20=0.5000", "3=3.0001", "7=1.7500"}},
        {"all four",
         [](TRapParcF& f) {
             choose(f.SatBox, "VALEA");
             choose(f.TarlaBox, "LA POD");
             f.NrTarlaE->setText("10");
             f.ParcelaNr->setText("3");
         },
         "WHERE (INSAT=\"VALEA\") AND (OBS=\"LA POD\") AND (NRTARLA=\"10\") AND (PARCELA=3)", {"12=2.0000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->ClearBClick();
        c.set(*form);
        EXPECT_EQ(txLine(4), c.where);
        EXPECT_EQ(linesOf(form->ToX)[4], c.where);
        QStringList rows;
        for (int r = 0; r < form->Tx.recordCount(); ++r)
            rows.append(QString::fromStdString(form->Tx.rowValue(r, form->Tx.fieldIndex("TPNR")).toString()) + "=" +
                        form->SMDBGrid3->datasetModel()->displayText(r, 3));
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(form->CountLab->text(), QString::number(c.rows.size()));
    }
}

TEST_F(ParcelReport, TheRegisterKeyIsTheGeneralReportsForTheSameLocation) {
    open();
    choose(form->SatBox, "VALEA");
    form->ParcelaNr->setText("3");
    EXPECT_EQ(form->registerKey().filterExpression(),
              "(INSAT='VALEA') AND (TITULAR='') AND (OBS=' * toate *') AND (NRTARLA='') AND (PARCELA=3) AND "
              "(LOT='') AND (ANEXA=' * toate *') AND (TIP=' * toate *') AND (CATEG=' * toate *')");
}

TEST_F(ParcelReport, ItsDialogStartsFromTheTotalAndASecondValueReplacesTheFirst) {
    open();
    choose(form->SatBox, "BRADU");
    recordValue(*form, "4");
    EXPECT_EQ(answers.requestsOf(platform::DialogKind::TextInput)[0].initialText, "4.7501");
    EXPECT_EQ(figures(*form), (QStringList{"2", "4.7501", "4.0000", "0.7501"}));
    recordValue(*form, "5.1");
    EXPECT_EQ(figures(*form), (QStringList{"2", "4.7501", "5.1000", "-0.3499"}));
    EXPECT_EQ(registerRows(), (Rows{"BRADU|| * toate *||0|| * toate *| * toate *| * toate *|5.1"}));
    EXPECT_FALSE(form->Ti.isOpen());

    // Cancelled: every value as it was.
    answers.textInput(std::nullopt);
    form->LbSpeedButton1Click();
    EXPECT_EQ(figures(*form), (QStringList{"2", "4.7501", "5.1000", "-0.3499"}));
    recordValue(*form, "5,2", true);
    EXPECT_EQ(messages(), QStringList{"Registru Funciar|Valoare incorecta!|1|4"});
    EXPECT_EQ(registerRows(), (Rows{"BRADU|| * toate *||0|| * toate *| * toate *| * toate *|5.1"}));
}

TEST_F(ParcelReport, ClearingRebuildsOnce) {
    open();
    choose(form->SatBox, "VALEA");
    choose(form->TarlaBox, "LA POD");
    form->NrTarlaE->setText("10");
    form->ParcelaNr->setText("3");
    ResetCounter rebuilds(form->Tx);
    form->ClearB->click();
    EXPECT_EQ(rebuilds.resets, 1);
    EXPECT_EQ(form->SatBox->currentIndex(), 0);
    EXPECT_EQ(form->TarlaBox->currentIndex(), 0);
    EXPECT_EQ(form->NrTarlaE->text(), "");
    EXPECT_EQ(form->ParcelaNr->text(), "");
    EXPECT_EQ(form->Tx.recordCount(), 4);
}

TEST_F(ParcelReport, SortsByItsColumnsButNotByTheRowNumber) {
    open();
    form->SMDBGrid3TitleClick("TOT");
    EXPECT_EQ(txLine(7), "ORDER BY TOT");
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"20", "7", "12", "3"}));
    EXPECT_EQ(column(form->Tx, "NRC"), (Rows{"1", "2", "3", "4"}));
    form->SMDBGrid3TitleClick("NRC");
    EXPECT_EQ(txLine(7), "ORDER BY TOT");
    choose(form->SatBox, "BRADU");
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"7", "3"}));
}

TEST_F(ParcelReport, IesireClosesTheShownReportAndItsDatasets) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, form.get(), [&] {
        if (!form->isVisible()) return;
        poll.stop();
        EXPECT_EQ(form->CountLab->text(), "4");
        form->CloseB->click();
    });
    poll.start();
    form->OpenReport();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Tx.isOpen());
    EXPECT_FALSE(form->Anex.isOpen());
}

TEST_F(ParcelReport, AnEngineErrorLeavesTheReportUsable) {
    open();
    const QString surfaces = store().tablePath("TPDET.DBF");
    ASSERT_TRUE(QFile::rename(surfaces, surfaces + ".away"));
    EXPECT_THROW(form->NrTarlaE->setText("10"), engine::Error);
    EXPECT_EQ(form->ChangeCount, 0);
    EXPECT_FALSE(form->Tx.isOpen());
    EXPECT_FALSE(form->Ti.isOpen());
    ASSERT_TRUE(QFile::rename(surfaces + ".away", surfaces));
    form->NrTarlaE->setText("11");
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"12", "3"}));
    EXPECT_EQ(figures(*form), (QStringList{"2", "3.1251", "0.0000", "3.1251"}));
}

// A value recorded in either report is the value of the other for the same
// location: the village alone here, the holder and lot boxes empty and the
// general report's other lists at " * toate *".
class SharedRegister : public ReportsFixture {
protected:
    std::unique_ptr<TRaportF> general = std::make_unique<TRaportF>();
    std::unique_ptr<TRapParcF> parcel = std::make_unique<TRapParcF>();

    void SetUp() override {
        ReportsFixture::SetUp();
        addRegister();
    }
    void TearDown() override {
        general.reset();
        parcel.reset();
        ReportsFixture::TearDown();
    }
};

TEST_F(SharedRegister, AValueRecordedInOneReportIsShownByTheOtherBothWays) {
    parcel->prepareOpening();
    choose(parcel->SatBox, "VALEA");
    recordValue(*parcel, "2.7");
    parcel->closeDown();

    general->prepareOpening();
    choose(general->SatBox, "VALEA");
    EXPECT_EQ(general->RegisterLab->text(), "2.7000");
    EXPECT_EQ(general->DifferenceLab->text(), "-0.0750");  // 2.625 - 2.7
    // Another combination of the general report is another value.
    choose(general->CategC, "Arabil");
    EXPECT_EQ(general->RegisterLab->text(), "0.0000");
    choose(general->CategC, " * toate *");
    recordValue(*general, "2.625");
    general->closeDown();

    parcel->prepareOpening();
    choose(parcel->SatBox, "VALEA");
    EXPECT_EQ(parcel->RegisterLab->text(), "2.6250");
    EXPECT_EQ(parcel->DifferenceLab->text(), "0.0000");
    EXPECT_EQ(registerRows(), (Rows{"VALEA|| * toate *||0|| * toate *| * toate *| * toate *|2.625"}));
}

TEST_F(SharedRegister, RecordsMatchTheirKeyExactlyEvenWhereTheFilterReadsAPrefix) {
    // A plot name ending in "*" reads as "begins with" in a filter: the
    // value of "LA POD*" must not be the value of "LA PODUL".
    surface(titleBa, "EXTRAVILAN", "Arabil", "1", "LA POD*", "1", "1", "");
    surface(titleBa, "EXTRAVILAN", "Arabil", "1", "LA PODUL", "1", "1", "");
    parcel->prepareOpening();
    choose(parcel->TarlaBox, "LA PODUL");
    recordValue(*parcel, "7");
    choose(parcel->TarlaBox, "LA POD*");
    EXPECT_EQ(parcel->RegisterLab->text(), "0.0000");
    recordValue(*parcel, "8");
    choose(parcel->TarlaBox, "LA PODUL");
    EXPECT_EQ(parcel->RegisterLab->text(), "7.0000");
    EXPECT_EQ(tableRows("RF.dbf", "OBS, SUPRAF"), (Rows{"LA PODUL|7", "LA POD*|8"}));
}

}  // namespace
}  // namespace reportstest
