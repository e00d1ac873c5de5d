#include <set>

#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "app/message_dialog.h"
#include "dialog_fixture.h"
#include "titles/alege_titlu_dialog.h"
#include "ui/data_grid.h"
#include "ui/dataset_model.h"

namespace {

using dialogtest::whenShown;

class AlegeDialogTest : public dialogtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        addTitleRow(2, QStringLiteral("12"), QStringLiteral("SAT"), QStringLiteral("POP ION"), QStringLiteral("NULL"));
        addTitleRow(3, QStringLiteral("120"), QStringLiteral("SAT"), QStringLiteral("ANA"), QStringLiteral("-1"));
        addTitleRow(4, QStringLiteral("12A"), QStringLiteral("BRAZI"), QStringLiteral("ZETA"), QStringLiteral("NULL"));
        addTitleRow(5, QStringLiteral("312"), QStringLiteral("VALENI"), QStringLiteral("MIHAI"), QStringLiteral("NULL"));
        addTitleRow(6, QStringLiteral("125"), QStringLiteral("SAT"), QStringLiteral("REPLACED"), QStringLiteral("0"));
        addTitleRow(7, QStringLiteral("12"), QStringLiteral("SAT"), QStringLiteral("LINKED"), QStringLiteral("9"));
    }

    // The IDTP of the listed titles, in order.
    static QStringList listed(engine::Dataset& tx) {
        QStringList ids;
        const int keep = tx.recNo();
        for (tx.first(); !tx.eof(); tx.next()) ids << QString::fromStdString(tx.field("IDTP").asString());
        tx.moveTo(keep);
        return ids;
    }
};

TEST_F(AlegeDialogTest, OffersTheFreeTitlesByHolder) {
    TAlegeTitluF d;
    QStringList shown;
    whenShown(d, [&] {
        shown = listed(d.Tx);
        d.LbButton2->click();
    });
    EXPECT_EQ(d.ChooseTitle(), QString());
    // Taken out (-1) and entered on their own (NULL); not 0, not linked.
    EXPECT_EQ(shown, (QStringList{QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("2"), QStringLiteral("4")}));
    const std::vector<std::string> statement = {
        "SELECT * FROM \"" + table(QStringLiteral("TP.dbf")).toStdString() + "\"",
        "WHERE (IDANEXA IS NULL) OR (IDANEXA<0)", "ORDER BY TITULAR"};
    EXPECT_EQ(d.Tx.lines(), statement);
    EXPECT_FALSE(d.Tx.isOpen());
}

TEST_F(AlegeDialogTest, TheNumberFilterMatchesTheBeginning) {
    TAlegeTitluF d;
    struct Step {
        const char* typed;
        QStringList ids;
    };
    const Step steps[] = {
        {"12", {"3", "2", "4"}},
        {" 12 ", {"3", "2", "4"}},
        {"120", {"3"}},
        {"1'2", {"3", "2", "4"}},  // a quote cannot break the filter
        {"'", {"3", "5", "2", "4"}},
        {"9", {}},
        {"", {"3", "5", "2", "4"}},
    };
    whenShown(d, [&] {
        for (const Step& s : steps) {
            d.TPNrX->setText(QString::fromLatin1(s.typed));
            EXPECT_EQ(listed(d.Tx), s.ids) << s.typed;
        }
        d.reject();
    });
    d.ChooseTitle();
}

TEST_F(AlegeDialogTest, ChoosingGivesTheCurrentTitle) {
    TAlegeTitluF d;
    whenShown(d, [&] {
        d.TPNrX->setText(QStringLiteral("12"));
        d.Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(4)));
        d.LbButton1->click();
    });
    EXPECT_EQ(d.ChooseTitle(), QStringLiteral("4"));

    // Enter in the grid and a double click choose too.
    whenShown(d, [&] {
        d.Tx.moveTo(1);
        d.SMDBGrid4->setFocus();
        QTest::keyClick(d.SMDBGrid4, Qt::Key_Return);
    });
    EXPECT_EQ(d.ChooseTitle(), QStringLiteral("5"));
    whenShown(d, [&] {
        d.Tx.moveTo(0);
        emit d.SMDBGrid4->rowDoubleClicked(0);
    });
    EXPECT_EQ(d.ChooseTitle(), QStringLiteral("3"));

    // Escape and "&Renunt" choose nothing; the filter of the last use is gone.
    QString filterText = QStringLiteral("?");
    whenShown(d, [&] {
        filterText = d.TPNrX->text();
        QTest::keyClick(d.SMDBGrid4, Qt::Key_Escape);
    });
    EXPECT_EQ(d.ChooseTitle(), QString());
    EXPECT_EQ(filterText, QString());
    EXPECT_TRUE(answers.requestsOf(platform::DialogKind::Message).empty());
}

TEST_F(AlegeDialogTest, NothingToChooseSaysSoAndCloses) {
    TAlegeTitluF d;
    bool closed = false;
    answers.message(mrOk);
    whenShown(d, [&] {
        d.TPNrX->setText(QStringLiteral("99"));
        d.LbButton1->click();
        closed = !d.isVisible();
    });
    EXPECT_EQ(d.ChooseTitle(), QString());
    EXPECT_TRUE(closed);
    const auto asked = answers.requestsOf(platform::DialogKind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].heading, QStringLiteral("Alegere titlu"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Nu aveti ce alege!"));
    EXPECT_EQ(asked[0].messageKind, int(mkError));
    EXPECT_EQ(asked[0].buttons, int(mbOk));
}

TEST_F(AlegeDialogTest, NoFreeTitlesAtAll) {
    runLines({QStringLiteral("UPDATE \"%1\"").arg(table(QStringLiteral("TP.dbf"))), QStringLiteral("SET IDANEXA=9")});
    TAlegeTitluF d;
    int rows = -1;
    answers.message(mrOk);
    whenShown(d, [&] {
        rows = d.Tx.recordCount();
        QTest::keyClick(d.SMDBGrid4, Qt::Key_Return);
    });
    EXPECT_EQ(d.ChooseTitle(), QString());
    EXPECT_EQ(rows, 0);
    ASSERT_EQ(answers.requestsOf(platform::DialogKind::Message).size(), 1u);
    EXPECT_EQ(answers.requestsOf(platform::DialogKind::Message)[0].text, QStringLiteral("Nu aveti ce alege!"));
}

TEST_F(AlegeDialogTest, AColumnSortKeepsTheCurrentTitleAndTheFilter) {
    TAlegeTitluF d;
    QStringList byNumber, byVillage;
    QString current;
    whenShown(d, [&] {
        d.TPNrX->setText(QStringLiteral("12"));
        d.Tx.locate("IDTP", engine::Value::number(engine::Decimal::fromInt(2)));
        emit d.SMDBGrid4->titleClicked(QStringLiteral("TPNR"));
        byNumber = listed(d.Tx);
        current = QString::fromStdString(d.Tx.field("IDTP").asString());
        d.SMDBGrid4TitleClick(QStringLiteral("INSAT"));
        byVillage = listed(d.Tx);
        d.LbButton1->click();
    });
    EXPECT_EQ(d.ChooseTitle(), QStringLiteral("2"));
    EXPECT_EQ(byNumber, (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_EQ(current, QStringLiteral("2"));
    EXPECT_EQ(byVillage.first(), QStringLiteral("4"));
    EXPECT_EQ(byVillage.size(), 3);
    EXPECT_EQ(d.Tx.lines()[2], "ORDER BY INSAT");

    // The next use starts in holder order again.
    whenShown(d, [&] { d.reject(); });
    d.ChooseTitle();
    EXPECT_EQ(d.Tx.lines()[2], "ORDER BY TITULAR");
}

TEST_F(AlegeDialogTest, ATitleWithoutADateShowsAnEmptyDateAndTheDateColumnSortsByDate) {
    const QString tp = QLatin1Char('"') + table(QStringLiteral("TP.dbf")) + QLatin1Char('"');
    runLines({QStringLiteral("UPDATE ") + tp, QStringLiteral("SET DATA=\"01.01.1900\" WHERE IDTP=3")});
    runLines({QStringLiteral("UPDATE ") + tp, QStringLiteral("SET DATA=NULL WHERE IDTP=5")});
    runLines({QStringLiteral("UPDATE ") + tp, QStringLiteral("SET DATA=\"15.03.2024\" WHERE IDTP=4")});
    TAlegeTitluF d;
    QStringList dates, byDate;
    whenShown(d, [&] {
        for (int row = 0; row < d.Tx.recordCount(); ++row)
            dates << d.SMDBGrid4->datasetModel()->displayText(row, 3);
        d.SMDBGrid4TitleClick(QStringLiteral("DATAS"));
        byDate = listed(d.Tx);
        d.reject();
    });
    d.ChooseTitle();
    // Holder order: ANA (01.01.1900), MIHAI (none), POP ION, ZETA.
    EXPECT_EQ(dates, (QStringList{QString(), QString(), QStringLiteral("01.02.2003"), QStringLiteral("15.03.2024")}));
    EXPECT_EQ(d.Tx.lines()[2], "ORDER BY DATA");
    ASSERT_EQ(byDate.size(), 4);
    EXPECT_EQ(byDate.mid(2), (QStringList{QStringLiteral("2"), QStringLiteral("4")}));
}

TEST_F(AlegeDialogTest, ASortOfOneRowDoesNothing) {
    TAlegeTitluF d;
    whenShown(d, [&] {
        d.TPNrX->setText(QStringLiteral("120"));
        d.SMDBGrid4TitleClick(QStringLiteral("INSAT"));
        d.reject();
    });
    d.ChooseTitle();
    EXPECT_EQ(d.Tx.lines()[2], "ORDER BY TITULAR");
}

}  // namespace
