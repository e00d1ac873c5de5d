#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "dialog_fixture.h"
#include "titles/titdet_add_dialog.h"
#include "ui/header_band.h"
#include "ui/numeric_edit.h"

namespace {

using dialogtest::whenShown;

QStringList categories(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

class TitDetDialogTest : public dialogtest::DialogTest {
protected:
    // A surface that passes every check.
    static void fillValid(TTitDetAddF& d) {
        d.TarlaNrE->setText(QStringLiteral("12"));
        d.ParcelaNrE->setText(QStringLiteral("3"));
        d.SuprafE->setText(QStringLiteral("0.25"));
    }

    // Presses "&Memoreaza" after `fill`; closes the dialog when it stayed open.
    bool memorize(TTitDetAddF& d, const std::function<void()>& fill, QWidget** focused = nullptr) {
        whenShown(d, [&] {
            fill();
            d.MemoB->click();
            if (focused) *focused = d.focusWidget();
            if (d.isVisible()) d.reject();
        });
        return d.ExecuteAdd();
    }
};

TEST_F(TitDetDialogTest, StartsExtravilanArabilWithPaduriSixth) {
    TTitDetAddF d;
    EXPECT_EQ(categories(d.TipC), (QStringList{QStringLiteral("EXTRAVILAN"), QStringLiteral("INTRAVILAN")}));
    EXPECT_EQ(d.TipC->currentText(), QStringLiteral("EXTRAVILAN"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Arabil"));
    EXPECT_EQ(categories(d.CategC),
              (QStringList{QStringLiteral("Arabil"), QStringLiteral("Vii"), QStringLiteral("Livezi"),
                           QStringLiteral("Pasuni"), QStringLiteral("Fanete"), QStringLiteral("Paduri"),
                           QStringLiteral("Alte terenuri"), QStringLiteral("NR"), QStringLiteral("DE"),
                           QStringLiteral("NC"), QStringLiteral("PDT")}));
}

TEST_F(TitDetDialogTest, ChecksPlotParcelAndAreaInThisOrder) {
    struct Case {
        const char* tarla;
        const char* parcel;
        const char* area;
        const char* balloon;
    };
    const Case cases[] = {
        {"", "3", "1", "TarlaNrE: Lipseste Numarul de tarla!"},
        {"   ", "0", "0", "TarlaNrE: Lipseste Numarul de tarla!"},
        {"\"\"", "3", "1", "TarlaNrE: Lipseste Numarul de tarla!"},
        {"12", "0", "1", "ParcelaNrE: Lipseste Numarul de parcela!"},
        {"12", "", "0", "ParcelaNrE: Lipseste Numarul de parcela!"},
        {"12", "1", "0", "SuprafE: Lipseste Suprafata!"},
        {"12", "1", "", "SuprafE: Lipseste Suprafata!"},
        {"12", "1", "0.0000", "SuprafE: Lipseste Suprafata!"},
    };
    for (const Case& c : cases) {
        TTitDetAddF d;
        const size_t before = answers.requestsOf(platform::DialogKind::Balloon).size();
        QWidget* focused = nullptr;
        EXPECT_FALSE(memorize(
            d,
            [&] {
                d.TarlaNrE->setText(QString::fromLatin1(c.tarla));
                d.ParcelaNrE->setText(QString::fromLatin1(c.parcel));
                d.SuprafE->setText(QString::fromLatin1(c.area));
            },
            &focused));
        const auto shown = answers.requestsOf(platform::DialogKind::Balloon);
        ASSERT_EQ(shown.size(), before + 1) << c.balloon;
        EXPECT_EQ(shown.back().target + QStringLiteral(": ") + shown.back().text, QString::fromLatin1(c.balloon));
        EXPECT_EQ(focused ? focused->objectName() : QString(), shown.back().target);
    }
}

TEST_F(TitDetDialogTest, AcceptingCleansTextsAndWritesTheDimensionsShortest) {
    TTitDetAddF d;
    EXPECT_TRUE(memorize(d, [&] {
        fillValid(d);
        d.TarlaNrE->setText(QStringLiteral(" 12\"A  "));
        d.LotNrE->setText(QStringLiteral("  B  \"2\" "));
        d.VecinNE->setText(QStringLiteral("  DRUM   \"MARE\" "));
        d.VecinEE->setText(QStringLiteral("ION"));
        d.VecinSE->setText(QStringLiteral(" "));
        d.VecinVE->setText(QStringLiteral("a  b"));
        d.ObsE->setText(QStringLiteral(" obs "));
        d.DetE->setText(QStringLiteral("\"x\""));
        d.LungE->setText(QStringLiteral("0120.50"));
        d.LatE->clear();
    }));
    // The plot keeps its blanks; only its quotes go.
    EXPECT_EQ(d.TarlaNrE->text(), QStringLiteral(" 12A  "));
    EXPECT_EQ(d.LotNrE->text(), QStringLiteral("B 2"));
    EXPECT_EQ(d.VecinNE->text(), QStringLiteral("DRUM MARE"));
    EXPECT_EQ(d.VecinEE->text(), QStringLiteral("ION"));
    EXPECT_EQ(d.VecinSE->text(), QString());
    EXPECT_EQ(d.VecinVE->text(), QStringLiteral("a b"));
    EXPECT_EQ(d.ObsE->text(), QStringLiteral("obs"));
    EXPECT_EQ(d.DetE->text(), QStringLiteral("x"));
    EXPECT_EQ(d.LungE->text(), QStringLiteral("120.5"));
    EXPECT_EQ(d.LatE->text(), QStringLiteral("0"));
    // Parcel and area stay as typed.
    EXPECT_EQ(d.ParcelaNrE->text(), QStringLiteral("3"));
    EXPECT_EQ(d.SuprafE->text(), QStringLiteral("0.25"));
}

TEST_F(TitDetDialogTest, ChoosingATypeSetsTheSixthCategoryAndResetsToArabil) {
    TTitDetAddF d;
    d.CategC->setCurrentIndex(3);
    d.TipC->setCurrentIndex(1);
    emit d.TipC->activated(1);
    EXPECT_EQ(d.CategC->itemText(5), QStringLiteral("CURTI, CONSTRUCTII"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Arabil"));
    d.CategC->setCurrentIndex(5);
    d.TipC->setCurrentIndex(0);
    emit d.TipC->activated(0);
    EXPECT_EQ(d.CategC->itemText(5), QStringLiteral("PADURI"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Arabil"));
    EXPECT_EQ(d.CategC->count(), 11);
    // A change made by the program is no choice of the user's.
    d.CategC->setCurrentIndex(2);
    d.TipC->setCurrentIndex(1);
    EXPECT_EQ(d.CategC->itemText(5), QStringLiteral("PADURI"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Livezi"));
}

TEST_F(TitDetDialogTest, AStoredSurfaceShowsItsOwnTypeAndCategory) {
    TTitDetAddF d;
    d.TipC->setCurrentIndex(0);
    emit d.TipC->activated(0);  // EXTRAVILAN chosen last: "PADURI"
    d.selectTypeAndCategory(QStringLiteral("INTRAVILAN"), QStringLiteral("CURTI, CONSTRUCTII"));
    EXPECT_EQ(d.TipC->currentText(), QStringLiteral("INTRAVILAN"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("CURTI, CONSTRUCTII"));
    EXPECT_EQ(d.CategC->currentIndex(), 5);

    d.selectTypeAndCategory(QStringLiteral("EXTRAVILAN"), QStringLiteral("paduri"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("PADURI"));

    // A category the list does not hold is offered, once.
    d.selectTypeAndCategory(QStringLiteral("EXTRAVILAN"), QStringLiteral("Islaz"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Islaz"));
    EXPECT_EQ(d.CategC->count(), 12);
    d.selectTypeAndCategory(QStringLiteral("EXTRAVILAN"), QStringLiteral("Ogor"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Ogor"));
    EXPECT_EQ(d.CategC->count(), 12);
    d.selectTypeAndCategory(QStringLiteral("EXTRAVILAN"), QStringLiteral("Ogor \"mare\""));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Ogor mare"));
    d.selectTypeAndCategory(QStringLiteral("INTRAVILAN"), QStringLiteral("Vii"));
    EXPECT_EQ(d.CategC->currentText(), QStringLiteral("Vii"));
    EXPECT_EQ(d.CategC->count(), 11);

    // An unknown type and an empty category leave their lists unselected.
    d.selectTypeAndCategory(QStringLiteral("ALTUL"), QString());
    EXPECT_EQ(d.TipC->currentIndex(), -1);
    EXPECT_EQ(d.CategC->currentIndex(), -1);
    EXPECT_EQ(d.CategC->currentText(), QString());
    EXPECT_EQ(d.CategC->itemText(5), QStringLiteral("CURTI, CONSTRUCTII"));
}

TEST_F(TitDetDialogTest, TheDialogKeepsItsValuesForTheNextSurface) {
    TTitDetAddF d;
    EXPECT_TRUE(memorize(d, [&] {
        fillValid(d);
        d.VecinNE->setText(QStringLiteral("DRUM"));
    }));
    QString tarla, neighbour;
    whenShown(d, [&] {
        tarla = d.TarlaNrE->text();
        neighbour = d.VecinNE->text();
        d.MemoB->click();
    });
    EXPECT_TRUE(d.ExecuteAdd());
    EXPECT_EQ(tarla, QStringLiteral("12"));
    EXPECT_EQ(neighbour, QStringLiteral("DRUM"));
}

TEST_F(TitDetDialogTest, HeadingsFollowAddOrChange) {
    TTitDetAddF d;
    QString heading;
    whenShown(d, [&] {
        heading = d.header()->caption();
        d.reject();
    });
    EXPECT_FALSE(d.ExecuteEdit());
    EXPECT_EQ(heading, QStringLiteral("Modificare suprafata la titlu de proprietate"));
    whenShown(d, [&] {
        heading = d.header()->caption();
        d.RenuntB->click();
    });
    EXPECT_FALSE(d.ExecuteAdd());
    EXPECT_EQ(heading, QStringLiteral("Adaugare suprafata la titlu de proprietate"));
}

TEST_F(TitDetDialogTest, EnterWalksTheCommonFieldsAndMemorizesFromTheRemark) {
    TTitDetAddF d;
    QStringList visited;
    whenShown(d, [&] {
        fillValid(d);
        d.TipC->setFocus();
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(d.focusWidget(), Qt::Key_Return);
            visited << d.focusWidget()->objectName();
        }
        d.LungE->setFocus();
        QTest::keyClick(d.LungE, Qt::Key_Return);
        visited << d.focusWidget()->objectName();
        d.ObsE->setFocus();
        QTest::keyClick(d.ObsE, Qt::Key_Return);
    });
    EXPECT_TRUE(d.ExecuteAdd());
    EXPECT_EQ(visited, (QStringList{QStringLiteral("CategC"), QStringLiteral("TarlaNrE"), QStringLiteral("ParcelaNrE"),
                                    QStringLiteral("LotNrE"), QStringLiteral("SuprafE"), QStringLiteral("VecinNE"),
                                    QStringLiteral("VecinEE"), QStringLiteral("VecinSE"), QStringLiteral("VecinVE"),
                                    QStringLiteral("ObsE"), QStringLiteral("LatE")}));

    whenShown(d, [&] { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); });
    EXPECT_FALSE(d.ExecuteAdd());
}

}  // namespace
