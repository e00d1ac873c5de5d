// Typing, deleting and pasting in the numeric edit boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "ui/numeric_edit.h"

using namespace ui;

namespace {

struct Flavour {
    const char* mask;  // used when integerDigits < 0
    int integerDigits;
    int decimals;
    int maxLength;
};

const Flavour kArea{"9999.9999", -1, 0, 9};       // SINCAP, SSOL, SAPROB, SACT
const Flavour kLand{"111.5555", -1, 0, 7};        // the land table
const Flavour kNegative{"-999.99", -1, 0, 32767};
const Flavour kWhole{"", -1, 0, 6};               // a parcel number
const Flavour kTotal{nullptr, 5, 4, 9};           // a title's total surface
const Flavour kPosition{nullptr, 10, 0, 10};      // a line's position number

void configure(NumericEdit& edit, const Flavour& f) {
    if (f.integerDigits < 0)
        edit.setDigitMask(QString::fromLatin1(f.mask));
    else
        edit.setDigitLimits(f.integerDigits, f.decimals);
    edit.setMaxLength(f.maxLength);
}

// Plays keys on the edit: plain characters are typed; {BS} {DEL} {HOME}
// {END} {LEFT} are those keys, {KP.} and {KP,} the keypad's decimal key as
// keyboards of either kind report it, {ALL} selects the whole text.
void play(NumericEdit& edit, const QString& keys) {
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i] != QLatin1Char('{')) {
            QTest::keyClicks(&edit, QString(keys[i]));
            continue;
        }
        const qsizetype close = keys.indexOf(QLatin1Char('}'), i);
        const QString name = keys.mid(i + 1, close - i - 1);
        i = close;
        if (name == "BS") QTest::keyClick(&edit, Qt::Key_Backspace);
        else if (name == "DEL") QTest::keyClick(&edit, Qt::Key_Delete);
        else if (name == "HOME") QTest::keyClick(&edit, Qt::Key_Home);
        else if (name == "END") QTest::keyClick(&edit, Qt::Key_End);
        else if (name == "LEFT") QTest::keyClick(&edit, Qt::Key_Left);
        else if (name == "KP.") QTest::keyClick(&edit, Qt::Key_Period, Qt::KeypadModifier);
        else if (name == "KP,") QTest::keyClick(&edit, Qt::Key_Comma, Qt::KeypadModifier);
        else if (name == "ALL") edit.selectAll();
        else ADD_FAILURE() << "unknown key " << name.toStdString();
    }
}

struct TypingCase {
    const char* what;
    Flavour flavour;
    const char* initial;
    const char* keys;
    const char* expected;
};

const TypingCase kTyping[] = {
    {"digits and a point", kArea, "", "12.5", "12.5"},
    {"a comma is shown as a point", kArea, "", "12,5", "12.5"},
    {"the keypad's decimal key", kArea, "", "3{KP.}25", "3.25"},
    {"the keypad's decimal key reporting a comma", kArea, "", "3{KP,}25", "3.25"},
    {"one separator only", kArea, "", "1.2.3,4", "1.234"},
    {"no more decimals than the mask", kArea, "", "12.34567", "12.3456"},
    {"no longer than the mask's text", kArea, "", "1234567890", "123456789"},
    {"the mask bounds the length, not the integer digits", kArea, "", "12345.6789", "12345.678"},
    {"letters and blanks are refused", kArea, "", "a1 b2+", "12"},
    {"a minus on a mask that is not negative", kArea, "", "-5", "5"},
    {"a digit typed into 0 replaces it", kArea, "0", "5", "5"},
    {"the replaced 0 starts a number", kArea, "0", "56", "56"},
    {"a digit typed before 0 replaces it too", kArea, "0", "{HOME}7", "7"},
    {"a point typed after 0 keeps it", kArea, "0", ".5", "0.5"},
    {"a digit typed over the selection", kArea, "12.5", "{ALL}7", "7"},
    {"a point over a selection holding the point", kArea, "1.5", "{ALL}.", "."},
    {"a point where one stands already", kArea, "1.5", "{HOME}.", "1.5"},
    {"the maximum length bounds the text too", kLand, "", "123.4567", "123.456"},
    {"the land mask's decimals", kLand, "", "1.23456", "1.2345"},
    {"a leading minus on a negative mask", kNegative, "", "-1.5", "-1.5"},
    {"a minus typed at the start later", kNegative, "5", "{HOME}-", "-5"},
    {"a minus anywhere else", kNegative, "1", "-", "1"},
    {"a second minus", kNegative, "-1", "{HOME}-", "-1"},
    {"whole numbers take no separator", kWhole, "", "1.5", "15"},
    {"whole numbers up to the maximum length", kWhole, "", "1234567", "123456"},
    {"by digits: integer digits are bounded", kTotal, "", "123456", "12345"},
    {"by digits: decimals are bounded", kTotal, "", "1.12345", "1.1234"},
    {"by digits: the maximum length bounds the text too", kTotal, "", "12345.12345", "12345.123"},
    {"by digits: a comma is a point", kTotal, "", "1,5", "1.5"},
    {"by digits: no minus", kTotal, "", "-1", "1"},
    {"by digits: 0 is not replaced", kTotal, "0", "5", "05"},
    {"by digits: integer digits typed before the point", kTotal, "1.5", "{HOME}23456", "23451.5"},
    {"by digits: the point is refused without decimals", kPosition, "", "12.5", "125"},
    {"by digits: ten digits", kPosition, "", "12345678901", "1234567890"},
    {"deleting the point when the digits still fit", kArea, "12.5", "{HOME}{DEL}{DEL}{DEL}", "5"},
    {"deleting the point joins the parts when they fit", kArea, "12.5", "{END}{LEFT}{BS}", "125"},
    {"deleting the point refused when the digits would not fit", kTotal, "12345.1", "{END}{LEFT}{BS}",
     "12345.1"},
    {"backspace deletes digits", kTotal, "12.25", "{BS}{BS}", "12."},
};

}  // namespace

TEST(NumericEdit, TypingFollowsTheRules) {
    for (const TypingCase& c : kTyping) {
        SCOPED_TRACE(c.what);
        NumericEdit edit;
        configure(edit, c.flavour);
        edit.setText(QString::fromLatin1(c.initial));
        play(edit, QString::fromLatin1(c.keys));
        EXPECT_EQ(edit.text().toStdString(), c.expected);
    }
}

// A refused key must not reach the dialog: the forms let some keys through
// to move between fields.
TEST(NumericEdit, SwallowsRefusedKeysAndPassesOnEnter) {
    QWidget parent;
    auto* edit = new NumericEdit(&parent);
    edit->setDigitMask("9999.9999");
    struct Watcher : QObject {
        QStringList seen;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) seen << QString::number(static_cast<QKeyEvent*>(e)->key());
            return false;
        }
    } watcher;
    parent.installEventFilter(&watcher);
    QTest::keyClicks(edit, "x-");
    EXPECT_TRUE(watcher.seen.isEmpty());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(watcher.seen, QStringList{QString::number(Qt::Key_Return)});
}

TEST(NumericEdit, ReadsItsValueAsAnExactNumber) {
    const struct {
        const char* text;
        const char* value;
    } cases[] = {
        {"", "0"},        {"0", "0"},         {".", "0"},         {"-", "0"},          {"12.", "12"},
        {"1.50", "1.5"},  {"12.0025", "12.0025"}, {"0012", "12"}, {"-3.25", "-3.25"},  {"1234567890", "1234567890"},
    };
    NumericEdit edit;
    for (const auto& c : cases) {
        edit.setText(c.text);
        EXPECT_EQ(edit.valueText().toStdString(), c.value) << "text " << c.text;
    }
    edit.setText("0.1");
    engine::Decimal sum;
    for (int i = 0; i < 10; ++i) sum += edit.value();
    EXPECT_EQ(sum, engine::Decimal::fromInt(1));
    edit.setValue(engine::Decimal::fromUnits(27500));
    EXPECT_EQ(edit.text(), "2.75");
}

TEST(NumericEdit, PasteObeysTheRulesOfTyping) {
    const struct {
        const char* what;
        Flavour flavour;
        const char* initial;
        bool selectAll;
        const char* clipboard;
        const char* expected;
    } cases[] = {
        {"into the end", kArea, "12", false, "3.5", "123.5"},
        {"a comma becomes a point", kArea, "", false, "12,5", "12.5"},
        {"blanks around are dropped", kArea, "", false, " 7 \n", "7"},
        {"into 0, which it replaces", kArea, "0", false, "12", "12"},
        {"over the selection", kArea, "99.9", true, "1.25", "1.25"},
        {"refused whole for a letter", kArea, "12", false, "3a", "12"},
        {"refused whole for a second point", kArea, "1.5", false, "2.5", "1.5"},
        {"refused whole for too many decimals", kArea, "", false, "1.23456", ""},
        {"refused whole beyond the mask's length", kArea, "", false, "1234567890", ""},
        {"refused whole beyond the integer digits", kTotal, "", false, "123456", ""},
        {"refused whole beyond the maximum length", kLand, "", false, "123.4567", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NumericEdit edit;
        configure(edit, c.flavour);
        edit.setText(c.initial);
        if (c.selectAll) edit.selectAll();
        QGuiApplication::clipboard()->setText(c.clipboard);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit.text().toStdString(), c.expected);
    }
}

TEST(NumericEdit, TheContextMenuPastesByTheRules) {
    QWidget window;
    auto* edit = new NumericEdit(&window);
    edit->setDigitMask("9999.9999");
    edit->setText("0");
    edit->setCursorPosition(1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const auto pasteFromMenu = [&](const QString& clipboard) {
        QGuiApplication::clipboard()->setText(clipboard);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* paste = nullptr;
        for (QAction* a : menu->actions())
            if (a->objectName() == "edit-paste") paste = a;
        ASSERT_NE(paste, nullptr);
        paste->trigger();
        menu->close();
    };
    pasteFromMenu("4,5");
    EXPECT_EQ(edit->text(), "4.5");
    pasteFromMenu("x");
    EXPECT_EQ(edit->text(), "4.5");
}
