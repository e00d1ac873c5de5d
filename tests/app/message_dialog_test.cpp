#include "app/message_dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/interaction.h"
#include "ui/gradient_panel.h"

namespace {

std::vector<int> visibleLefts(const TErori& d) {
    std::vector<int> lefts;
    for (int i = 0; i < 4; ++i)
        if (!d.button(i)->isHidden()) lefts.push_back(d.button(i)->x());
    return lefts;
}

TEST(Mesaj, ButtonsStandInTableOrderAtTheComputedEdges) {
    TErori d;
    const struct {
        unsigned buttons;
        std::vector<int> lefts;
        std::vector<QString> captions;
    } cases[] = {
        {mbOk, {134}, {"OK"}},
        {mbDa + mbNu, {65, 203}, {"DA", "NU"}},
        {mbDa + mbNu + mbRenunt, {31, 135, 239}, {"DA", "NU", "RENUNT"}},
        {mbDa + mbNu + mbRenunt + mbOk, {10, 93, 176, 259}, {"DA", "NU", "RENUNT", "OK"}},
        {mbRenunt + mbOk, {65, 203}, {"RENUNT", "OK"}},
        {mbNu, {134}, {"NU"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d.prepare("h", "t", mkConfirmation, c.buttons), int(c.lefts.size()));
        EXPECT_EQ(visibleLefts(d), c.lefts) << c.buttons;
        std::vector<QString> captions;
        for (int i = 0; i < 4; ++i)
            if (!d.button(i)->isHidden()) {
                captions.push_back(d.button(i)->text());
                EXPECT_EQ(d.button(i)->y(), TErori::kButtonTop);
                EXPECT_EQ(d.button(i)->size(), QSize(73, 25));
                EXPECT_EQ(d.button(i)->focusPolicy(), Qt::NoFocus);
            }
        EXPECT_EQ(captions, c.captions) << c.buttons;
    }
}

TEST(Mesaj, GeometryOfTheWindowAndItsBands) {
    TErori d;
    d.prepare("Stergere linie", "Doriti sa stergeti linia?", mkConfirmation, mbDa + mbNu);
    EXPECT_EQ(d.size(), QSize(345, 177));
    EXPECT_EQ(d.topBand()->geometry(), QRect(0, 0, 345, 49));
    EXPECT_EQ(d.bottomBand()->geometry(), QRect(0, 135, 345, 42));
    EXPECT_EQ(d.textLabel()->size(), QSize(329, 73));
    EXPECT_EQ(d.iconLabel()->pixmap().size(), QSize(32, 32));
    EXPECT_TRUE(d.textLabel()->wordWrap());
    EXPECT_EQ(d.headingLabel()->text(), "Stergere linie");
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
}

// A message with a list of lines widens and shows them all in a list that
// scrolls; the next message without lines has the usual window again.
TEST(Mesaj, LinesUnderTheTextScrollInAList) {
    TErori d;
    QStringList lines;
    for (int i = 1; i <= 40; ++i)
        lines << QStringLiteral("Randul %1, coloana 5 (Supr.in CAP): valoarea 1500 nu incape in campul SINCAP (cel mult "
                                "999.9999)").arg(i);
    EXPECT_EQ(d.prepare("Import date", "\rValori care nu incap in tabele (40); nu s-a importat nimic:", mkError, mbOk,
                        lines),
              1);
    EXPECT_EQ(d.size(), QSize(TErori::kListWidth, TErori::kListHeight));
    EXPECT_FALSE(d.listBox()->isHidden());
    ASSERT_EQ(d.listBox()->count(), 40);
    EXPECT_EQ(d.listBox()->item(39)->text(), lines.last());
    EXPECT_EQ(d.bottomBand()->geometry().bottom(), TErori::kListHeight - 1);
    EXPECT_NEAR(d.button(3)->x() + TErori::kButtonWidth / 2.0, TErori::kListWidth / 2.0, 3);
    d.show();
    EXPECT_GT(d.listBox()->verticalScrollBar()->maximum(), 0);
    d.hide();

    d.prepare("Stergere linie", "Doriti sa stergeti linia?", mkConfirmation, mbDa + mbNu);
    EXPECT_EQ(d.size(), QSize(345, 177));
    EXPECT_TRUE(d.listBox()->isHidden());
    EXPECT_EQ(d.bottomBand()->geometry(), QRect(0, 135, 345, 42));
}

// Through the test seam the lines follow the text, so a script sees them all.
TEST(Mesaj, AScriptSeesTheLinesAfterTheText) {
    platform::ScriptedAnswers answers;
    answers.message(mrOk);
    EXPECT_EQ(MesajList("Import date", "\rNu s-a importat nimic:", {"Randul 2", "Randul 3"}, mkError, mbOk), mrOk);
    ASSERT_EQ(answers.requests().size(), 1u);
    EXPECT_EQ(answers.requests()[0].text, "\rNu s-a importat nimic:\rRandul 2\rRandul 3");
}

TEST(Mesaj, EachKindHasItsCaptionAndColours) {
    TErori d;
    const struct {
        unsigned kind;
        const char* caption;
        QRgb from, to, face, pressed, hot, light, shadow;
    } cases[] = {
        {mkWarning, "Atentie !", 0xB7B18A, 0x383623, 0x2C291B, 0x070705, 0x737753, 0xDEDFD2, 0x000000},
        {mkError, "Eroare", 0xFFD5D5, 0xFF0000, 0xFF0000, 0xA60000, 0xFF9B9B, 0xFFD9D9, 0xFFFFFF},
        {mkInformation, "Informatie", 0xE1DEFA, 0x0000BB, 0x0000FF, 0x000093, 0x9D9DFF, 0xDFDFFF, 0xFFFFFF},
        {mkConfirmation, "Confirmare", 0x81A2D3, 0x365F9C, 0x3966A8, 0x000093, 0x7196CE, 0xECF1F9, 0x000000},
        {4, "Eroare", 0xFFD5D5, 0xFF0000, 0xFF0000, 0xA60000, 0xFF9B9B, 0xFFD9D9, 0xFFFFFF},
        {200, "Eroare", 0xFFD5D5, 0xFF0000, 0xFF0000, 0xA60000, 0xFF9B9B, 0xFFD9D9, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        d.prepare("h", "t", c.kind, mbDa + mbNu + mbRenunt + mbOk);
        EXPECT_EQ(d.windowTitle(), c.caption) << c.kind;
        EXPECT_EQ(d.topBand()->startColor(), QColor(c.from)) << c.kind;
        EXPECT_EQ(d.topBand()->endColor(), QColor(c.to)) << c.kind;
        EXPECT_EQ(d.bottomBand()->startColor(), QColor(c.from)) << c.kind;
        EXPECT_EQ(d.bottomBand()->endColor(), QColor(c.to)) << c.kind;
        for (int i = 0; i < 4; ++i) {
            const ui::ButtonColors& b = d.button(i)->colors();
            EXPECT_EQ(b.face, QColor(c.face));
            EXPECT_EQ(b.pressedFace, QColor(c.pressed));
            EXPECT_EQ(b.hotFace, QColor(c.hot));
            EXPECT_EQ(b.lightEdge, QColor(c.light));
            EXPECT_EQ(b.shadowEdge, QColor(c.shadow));
        }
    }
}

TEST(Mesaj, NoButtonsAnswersRenuntWithoutShowingAnything) {
    platform::ScriptedAnswers script;
    EXPECT_EQ(Mesaj("h", "t", mkInformation, 0), mrRenunt);
    EXPECT_EQ(Mesaj("h", "t", mkInformation, 16), mrRenunt);
    EXPECT_TRUE(script.requests().empty());
    EXPECT_FALSE(TErori::instance().isVisible());
}

// Runs the dialog for real and acts on it once it shows.
int answerShown(TErori& d, unsigned buttons, const std::function<void(TErori&)>& act) {
    bool shown = false;
    QTimer::singleShot(0, &d, [&] {
        shown = d.isVisible();
        act(d);
        if (d.isVisible()) QTimer::singleShot(0, &d, [&] { d.reject(); });
    });
    const int result = d.Mesaj("Intrebare", "Continuati?", mkConfirmation, buttons);
    EXPECT_TRUE(shown);
    return result;
}

TEST(Mesaj, PressedButtonsGiveTheirResults) {
    TErori d;
    const struct {
        unsigned buttons;
        int index;
        int result;
    } cases[] = {{mbDa + mbNu, 0, mrDa}, {mbDa + mbNu, 1, mrNu}, {mbRenunt, 2, mrRenunt}, {mbOk, 3, mrOk}};
    for (const auto& c : cases)
        EXPECT_EQ(answerShown(d, c.buttons, [&](TErori& x) { QTest::mouseClick(x.button(c.index), Qt::LeftButton); }),
                  c.result);
}

TEST(Mesaj, EscapeAndTheCloseBoxAnswerRenuntAndEnterDoesNothing) {
    TErori d;
    EXPECT_EQ(answerShown(d, mbDa + mbNu, [](TErori& x) { QTest::keyClick(&x, Qt::Key_Escape); }), mrRenunt);
    EXPECT_EQ(answerShown(d, mbDa + mbNu, [](TErori& x) { x.close(); }), mrRenunt);
    bool stillShown = false;
    EXPECT_EQ(answerShown(d, mbOk,
                          [&](TErori& x) {
                              QTest::keyClick(&x, Qt::Key_Return);
                              QTest::keyClick(&x, Qt::Key_Enter);
                              QTest::keyClick(&x, Qt::Key_Space);
                              stillShown = x.isVisible();
                          }),
              mrRenunt);
    EXPECT_TRUE(stillShown);
    // A message shown after an answered one starts again from RENUNT.
    EXPECT_EQ(answerShown(d, mbOk, [](TErori& x) { QTest::mouseClick(x.button(3), Qt::LeftButton); }), mrOk);
    EXPECT_EQ(answerShown(d, mbOk, [](TErori& x) { QTest::keyClick(&x, Qt::Key_Escape); }), mrRenunt);
}

TEST(Mesaj, ScriptedAnswersAreRecordedAndChecked) {
    platform::ScriptedAnswers script;
    script.message(mrDa).message(mrRenunt).message(mrDa);
    EXPECT_EQ(Mesaj("Stergere linie", "Doriti sa stergeti linia?", mkConfirmation, mbDa + mbNu), mrDa);
    EXPECT_EQ(Mesaj("Import date", "\rImport incheiat cu succes!", mkInformation, mbOk), mrRenunt);
    EXPECT_THROW(Mesaj("Import date", "gata", mkInformation, mbOk), platform::ScriptError);
    ASSERT_EQ(script.requests().size(), 3u);
    const platform::DialogRequest& r = script.requests()[0];
    EXPECT_EQ(r.kind, platform::DialogKind::Message);
    EXPECT_EQ(r.caption, "Confirmare");
    EXPECT_EQ(r.heading, "Stergere linie");
    EXPECT_EQ(r.text, "Doriti sa stergeti linia?");
    EXPECT_EQ(r.messageKind, int(mkConfirmation));
    EXPECT_EQ(r.buttons, int(mbDa + mbNu));
    EXPECT_EQ(script.requests()[1].text, "\rImport incheiat cu succes!");
    EXPECT_EQ(script.problems().size(), 1);
    // What a user would have seen.
    EXPECT_EQ(TErori::instance().textLabel()->text(), "gata");
}

}  // namespace
