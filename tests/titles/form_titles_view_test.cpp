// The titles view: every title, and the surfaces, totals, sums by category,
// files and buttons of the current one.
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include "engine/decimal.h"
#include "titles/no_match_key.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"

#include "form_fixture.h"

namespace titlestest {
namespace {

using Rows = std::vector<std::string>;

class TitlesView : public FormFixture {
protected:
    void showTitles() {
        openForm();
        choosePage(12);
    }
    bool moveToTitle(int id) { return form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(id))); }
    QStringList totals() const {
        return {form->ExtravilanLab->text(), form->IntravilanLab->text(), form->GeneralLab->text()};
    }
    // The category grid as the user reads it, sorted (the rows come in
    // the engine's grouping order).
    QStringList categorySums() const {
        QStringList out;
        const ui::DatasetModel* m = form->DBGrid1->datasetModel();
        for (int r = 0; r < m->rowCount(); ++r) out.append(m->displayText(r, 0) + "=" + m->displayText(r, 1));
        out.sort();
        return out;
    }
    // Which of the view's buttons are enabled, in the order title add, edit,
    // delete, surface add, edit, delete, file show, add, delete.
    QString buttonStates() const {
        QString out;
        for (const QToolButton* b : {form->TitluAddB, form->TitluEditB, form->TitluDeleteB, form->SupAddB, form->SupEditB,
                                     form->SupDeleteB, form->PozaShowB, form->PozaAddB, form->PozaDelB})
            out += b->isEnabled() ? '1' : '0';
        return out;
    }
};

TEST_F(TitlesView, ListsEveryTitleAndOpensTheSurfacesAndFiles) {
    const int line = addLine("Anexa 2A", "BRADU", "POPESCU ION");
    addLinkedTitle(line, "Anexa 2A", "1", "POPESCU ION");
    addTitle("2", "STAN ION");
    addTitle("3", "ANA", {{"IDANEXA", "-1"}});
    showTitles();
    EXPECT_TRUE(form->titlesViewShown());
    EXPECT_FALSE(form->Anex.isOpen());
    EXPECT_EQ(linesOf(form->Dx), (QStringList{"SELECT * FROM " + quoted("TPDET.dbf"), "ORDER BY IDTP, CATEG, IDDET"}));
    EXPECT_TRUE(form->Tp.isOpen());
    EXPECT_EQ(QString::fromStdString(form->Tp.tableName()), store().tablePath("Fisiere.dbf"));
    EXPECT_FALSE(form->Tx.filtered());
    EXPECT_EQ(column(form->Tx, "TPNR"), (Rows{"3", "1", "2"}));  // by holder
    EXPECT_EQ(form->TotalLab->text(), "3");
}

TEST_F(TitlesView, TotalsByLandTypeAndSumsByCategoryOfTheCurrentTitle) {
    const int title = addTitle("7", "POPESCU ION");
    addSurface(title, "EXTRAVILAN", "Arabil", "2.5");
    addSurface(title, "EXTRAVILAN", "Vii", "0.25");
    addSurface(title, "INTRAVILAN", "CURTI, CONSTRUCTII", "0.1");
    const int other = addTitle("8", "STAN ION");
    addSurface(other, "EXTRAVILAN", "Arabil", "9");
    showTitles();
    ASSERT_TRUE(moveToTitle(title));

    EXPECT_EQ(totals(), (QStringList{"2.7500", "0.1000", "2.8500"}));
    EXPECT_EQ(linesOf(form->ToX), (QStringList{"SELECT CATEG, SUM(SUPRAF) AS TOT", "FROM " + quoted("TPDET.dbf"),
                                               "WHERE IDTP=" + QString::number(title), "GROUP BY CATEG"}));
    EXPECT_EQ(categorySums(), (QStringList{"Arabil=2.5000", "CURTI, CONSTRUCTII=0.1000", "Vii=0.2500"}));
    EXPECT_EQ(form->Dx.filter(), "IDTP=" + std::to_string(title));
    EXPECT_EQ(column(form->Dx, "SUPRAF"), (Rows{"2.5", "0.1", "0.25"}));  // by category
    EXPECT_EQ(form->Dx.recNo(), 2);  // the walk ends on the last surface
    EXPECT_EQ(form->SMDBGrid2->datasetModel()->displayText(0, 5), "2.5000");

    ASSERT_TRUE(moveToTitle(other));
    EXPECT_EQ(totals(), (QStringList{"9.0000", "0.0000", "9.0000"}));
    EXPECT_EQ(categorySums(), QStringList{"Arabil=9.0000"});
}

TEST_F(TitlesView, TotalsAreExactAndOnlyIntravilanCountsAsIntravilan) {
    const struct {
        const char* name;
        std::vector<std::pair<const char*, const char*>> surfaces;  // type, area
        QStringList totals;
    } cases[] = {
        {"none", {}, {"0.0000", "0.0000", "0.0000"}},
        {"mixed", {{"EXTRAVILAN", "1.2345"}, {"INTRAVILAN", "0.5"}}, {"1.2345", "0.5000", "1.7345"}},
        {"no type", {{"", "0.75"}, {"INTRAVILAN", "0.25"}}, {"0.7500", "0.2500", "1.0000"}},
        {"tenths",
         std::vector<std::pair<const char*, const char*>>(10, {"EXTRAVILAN", "0.1"}),
         {"1.0000", "0.0000", "1.0000"}},
    };
    std::vector<int> ids;
    for (const auto& c : cases) {
        const int id = addTitle(c.name, c.name);
        for (const auto& [type, area] : c.surfaces) addSurface(id, type, "Arabil", area);
        ids.push_back(id);
    }
    showTitles();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        ASSERT_TRUE(moveToTitle(ids[i]));
        EXPECT_EQ(totals(), cases[i].totals);
        EXPECT_EQ(form->ToX.recordCount(), cases[i].surfaces.empty() ? 0 : 1);
    }
}

TEST_F(TitlesView, AnEmptyRegisterShowsNothingAndLeavesOnlyTitleAddingEnabled) {
    showTitles();
    EXPECT_EQ(form->Tx.recordCount(), 0);
    EXPECT_EQ(form->Dx.recordCount(), 0);
    EXPECT_EQ(form->Tp.recordCount(), 0);
    EXPECT_FALSE(form->ToX.isOpen());
    EXPECT_EQ(form->Dx.filter(), "IDTP=" + titles::kNoMatchKey);
    EXPECT_EQ(totals(), (QStringList{"0.0000", "0.0000", "0.0000"}));
    EXPECT_EQ(buttonStates(), "100000000");
    EXPECT_EQ(form->TotalLab->text(), "0");
}

TEST_F(TitlesView, FileButtonsAreEnabledExactlyForTitlesWithFiles) {
    const int withFiles = addTitle("1", "A");
    addFile(withFiles, "/scan/a.jpg");
    addFile(withFiles, "/scan/b.jpg");
    const int without = addTitle("2", "B");
    addFile(addTitle("3", "C"), "/scan/c.jpg");
    showTitles();
    ASSERT_TRUE(moveToTitle(withFiles));
    EXPECT_EQ(buttonStates(), "111111111");
    EXPECT_EQ(column(form->Tp, "FISIER"), (Rows{"/scan/a.jpg", "/scan/b.jpg"}));
    ASSERT_TRUE(moveToTitle(without));
    EXPECT_EQ(buttonStates(), "111111010");
    EXPECT_EQ(form->Tp.recordCount(), 0);
}

TEST_F(TitlesView, EveryGridOfTitlesShowsANineDigitCodeWhole) {
    addTitle("1", "A", {{"TPCOD", "976069123"}});
    showTitles();
    for (ui::DataGrid* grid : {form->SMDBGrid1, form->SMDBGrid4}) {
        SCOPED_TRACE(grid->objectName().toStdString());
        const int codes = grid->datasetModel()->columnOfField("TPCOD");
        ASSERT_GE(codes, 0);
        EXPECT_GE(grid->columnWidth(codes), grid->fontMetrics().horizontalAdvance(QStringLiteral("976069123")) + 8);
    }
}

TEST_F(TitlesView, ATitleWithoutADateShowsAnEmptyDate) {
    addTitle("1", "A", {{"DATA", text("05.06.1995")}});
    addTitle("2", "B", {{"DATA", text("01.01.1900")}});
    addTitle("3", "C");
    showTitles();
    EXPECT_EQ(column(form->Tx, "DATAS"), (Rows{"05.06.1995", "", ""}));
    EXPECT_EQ(form->SMDBGrid1->datasetModel()->displayText(1, 4), "");
}

TEST_F(TitlesView, AnAnnexPageClosesSurfacesAndFilesAndTheTitlesFollowTheLineAgain) {
    const int line = addLine("Anexa 2A", "BRADU", "POPESCU ION");
    const int linked = addLinkedTitle(line, "Anexa 2A", "1", "POPESCU ION");
    addSurface(linked, "EXTRAVILAN", "Arabil", "1");
    addTitle("2", "STAN ION");
    showTitles();
    choosePage(0);
    EXPECT_FALSE(form->Dx.isOpen());
    EXPECT_FALSE(form->Tp.isOpen());
    EXPECT_EQ(column(form->Tx, "TPNR"), Rows{"1"});
    EXPECT_EQ(form->TotalLab->text(), "1");
}

TEST_F(TitlesView, AMoveMadeWhileTheTotalsAreWorkedOutIsShownAfterThem) {
    const int first = addTitle("1", "A");
    addSurface(first, "EXTRAVILAN", "Arabil", "1");
    const int second = addTitle("2", "B");
    addSurface(second, "INTRAVILAN", "Vii", "2");
    showTitles();
    ASSERT_TRUE(moveToTitle(first));
    // The user moves to the second title while the first one's totals are worked out.
    QTimer::singleShot(0, form.get(), [&] { moveToTitle(second); });
    form->TxAfterScroll();
    EXPECT_EQ(form->BusyCount, 0);
    EXPECT_EQ(current(form->Tx, "IDTP"), std::to_string(second));
    EXPECT_EQ(totals(), (QStringList{"0.0000", "2.0000", "2.0000"}));
    EXPECT_EQ(categorySums(), QStringList{"Vii=2.0000"});
}

}  // namespace
}  // namespace titlestest
