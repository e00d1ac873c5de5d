// Surfaces of the current title added, changed and deleted from the titles view.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/message_dialog.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"
#include "ui/numeric_edit.h"

#include "dialog_fixture.h"
#include "form_fixture.h"

namespace titlestest {
namespace {

using dialogtest::whenShown;
using Rows = std::vector<std::string>;

class Surfaces : public FormFixture {
protected:
    int title = 0;

    void SetUp() override {
        FormFixture::SetUp();
        title = addTitle("125", "POPESCU ION");
    }
    void showTitles() {
        openForm();
        choosePage(12);
    }
    bool moveToSurface(int id) {
        return form->Dx.locate("IDDET", engine::Value::number(engine::Decimal::fromInt(id)));
    }
    // Runs a surface command; inside the dialog `fill` acts as the user,
    // then "&Memoreaza" is pressed (or "&Renunt").
    void withSurfaceDialog(void (TTitluriF::*command)(), const std::function<void(TTitDetAddF&)>& fill,
                           bool confirm = true) {
        bool shown = false;
        whenShown(*surfaceDialog, [&] {
            shown = true;
            fill(*surfaceDialog);
            (confirm ? surfaceDialog->MemoB : surfaceDialog->RenuntB)->click();
            if (surfaceDialog->isVisible()) surfaceDialog->reject();
        });
        (form.get()->*command)();
        EXPECT_TRUE(shown);
    }
    static void chooseType(TTitDetAddF& d, const QString& type) {
        d.TipC->setCurrentIndex(d.TipC->findText(type));
        d.TipCChange();
    }
    static void chooseCategory(TTitDetAddF& d, const QString& category) {
        d.CategC->setCurrentIndex(d.CategC->findText(category));
    }
    QStringList totals() const {
        return {form->ExtravilanLab->text(), form->IntravilanLab->text(), form->GeneralLab->text()};
    }
    QStringList categorySums() const {
        QStringList out;
        const ui::DatasetModel* m = form->DBGrid1->datasetModel();
        for (int r = 0; r < m->rowCount(); ++r) out.append(m->displayText(r, 0) + "=" + m->displayText(r, 1));
        out.sort();
        return out;
    }
};

TEST_F(Surfaces, ASecondSurfaceStartsFromTheFirstAndTheTotalsFollow) {
    showTitles();
    withSurfaceDialog(&TTitluriF::SupAddBClick, [](TTitDetAddF& d) {
        d.TarlaNrE->setText("12");
        d.ParcelaNrE->setText("7");
        d.LotNrE->setText("a");
        d.SuprafE->setText("2.5");
        d.VecinNE->setText("DRUM");
        d.VecinEE->setText("  STAN   ION ");
        d.VecinSE->setText("CANAL");
        d.VecinVE->setText("");
        d.ObsE->setText("LA \"MOARA\"");
        d.LungE->setText("100.50");
    });
    const QString idtp = QString::number(title);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0],
              (QStringList{"INSERT INTO " + quoted("TPDET.dbf"),
                           "(IDTP, IDDET, TIP, CATEG, NRTARLA, PARCELA, LOT,SUPRAF,VECN,VECE,VECS,VECV,OBS,LUNG,LAT,COMENT)",
                           "VALUES(", idtp + ",2,\"EXTRAVILAN\",", "\"Arabil\",", "\"12\",7,\"A\",", "2.5,",
                           "\"DRUM\",", "\"STAN ION\",", "\"CANAL\",", "\"\",", "\"LA MOARA\" ,", "100.5,", "0,",
                           "\"\")"}));
    EXPECT_EQ(current(form->Dx, "IDDET"), "2");
    EXPECT_EQ(totals(), (QStringList{"2.5000", "0.0000", "2.5000"}));

    QString plot, neighbour, remark;
    withSurfaceDialog(&TTitluriF::SupAddBClick, [&](TTitDetAddF& d) {
        plot = d.TarlaNrE->text();
        neighbour = d.VecinEE->text();
        remark = d.ObsE->text();
        d.ParcelaNrE->setText("8");
        d.SuprafE->setText("0.75");
    });
    EXPECT_EQ(plot, "12");
    EXPECT_EQ(neighbour, "STAN ION");
    EXPECT_EQ(remark, "LA MOARA");
    EXPECT_EQ(tableRows("TPDET.dbf", "NRTARLA, PARCELA, LOT, SUPRAF, VECE, OBS"),
              (Rows{"12|7|A|2.5|STAN ION|LA MOARA", "12|8|A|0.75|STAN ION|LA MOARA"}));
    EXPECT_EQ(current(form->Dx, "IDDET"), "3");
    EXPECT_EQ(totals(), (QStringList{"3.2500", "0.0000", "3.2500"}));
    EXPECT_EQ(categorySums(), QStringList{"Arabil=3.2500"});
}

TEST_F(Surfaces, ThreeSurfacesOfTwoTypesGiveTheirTotalsAndThreeCategoryRows) {
    showTitles();
    const struct {
        const char* type;
        const char* category;
        const char* area;
    } entered[] = {{"EXTRAVILAN", "Arabil", "2.5"},
                   {"EXTRAVILAN", "Vii", "0.25"},
                   {"INTRAVILAN", "CURTI, CONSTRUCTII", "0.1"}};
    for (const auto& e : entered) {
        withSurfaceDialog(&TTitluriF::SupAddBClick, [&](TTitDetAddF& d) {
            chooseType(d, e.type);
            chooseCategory(d, e.category);
            d.TarlaNrE->setText("3");
            d.ParcelaNrE->setText("1");
            d.SuprafE->setText(e.area);
        });
    }
    EXPECT_EQ(totals(), (QStringList{"2.7500", "0.1000", "2.8500"}));
    EXPECT_EQ(categorySums(), (QStringList{"Arabil=2.5000", "CURTI, CONSTRUCTII=0.1000", "Vii=0.2500"}));
}

TEST_F(Surfaces, ATenthOfAHectareAddedTenTimesMakesExactlyOne) {
    showTitles();
    for (int i = 0; i < 10; ++i) {
        withSurfaceDialog(&TTitluriF::SupAddBClick, [&](TTitDetAddF& d) {
            d.TarlaNrE->setText("5");
            d.ParcelaNrE->setText(QString::number(i + 1));
            d.SuprafE->setText("0.1");
        });
    }
    EXPECT_EQ(form->Dx.recordCount(), 10);
    EXPECT_EQ(totals(), (QStringList{"1.0000", "0.0000", "1.0000"}));
    EXPECT_EQ(categorySums(), QStringList{"Arabil=1.0000"});
}

TEST_F(Surfaces, AChangeShowsTheStoredTypeAndCategoryWhateverWasChosenLast) {
    const int surface = addSurface(title, "INTRAVILAN", "CURTI, CONSTRUCTII", "0.1",
                                   {{"NRTARLA", text("12")}, {"PARCELA", "7"}, {"LOT", text("B")}, {"LUNG", "10"}});
    const int odd = addSurface(title, "EXTRAVILAN", "LIVADA VECHE", "1", {{"NRTARLA", text("3")}, {"PARCELA", "2"}});
    showTitles();
    withSurfaceDialog(&TTitluriF::SupAddBClick, [](TTitDetAddF& d) { chooseType(d, "EXTRAVILAN"); }, false);

    ASSERT_TRUE(moveToSurface(surface));
    QString type, category, parcel, length;
    withSurfaceDialog(&TTitluriF::SupEditBClick, [&](TTitDetAddF& d) {
        type = d.TipC->currentText();
        category = d.CategC->currentText();
        parcel = d.ParcelaNrE->text();
        length = d.LungE->text();
        d.SuprafE->setText("0.125");
    });
    EXPECT_EQ(type, "INTRAVILAN");
    EXPECT_EQ(category, "CURTI, CONSTRUCTII");
    EXPECT_EQ(parcel, "7");
    EXPECT_EQ(length, "10");
    const QString id = QString::number(surface);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0],
              (QStringList{"UPDATE " + quoted("TPDET.DBF"), "SET TIP=\"INTRAVILAN\",", "CATEG=\"CURTI, CONSTRUCTII\",",
                           "NRTARLA=\"12\",", "PARCELA=7,", "LOT=\"B\",", "SUPRAF=0.125,", "VECN=\"\",", "VECE=\"\",",
                           "VECS=\"\",", "VECV=\"\",", "OBS=\"\",", "LUNG=10,", "LAT=0,", "COMENT=\"\"",
                           "WHERE IDDET=" + id}));
    EXPECT_EQ(current(form->Dx, "IDDET"), id.toStdString());
    EXPECT_EQ(totals(), (QStringList{"1.0000", "0.1250", "1.1250"}));

    // A category the list does not hold is kept through a change.
    ASSERT_TRUE(moveToSurface(odd));
    withSurfaceDialog(&TTitluriF::SupEditBClick, [](TTitDetAddF&) {});
    EXPECT_EQ(tableRows("TPDET.dbf", "CATEG", "IDDET=" + QString::number(odd)), Rows{"LIVADA VECHE"});
    EXPECT_EQ(tableRows("TPDET.dbf", "IDTP, IDDET", "IDDET=" + id),
              Rows{std::to_string(title) + "|" + id.toStdString()});
}

TEST_F(Surfaces, DeletingTheLastSurfaceAsksFirstAndLeavesTheTotalsAtZero) {
    addSurface(title, "EXTRAVILAN", "Arabil", "2", {{"NRTARLA", text("12")}, {"PARCELA", "12"}});
    showTitles();
    answers.message(mrNu).message(mrDa);
    form->SupDeleteB->click();
    EXPECT_TRUE(statements.empty());
    form->SupDeleteB->click();
    EXPECT_EQ(messages(),
              (QStringList(2, "Stergere Suprafata|Doriti sa stergeti Suprafata de pe parcela : 12/?|3|3")));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0], (QStringList{"DELETE FROM " + quoted("TPDET.dbf"), "WHERE IDDET=2"}));
    EXPECT_EQ(form->Dx.recordCount(), 0);
    EXPECT_EQ(totals(), (QStringList{"0.0000", "0.0000", "0.0000"}));
    EXPECT_TRUE(categorySums().isEmpty());

    // With no surface left, changing and deleting do nothing.
    form->SupEditBClick();
    form->SupDeleteBClick();
    EXPECT_EQ(statements.size(), 1u);
}

TEST_F(Surfaces, WithoutATitleNoSurfaceCommandDoesAnything) {
    exec("DELETE FROM " + quoted("TP.dbf"));
    showTitles();
    form->SupAddBClick();
    form->SupEditBClick();
    form->SupDeleteBClick();
    EXPECT_TRUE(statements.empty());
    EXPECT_FALSE(form->SupAddB->isEnabled());
}

}  // namespace
}  // namespace titlestest
