// Typing dates into the date box: how the entry starts and what the keys make of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "ui/date_edit.h"

using namespace ui;

namespace {

enum class Start {
    Tab,            // Tab from the control before
    ClickOnYear,    // a click on the year of a box without the focus
    ClickOnMonth,   // a click on the month of a box that has the focus
    DoubleOnYear,   // a double click on the year of a box that has the focus
};

class DateEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        before_ = new QLineEdit(&window_);
        edit_ = new DateEdit(QDate(2026, 2, 10), &window_);
        after_ = new QLineEdit(&window_);
        layout->addWidget(before_);
        layout->addWidget(edit_);
        layout->addWidget(after_);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        before_->setFocus();
    }

    QLineEdit* line() const { return edit_->findChild<QLineEdit*>(); }

    // The middle of the character at this place of the box's text.
    QPoint charAt(int index) const {
        const QFontMetrics metrics(line()->font());
        const QString text = line()->text();
        const int x = line()->contentsRect().left() + 2 + metrics.horizontalAdvance(text.left(index)) +
                      metrics.horizontalAdvance(text.at(index)) / 2;
        return QPoint(x, line()->height() / 2);
    }

    // The second press of a double click, sent by hand: QTest's own double
    // click upsets the pointer tests that run after this one.
    void doubleClick(const QPoint& at) {
        QMouseEvent event(QEvent::MouseButtonDblClick, at, line()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(line(), &event);
    }

    void start(Start how) {
        switch (how) {
        case Start::Tab:
            QTest::keyClick(before_, Qt::Key_Tab);
            break;
        case Start::ClickOnYear:
            QTest::mouseClick(line(), Qt::LeftButton, {}, charAt(8));
            break;
        case Start::ClickOnMonth:
        case Start::DoubleOnYear:
            QTest::keyClick(before_, Qt::Key_Tab);
            if (how == Start::ClickOnMonth)
                QTest::mouseClick(line(), Qt::LeftButton, {}, charAt(4));
            else
                doubleClick(charAt(8));
            break;
        }
        ASSERT_TRUE(edit_->hasFocus());
    }

    static std::string shown(const QDate& date) { return date.toString(QStringLiteral("dd.MM.yyyy")).toStdString(); }

    QWidget window_;
    QLineEdit* before_ = nullptr;
    DateEdit* edit_ = nullptr;
    QLineEdit* after_ = nullptr;
};

TEST_F(DateEditTest, TypedDatesFillTheBoxFromWhereTheEntryStarts) {
    const struct {
        Start how;
        const char* typed;
        const char* date;  // after the box lost the focus
    } cases[] = {
        {Start::Tab, "15032024", "15.03.2024"},
        {Start::Tab, "15.03.2024", "15.03.2024"},
        {Start::ClickOnYear, "15032024", "15.03.2024"},
        {Start::ClickOnYear, "15.03.2024", "15.03.2024"},
        // The day does not fit the shown month until the month is typed.
        {Start::Tab, "31012024", "31.01.2024"},
        {Start::Tab, "29022024", "29.02.2024"},
        {Start::Tab, "1.3.2024", "01.03.2024"},
        {Start::Tab, "15/03/2024", "15.03.2024"},
        // Typing over a part replaces only that part.
        {Start::Tab, "07", "07.02.2026"},
        {Start::ClickOnMonth, "07", "10.07.2026"},
        {Start::ClickOnMonth, "7.", "10.07.2026"},
        {Start::DoubleOnYear, "1999", "10.02.1999"},
        // After a whole date the next digits type over the year.
        {Start::Tab, "150320242025", "15.03.2025"},
        // Letters are not taken.
        {Start::Tab, "ab", "10.02.2026"},
        // A day the month does not have becomes the month's last day.
        {Start::Tab, "31", "28.02.2026"},
        {Start::Tab, "3113", "31.12.2026"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        edit_->setDate(QDate(2026, 2, 10));
        before_->setFocus();
        start(c.how);
        QTest::keyClicks(edit_, QString::fromLatin1(c.typed));
        QTest::keyClick(edit_, Qt::Key_Tab);
        EXPECT_TRUE(after_->hasFocus());
        EXPECT_EQ(shown(edit_->date()), c.date);
        EXPECT_EQ(edit_->text().toStdString(), c.date);
    }
}

TEST_F(DateEditTest, TheDateFollowsAsSoonAsTheTextIsADate) {
    start(Start::Tab);
    QTest::keyClicks(edit_, QStringLiteral("1503"));
    EXPECT_EQ(shown(edit_->date()), "15.03.2026");
    EXPECT_EQ(line()->selectedText(), QStringLiteral("2026")) << "the part the next digits replace";
    QTest::keyClicks(edit_, QStringLiteral("20"));
    EXPECT_EQ(edit_->text().toStdString(), "15.03.2026");
    EXPECT_EQ(shown(edit_->date()), "15.03.2026");
    QTest::keyClicks(edit_, QStringLiteral("24"));
    EXPECT_EQ(shown(edit_->date()), "15.03.2024");
}

TEST_F(DateEditTest, ArrowKeysAndTheRangeWorkAsInAnyDateBox) {
    edit_->setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    start(Start::Tab);
    QTest::keyClick(edit_, Qt::Key_Up);
    EXPECT_EQ(shown(edit_->date()), "11.02.2026");
    // Outside the range the box keeps the last date it could take, then
    // comes to the nearest date of the range.
    edit_->setDate(QDate(2026, 2, 10));
    before_->setFocus();
    start(Start::Tab);
    QTest::keyClicks(edit_, QStringLiteral("01011850"));
    EXPECT_EQ(shown(edit_->date()), "01.01.2026");
    QTest::keyClick(edit_, Qt::Key_Tab);
    EXPECT_EQ(shown(edit_->date()), "01.01.1900");
    EXPECT_EQ(edit_->displayFormat(), QStringLiteral("dd.MM.yyyy"));
}

}  // namespace
