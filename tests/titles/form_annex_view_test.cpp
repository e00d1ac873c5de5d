// The form's opening, its pages and the annex view: the annex list and its
// filters, the titles of the current line, the detail layouts.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "app/message_dialog.h"
#include "data/annexes.h"
#include "engine/errors.h"
#include "titles/annex_lists.h"
#include "titles/line_detail_panel.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"

#include "form_fixture.h"

namespace titlestest {
namespace {

using Rows = std::vector<std::string>;

class AnnexView : public FormFixture {};

TEST_F(AnnexView, OpensOnEmptyTablesWithAnexa2AAndRemovesTheListFilesWhenClosed) {
    showForm([&] {
        EXPECT_EQ(form->shownPage(), 0);
        EXPECT_EQ(form->ListView1->currentRow(), 0);
        EXPECT_EQ(form->Label21->text(), "Anexa 2A");
        EXPECT_EQ(titles::itemsOf(form->ComboBox1), QStringList{" * toate *"});
        EXPECT_EQ(titles::readListFile(listFile("L1.txt")), QStringList{" * toate *"});
        EXPECT_EQ(titles::readListFile(listFile("L247.txt")), QStringList{" * toate *"});
        EXPECT_TRUE(form->Anex.isOpen());
        EXPECT_EQ(form->Anex.recordCount(), 0);
        EXPECT_EQ(form->TotalLab->text(), "0");
        EXPECT_EQ(linesOf(form->Tx), (QStringList{"SELECT * FROM " + quoted("TP.dbf"), " ", "ORDER BY TITULAR"}));
    });
    EXPECT_FALSE(QFile::exists(listFile("L1.txt")));
    EXPECT_FALSE(QFile::exists(listFile("L247.txt")));
    EXPECT_FALSE(form->Tx.isOpen());
    EXPECT_FALSE(form->Anex.isOpen());
}

TEST_F(AnnexView, OpeningListsTheVillagesAndEachLawsAnnexTypesSortedWithoutRegardToCase) {
    addLine("Anexa 2A", "VALEA", "A");
    addLine("Anexa 3", "ARINI", "B");
    addLine("Legea 1/2000", "BRADU", "C", {{"TIPANX", text("anexa 37")}});
    addLine("Legea 1/2000", "BRADU", "D", {{"TIPANX", text("Anexa 10")}});
    addLine("Legea 1/2000", "BRADU", "E", {{"TIPANX", text("ANEXA 2")}});
    addLine("Legea 1/2000", "BRADU", "F", {{"TIPANX", text("ANEXA 2")}});
    addLine("Legea 247/2005", "BRADU", "G", {{"TIPANX", text("Anexa 4")}});
    addLine("Legea 247/2005", "BRADU", "H");  // no type: " * toate *" stays first all the same
    openForm();
    EXPECT_EQ(titles::itemsOf(form->ComboBox1), (QStringList{" * toate *", "ARINI", "BRADU", "VALEA"}));
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(titles::readListFile(listFile("L1.txt")), (QStringList{" * toate *", "Anexa 10", "ANEXA 2", "anexa 37"}));
    EXPECT_EQ(titles::readListFile(listFile("L247.txt")), (QStringList{" * toate *", "", "Anexa 4"}));
}

TEST_F(AnnexView, ComposesTheAnnexListLineByLine) {
    openForm();
    choosePage(6);
    EXPECT_EQ(linesOf(form->Anex),
              (QStringList{
                  "SELECT IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,",
                  "MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG,MAX(IDTP) AS MM, MAX(TPNR) AS "
                  "TIT, SUM(T.SUPTOT) AS SUPTOT",
                  "FROM " + quoted("Anexe1.dbf"),
                  "LEFT JOIN " + quoted("TP.dbf") + " T",
                  "     ON IDANEXA=T.IDANEXA",
                  "WHERE ANEXA=\"Anexa 13\"",
                  "",
                  "GROUP BY IDANEXA, ANEXA,TIPANX, NRCRTA, SATUL,NUME,SINCAP,SSOL,SAPROB,SACT,",
                  "MOSTEN,EXTOT,EXAR,EXVII,EXLIV,EXPAS,INTOT,INAR,INVII,INLIV,INPAS,NEAG",
                  " ",
              }));
    EXPECT_EQ(form->Label21->text(), "Anexa 13");
}

// Lines of "Anexa 2A" that the filter cases narrow.
class AnnexFilters : public AnnexView {
protected:
    int popescuIon = 0, ionescu = 0, popescuVasile = 0, stan = 0;

    void SetUp() override {
        AnnexView::SetUp();
        popescuIon = addLine("Anexa 2A", "BRADU", "POPESCU ION");
        ionescu = addLine("Anexa 2A", "BRADU", "IONESCU MARIA", {{"MOSTEN", text("POPESCU ANA")}});
        popescuVasile = addLine("Anexa 2A", "VALEA", "POPESCU VASILE");
        stan = addLine("Anexa 2A", "VALEA", "STAN ION");
        addLine("Anexa 2B", "BRADU", "POPESCU DAN");
        addLinkedTitle(ionescu, "Anexa 2A", "12", "IONESCU MARIA");
        addLinkedTitle(popescuVasile, "Anexa 2A", "13", "POPESCU VASILE");
        openForm();
    }

    void chooseVillage(const QString& village) { form->ComboBox1->setCurrentIndex(form->ComboBox1->findText(village)); }
};

TEST_F(AnnexFilters, VillageNameAndLinesWithoutTitleNarrowTheSameList) {
    const struct {
        const char* village;  // null: " * toate *"
        const char* name;
        bool withoutTitle;
        const char* condition;
        Rows names;
    } cases[] = {
        {nullptr, "", false, "", {"IONESCU MARIA", "POPESCU ION", "POPESCU VASILE", "STAN ION"}},
        {"BRADU", "", false, "AND (SATUL=\"BRADU\") ", {"IONESCU MARIA", "POPESCU ION"}},
        {nullptr, "POPESCU", false, "AND ((NUME LIKE \"%POPESCU%\") OR (MOSTEN LIKE \"%POPESCU%\"))",
         {"IONESCU MARIA", "POPESCU ION", "POPESCU VASILE"}},
        {"BRADU", "POPESCU", false,
         "AND (SATUL=\"BRADU\") AND ((NUME LIKE \"%POPESCU%\") OR (MOSTEN LIKE \"%POPESCU%\"))",
         {"IONESCU MARIA", "POPESCU ION"}},
        {"BRADU", "POPESCU", true,
         "AND (SATUL=\"BRADU\") AND ((NUME LIKE \"%POPESCU%\") OR (MOSTEN LIKE \"%POPESCU%\"))", {"POPESCU ION"}},
        {nullptr, "", true, "", {"POPESCU ION", "STAN ION"}},
        {"VALEA", "ION", true, "AND (SATUL=\"VALEA\") AND ((NUME LIKE \"%ION%\") OR (MOSTEN LIKE \"%ION%\"))",
         {"STAN ION"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.village ? c.village : "all") + "/" + c.name + (c.withoutTitle ? "/no title" : ""));
        chooseVillage(c.village ? c.village : " * toate *");
        form->NumeSrc->setText(c.name);
        form->CheckBox2->setChecked(c.withoutTitle);
        EXPECT_EQ(linesOf(form->Anex)[6], c.condition);
        EXPECT_EQ(form->Anex.filtered(), c.withoutTitle);
        EXPECT_EQ(sorted(column(form->Anex, "NUME")), c.names);
        EXPECT_EQ(form->TotalLab->text(), QString::number(c.names.size()));
    }
}

TEST_F(AnnexFilters, TheCurrentLineStaysCurrentWhileItMatches) {
    ASSERT_TRUE(form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(ionescu))));
    form->NumeSrc->setText("POPESCU");  // found through its heirs
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(ionescu));
    chooseVillage("BRADU");
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(ionescu));
    form->CheckBox2->setChecked(true);  // it has a title: the first line left becomes current
    EXPECT_EQ(form->Anex.recNo(), 0);
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(popescuIon));
    form->CheckBox2->setChecked(false);  // the lines with titles come back
    EXPECT_EQ(sorted(column(form->Anex, "NUME")), (Rows{"IONESCU MARIA", "POPESCU ION"}));
    EXPECT_FALSE(form->Anex.filtered());
    EXPECT_EQ(form->Anex.filter(), "");
}

TEST_F(AnnexFilters, AlphabeticalOrderSortsByNameAndUncheckingDropsTheOrder) {
    form->CheckBox1->setChecked(true);
    EXPECT_EQ(linesOf(form->Anex)[9], "ORDER BY NUME");
    EXPECT_EQ(column(form->Anex, "NUME"), (Rows{"IONESCU MARIA", "POPESCU ION", "POPESCU VASILE", "STAN ION"}));
    form->CheckBox1->setChecked(false);
    EXPECT_EQ(linesOf(form->Anex)[9], " ");
    EXPECT_EQ(form->Anex.recordCount(), 4);
}

TEST_F(AnnexFilters, AQuoteTypedInTheNameBoxCannotEndTheLiteral) {
    form->NumeSrc->setText("POP\"ESCU");
    EXPECT_EQ(linesOf(form->Anex)[6], "AND ((NUME LIKE \"%POPESCU%\") OR (MOSTEN LIKE \"%POPESCU%\"))");
    EXPECT_EQ(form->Anex.recordCount(), 3);
}

TEST_F(AnnexFilters, TypingQuicklyGivesOneRefreshPerBurstEndingWithTheFullText) {
    struct ResetCounter : engine::DatasetObserver {
        int opened = 0;
        void datasetReset(engine::Dataset& ds) override { opened += ds.isOpen() ? 1 : 0; }
    } refreshes;
    form->Anex.addObserver(&refreshes);
    for (const QChar c : QStringLiteral("popescu"))
        QCoreApplication::postEvent(form->NumeSrc, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(c)));
    settle();
    form->Anex.removeObserver(&refreshes);

    EXPECT_EQ(form->NumeSrc->text(), "POPESCU");
    // The first letter's refresh, then one more for all that was typed meanwhile.
    EXPECT_EQ(refreshes.opened, 2);
    EXPECT_EQ(form->BusyCount, 0);
    EXPECT_EQ(linesOf(form->Anex)[6], "AND ((NUME LIKE \"%POPESCU%\") OR (MOSTEN LIKE \"%POPESCU%\"))");
    EXPECT_EQ(sorted(column(form->Anex, "NUME")), (Rows{"IONESCU MARIA", "POPESCU ION", "POPESCU VASILE"}));
}

TEST_F(AnnexFilters, TheFiltersKeepTheirStateBetweenOpeningsButTheVillageListIsRebuilt) {
    chooseVillage("VALEA");
    form->NumeSrc->setText("ION");
    form->closeDown();
    addLine("Anexa 2A", "ARINI", "NOU");
    openForm();
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(titles::itemsOf(form->ComboBox1), (QStringList{" * toate *", "ARINI", "BRADU", "VALEA"}));
    EXPECT_EQ(form->NumeSrc->text(), "ION");
    EXPECT_EQ(linesOf(form->Anex)[6], "AND ((NUME LIKE \"%ION%\") OR (MOSTEN LIKE \"%ION%\"))");
}

TEST_F(AnnexFilters, ARefreshThatFailsLeavesTheListEmptyAndTheNextOneWorks) {
    const QString titles = store().tablePath("TP.DBF");
    ASSERT_TRUE(QFile::rename(titles, titles + ".away"));
    EXPECT_THROW(form->CheckBox1->setChecked(true), engine::Error);
    EXPECT_EQ(form->BusyCount, 0);
    EXPECT_FALSE(form->Anex.isOpen());
    EXPECT_EQ(form->TotalLab->text(), "0");
    EXPECT_EQ(form->Tx.recordCount(), 0);  // no line: no titles

    ASSERT_TRUE(QFile::rename(titles + ".away", titles));
    form->CheckBox1->setChecked(false);
    EXPECT_EQ(form->Anex.recordCount(), 4);
    EXPECT_EQ(form->TotalLab->text(), "4");
}

TEST_F(AnnexView, ColumnsAndTheAnnexTypeBoxShowOnlyOnTheirPages) {
    openForm();
    for (int page = 0; page <= data::kTitlesViewIndex; ++page) {
        SCOPED_TRACE(page);
        choosePage(page);
        EXPECT_EQ(form->shownPage(), page);
        EXPECT_EQ(form->SMDBGrid3->isColumnVisible("MOSTEN"), page == 2 || page == 7);
        EXPECT_EQ(form->SMDBGrid3->isColumnVisible("TIPANX"), page == 9 || page == 10);
        EXPECT_EQ(form->AnexeSelect->isVisibleTo(form.get()), page == 9 || page == 10);
        EXPECT_EQ(form->Label140->isVisibleTo(form.get()), page == 9 || page == 10);
        EXPECT_EQ(form->annexViewShown(), page < 12);
        EXPECT_EQ(form->titlesViewShown(), page == 12);
    }
}

TEST_F(AnnexView, TheAnnexTypeNarrowsTheFirstLawOnlyAndResetsWhenThePageIsShownAgain) {
    addLine("Legea 1/2000", "BRADU", "A", {{"TIPANX", text("Anexa 37")}});
    addLine("Legea 1/2000", "BRADU", "B", {{"TIPANX", text("Anexa 38")}});
    addLine("Legea 247/2005", "BRADU", "C", {{"TIPANX", text("Anexa 23")}});
    addLine("Legea 247/2005", "BRADU", "D", {{"TIPANX", text("Anexa 24")}});
    openForm();

    choosePage(9);
    EXPECT_EQ(titles::itemsOf(form->AnexeSelect), (QStringList{" * toate *", "Anexa 37", "Anexa 38"}));
    form->AnexeSelect->setCurrentIndex(2);
    EXPECT_EQ(linesOf(form->Anex)[6], " AND (TIPANX=\"Anexa 38\")");
    EXPECT_EQ(column(form->Anex, "NUME"), Rows{"B"});
    form->AnexeSelect->setCurrentIndex(0);
    EXPECT_EQ(linesOf(form->Anex)[6], "");
    EXPECT_EQ(form->Anex.recordCount(), 2);

    form->AnexeSelect->setCurrentIndex(1);
    choosePage(0);
    choosePage(9);
    EXPECT_EQ(form->AnexeSelect->currentIndex(), 0);
    EXPECT_EQ(form->Anex.recordCount(), 2);

    choosePage(10);
    EXPECT_EQ(titles::itemsOf(form->AnexeSelect), (QStringList{" * toate *", "Anexa 23", "Anexa 24"}));
    form->AnexeSelect->setCurrentIndex(1);
    EXPECT_EQ(linesOf(form->Anex)[6], "");
    EXPECT_EQ(form->Anex.recordCount(), 2);
}

TEST_F(AnnexView, ALineWithTwoTitlesShowsTheGreaterNumberAsTextAndTheSumOfTheirAreas) {
    const int line = addLine("Anexa 2A", "BRADU", "POPESCU ION");
    addLinkedTitle(line, "Anexa 2A", "10", "POPESCU ION", {{"SUPTOT", "2.25"}});
    addLinkedTitle(line, "Anexa 2A", "9", "POPESCU ANA", {{"SUPTOT", "1.5"}});
    const int other = addLine("Anexa 2A", "BRADU", "STAN ION");
    openForm();
    ASSERT_TRUE(form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(line))));
    EXPECT_EQ(current(form->Anex, "TIT"), "9");
    EXPECT_EQ(current(form->Anex, "SUPTOT"), "3.75");
    EXPECT_EQ(form->Tx.filter(), "IDANEXA=" + std::to_string(line));
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"9", "10"}));  // by holder

    ASSERT_TRUE(form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(other))));
    EXPECT_EQ(current(form->Anex, "TIT"), "");
    EXPECT_TRUE(form->Anex.field("MM").isNull());
    EXPECT_EQ(form->Tx.recordCount(), 0);
}

TEST_F(AnnexView, ALinkedTitleWithoutADateShowsAnEmptyDate) {
    const int line = addLine("Anexa 2A", "BRADU", "POPESCU ION");
    addLinkedTitle(line, "Anexa 2A", "1", "POPESCU ION", {{"DATA", text("01.01.1900")}});
    addLinkedTitle(line, "Anexa 2A", "2", "POPESCU ION", {{"DATA", text("05.06.1995")}});
    openForm();
    ASSERT_EQ(form->Tx.recordCount(), 2);
    EXPECT_EQ(form->SMDBGrid4->datasetModel()->displayText(0, 2), "");
    EXPECT_EQ(form->SMDBGrid4->datasetModel()->displayText(1, 2), "05.06.1995");
}

TEST_F(AnnexView, WithNoUsableLineNoTitleShowsNotEvenTitlesTakenOutOfTheirLine) {
    addTitle("1", "LIBER", {{"IDANEXA", "-1"}});
    addTitle("2", "FARA ANEXA");
    openForm();
    EXPECT_EQ(form->Anex.recordCount(), 0);
    EXPECT_EQ(form->Tx.recordCount(), 0);

    // A line without a village does not show its titles either.
    const int line = addLine("Anexa 2B", "", "FARA SAT");
    addLinkedTitle(line, "Anexa 2B", "3", "FARA SAT");
    choosePage(1);
    EXPECT_EQ(form->Anex.recordCount(), 1);
    EXPECT_EQ(form->Tx.recordCount(), 0);
}

TEST_F(AnnexView, ShowingAnAnnexPageDropsATitleSearch) {
    addTitle("12", "ION");
    addTitle("13", "ANA");
    openForm();
    choosePage(12);
    form->Tx.setLine(1, "WHERE (TPNR LIKE \"12%\")");
    form->Tx.open();
    ASSERT_EQ(form->Tx.recordCount(), 1);
    choosePage(3);
    EXPECT_EQ(linesOf(form->Tx)[1], " ");
    choosePage(12);
    EXPECT_EQ(form->Tx.recordCount(), 2);
}

TEST_F(AnnexView, TheDetailPanelShowsTheCurrentLineInTheLayoutOfItsAnnex) {
    const QStringList village{"Satul"};
    const struct {
        int page;
        QStringList labels;
        bool land;
    } layouts[] = {
        {0, village + QStringList{"Nume si prenume", "Suprafata intrata in CAP (ha)", "Suprafata solicitata (ha)",
                                  "Suprafata aprobata (ha)"}, true},
        {1, village + QStringList{"Nume si prenume", "Suprafata intrata in CAP (ha)", "Suprafata aprobata (ha)"}, true},
        {2, village + QStringList{"Nume si prenume", "Suprafata intrata in CAP (ha)", "Suprafata solicitata (ha)",
                                  "Suprafata aprobata (ha)", "Mostenitori"}, true},
        {3, village + QStringList{"Nume si prenume", "Suprafata aprobata (ha)"}, true},
        {4, village + QStringList{"Nume si prenume", "Suprafata aprobata (ha)"}, true},
        {5, village + QStringList{"Nume si prenume", "Suprafata aprobata (ha)"}, true},
        {6, village + QStringList{"Denumire Parohie", "Suprafata solicitata (ha)", "Suprafata aprobata (ha)"}, true},
        {7, village + QStringList{"Nume si prenume", "Mostenitori", "Suprafata preluata la stat",
                                  "Suprafata aprobata (ha)", "constituita din :",
                                  "Suprafata atribuita in echivalent de 0.50",
                                  "Suprafata atribuita sub forma de actiuni"}, false},
        {8, village + QStringList{"Nume si prenume", "Suprafata aprobata (ha)"}, true},
        {9, village + QStringList{"TIP Anexa", "Nume si prenume", "Suprafata aprobata (ha)"}, false},
        {10, village + QStringList{"TIP Anexa", "Nume si prenume", "Suprafata aprobata (ha)"}, false},
        {11, village + QStringList{"Nume si prenume", "Suprafata aprobata (ha)"}, false},
    };
    openForm();
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.page);
        choosePage(l.page);
        EXPECT_EQ(form->PageControl2->labels(), l.labels);
        EXPECT_EQ(form->PageControl2->hasLandTable(), l.land);
    }
    EXPECT_FALSE(form->PageControl2->isEnabled());

    addLine("Anexa 19", "BRADU", "POPESCU ION",
            {{"MOSTEN", text("POPESCU ANA")}, {"SINCAP", "2.5"}, {"SSOL", "1"}, {"SACT", "0.25"}, {"SAPROB", "1.25"},
             {"EXTOT", "9"}});
    choosePage(7);
    EXPECT_EQ(form->PageControl2->shownValue("SATUL"), "BRADU");
    EXPECT_EQ(form->PageControl2->shownValue("MOSTEN"), "POPESCU ANA");
    EXPECT_EQ(form->PageControl2->shownValue("SINCAP"), "2.5");
    EXPECT_EQ(form->PageControl2->shownValue("SSOL"), "1");
    EXPECT_EQ(form->PageControl2->shownValue("SACT"), "0.25");
    EXPECT_EQ(form->PageControl2->shownValue("SAPROB"), "1.25");
    EXPECT_EQ(form->PageControl2->shownValue("EXTOT"), "");  // no land table on this annex

    addLine("Anexa 20", "VALEA", "STAN ION", {{"EXTOT", "3.5"}, {"INPAS", "0.0025"}, {"NEAG", "0.1"}});
    choosePage(8);
    EXPECT_EQ(form->PageControl2->shownValue("NUME"), "STAN ION");
    EXPECT_EQ(form->PageControl2->shownValue("EXTOT"), "3.5");
    EXPECT_EQ(form->PageControl2->shownValue("INPAS"), "0.0025");
    EXPECT_EQ(form->PageControl2->shownValue("NEAG"), "0.1");
    EXPECT_EQ(form->PageControl2->shownValue("EXAR"), "");

    choosePage(9);  // an empty annex shows empty details
    EXPECT_EQ(form->PageControl2->shownValue("SATUL"), "");
}

TEST_F(AnnexView, AChoiceMadeWhileAPageIsBeingShownIsShownAfterIt) {
    openForm();
    // The user picks "Anexa 6" while "Anexa 2B" is still being shown.
    QTimer::singleShot(0, form.get(), [&] { choosePage(3); });
    choosePage(1);
    EXPECT_EQ(form->SelectCount, 0);
    EXPECT_EQ(form->shownPage(), 3);
    EXPECT_EQ(form->Label21->text(), "Anexa 6");
    EXPECT_EQ(linesOf(form->Anex)[5], "WHERE ANEXA=\"Anexa 6\"");
}

TEST_F(AnnexView, EscapeAnywhereClosesTheForm) {
    showForm([&] {
        ASSERT_TRUE(form->isVisible());
        QTest::keyClick(form->NumeSrc, Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
    });
}

}  // namespace
}  // namespace titlestest
