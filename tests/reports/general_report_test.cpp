// The general report: its statements, the nine filters, the totals, the
// land-register value, clearing, sorting, the row tooltip and the rebuild.
#include <utility>

#include <QFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "reports_fixture.h"

namespace reportstest {
namespace {

using GeneralReport = ReportTest<TRaportF>;

TEST_F(GeneralReport, OpensWithItsStatementsLineForLineAndNoFilter) {
    open();
    EXPECT_EQ(linesOf(form->Tx),
              (QStringList{"SELECT T.ANEXA, T.IDTP, T.IDANEXA, T.INSAT, T.TITULAR, T.TPNR,",
                           "D.TIP, D.CATEG, D.NRTARLA, D.PARCELA, D.SUPRAF, D.OBS, D.LOT, D.LUNG, D.LAT, D.COMENT",
                           "FROM " + quoted("TPDET.dbf") + " D", "LEFT JOIN " + quoted("TP.dbf") + " T",
                           "ON T.IDTP=D.IDTP", "", "", "ORDER BY T.TITULAR"}));
    EXPECT_EQ(linesOf(form->ToX),
              (QStringList{"SELECT D.TIP, D.CATEG, SUM(D.SUPRAF) AS TT", "FROM " + quoted("TPDET.dbf") + " D",
                           "LEFT JOIN " + quoted("TP.dbf") + " T", "ON T.IDTP=D.IDTP", "", "",
                           "GROUP BY D.TIP, D.CATEG", "ORDER BY D.TIP, D.CATEG"}));
    EXPECT_EQ(linesOf(form->Anex), (QStringList{"SELECT * FROM " + quoted("Anexe1.dbf"), "ORDER BY IDANEXA"}));
    EXPECT_TRUE(form->Ti.isOpen());
    EXPECT_EQ(QString::fromStdString(form->Ti.tableName()), store().tablePath("RF.dbf"));

    // Every surface, holders in alphabetical order, numbered in that order.
    EXPECT_EQ(column(form->Tx, "TITULAR"), (Rows{"ABC ION", "ABC ION", "BA DAN", "CAB MARIA", "CAB MARIA", "POPA ANA"}));
    EXPECT_EQ(column(form->Tx, "NRC"), (Rows{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(figures(*form), (QStringList{"6", "7.3751", "0.0000", "7.3751"}));
    EXPECT_EQ(shownRows(form->DBGrid1), (QStringList{"EXTRAVILAN|Arabil|3.5000", "EXTRAVILAN|Pasune|3.0001",
                                          "EXTRAVILAN|Vii|0.1250", "INTRAVILAN|Arabil|0.5000",
                                          "INTRAVILAN|Curti|0.2500"}));
    EXPECT_EQ(form->SMDBGrid3->datasetModel()->displayText(0, 11), "1.5000");
}

TEST_F(GeneralReport, ListsHoldTheAllEntryAndTheDistinctNonBlankValuesSorted) {
    insert("TP.dbf", {{"IDTP", "90"}, {"INSAT", text("arini")}});
    open();
    const struct {
        QComboBox* box;
        QStringList items;
    } lists[] = {
        {form->SatBox, {" * toate *", "arini", "BRADU", "VALEA"}},
        {form->TarlaBox, {" * toate *", "DEALUL", "LA POD", "VATRA"}},
        {form->AnexaC, {" * toate *", "Anexa 2A", "Anexa 3"}},
        {form->TipC, {" * toate *", "EXTRAVILAN", "INTRAVILAN"}},
        {form->CategC, {" * toate *", "Arabil", "Curti", "Pasune", "Vii"}},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.box->objectName().toStdString());
        EXPECT_EQ(titles::itemsOf(l.box), l.items);
        EXPECT_EQ(l.box->currentIndex(), 0);
    }
    EXPECT_EQ(form->ParcelaNr->text(), "0");
}

TEST_F(GeneralReport, EachFilterNarrowsTheRowsByItsCondition) {
    open();
    const struct {
        const char* name;
        std::function<void(TRaportF&)> set;
        QString where;
        Rows holders;
    } cases[] = {
        {"village", [](TRaportF& f) { choose(f.SatBox, "VALEA"); }, "WHERE (INSAT=\"VALEA\")",
         {"CAB MARIA", "CAB MARIA", "POPA ANA"}},
        {"holder anywhere", [](TRaportF& f) { f.TitularE->setText("AB"); }, "WHERE (TITULAR LIKE \"%AB%\")",
         {"ABC ION", "ABC ION", "CAB MARIA", "CAB MARIA"}},
        {"holder untrimmed", [](TRaportF& f) { f.TitularE->setText("BA "); }, "WHERE (TITULAR LIKE \"%BA %\")",
         {"BA DAN"}},
        {"holder of blanks", [](TRaportF& f) { f.TitularE->setText("  "); }, "",
         {"ABC ION", "ABC ION", "BA DAN", "CAB MARIA", "CAB MARIA", "POPA ANA"}},
        {"plot name", [](TRaportF& f) { choose(f.TarlaBox, "LA POD"); }, "WHERE (OBS=\"LA POD\")",
         {"ABC ION", "CAB MARIA"}},
        {"plot number", [](TRaportF& f) { f.NrTarlaE->setText("11"); }, "WHERE (NRTARLA=\"11\")",
         {"BA DAN", "CAB MARIA"}},
        {"parcel as typed", [](TRaportF& f) { f.ParcelaNr->setText("01"); }, "WHERE (PARCELA=01)",
         {"ABC ION", "POPA ANA"}},
        {"parcel 0", [](TRaportF& f) { f.ParcelaNr->setText("0"); }, "",
         {"ABC ION", "ABC ION", "BA DAN", "CAB MARIA", "CAB MARIA", "POPA ANA"}},
        {"lot from its beginning", [](TRaportF& f) { f.LotNr->setText("1"); }, "WHERE (LOT LIKE \"1%\")",
         {"ABC ION", "ABC ION", "CAB MARIA"}},
        {"annex", [](TRaportF& f) { choose(f.AnexaC, "Anexa 3"); }, "WHERE (ANEXA=\"Anexa 3\")",
         {"CAB MARIA", "CAB MARIA"}},
        {"category", [](TRaportF& f) { choose(f.CategC, "Arabil"); }, "WHERE (CATEG=\"Arabil\")",
         {"ABC ION", "CAB MARIA", "POPA ANA"}},
        {"all nine, in order",
         [](TRaportF& f) {
             choose(f.SatBox, "BRADU");
             f.TitularE->setText("ABC");
             choose(f.TarlaBox, "LA POD");
             f.NrTarlaE->setText("10");
             f.ParcelaNr->setText("1");
             f.LotNr->setText("1");
             choose(f.AnexaC, "Anexa 2A");
             choose(f.TipC, "EXTRAVILAN");
             choose(f.CategC, "Arabil");
         },
         "WHERE (INSAT=\"BRADU\") AND (TITULAR LIKE \"%ABC%\") AND (OBS=\"LA POD\") AND (NRTARLA=\"10\") AND "
         "(PARCELA=1) AND (LOT LIKE \"1%\") AND (ANEXA=\"Anexa 2A\") AND (TIP=\"EXTRAVILAN\") AND (CATEG=\"Arabil\")",
         {"ABC ION"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->ClearBClick();
        c.set(*form);
        EXPECT_EQ(txLine(5), c.where);
        EXPECT_EQ(toxLine(4), c.where);
        EXPECT_EQ(txLine(6), "");
        EXPECT_EQ(column(form->Tx, "TITULAR"), c.holders);
        EXPECT_EQ(form->CountLab->text(), QString::number(c.holders.size()));
    }
}

TEST_F(GeneralReport, TheLotMatchesItsBeginningOnly) {
    open();
    form->LotNr->setText("1");
    EXPECT_EQ(column(form->Tx, "LOT"), (Rows{"1", "12", "1A"}));
}

TEST_F(GeneralReport, ExtravilanNarrowsBothGridsAndTheTotal) {
    open();
    choose(form->TipC, "EXTRAVILAN");
    EXPECT_EQ(column(form->Tx, "TIP"), (Rows(4, "EXTRAVILAN")));
    EXPECT_EQ(shownRows(form->DBGrid1),
              (QStringList{"EXTRAVILAN|Arabil|3.5000", "EXTRAVILAN|Pasune|3.0001", "EXTRAVILAN|Vii|0.1250"}));
    EXPECT_EQ(form->SumTotals(), engine::Decimal::fromUnits(66251));
    EXPECT_EQ(figures(*form), (QStringList{"4", "6.6251", "0.0000", "6.6251"}));
}

TEST_F(GeneralReport, TextFiltersTakeCapitalsAndRefuseQuotesAndAsterisks) {
    open();
    for (QLineEdit* edit : {form->TitularE, form->NrTarlaE, form->LotNr}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        QTest::keyClicks(edit, "a\"b'c*d");
        EXPECT_EQ(edit->text(), "ABCD");
        edit->clear();
    }
    EXPECT_EQ(form->TitularE->maxLength(), 40);
    EXPECT_EQ(form->NrTarlaE->maxLength(), 16);
    EXPECT_EQ(form->LotNr->maxLength(), 16);
    EXPECT_EQ(form->ParcelaNr->maxLength(), 6);
    QTest::keyClicks(form->ParcelaNr, "x1");
    EXPECT_EQ(form->ParcelaNr->text(), "1");
}

TEST_F(GeneralReport, TheRegisterKeyHoldsEveryControlsTextAndParcelZero) {
    open();
    EXPECT_EQ(form->registerKey().filterExpression(),
              "(INSAT=' * toate *') AND (TITULAR='') AND (OBS=' * toate *') AND (NRTARLA='') AND (PARCELA=0) AND "
              "(LOT='') AND (ANEXA=' * toate *') AND (TIP=' * toate *') AND (CATEG=' * toate *')");
    EXPECT_EQ(QString::fromStdString(form->Ti.filter()), form->registerKey().filterExpression());
    EXPECT_TRUE(form->Ti.filtered());

    choose(form->SatBox, "BRADU");
    form->TitularE->setText("AB ");
    form->ParcelaNr->setText("007");
    form->LotNr->setText("1A");
    choose(form->TipC, "INTRAVILAN");
    EXPECT_EQ(QString::fromStdString(form->Ti.filter()),
              "(INSAT='BRADU') AND (TITULAR='AB ') AND (OBS=' * toate *') AND (NRTARLA='') AND (PARCELA=7) AND "
              "(LOT='1A') AND (ANEXA=' * toate *') AND (TIP='INTRAVILAN') AND (CATEG=' * toate *')");
    form->ParcelaNr->clear();
    EXPECT_EQ(txLine(5), "WHERE (INSAT=\"BRADU\") AND (TITULAR LIKE \"%AB %\") AND (LOT LIKE \"1A%\") AND "
                         "(TIP=\"INTRAVILAN\")");
    EXPECT_TRUE(QString::fromStdString(form->Ti.filter()).contains("(PARCELA=0)"));
}

TEST_F(GeneralReport, ARecordedValueShowsItsDifferenceAndComesBackWithItsSelection) {
    open();
    choose(form->SatBox, "BRADU");  // 1.5 + 0.25 + 3.0001
    recordValue(*form, "12.5");
    ASSERT_EQ(answers.requestsOf(platform::DialogKind::TextInput).size(), 1u);
    const platform::DialogRequest asked = answers.requestsOf(platform::DialogKind::TextInput)[0];
    EXPECT_EQ(asked.caption, "Registru Funciar");
    EXPECT_EQ(asked.text, "Total (ha)");
    EXPECT_EQ(asked.initialText, "0.0000");
    EXPECT_EQ(figures(*form), (QStringList{"3", "4.7501", "12.5000", "-7.7499"}));
    EXPECT_EQ(registerRows(), (Rows{"BRADU|| * toate *||0|| * toate *| * toate *| * toate *|12.5"}));
    EXPECT_EQ(tableRows("RF.dbf", "IDRF"), (Rows{"2"}));

    choose(form->SatBox, "VALEA");
    EXPECT_EQ(form->RegisterLab->text(), "0.0000");
    EXPECT_EQ(form->DifferenceLab->text(), form->TotalLab->text());
    choose(form->SatBox, "BRADU");
    EXPECT_EQ(figures(*form), (QStringList{"3", "4.7501", "12.5000", "-7.7499"}));

    // Recorded again: the record is replaced, not doubled; the dialog starts
    // from the value shown.
    recordValue(*form, " 4.75 ");
    EXPECT_EQ(answers.requestsOf(platform::DialogKind::TextInput)[1].initialText, "12.5000");
    EXPECT_EQ(figures(*form), (QStringList{"3", "4.7501", "4.7500", "0.0001"}));
    EXPECT_EQ(registerRows(), (Rows{"BRADU|| * toate *||0|| * toate *| * toate *| * toate *|4.75"}));
    EXPECT_EQ(store().ReadCounter("IDRF"), "2");
}

TEST_F(GeneralReport, OnlyANumberTheRegisterCanHoldIsRecorded) {
    open();
    const struct {
        const char* typed;
        const char* shown;  // empty: "Valoare incorecta!" and nothing stored
    } cases[] = {
        {"12,5", ""},        {"abc", ""},          {"", ""},           {"10000", ""},
        {"1.23456", "1.2346"}, {"1.23455", "1.2346"}, {"9999.9999", "9999.9999"}, {"-0.00005", "-0.0001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QStringList before = figures(*form);
        const size_t messages = answers.requestsOf(platform::DialogKind::Message).size();
        recordValue(*form, c.typed, !*c.shown);
        if (!*c.shown) {
            EXPECT_EQ(figures(*form), before);
            ASSERT_EQ(answers.requestsOf(platform::DialogKind::Message).size(), messages + 1);
            EXPECT_EQ(this->messages().back(), "Registru Funciar|Valoare incorecta!|1|4");
        } else {
            EXPECT_EQ(form->RegisterLab->text(), c.shown);
        }
    }
    EXPECT_EQ(tableRows("RF.dbf", "SUPRAF"), (Rows{"-0.0001"}));
}

TEST_F(GeneralReport, CancellingTheRegisterDialogChangesNothing) {
    open();
    answers.textInput(std::nullopt);
    form->LbSpeedButton1Click();
    EXPECT_EQ(figures(*form), (QStringList{"6", "7.3751", "0.0000", "7.3751"}));
    EXPECT_TRUE(registerRows().empty());
    EXPECT_EQ(store().ReadCounter("IDRF"), "1");
}

TEST_F(GeneralReport, ClearingResetsEveryFilterAndRebuildsOnce) {
    open();
    choose(form->SatBox, "BRADU");
    form->TitularE->setText("A");
    choose(form->TarlaBox, "VATRA");
    form->NrTarlaE->setText("2");
    form->ParcelaNr->setText("5");
    form->LotNr->setText("12");
    choose(form->AnexaC, "Anexa 2A");
    choose(form->TipC, "INTRAVILAN");
    choose(form->CategC, "Curti");
    ASSERT_EQ(form->Tx.recordCount(), 1);

    ResetCounter rebuilds(form->Tx);
    form->ClearB->click();
    EXPECT_EQ(rebuilds.resets, 1);
    EXPECT_EQ(form->ChangeCount, 0);
    for (QComboBox* box : {form->SatBox, form->TarlaBox, form->AnexaC, form->TipC, form->CategC})
        EXPECT_EQ(box->currentIndex(), 0);
    for (QLineEdit* edit : {form->TitularE, form->NrTarlaE, form->LotNr}) EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(form->ParcelaNr->text(), "");
    EXPECT_EQ(txLine(5), "");
    EXPECT_EQ(form->Tx.recordCount(), 6);
}

TEST_F(GeneralReport, ChangesDuringARebuildFoldIntoOneMoreRebuild) {
    open();
    ResetCounter rebuilds(form->Tx);
    // Three keys arrive while the first rebuild lets events run.
    QTimer::singleShot(0, form.get(), [this] {
        form->TitularE->setText("C");
        form->TitularE->setText("CA");
        form->TitularE->setText("CAB");
    });
    form->TitularE->setText("A");
    EXPECT_EQ(rebuilds.resets, 2);
    EXPECT_EQ(form->ChangeCount, 0);
    EXPECT_EQ(txLine(5), "WHERE (TITULAR LIKE \"%CAB%\")");
    EXPECT_EQ(column(form->Tx, "TITULAR"), (Rows{"CAB MARIA", "CAB MARIA"}));
}

TEST_F(GeneralReport, AChangeArrivingAsTheRebuildEndsIsNotLost) {
    open();
    // Queued when the rebuild lets the grids show the new rows, so it runs
    // in the rebuild's last pass of events.
    struct QueueOnce : engine::DatasetObserver {
        std::function<void()> queue;
        void datasetReset(engine::Dataset&) override {
            if (queue) std::exchange(queue, nullptr)();
        }
    } late;
    late.queue = [this] { QTimer::singleShot(0, form.get(), [this] { form->TitularE->setText("CAB"); }); };
    form->Tx.addObserver(&late);
    form->TitularE->setText("A");
    form->Tx.removeObserver(&late);
    EXPECT_EQ(txLine(5), "WHERE (TITULAR LIKE \"%CAB%\")");
    EXPECT_EQ(form->ChangeCount, 0);
}

TEST_F(GeneralReport, ASortByAColumnSurvivesFilterChangesAndRenumbers) {
    open();
    form->SMDBGrid3TitleClick("SUPRAF");
    EXPECT_EQ(txLine(7), "ORDER BY SUPRAF");
    EXPECT_EQ(column(form->Tx, "SUPRAF"), (Rows{"0.125", "0.25", "0.5", "1.5", "2", "3.0001"}));
    EXPECT_EQ(column(form->Tx, "NRC"), (Rows{"1", "2", "3", "4", "5", "6"}));

    choose(form->TipC, "EXTRAVILAN");
    EXPECT_EQ(column(form->Tx, "SUPRAF"), (Rows{"0.125", "1.5", "2", "3.0001"}));
    EXPECT_EQ(column(form->Tx, "NRC"), (Rows{"1", "2", "3", "4"}));

    // Not on the row numbers, and not on an empty report.
    form->SMDBGrid3TitleClick("NRC");
    EXPECT_EQ(txLine(7), "ORDER BY SUPRAF");
    form->TitularE->setText("NIMENI");
    form->SMDBGrid3TitleClick("TITULAR");
    EXPECT_EQ(txLine(7), "ORDER BY SUPRAF");

    // A new opening starts from the holders' order again.
    form->closeDown();
    open();
    EXPECT_EQ(txLine(7), "ORDER BY T.TITULAR");
}

TEST_F(GeneralReport, TheCurrentTitleStaysCurrentThroughSortsAndRebuilds) {
    open();
    ASSERT_TRUE(form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(titleCab))));
    form->SMDBGrid3TitleClick("SUPRAF");
    EXPECT_EQ(form->Tx.field("IDTP").asInteger(), titleCab);
    choose(form->CategC, "Arabil");
    EXPECT_EQ(form->Tx.field("IDTP").asInteger(), titleCab);
    choose(form->SatBox, "BRADU");  // no longer listed: the first row
    EXPECT_EQ(form->Tx.recNo(), 0);
}

TEST_F(GeneralReport, ARowsTooltipSummarisesTheAnnexLineOfItsTitle) {
    open();
    ASSERT_TRUE(form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(titleAbc))));
    form->SMDBGrid3CellClick("TITULAR");
    EXPECT_EQ(form->SMDBGrid3->toolTip(), QStringList({"ANEXA 2A", "", "ABC ION", "ABC ANA", "", "Extravilan",
                                                       "========",
                                                       "Total : 2.5000, arabil : 2.0000, vii : 0.5000, livezi : "
                                                       "0.0000, pasuni : 0.0000",
                                                       "", "Intravilan", "========",
                                                       "Total : 0.1234, arabil : 0.1234, vii : 0.0000, livezi : "
                                                       "0.0000, pasuni : 0.0000",
                                                       "", "Neagricol : 0.0500"})
                                              .join('\r'));

    // Moving to another row clears it; a line whose type differs shows both.
    ASSERT_TRUE(form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(titleCab))));
    EXPECT_EQ(form->SMDBGrid3->toolTip(), "");
    form->SMDBGrid3CellClick("TITULAR");
    EXPECT_TRUE(form->SMDBGrid3->toolTip().startsWith("ANEXA 3 : 3A\r\rCAB PETRE\r\r\r"));

    // Titles without a line, or taken out of theirs, have none.
    for (int title : {titleBa, titlePopa}) {
        ASSERT_TRUE(form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(title))));
        form->SMDBGrid3CellClick("TITULAR");
        EXPECT_EQ(form->SMDBGrid3->toolTip(), "");
    }
}

TEST_F(GeneralReport, AnEngineErrorLeavesTheReportEmptyAndTheNextChangeRebuilds) {
    open();
    const QString titles = store().tablePath("TP.DBF");
    ASSERT_TRUE(QFile::rename(titles, titles + ".away"));
    EXPECT_THROW(choose(form->SatBox, "BRADU"), engine::Error);
    EXPECT_EQ(form->ChangeCount, 0);
    EXPECT_FALSE(form->Tx.controlsDisabled());
    EXPECT_FALSE(form->ToX.controlsDisabled());
    EXPECT_FALSE(form->Tx.isOpen());
    EXPECT_EQ(form->SMDBGrid3->datasetModel()->rowCount(), 0);
    EXPECT_EQ(figures(*form), (QStringList{"", "", "", ""}));
    EXPECT_FALSE(form->LbSpeedButton1->isEnabled());
    EXPECT_FALSE(form->PrintB->isEnabled());

    ASSERT_TRUE(QFile::rename(titles + ".away", titles));
    form->TitularE->setText("ABC");
    EXPECT_EQ(column(form->Tx, "TITULAR"), (Rows{"ABC ION", "ABC ION"}));
    EXPECT_EQ(figures(*form), (QStringList{"2", "1.7500", "0.0000", "1.7500"}));
    EXPECT_TRUE(form->LbSpeedButton1->isEnabled());
}

TEST_F(GeneralReport, TypeAndLotKeepTheirChoiceBetweenOpeningsTheOthersStartOver) {
    open();
    choose(form->SatBox, "BRADU");
    form->TitularE->setText("ABC");
    form->NrTarlaE->setText("10");
    form->ParcelaNr->setText("1");
    form->LotNr->setText("1");
    choose(form->TipC, "EXTRAVILAN");
    form->closeDown();
    EXPECT_FALSE(form->Tx.isOpen());
    EXPECT_FALSE(form->ToX.isOpen());
    EXPECT_FALSE(form->Ti.isOpen());
    EXPECT_FALSE(form->Anex.isOpen());

    open();
    EXPECT_EQ(form->SatBox->currentIndex(), 0);
    EXPECT_EQ(form->TitularE->text(), "");
    EXPECT_EQ(form->NrTarlaE->text(), "");
    EXPECT_EQ(form->ParcelaNr->text(), "0");
    EXPECT_EQ(form->LotNr->text(), "1");
    EXPECT_EQ(form->TipC->currentText(), "EXTRAVILAN");
    EXPECT_EQ(txLine(5), "WHERE (LOT LIKE \"1%\") AND (TIP=\"EXTRAVILAN\")");
    EXPECT_EQ(column(form->Tx, "LOT"), (Rows{"1", "1A"}));
}

TEST_F(GeneralReport, TheGridExportGetsTheVisibleColumnsInOrderAndTheRows) {
    open();
    const reports::ReportGrid grid = form->reportGrid();
    QStringList shown;
    for (const ui::GridColumn& c : grid.columns) shown.append(c.field + "=" + c.title);
    EXPECT_EQ(shown, (QStringList{"NRC=Nr.crt.", "INSAT=Satul", "ANEXA=Anexa", "TITULAR=Titulari",
                                  "TPNR=Titlul Nr.", "TIP=Tip", "CATEG=Categoria", "OBS=Denumire tarla",
                                  "NRTARLA=Tarla nr.", "PARCELA=Parcela", "LOT=Lotul", "SUPRAF=Supra- fata",
                                  "LUNG=Lungime", "LAT=Latime", "COMENT=Detalii"}));
    EXPECT_EQ(grid.rows, &form->Tx);
    EXPECT_EQ(grid.columns[11].format, "0.0000");
}

// Lengths and widths show as the areas do, with four decimals, on the
// screen and so in the printout and the exports, which take the grid's
// columns.
TEST_F(GeneralReport, LengthsAndWidthsShowFourDecimals) {
    open();
    const QStringList rows = shownRows(form->SMDBGrid3);
    ASSERT_FALSE(rows.isEmpty());
    for (const QString& row : rows) EXPECT_TRUE(row.endsWith("|100.0000|25.5000|masurat")) << row.toStdString();
    for (const ui::GridColumn& c : form->reportGrid().columns) {
        if (c.field == "LUNG" || c.field == "LAT") {
            EXPECT_EQ(c.format, "0.0000") << c.field.toStdString();
        }
    }
}

TEST_F(GeneralReport, OpenedFromTheMenuItShowsModallyAndEscapeAnywhereClosesIt) {
    for (QWidget* where : {static_cast<QWidget*>(form->TitularE), static_cast<QWidget*>(form->SatBox),
                           static_cast<QWidget*>(form->SMDBGrid3)}) {
        SCOPED_TRACE(where->objectName().toStdString());
        bool shown = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, form.get(), [&] {
            if (!form->isVisible()) return;
            poll.stop();
            shown = form->isModal();
            QTest::keyClick(where, Qt::Key_Escape);
        });
        poll.start();
        form->OpenReport();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->Tx.isOpen());
    }
    EXPECT_EQ(form->windowTitle(), "Terralog");
}

TEST_F(GeneralReport, TabGoesThroughTheFiltersColumnByColumn) {
    QWidget* w = form->SatBox;
    QStringList order{w->objectName()};
    for (int i = 0; i < 8; ++i) {
        do w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !(w->focusPolicy() & Qt::TabFocus));
        order.append(w->objectName());
    }
    EXPECT_EQ(order, (QStringList{"SatBox", "TitularE", "TarlaBox", "NrTarlaE", "ParcelaNr", "LotNr", "AnexaC", "TipC",
                                  "CategC"}));
}

}  // namespace
}  // namespace reportstest
