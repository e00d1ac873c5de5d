// Annex lines added, changed and deleted from the annex view.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/message_dialog.h"
#include "titles/annex_lists.h"
#include "ui/data_grid.h"
#include "ui/numeric_edit.h"

#include "dialog_fixture.h"
#include "form_fixture.h"

namespace titlestest {
namespace {

using dialogtest::whenShown;
using Rows = std::vector<std::string>;

class AnnexLines : public FormFixture {
protected:
    // Runs a line command; inside the dialog, `fill` sets what the user
    // types, then "&Memoreaza" is pressed (or "&Renunt" when not confirming).
    void withLineDialog(void (TTitluriF::*command)(), const std::function<void(TAnexaAdd1F&)>& fill,
                        bool confirm = true) {
        bool shown = false;
        whenShown(*lineDialog, [&] {
            shown = true;
            fill(*lineDialog);
            (confirm ? lineDialog->LbButton1 : lineDialog->LbButton2)->click();
            if (lineDialog->isVisible()) lineDialog->reject();
        });
        (form.get()->*command)();
        EXPECT_TRUE(shown);
    }
    void chooseVillage(const QString& village) { form->ComboBox1->setCurrentIndex(form->ComboBox1->findText(village)); }
    bool moveToLine(int id) { return form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(id))); }
};

TEST_F(AnnexLines, ANewLineStartsWithTheFilteredVillageAndIsStoredInTheAnnexShown) {
    addLine("Anexa 2A", "BRADU", "STAN ION");
    addLine("Anexa 2A", "VALEA", "RADU ANA");
    openForm();
    chooseVillage("BRADU");
    QString heading, village, type, position;
    withLineDialog(&TTitluriF::AddLineBClick, [&](TAnexaAdd1F& d) {
        heading = d.TitluL->text();
        village = d.SatulE->currentText();
        type = d.TipAnxE->currentText();
        position = d.NrCrtA->text();
        EXPECT_TRUE(d.SSOLE->isVisibleTo(&d));
        EXPECT_FALSE(d.MostenE->isVisibleTo(&d));
        EXPECT_EQ(d.SINCAPE->text(), "0");
        d.NrCrtA->setText("5");
        d.NumeleE->setText("POPESCU ION");
        d.SINCAPE->setText("2.5");
        d.SAPROBE->setText("1.");
        d.ExTot->setText("0.0025");
        d.Neag->setText("");
    });
    EXPECT_EQ(heading, "Adaugare Anexa 2A");
    EXPECT_EQ(village, "BRADU");
    EXPECT_EQ(type, "Anexa 2A");
    EXPECT_EQ(position, "0");

    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0],
              (QStringList{"INSERT INTO " + quoted("Anexe1.dbf"),
                           "(IDANEXA, ANEXA, TIPANX, NRCRTA, SATUL, NUME, SINCAP, SSOL, SAPROB, SACT, MOSTEN,",
                           "EXTOT, EXAR, EXVII, EXLIV, EXPAS,", "INTOT, INAR, INVII, INLIV, INPAS,", "NEAG)", "VALUES (",
                           "4,\"Anexa 2A\",", "\"Anexa 2A\",", "5,", "\"BRADU\",", "\"POPESCU ION\",", "2.5,", "0,",
                           "1,", "0,", "\"\",", "0.0025,", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0,", "0)"}));
    EXPECT_EQ(tableRows("Anexe1.dbf", "ANEXA, TIPANX, NRCRTA, SATUL, SINCAP, SAPROB, EXTOT", "IDANEXA=4"),
              Rows{"Anexa 2A|Anexa 2A|5|BRADU|2.5|1|0.0025"});
    EXPECT_EQ(current(form->Anex, "IDANEXA"), "4");
    EXPECT_EQ(sorted(column(form->Anex, "NUME")), (Rows{"POPESCU ION", "STAN ION"}));
    EXPECT_EQ(form->TotalLab->text(), "2");
}

TEST_F(AnnexLines, ThePositionNumberCarriesOverFromTheLastUseOfTheDialog) {
    const int line = addLine("Anexa 2B", "BRADU", "STAN ION", {{"NRCRTA", "9"}});
    openForm();
    choosePage(1);
    withLineDialog(&TTitluriF::AddLineBClick, [](TAnexaAdd1F& d) {
        d.NrCrtA->setText("3");
        d.SatulE->setEditText("VALEA");
        d.NumeleE->setText("A");
    });
    QString next;
    withLineDialog(&TTitluriF::AddLineBClick, [&](TAnexaAdd1F& d) { next = d.NrCrtA->text(); }, false);
    EXPECT_EQ(next, "3");

    ASSERT_TRUE(moveToLine(line));
    withLineDialog(&TTitluriF::EditLineBClick, [](TAnexaAdd1F&) {}, false);
    withLineDialog(&TTitluriF::AddLineBClick, [&](TAnexaAdd1F& d) { next = d.NrCrtA->text(); }, false);
    EXPECT_EQ(next, "9");
    EXPECT_EQ(statements.size(), 1u);  // the cancelled uses wrote nothing
    EXPECT_EQ(store().ReadCounter("IDANEXA"), "3");
}

TEST_F(AnnexLines, OnALawPageTheTypesOfThatLawAreOfferedAndATypedQuoteIsDropped) {
    addLine("Legea 1/2000", "BRADU", "A", {{"TIPANX", text("Anexa 37")}});
    addLine("Legea 247/2005", "BRADU", "B", {{"TIPANX", text("Anexa 23")}});
    openForm();
    addLine("Legea 1/2000", "BRADU", "C", {{"TIPANX", text("Anexa 38")}});  // after the form opened
    choosePage(9);
    QStringList offered;
    QString typeShown;
    withLineDialog(&TTitluriF::AddLineBClick, [&](TAnexaAdd1F& d) {
        offered = titles::itemsOf(d.TipAnxE);
        typeShown = d.TipAnxE->currentText();
        EXPECT_TRUE(d.TipAnxE->isVisibleTo(&d));
        d.TipAnxE->setEditText("Anexa \"40\"");
        d.NumeleE->setText("D");
        d.MostenE->setText("X\"Y");
        d.SatulE->setEditText("BRADU");
    });
    EXPECT_EQ(offered, QStringList{"Anexa 37"});
    EXPECT_EQ(typeShown, "");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0][7], "\"Anexa 40\",");
    EXPECT_EQ(statements[0][15], "\"XY\",");
    EXPECT_EQ(tableRows("Anexe1.dbf", "ANEXA, TIPANX, MOSTEN", "NUME=\"D\""), Rows{"Legea 1/2000|Anexa 40|XY"});
}

TEST_F(AnnexLines, ALineOnAltelesPageStoresItsAnnexAsItsType) {
    openForm();
    choosePage(11);
    withLineDialog(&TTitluriF::AddLineBClick, [](TAnexaAdd1F& d) {
        EXPECT_FALSE(d.TipAnxE->isVisibleTo(&d));
        d.SatulE->setEditText("BRADU");
        d.NumeleE->setText("E");
    });
    EXPECT_EQ(tableRows("Anexe1.dbf", "ANEXA, TIPANX"), Rows{"Altele|Altele"});
}

TEST_F(AnnexLines, ANewVillageJoinsTheFilterListAndALineOutsideTheFiltersIsStoredButNotListed) {
    const int first = addLine("Anexa 2A", "BRADU", "ANA");
    addLine("Anexa 2A", "BRADU", "BIANCA");
    openForm();
    chooseVillage("BRADU");
    withLineDialog(&TTitluriF::AddLineBClick, [](TAnexaAdd1F& d) {
        d.SatulE->setEditText("ARINI");
        d.NumeleE->setText("CORINA");
    });
    EXPECT_EQ(titles::itemsOf(form->ComboBox1), (QStringList{" * toate *", "ARINI", "BRADU"}));
    EXPECT_EQ(form->ComboBox1->currentText(), "BRADU");
    EXPECT_EQ(tableRows("Anexe1.dbf", "SATUL", "NUME=\"CORINA\""), Rows{"ARINI"});
    EXPECT_EQ(sorted(column(form->Anex, "NUME")), (Rows{"ANA", "BIANCA"}));
    EXPECT_EQ(form->Anex.recNo(), 0);
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(first));
}

TEST_F(AnnexLines, AChangeKeepsTheLinesIdentityAnnexTitlesAndHiddenFields) {
    const int line = addLine("Anexa 19", "BRADU", "POPESCU ION",
                             {{"NRCRTA", "7"}, {"TIPANX", text("Anexa 19")}, {"MOSTEN", text("POPESCU ANA")},
                              {"SINCAP", "2"}, {"SSOL", "1.5"}, {"SAPROB", "3"}, {"SACT", "0.5"}, {"EXTOT", "4.25"},
                              {"EXAR", "1"}, {"INPAS", "0.0001"}, {"NEAG", "0.3"}});
    addLine("Legea 1/2000", "VALEA", "X", {{"TIPANX", text("Anexa 37")}});
    const int title = addLinkedTitle(line, "Anexa 19", "12", "POPESCU ION");
    openForm();
    choosePage(7);
    QString heading, name, heirs, ssol, extot;
    QStringList types;
    withLineDialog(&TTitluriF::EditLineBClick, [&](TAnexaAdd1F& d) {
        heading = d.TitluL->text();
        name = d.NumeleE->text();
        heirs = d.MostenE->text();
        ssol = d.SSOLE->text();
        extot = d.ExTot->text();
        types = titles::itemsOf(d.TipAnxE);
        EXPECT_FALSE(d.ExTot->isVisibleTo(&d));
        EXPECT_TRUE(d.SActE->isVisibleTo(&d));
        d.NumeleE->setText("POPESCU IOAN");
        d.SAPROBE->setText("3.25");
    });
    EXPECT_EQ(heading, "Modificare Anexa 19");
    EXPECT_EQ(name, "POPESCU ION");
    EXPECT_EQ(heirs, "POPESCU ANA");
    EXPECT_EQ(ssol, "1.5");
    EXPECT_EQ(extot, "4.25");
    EXPECT_EQ(types, (QStringList{"Anexa 19", "Anexa 37"}));

    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0],
              (QStringList{"UPDATE " + quoted("Anexe1.dbf"), "SET SATUL=\"BRADU\",", "TIPANX=\"Anexa 19\",",
                           "NRCRTA=7,", "NUME=\"POPESCU IOAN\",", "SINCAP=2,", "SSOL=1.5,", "SAPROB=3.25,",
                           "SACT=0.5,", "MOSTEN=\"POPESCU ANA\",", "EXTOT=4.25,", "EXAR=1,", "EXVII=0,", "EXLIV=0,",
                           "EXPAS=0,", "INTOT=0,", "INAR=0,", "INVII=0,", "INLIV=0,", "INPAS=0.0001,", "NEAG=0.3",
                           "WHERE IDANEXA=" + QString::number(line)}));
    EXPECT_EQ(tableRows("Anexe1.dbf", "IDANEXA, ANEXA, NUME, SAPROB, EXTOT, EXAR, INPAS, NEAG", "NUME<>\"X\""),
              Rows{std::to_string(line) + "|Anexa 19|POPESCU IOAN|3.25|4.25|1|0.0001|0.3"});
    EXPECT_EQ(tableRows("TP.dbf", "IDANEXA, ANEXA", "IDTP=" + QString::number(title)),
              Rows{std::to_string(line) + "|Anexa 19"});
    EXPECT_EQ(current(form->Anex, "NUME"), "POPESCU IOAN");
    EXPECT_EQ(column(form->Tx, "TPNR"), Rows{"12"});
}

TEST_F(AnnexLines, ChangingOrDeletingWithNoLineShowsABalloonAtTheButton) {
    openForm();
    form->EditLineB->click();
    form->DeleteLineB->click();
    EXPECT_EQ(balloons(), (QStringList{"EditLineB: Nu aveti ce modifica!", "DeleteLineB: Nu aveti ce sterge!"}));
    EXPECT_TRUE(statements.empty());
}

TEST_F(AnnexLines, DeletingALineAsksFirstAndLeavesItsTitlesWithoutALine) {
    const int line = addLine("Anexa 2A", "BRADU", "POPESCU ION");
    const int other = addLine("Anexa 2A", "BRADU", "STAN ION");
    addLinkedTitle(line, "Anexa 2A", "9", "POPESCU ION");
    addLinkedTitle(line, "Anexa 2A", "10", "POPESCU ANA");
    openForm();
    ASSERT_TRUE(moveToLine(line));

    answers.message(mrNu);
    QTest::keyClick(form->SMDBGrid3, Qt::Key_Delete);
    EXPECT_TRUE(statements.empty());
    EXPECT_EQ(form->Anex.recordCount(), 2);

    answers.message(mrDa);
    form->DeleteLineB->click();
    EXPECT_EQ(messages(), (QStringList(2, "Stergere linie|Doriti sa stergeti linia?|3|3")));
    const QString id = QString::number(line);
    EXPECT_EQ(statements, (std::vector<QStringList>{
                              {"UPDATE " + quoted("TP.dbf"), "SET IDANEXA=NULL, ANEXA=\"\"", "WHERE IDANEXA=" + id},
                              {"DELETE FROM " + quoted("Anexe1.dbf"), "WHERE IDANEXA=" + id}}));
    EXPECT_EQ(tableRows("Anexe1.dbf", "IDANEXA"), Rows{std::to_string(other)});
    EXPECT_EQ(tableRows("TP.dbf", "TPNR, ANEXA, IDANEXA"), (Rows{"9||", "10||"}));
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(other));
    EXPECT_EQ(form->TotalLab->text(), "1");
    EXPECT_EQ(form->Tx.recordCount(), 0);

    choosePage(12);
    EXPECT_EQ(column(form->Tx, "ANEXA"), (Rows{"", ""}));
}

}  // namespace
}  // namespace titlestest
