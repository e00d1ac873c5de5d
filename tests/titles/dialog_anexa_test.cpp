#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "dialog_fixture.h"
#include "titles/anexa_add_dialog.h"
#include "ui/numeric_edit.h"

namespace {

using dialogtest::whenShown;

class AnexaDialogTest : public dialogtest::DialogTest {
protected:
    // Fills village and name, presses "&Memoreaza" inside the modal loop and
    // closes the dialog when it stayed open; what Execute returned.
    bool memorize(TAnexaAdd1F& d, const QString& village, const QString& name, bool* stayedOpen = nullptr) {
        whenShown(d, [&] {
            d.SatulE->setEditText(village);
            d.NumeleE->setText(name);
            d.LbButton1->click();
            if (stayedOpen) *stayedOpen = d.isVisible();
            if (d.isVisible()) d.reject();
        });
        return d.Execute();
    }
};

TEST_F(AnexaDialogTest, VillageAndNameAreRequiredWithABalloonAtTheFirstMissing) {
    struct Case {
        const char* village;
        const char* name;
        const char* balloon;
    };
    const Case cases[] = {
        {"", "ION", "SatulE: Nu ati specificat Satul!"},
        {"   ", "ION", "SatulE: Nu ati specificat Satul!"},
        {"\"\"", "ION", "SatulE: Nu ati specificat Satul!"},
        {"", "", "SatulE: Nu ati specificat Satul!"},
        {"SAT", "", "NumeleE: Nu ati specificat Numele si prenumele!"},
        {"SAT", " \" ", "NumeleE: Nu ati specificat Numele si prenumele!"},
    };
    for (const Case& c : cases) {
        const size_t before = answers.requestsOf(platform::DialogKind::Balloon).size();
        TAnexaAdd1F d;
        bool stayedOpen = false;
        QWidget* focused = nullptr;
        whenShown(d, [&] {
            d.SatulE->setEditText(QString::fromUtf8(c.village));
            d.NumeleE->setText(QString::fromUtf8(c.name));
            d.LbButton1->click();
            stayedOpen = d.isVisible();
            focused = d.focusWidget();
            d.reject();
        });
        EXPECT_FALSE(d.Execute()) << c.village << "/" << c.name;
        EXPECT_TRUE(stayedOpen);
        const auto shown = answers.requestsOf(platform::DialogKind::Balloon);
        ASSERT_EQ(shown.size(), before + 1) << c.village << "/" << c.name;
        EXPECT_EQ(shown.back().target + QStringLiteral(": ") + shown.back().text, QString::fromUtf8(c.balloon));
        EXPECT_EQ(shown.back().caption, QStringLiteral("Problema !"));
        EXPECT_EQ(focused ? focused->objectName() : QString(), shown.back().target);
    }
}

TEST_F(AnexaDialogTest, AcceptingCleansTheTextsAndWritesThePositionAsAWholeNumber) {
    struct Case {
        const char* position;
        const char* expectedPosition;
    };
    for (const Case& c : {Case{"007", "7"}, Case{"", "0"}, Case{"1234567890", "1234567890"}}) {
        TAnexaAdd1F d;
        d.NrCrtA->setText(QString::fromLatin1(c.position));
        d.MostenE->setText(QStringLiteral("  ION \"MIC\"  SI  ANA "));
        d.TipAnxE->setEditText(QStringLiteral("Anexa \"37\""));
        EXPECT_TRUE(memorize(d, QStringLiteral("  SAT   \"NOU\" "), QStringLiteral(" POP  ION ")));
        EXPECT_TRUE(d.Confirmed);
        EXPECT_EQ(d.NrCrtA->text(), QString::fromLatin1(c.expectedPosition));
        EXPECT_EQ(d.SatulE->currentText(), QStringLiteral("SAT NOU"));
        EXPECT_EQ(d.NumeleE->text(), QStringLiteral("POP ION"));
        // Heirs and annex type keep their blanks; only the quotes go.
        EXPECT_EQ(d.MostenE->text(), QStringLiteral("  ION MIC  SI  ANA "));
        EXPECT_EQ(d.TipAnxE->currentText(), QStringLiteral("Anexa 37"));
    }
    EXPECT_TRUE(balloons().isEmpty());
}

TEST_F(AnexaDialogTest, ExecuteReloadsEveryVillageAndKeepsTheTypedOne) {
    runLines({QStringLiteral("INSERT INTO \"%1\" (IDANEXA, ANEXA, SATUL, NUME)").arg(table(QStringLiteral("Anexe1.dbf"))),
         QStringLiteral("VALUES (2,\"Anexa 3\",\"VALENI\",\"A\")")});
    runLines({QStringLiteral("INSERT INTO \"%1\" (IDANEXA, ANEXA, SATUL, NUME)").arg(table(QStringLiteral("Anexe1.dbf"))),
         QStringLiteral("VALUES (3,\"Legea 1/2000\",\"BRAZI\",\"B\")")});
    TAnexaAdd1F d;
    d.SatulE->addItem(QStringLiteral("OLD"));
    d.SatulE->setEditText(QStringLiteral("NOU"));
    QStringList items;
    QString shownText;
    QWidget* focused = nullptr;
    whenShown(d, [&] {
        for (int i = 0; i < d.SatulE->count(); ++i) items << d.SatulE->itemText(i);
        shownText = d.SatulE->currentText();
        focused = d.focusWidget();
        d.reject();
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(items, (QStringList{QStringLiteral("BRAZI"), QStringLiteral("VALENI")}));
    EXPECT_EQ(shownText, QStringLiteral("NOU"));
    EXPECT_EQ(focused, d.SatulE);
}

TEST_F(AnexaDialogTest, EachAnnexShowsItsOwnFieldsAndLabels) {
    struct Case {
        int page;
        const char* name;
        const char* sincap;  // "" hidden
        const char* ssol;
        bool sact, mosten, tipAnx, land;
    };
    const Case cases[] = {
        {0, "Nume si prenume", "Suprafata intrata in CAP", "Suprafata solicitata", false, false, false, true},
        {1, "Nume si prenume", "Suprafata intrata in CAP", "", false, false, false, true},
        {2, "Nume si prenume", "Suprafata intrata in CAP", "Suprafata solicitata", false, true, false, true},
        {3, "Nume si prenume", "", "", false, false, false, true},
        {4, "Nume si prenume", "", "", false, false, false, true},
        {5, "Nume si prenume", "", "", false, false, false, true},
        {6, "Denumire Parohie", "", "Suprafata solicitata", false, false, false, true},
        {7, "Nume si prenume", "Suprafata preluata la stat", "Suprafata atribuita in echivalent de 0.50", true, true,
         false, false},
        {8, "Nume si prenume", "", "", false, false, false, true},
        {9, "Nume si prenume", "", "", false, false, true, false},
        {10, "Nume si prenume", "", "", false, false, true, false},
        {11, "Nume si prenume", "", "", false, false, false, false},
    };
    TAnexaAdd1F d;
    // Walk the pages twice, so a page is also shown after each other kind.
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            d.configureForPage(c.page);
            SCOPED_TRACE(c.page);
            EXPECT_EQ(d.nameLabel->text(), QString::fromLatin1(c.name));
            const bool sincap = *c.sincap, ssol = *c.ssol;
            EXPECT_EQ(!d.SINCAPE->isHidden(), sincap);
            EXPECT_EQ(!d.sincapLabel->isHidden(), sincap);
            if (sincap) {
                EXPECT_EQ(d.sincapLabel->text(), QString::fromLatin1(c.sincap));
            }
            EXPECT_EQ(!d.SSOLE->isHidden(), ssol);
            EXPECT_EQ(!d.ssolLabel->isHidden(), ssol);
            if (ssol) {
                EXPECT_EQ(d.ssolLabel->text(), QString::fromLatin1(c.ssol));
            }
            EXPECT_EQ(!d.SActE->isHidden(), c.sact);
            EXPECT_EQ(!d.MostenE->isHidden(), c.mosten);
            EXPECT_EQ(!d.mostenLabel->isHidden(), c.mosten);
            EXPECT_EQ(!d.TipAnxE->isHidden(), c.tipAnx);
            EXPECT_EQ(!d.landTable->isHidden(), c.land);
            // Always shown.
            EXPECT_FALSE(d.NrCrtA->isHidden());
            EXPECT_FALSE(d.SatulE->isHidden());
            EXPECT_FALSE(d.NumeleE->isHidden());
            EXPECT_FALSE(d.SAPROBE->isHidden());
        }
}

TEST_F(AnexaDialogTest, EnterMovesOnFromNameHeirsAndSurfacesOnly) {
    struct Case {
        int page;
        const char* from;
        const char* to;  // "" : Enter does nothing, the focus stays
    };
    const Case cases[] = {
        {0, "NumeleE", "SINCAPE"}, {0, "SINCAPE", "SSOLE"}, {0, "SAPROBE", "ExTot"}, {0, "ExPas", "InTot"},
        {0, "Neag", "LbButton1"},  {7, "SAPROBE", "LbButton1"}, {7, "MostenE", "NrCrtA"}, {9, "NumeleE", "SAPROBE"},
        {0, "SatulE", ""},         {0, "NrCrtA", ""},           {9, "TipAnxE", ""},
    };
    for (const Case& c : cases) {
        TAnexaAdd1F d;
        d.configureForPage(c.page);
        QString landed;
        bool stayedOpen = false;
        whenShown(d, [&] {
            auto* from = d.findChild<QWidget*>(QString::fromLatin1(c.from));
            from->setFocus();
            QTest::keyClick(from, Qt::Key_Return);
            landed = d.focusWidget() ? d.focusWidget()->objectName() : QString();
            stayedOpen = d.isVisible();
            d.reject();
        });
        d.Execute();
        SCOPED_TRACE(c.from);
        EXPECT_TRUE(stayedOpen);
        EXPECT_FALSE(d.Confirmed);
        EXPECT_EQ(landed, *c.to ? QString::fromLatin1(c.to) : QString::fromLatin1(c.from));
    }
}

TEST_F(AnexaDialogTest, EnterOnTheFocusedButtonMemorizesAndEscapeCancels) {
    TAnexaAdd1F d;
    whenShown(d, [&] {
        // Village and name are typed in capitals.
        d.SatulE->setFocus();
        QTest::keyClicks(d.SatulE, QStringLiteral("sat"));
        d.NumeleE->setFocus();
        QTest::keyClicks(d.NumeleE, QStringLiteral("ion"));
        d.LbButton1->setFocus();
        QTest::keyClick(d.LbButton1, Qt::Key_Return);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.SatulE->currentText(), QStringLiteral("SAT"));
    EXPECT_EQ(d.NumeleE->text(), QStringLiteral("ION"));

    for (const char* where : {"NumeleE", "ExTot", "LbButton1"}) {
        whenShown(d, [&] {
            auto* w = d.findChild<QWidget*>(QString::fromLatin1(where));
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_FALSE(d.Execute()) << where;
    }
    whenShown(d, [&] { d.LbButton2->click(); });
    EXPECT_FALSE(d.Execute());
}

}  // namespace
