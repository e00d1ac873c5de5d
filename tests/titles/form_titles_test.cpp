// Titles added, changed and deleted from the titles view.
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "app/message_dialog.h"
#include "ui/data_grid.h"
#include "ui/date_edit.h"
#include "ui/numeric_edit.h"

#include "dialog_fixture.h"
#include "form_fixture.h"

namespace titlestest {
namespace {

using dialogtest::whenShown;
using Rows = std::vector<std::string>;

class Titles : public FormFixture {
protected:
    void showTitles() {
        openForm();
        choosePage(12);
    }
    bool moveToTitle(int id) { return form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(id))); }
    // Runs a title command; inside the dialog `fill` acts as the user, then
    // "&Memoreaza" is pressed; the dialog is closed if it stayed open.
    void withTitleDialog(void (TTitluriF::*command)(), const std::function<void(TTitluAddF&)>& fill) {
        bool shown = false;
        whenShown(*titleDialog, [&] {
            shown = true;
            fill(*titleDialog);
            titleDialog->MemoB->click();
            if (titleDialog->isVisible()) titleDialog->reject();
        });
        (form.get()->*command)();
        EXPECT_TRUE(shown);
    }
};

TEST_F(Titles, ANewTitleStoresItsHoldersJoinedInCapitalsAndBecomesCurrent) {
    addTitle("1", "STAN ION", {{"INSAT", text("VALEA")}, {"SUPTOT", "1"}});
    addTitle("2", "RADU ANA", {{"INSAT", text("BRADU")}});
    showTitles();
    QString village;
    QDate date;
    withTitleDialog(&TTitluriF::TitluAddBClick, [&](TTitluAddF& d) {
        village = d.SatE->currentText();
        date = d.DataE->date();
        EXPECT_EQ(d.NrE->text(), "");
        EXPECT_EQ(d.MostenitoriE->toPlainText(), "");
        d.NrE->setText("125");
        d.MostenitoriE->setPlainText("  popescu  ion \n\nionescu \"maria\"");
        d.SatE->setEditText("PODENI");
        d.SupTot->setText("2.5");
    });
    EXPECT_EQ(village, "BRADU");  // the first village of the stored titles
    EXPECT_EQ(date, QDate::currentDate());

    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0], (QStringList{"INSERT INTO " + quoted("TP.dbf"), "(IDTP, TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT)",
                                          "VALUES (", "4,\"125\",", "0,", "\"POPESCU ION; IONESCU MARIA\",",
                                          "\"PODENI\",", "\"" + today + "\",2.5)"}));
    EXPECT_EQ(tableRows("TP.dbf", "TPNR, TPCOD, TITULAR, INSAT, DATA, SUPTOT, ANEXA, IDANEXA", "IDTP=4"),
              Rows{"125|0|POPESCU ION; IONESCU MARIA|PODENI|" + today.toStdString() + "|2.5||"});
    EXPECT_EQ(current(form->Tx, "IDTP"), "4");
    EXPECT_EQ(form->Dx.filter(), "IDTP=4");
    EXPECT_EQ(form->GeneralLab->text(), "0.0000");

    // The next new title starts with the total surface last used.
    QString total;
    whenShown(*titleDialog, [&] {
        total = titleDialog->SupTot->text();
        titleDialog->reject();
    });
    form->TitluAddB->click();
    EXPECT_EQ(total, "2.5");
}

TEST_F(Titles, TheCountOfTitlesFollowsEveryTitleCommand) {
    addTitle("1", "STAN ION", {{"INSAT", text("VALEA")}});
    const int radu = addTitle("2", "RADU ANA", {{"INSAT", text("BRADU")}});
    showTitles();
    ASSERT_EQ(form->TotalLab->text(), "2");

    withTitleDialog(&TTitluriF::TitluAddBClick, [&](TTitluAddF& d) {
        d.NrE->setText("3");
        d.MostenitoriE->setPlainText("MARIN DAN");
    });
    EXPECT_EQ(form->TotalLab->text(), "3");

    // A change that takes the title out of the search leaves one title less listed.
    form->MostSrc->setText("RADU");
    form->TitluSearchB->click();
    ASSERT_EQ(form->TotalLab->text(), "1");
    ASSERT_TRUE(moveToTitle(radu));
    withTitleDialog(&TTitluriF::TitluEditBClick, [&](TTitluAddF& d) { d.MostenitoriE->setPlainText("POP ANA"); });
    EXPECT_EQ(form->Tx.recordCount(), 0);
    EXPECT_EQ(form->TotalLab->text(), "0");

    form->TitluClearB->click();
    ASSERT_EQ(form->TotalLab->text(), "3");
    answers.message(mrDa);
    form->TitluDeleteBClick();
    EXPECT_EQ(form->Tx.recordCount(), 2);
    EXPECT_EQ(form->TotalLab->text(), "2");
}

TEST_F(Titles, ANumberAnotherTitleBearsIsStoredOnlyWhenTheUserSaysSo) {
    addTitle("125", "STAN ION", {{"INSAT", text("VALEA")}});
    showTitles();
    answers.message(mrNu).message(mrDa);
    bool stayedOpen = false;
    withTitleDialog(&TTitluriF::TitluAddBClick, [&](TTitluAddF& d) {
        d.NrE->setText("125");
        d.MemoB->click();  // NU: back to the dialog
        stayedOpen = d.isVisible();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages(), (QStringList(2, "ADAUGARE TITLU|Mai exista un titlu cu acelasi numar!\rContinuati asa ?|0|3")));
    EXPECT_EQ(tableRows("TP.dbf", "TPNR"), (Rows{"125", "125"}));
}

TEST_F(Titles, AChangeShowsTheStoredValuesAndKeepsTheTitlesLine) {
    const int line = addLine("Anexa 3", "BRADU", "POPESCU ION");
    const int title = addLinkedTitle(line, "Anexa 3", "125", "POPESCU ION; IONESCU MARIA",
                                     {{"TPCOD", "77"}, {"INSAT", text("BRADU")}, {"DATA", text("05.06.1995")},
                                      {"SUPTOT", "3.25"}});
    showTitles();
    QString number, code, holders, village, total;
    QDate date;
    withTitleDialog(&TTitluriF::TitluEditBClick, [&](TTitluAddF& d) {
        number = d.NrE->text();
        code = d.CodE->text();
        holders = d.MostenitoriE->toPlainText();
        village = d.SatE->currentText();
        total = d.SupTot->text();
        date = d.DataE->date();
        d.SupTot->setText("3.5");
        d.CodE->setText("");
    });
    EXPECT_EQ(number, "125");  // its own number raises no question
    EXPECT_EQ(code, "77");
    EXPECT_EQ(holders, "POPESCU ION; IONESCU MARIA");
    EXPECT_EQ(village, "BRADU");
    EXPECT_EQ(total, "3.25");
    EXPECT_EQ(date, QDate(1995, 6, 5));
    const QString id = QString::number(title);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0], (QStringList{"UPDATE " + quoted("TP.dbf"), "SET TPNR=\"125\",", "TPCOD=0,",
                                          "TITULAR=\"POPESCU ION; IONESCU MARIA\",", "INSAT=\"BRADU\",",
                                          "DATA=\"05.06.1995\",", "SUPTOT=3.5", "WHERE IDTP=" + id}));
    EXPECT_EQ(tableRows("TP.dbf", "TITULAR, SUPTOT, ANEXA, IDANEXA"),
              Rows{"POPESCU ION; IONESCU MARIA|3.5|Anexa 3|" + std::to_string(line)});
    EXPECT_EQ(current(form->Tx, "IDTP"), id.toStdString());
}

TEST_F(Titles, DeletingATitleRemovesItsSurfacesAndFileRecordsOnly) {
    const int kept = addTitle("7", "ANA");
    addSurface(kept, "EXTRAVILAN", "Arabil", "1");
    addFile(kept, "/scan/ana.jpg");
    const int gone = addTitle("125", "BOGDAN");
    addSurface(gone, "EXTRAVILAN", "Arabil", "2");
    addSurface(gone, "INTRAVILAN", "Vii", "3");
    addFile(gone, "/scan/b1.jpg");
    addFile(gone, "/scan/b2.jpg");
    showTitles();
    ASSERT_TRUE(moveToTitle(gone));

    answers.message(mrNu);
    QTest::keyClick(form->SMDBGrid1, Qt::Key_Delete);
    EXPECT_TRUE(statements.empty());

    answers.message(mrDa);
    form->TitluDeleteB->click();
    EXPECT_EQ(messages(), (QStringList(2, "Stergere Titlu|Doriti sa stergeti titlul nr.125?|3|3")));
    const QString id = QString::number(gone);
    EXPECT_EQ(statements, (std::vector<QStringList>{{"DELETE FROM " + quoted("TP.dbf"), "WHERE IDTP=" + id},
                                                    {"DELETE FROM " + quoted("TPDET.dbf"), "WHERE IDTP=" + id}}));
    EXPECT_EQ(tableRows("TP.dbf", "TPNR"), Rows{"7"});
    EXPECT_EQ(tableRows("TPDET.dbf", "IDTP"), Rows{std::to_string(kept)});
    EXPECT_EQ(tableRows("Fisiere.dbf", "FISIER"), Rows{"/scan/ana.jpg"});
    EXPECT_EQ(current(form->Tx, "IDTP"), std::to_string(kept));
    EXPECT_EQ(form->GeneralLab->text(), "1.0000");
    EXPECT_EQ(column(form->Tp, "FISIER"), Rows{"/scan/ana.jpg"});
}

TEST_F(Titles, ChangingOrDeletingWithNoTitleDoesNothing) {
    showTitles();
    form->TitluEditBClick();
    form->TitluDeleteBClick();
    EXPECT_TRUE(statements.empty());
    EXPECT_TRUE(messages().isEmpty());
}

}  // namespace
}  // namespace titlestest
