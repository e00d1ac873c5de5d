#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "app/message_dialog.h"
#include "dialog_fixture.h"
#include "titles/titlu_add_dialog.h"
#include "ui/date_edit.h"
#include "ui/header_band.h"
#include "ui/numeric_edit.h"

namespace {

using dialogtest::whenShown;

class TitluDialogTest : public dialogtest::DialogTest {
protected:
    QString tp() { return QStringLiteral("FROM \"") + table(QStringLiteral("TP.dbf")) + QLatin1Char('"'); }

    // Presses "&Memoreaza" with number and village typed; closes the dialog
    // when it stayed open. What the dialog returned.
    bool memorize(TTitluAddF& d, const QString& number, const QString& village, bool edit = false,
                  bool* stayedOpen = nullptr) {
        whenShown(d, [&] {
            d.NrE->setText(number);
            d.SatE->setEditText(village);
            d.MemoB->click();
            if (stayedOpen) *stayedOpen = d.isVisible();
            if (d.isVisible()) d.reject();
        });
        return edit ? d.ExecuteEdit(QStringLiteral("7")) : d.ExecuteAdd();
    }

    std::vector<platform::DialogRequest> asked() const { return answers.requestsOf(platform::DialogKind::Message); }
};

TEST_F(TitluDialogTest, PrepareNewStartsFromTodayTheFirstVillageAndTheLastSurface) {
    addTitleRow(2, QStringLiteral("5"), QStringLiteral("VALENI"), QStringLiteral("A"), QStringLiteral("NULL"));
    addTitleRow(3, QStringLiteral("6"), QStringLiteral("BRAZI"), QStringLiteral("B"), QStringLiteral("NULL"));
    TTitluAddF d;
    d.NrE->setText(QStringLiteral("12"));
    d.CodE->setText(QStringLiteral("44"));
    d.DataE->setDate(QDate(2001, 2, 3));
    d.MostenitoriE->setPlainText(QStringLiteral("ION"));
    d.SatE->addItem(QStringLiteral("OLD"));
    d.SupTot->setText(QStringLiteral("3.25"));
    d.PrepareNew();
    EXPECT_EQ(d.NrE->text(), QString());
    EXPECT_EQ(d.CodE->text(), QString());
    EXPECT_EQ(d.CodE->valueText(), QStringLiteral("0"));
    EXPECT_EQ(d.DataE->date(), QDate::currentDate());
    EXPECT_EQ(d.MostenitoriE->toPlainText(), QString());
    ASSERT_EQ(d.SatE->count(), 2);
    EXPECT_EQ(d.SatE->itemText(0), QStringLiteral("BRAZI"));
    EXPECT_EQ(d.SatE->itemText(1), QStringLiteral("VALENI"));
    EXPECT_EQ(d.SatE->currentText(), QStringLiteral("BRAZI"));
    EXPECT_EQ(d.SupTot->text(), QStringLiteral("3.25"));
}

TEST_F(TitluDialogTest, PrepareNewWithoutTitlesLeavesTheVillageEmpty) {
    TTitluAddF d;
    d.SatE->setEditText(QStringLiteral("OLD"));
    d.PrepareNew();
    EXPECT_EQ(d.SatE->count(), 0);
    EXPECT_EQ(d.SatE->currentText(), QString());
}

TEST_F(TitluDialogTest, AVillageIsRequired) {
    TTitluAddF d;
    bool stayedOpen = false;
    QWidget* focused = nullptr;
    whenShown(d, [&] {
        d.SatE->setEditText(QStringLiteral("  \" "));
        d.MemoB->click();
        stayedOpen = d.isVisible();
        focused = d.focusWidget();
        d.reject();
    });
    EXPECT_FALSE(d.ExecuteAdd());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(focused, d.SatE);
    EXPECT_EQ(balloons(), QStringList{QStringLiteral("SatE: Lipseste Satul!")});
}

TEST_F(TitluDialogTest, TheNumberCheckCountsOtherTitlesWithTheSameNumber) {
    TTitluAddF d;
    EXPECT_TRUE(memorize(d, QStringLiteral(" 12  \"B\" "), QStringLiteral("SAT")));
    EXPECT_EQ(d.NrE->text(), QStringLiteral("12 B"));
    const std::vector<std::string> added = {"SELECT Count(*) AS NR", tp().toStdString(), "WHERE TPNR=\"12 B\""};
    EXPECT_EQ(d.numberCheck().lines(), added);
    EXPECT_TRUE(d.EditedId.isEmpty());

    EXPECT_TRUE(memorize(d, QStringLiteral("12"), QStringLiteral("SAT"), true));
    const std::vector<std::string> changed = {"SELECT Count(*) AS NR", tp().toStdString(), "WHERE TPNR=\"12\"",
                                              "AND IDTP<>7"};
    EXPECT_EQ(d.numberCheck().lines(), changed);
    EXPECT_EQ(d.EditedId, QStringLiteral("7"));
    EXPECT_TRUE(asked().empty());
}

TEST_F(TitluDialogTest, ANumberInUseIsStoredOnlyOnDa) {
    addTitleRow(7, QStringLiteral("12"), QStringLiteral("SAT"), QStringLiteral("A"), QStringLiteral("NULL"));
    struct Case {
        int answer;
        bool confirmed;
    };
    for (const Case& c : {Case{mrDa, true}, Case{mrNu, false}, Case{mrRenunt, false}}) {
        const size_t before = asked().size();
        answers.message(c.answer);
        TTitluAddF d;
        bool stayedOpen = false;
        EXPECT_EQ(memorize(d, QStringLiteral("12"), QStringLiteral("SAT"), false, &stayedOpen), c.confirmed);
        EXPECT_EQ(stayedOpen, !c.confirmed);
        ASSERT_EQ(asked().size(), before + 1);
        const platform::DialogRequest question = asked().back();
        EXPECT_EQ(question.heading, QStringLiteral("ADAUGARE TITLU"));
        EXPECT_EQ(question.text, QStringLiteral("Mai exista un titlu cu acelasi numar!\rContinuati asa ?"));
        EXPECT_EQ(question.messageKind, int(mkWarning));
        EXPECT_EQ(question.buttons, int(mbDa + mbNu));
    }
    // The title itself does not count when it is changed, nor is an empty number looked up.
    const size_t before = asked().size();
    TTitluAddF d;
    whenShown(d, [&] {
        d.NrE->setText(QStringLiteral("12"));
        d.SatE->setEditText(QStringLiteral("SAT"));
        d.MemoB->click();
    });
    EXPECT_TRUE(d.ExecuteEdit(QStringLiteral("7")));
    EXPECT_TRUE(memorize(d, QStringLiteral("  "), QStringLiteral("SAT")));
    EXPECT_EQ(asked().size(), before);
    EXPECT_EQ(answers.pending(), 0);
}

TEST_F(TitluDialogTest, AcceptedValuesAreReadyForTheStatement) {
    struct Case {
        const char* surface;
        const char* holders;
        const char* expectedSurface;
        const char* expectedHolders;
    };
    const Case cases[] = {
        {"007.50", "ion pop\n\n   maria  \"mica\" ", "7.5", "ION POP; MARIA MICA"},
        {"", "", "0", ""},
        {"12345.010", "ana", "12345.01", "ANA"},
        // Only a to z are raised.
        {"0.5", "\xC8\x99tefan", "0.5", "\xC8\x99TEFAN"},
    };
    for (const Case& c : cases) {
        TTitluAddF d;
        d.SupTot->setText(QString::fromLatin1(c.surface));
        d.MostenitoriE->setPlainText(QString::fromUtf8(c.holders));
        d.DataE->setDate(QDate(2009, 3, 4));
        EXPECT_TRUE(memorize(d, QString(), QStringLiteral("SAT")));
        EXPECT_EQ(d.SupTot->text(), QString::fromLatin1(c.expectedSurface));
        EXPECT_EQ(d.titular(), QString::fromUtf8(c.expectedHolders));
        EXPECT_EQ(d.dateText(), QStringLiteral("04.03.2009"));
    }
}

TEST_F(TitluDialogTest, HeadingsFollowAddOrChange) {
    TTitluAddF d;
    QString heading;
    whenShown(d, [&] {
        heading = d.header()->caption();
        d.reject();
    });
    d.ExecuteEdit(QStringLiteral("3"));
    EXPECT_EQ(heading, QStringLiteral("Modificare Titlu de Proprietate"));
    whenShown(d, [&] {
        heading = d.header()->caption();
        d.reject();
    });
    d.ExecuteAdd();
    EXPECT_EQ(heading, QStringLiteral("Adaugare Titlu de Proprietate"));
    EXPECT_TRUE(d.EditedId.isEmpty());
}

TEST_F(TitluDialogTest, EnterWalksTheFieldsAndMemorizesFromTheSurface) {
    TTitluAddF d;
    QStringList visited;
    QString holders;
    whenShown(d, [&] {
        d.SatE->setEditText(QStringLiteral("SAT"));
        d.NrE->setFocus();
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(d.focusWidget(), Qt::Key_Return);
            visited << d.focusWidget()->objectName();
        }
        // In the holders Enter starts a new line.
        QTest::keyClicks(d.MostenitoriE, QStringLiteral("ion"));
        QTest::keyClick(d.MostenitoriE, Qt::Key_Return);
        QTest::keyClicks(d.MostenitoriE, QStringLiteral("ana"));
        holders = d.MostenitoriE->toPlainText();
        d.SatE->setFocus();
        QTest::keyClick(d.SatE, Qt::Key_Return);
        visited << d.focusWidget()->objectName();
        QTest::keyClick(d.SupTot, Qt::Key_Return);
    });
    EXPECT_TRUE(d.ExecuteAdd());
    EXPECT_EQ(visited, (QStringList{QStringLiteral("CodE"), QStringLiteral("DataE"), QStringLiteral("MostenitoriE"),
                                    QStringLiteral("SupTot")}));
    EXPECT_EQ(holders, QStringLiteral("ion\nana"));
    EXPECT_EQ(d.titular(), QStringLiteral("ION; ANA"));

    whenShown(d, [&] { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); });
    EXPECT_FALSE(d.ExecuteAdd());
}

TEST_F(TitluDialogTest, ADateTypedAfterTabbingOrClickingIntoTheBoxIsStored) {
    for (const bool byClick : {false, true}) {
        for (const char* typed : {"15032024", "15.03.2024"}) {
            SCOPED_TRACE(std::string(typed) + (byClick ? " by click" : " by Tab"));
            TTitluAddF d;
            whenShown(d, [&] {
                d.SatE->setEditText(QStringLiteral("SAT"));
                d.CodE->setFocus();
                if (byClick) {
                    // On the year: the click that brings the focus still starts at the day.
                    QLineEdit* text = d.DataE->findChild<QLineEdit*>();
                    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 12, text->height() / 2));
                } else {
                    QTest::keyClick(d.CodE, Qt::Key_Tab);
                }
                QTest::keyClicks(d.focusWidget(), QString::fromLatin1(typed));
                d.MemoB->click();
            });
            EXPECT_TRUE(d.ExecuteAdd());
            EXPECT_EQ(d.dateText(), QStringLiteral("15.03.2024"));
        }
    }
}

TEST_F(TitluDialogTest, TheHoldersTakeAtMost120TypedCharacters) {
    TTitluAddF d;
    QString typed;
    whenShown(d, [&] {
        d.MostenitoriE->setFocus();
        QTest::keyClicks(d.MostenitoriE, QString(118, QLatin1Char('a')));
        QTest::keyClick(d.MostenitoriE, Qt::Key_Return);
        QTest::keyClicks(d.MostenitoriE, QStringLiteral("bcd"));
        typed = d.MostenitoriE->toPlainText();
        d.reject();
    });
    d.ExecuteAdd();
    EXPECT_EQ(typed, QString(118, QLatin1Char('a')) + QStringLiteral("\nb"));
    // What the program puts in is not cut.
    d.MostenitoriE->setPlainText(QString(100, QLatin1Char('x')));
    d.MostenitoriE->appendPlainText(QString(100, QLatin1Char('y')));
    EXPECT_EQ(d.MostenitoriE->toPlainText().size(), 201);
}

}  // namespace
