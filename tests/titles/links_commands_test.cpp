// The four commands of the annex view that link titles to lines.
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/message_dialog.h"
#include "dialog_fixture.h"
#include "form_fixture.h"
#include "titles/alege_titlu_dialog.h"
#include "titles/titlu_add_dialog.h"
#include "ui/date_edit.h"
#include "ui/numeric_edit.h"

namespace titlestest {
namespace {

using dialogtest::whenShown;
using Rows = std::vector<std::string>;

class Links : public FormFixture {
protected:
    int first = 0, second = 0;  // lines of "Anexa 3"

    void SetUp() override {
        FormFixture::SetUp();
        dialogtest::ProgramWindows::ensure();
        first = addLine("Anexa 3", "BRADU", "POPESCU ION", {{"MOSTEN", text("POPESCU ANA")}});
        second = addLine("Anexa 3", "VALEA", "STAN ION");
    }

    // The annex view of "Anexa 3" on the line given.
    void showLine(int line) {
        openForm();
        choosePage(2);
        form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(line)));
    }

    std::string title(int idtp, const char* fields = "ANEXA, IDANEXA") {
        const Rows r = tableRows("TP.dbf", fields, QStringLiteral("IDTP=%1").arg(idtp));
        return r.empty() ? std::string("(none)") : r.front();
    }
};

TEST_F(Links, AttachingLinksTheChosenFreeTitleToTheCurrentLine) {
    const int free1 = addTitle("40", "ANA");
    const int takenOut = addTitle("41", "BOB", {{"IDANEXA", "-1"}});
    addTitle("42", "CARP", {{"IDANEXA", "0"}});
    addLinkedTitle(first, "Anexa 3", "43", "DAN");
    showLine(second);
    QStringList offered;
    whenShown(TAlegeTitluF::instance(), [&] {
        TAlegeTitluF& d = TAlegeTitluF::instance();
        for (int i = 0; i < d.Tx.recordCount(); ++i)
            offered << QString::fromStdString(d.Tx.rowValue(i, d.Tx.fieldIndex("TPNR")).toString());
        d.Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(takenOut)));
        d.LbButton1->click();
    });
    form->LbSpeedButton4->click();
    EXPECT_EQ(offered, (QStringList{"40", "41"}));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements.back(), (QStringList{"UPDATE " + quoted("TP.dbf"), "SET ANEXA=\"Anexa 3\",",
                                              QStringLiteral("IDANEXA=%1").arg(second),
                                              QStringLiteral("WHERE IDTP=%1").arg(takenOut)}));
    EXPECT_EQ(title(takenOut), "Anexa 3|" + std::to_string(second));
    EXPECT_EQ(title(free1), "|");
    // The line stays current, its summary shows the title, and the title is current below.
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(second));
    EXPECT_EQ(current(form->Anex, "TIT"), "41");
    EXPECT_EQ(current(form->Tx, "IDTP"), std::to_string(takenOut));
    EXPECT_EQ(form->Tx.recordCount(), 1);
}

TEST_F(Links, AttachingAsksForALineAndForAFreeTitle) {
    openForm();
    choosePage(5);  // no lines there
    form->LbSpeedButton4->click();
    EXPECT_EQ(balloons(), QStringList{"SMDBGrid3: Alegeti mai intai o linie din anexa!"});

    // No free title: the dialog says so and nothing changes.
    addLinkedTitle(first, "Anexa 3", "43", "DAN");
    choosePage(2);
    answers.message(mrOk);
    whenShown(TAlegeTitluF::instance(), [&] { TAlegeTitluF::instance().LbButton1->click(); });
    form->LbSpeedButton4->click();
    EXPECT_EQ(messages(), QStringList{"Alegere titlu|Nu aveti ce alege!|1|4"});
    // Cancelled: nothing either.
    addTitle("44", "EVA");
    whenShown(TAlegeTitluF::instance(), [&] { TAlegeTitluF::instance().LbButton2->click(); });
    form->LbSpeedButton4->click();
    EXPECT_TRUE(statements.empty());
}

TEST_F(Links, ANewTitleForTheLineStartsFromItsPersonHeirsAndVillage) {
    showLine(first);
    QString holders, village;
    whenShown(TTitluAddF::instance(), [&] {
        TTitluAddF& d = TTitluAddF::instance();
        holders = d.MostenitoriE->toPlainText();
        village = d.SatE->currentText();
        d.NrE->setText("77");
        d.CodE->setText("5");
        d.DataE->setDate(QDate(2009, 3, 4));
        d.SupTot->setText("2.50");
        d.MemoB->click();
    });
    form->LbSpeedButton5->click();
    EXPECT_EQ(holders, "POPESCU ION\nPOPESCU ANA");
    EXPECT_EQ(village, "BRADU");
    const QString id = store().ReadCounter("IDTP");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements.back(), (QStringList{"INSERT INTO " + quoted("TP.dbf"),
                                              "(IDTP, TPNR, TPCOD, TITULAR, INSAT,DATA, ANEXA, IDANEXA, SUPTOT)",
                                              "VALUES (", id + ",\"77\",", "5,", "\"POPESCU ION; POPESCU ANA\",",
                                              "\"BRADU\",", "\"04.03.2009\",", "\"Anexa 3\",",
                                              QString::number(first) + ",", "2.5)"}));
    EXPECT_EQ(title(id.toInt(), "TPNR, TITULAR, INSAT, DATA, ANEXA, IDANEXA, SUPTOT"),
              "77|POPESCU ION; POPESCU ANA|BRADU|04.03.2009|Anexa 3|" + std::to_string(first) + "|2.5");
    EXPECT_EQ(current(form->Tx, "IDTP"), id.toStdString());
    EXPECT_EQ(form->Tx.recordCount(), 1);
    // The line stays current and its summary shows the new title at once.
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(first));
    EXPECT_EQ(current(form->Anex, "TIT"), "77");
    EXPECT_EQ(current(form->Anex, "SUPTOT"), "2.5");

    // A line without heirs gives one holder line; a cancelled dialog stores nothing.
    form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(second)));
    whenShown(TTitluAddF::instance(), [&] {
        holders = TTitluAddF::instance().MostenitoriE->toPlainText();
        TTitluAddF::instance().RenuntB->click();
    });
    form->LbSpeedButton5->click();
    EXPECT_EQ(holders, "STAN ION");
    EXPECT_EQ(statements.size(), 1u);
}

TEST_F(Links, ANewTitleWantsALineThatCanHaveOne) {
    openForm();
    form->LbSpeedButton5->click();
    insert("Anexe1.dbf", {{"IDANEXA", "0"}, {"ANEXA", text("Anexa 2B")}, {"SATUL", text("BRADU")}, {"NUME", text("X")}});
    choosePage(1);
    ASSERT_EQ(form->Anex.recordCount(), 1);
    form->LbSpeedButton5->click();
    EXPECT_EQ(balloons(), (QStringList{"LbSpeedButton5: Introduceti mai intai o linie la anexa!",
                                       "LbSpeedButton5: Introduceti mai intai o linie la anexa!"}));
    EXPECT_TRUE(statements.empty());
}

TEST_F(Links, DetailsShowTheSameTitleAmongAllTitles) {
    addTitle("10", "AAA");
    addLinkedTitle(first, "Anexa 3", "11", "POPESCU ION");
    const int wanted = addLinkedTitle(first, "Anexa 3", "12", "POPESCU ION");
    addTitle("13", "ZZZ");
    showLine(first);
    form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(wanted)));
    form->LbSpeedButton6->click();
    EXPECT_EQ(form->shownPage(), 12);
    EXPECT_TRUE(form->titlesViewShown());
    EXPECT_EQ(form->Tx.recordCount(), 4);
    EXPECT_EQ(current(form->Tx, "IDTP"), std::to_string(wanted));

    choosePage(2);
    form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(second)));
    form->LbSpeedButton6->click();
    EXPECT_EQ(form->shownPage(), 2);
    EXPECT_EQ(balloons(), QStringList{"SMDBGrid4: Nu ati selectat nici un titlu!"});
}

TEST_F(Links, TakingOutLeavesTheTitleFreeAndTheLinesOtherTitlesListed) {
    const int kept = addLinkedTitle(first, "Anexa 3", "11", "POPESCU ION");
    const int out = addLinkedTitle(first, "Anexa 3", "12", "POPESCU ION");
    showLine(first);
    form->Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(out)));
    ASSERT_EQ(current(form->Anex, "TIT"), "12");

    answers.message(mrNu);
    form->LbSpeedButton1->click();
    EXPECT_TRUE(statements.empty());
    EXPECT_EQ(form->Tx.recordCount(), 2);

    answers.message(mrDa);
    form->LbSpeedButton1->click();
    EXPECT_EQ(messages(), (QStringList{"Scoate titlu|Doriti sa scoateti titlul afisat din anexa?|3|3",
                                       "Scoate titlu|Doriti sa scoateti titlul afisat din anexa?|3|3"}));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements.back(), (QStringList{"UPDATE " + quoted("TP.dbf"), "SET ANEXA=\"\", IDANEXA=-1",
                                              QStringLiteral("WHERE IDTP=%1").arg(out)}));
    EXPECT_EQ(title(out), "|-1");
    EXPECT_EQ(title(kept), "Anexa 3|" + std::to_string(first));
    EXPECT_EQ(form->Tx.recordCount(), 1);
    EXPECT_EQ(current(form->Tx, "IDTP"), std::to_string(kept));
    // The line's summary no longer counts the title taken out.
    EXPECT_EQ(current(form->Anex, "IDANEXA"), std::to_string(first));
    EXPECT_EQ(current(form->Anex, "TIT"), "11");

    // A line without titles has nothing to take out.
    form->Anex.locate("IDANEXA", engine::Value::number(engine::Decimal::fromInt(second)));
    form->LbSpeedButton1->click();
    EXPECT_EQ(balloons(), QStringList{"SMDBGrid4: Nu exista nici un titlu de scos!"});
}

}  // namespace
}  // namespace titlestest
