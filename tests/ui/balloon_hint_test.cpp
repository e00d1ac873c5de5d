// The validation balloon: where it appears, what it says, and how it goes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include "ui/balloon_hint.h"

using namespace ui;

namespace {

class BalloonHintTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(400, 300);
        edit_ = new QLineEdit(&window_);
        edit_->setGeometry(20, 40, 200, 24);
        window_.move(100, 100);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    void TearDown() override { BalloonHint::hide(); }

    QWidget window_;
    QLineEdit* edit_ = nullptr;
};

}  // namespace

TEST_F(BalloonHintTest, PointsAtTheControlFromBelowAndRemembersWhatItSaid) {
    edit_->setFocus();
    BalloonHint::show(edit_, "Problema !", "Nu ati specificat Satul!");
    ASSERT_TRUE(BalloonHint::isShown());
    const BalloonHint::Shown last = BalloonHint::lastShown();
    EXPECT_EQ(last.title, "Problema !");
    EXPECT_EQ(last.text, "Nu ati specificat Satul!");
    EXPECT_EQ(last.target, edit_);
    EXPECT_EQ(last.duration, 5000);

    const QRect balloon = BalloonHint::window()->frameGeometry();
    const QRect control(edit_->mapToGlobal(QPoint(0, 0)), edit_->size());
    EXPECT_GE(balloon.top(), control.bottom() - 4);
    EXPECT_LE(balloon.top(), control.bottom() + 1);
    EXPECT_LT(balloon.left(), control.left() + control.width() / 2);
    EXPECT_LE(balloon.width(), 300);
    // The balloon never takes the focus from the control to be corrected.
    QTest::qWait(20);
    EXPECT_TRUE(edit_->hasFocus());
    EXPECT_EQ(QApplication::activeWindow(), &window_);
}

TEST_F(BalloonHintTest, WrapsALongMessageWithinItsWidth) {
    BalloonHint::show(edit_, "Problema !", "Scurt");
    const QSize small = BalloonHint::window()->size();
    BalloonHint::show(edit_, "Problema !", QString("Lipseste Numarul de parcela! ").repeated(8));
    const QSize large = BalloonHint::window()->size();
    EXPECT_LE(large.width(), 300);
    EXPECT_GT(large.width(), small.width());
    EXPECT_GT(large.height(), small.height() + 20);
}

TEST_F(BalloonHintTest, GoesAwayByItselfAfterItsTime) {
    BalloonHint::show(edit_, "Problema !", "Lipseste Suprafata!", 150);
    EXPECT_TRUE(BalloonHint::isShown());
    QTest::qWait(50);
    EXPECT_TRUE(BalloonHint::isShown());
    EXPECT_TRUE(QTest::qWaitFor([] { return !BalloonHint::isShown(); }, 2000));
    EXPECT_EQ(BalloonHint::lastShown().text, "Lipseste Suprafata!");
}

TEST_F(BalloonHintTest, GoesAwayAtTheNextClickAnywhere) {
    for (const bool onBalloon : {true, false}) {
        SCOPED_TRACE(onBalloon ? "click on the balloon" : "click on the control");
        BalloonHint::show(edit_, "Problema !", "Lipseste Satul!");
        ASSERT_TRUE(BalloonHint::isShown());
        QTest::mouseClick(onBalloon ? BalloonHint::window() : edit_, Qt::LeftButton, {}, QPoint(30, 30));
        EXPECT_FALSE(BalloonHint::isShown());
    }
}

TEST_F(BalloonHintTest, ANewBalloonReplacesTheShownOne) {
    auto* other = new QLineEdit(&window_);
    other->setGeometry(20, 120, 200, 24);
    other->show();
    BalloonHint::show(edit_, "Problema !", "Lipseste Numarul de tarla!");
    QWidget* first = BalloonHint::window();
    BalloonHint::show(other, "Problema !", "Lipseste Numarul de parcela!");
    EXPECT_EQ(BalloonHint::window(), first);
    EXPECT_TRUE(BalloonHint::isShown());
    EXPECT_EQ(BalloonHint::lastShown().target, other);
    EXPECT_GT(BalloonHint::window()->y(), other->mapToGlobal(QPoint(0, 0)).y());
}

TEST_F(BalloonHintTest, StandsAboveAControlAtTheBottomOfTheScreen) {
    const QRect screen = window_.screen()->availableGeometry();
    window_.move(screen.left() + 50, screen.bottom() - window_.height() - 5);
    edit_->move(20, window_.height() - 30);
    QTest::qWait(10);
    BalloonHint::show(edit_, "Problema !", "Lipseste Satul!");
    const QRect balloon = BalloonHint::window()->frameGeometry();
    EXPECT_LE(balloon.bottom(), edit_->mapToGlobal(QPoint(0, 4)).y());
    EXPECT_LE(balloon.bottom(), screen.bottom());
}

TEST_F(BalloonHintTest, HidesWhenItsWindowCloses) {
    BalloonHint::show(edit_, "Problema !", "Lipseste Satul!");
    window_.hide();
    EXPECT_FALSE(BalloonHint::isShown());
}
