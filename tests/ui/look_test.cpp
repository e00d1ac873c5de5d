// What the painted widgets put on the screen: gradients, button colours and
// the disabled and alternate pictures.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include "ui/color_button.h"
#include "ui/gradient_panel.h"
#include "ui/picture_button.h"

using namespace ui;

namespace {

QColor pixel(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

}  // namespace

TEST(GradientPanel, RunsFromStartColourToEndColourAlongItsOrientation) {
    const QColor start(0xB7, 0xB1, 0x8A), end(0x38, 0x36, 0x23);
    for (const auto orientation : {Qt::Horizontal, Qt::Vertical}) {
        SCOPED_TRACE(orientation == Qt::Horizontal ? "horizontal" : "vertical");
        GradientPanel panel(start, end, orientation);
        panel.resize(200, 100);
        const QImage image = panel.grab().toImage();
        const bool across = orientation == Qt::Horizontal;
        // First and last pixel along the gradient, and the far corner across it.
        EXPECT_EQ(pixel(image, 0, 0), start);
        EXPECT_EQ(across ? pixel(image, 199, 0) : pixel(image, 0, 99), end);
        EXPECT_EQ(pixel(image, 199, 99), end);
        EXPECT_EQ(across ? pixel(image, 0, 99) : pixel(image, 199, 0), start);
        const QColor middle = pixel(image, 100, 50);
        EXPECT_LT(middle.red(), start.red());
        EXPECT_GT(middle.red(), end.red());
    }
}

TEST(ColorButton, PaintsFaceAndEdgesAndSinksWhenPressed) {
    const ButtonColors colors{QColor(0xFF, 0, 0), QColor(0xA6, 0, 0), QColor(0xFF, 0x9B, 0x9B),
                              QColor(0xFF, 0xD9, 0xD9), QColor(0x10, 0x10, 0x10)};
    ColorButton button;  // no caption, so every inner pixel is face
    button.setColors(colors);
    button.resize(73, 25);

    QImage image = button.grab().toImage();
    EXPECT_EQ(pixel(image, 36, 12), colors.face);
    EXPECT_EQ(pixel(image, 0, 12), colors.lightEdge);
    EXPECT_EQ(pixel(image, 36, 0), colors.lightEdge);
    EXPECT_EQ(pixel(image, 72, 12), colors.shadowEdge);
    EXPECT_EQ(pixel(image, 36, 24), colors.shadowEdge);

    button.setDown(true);
    image = button.grab().toImage();
    EXPECT_EQ(pixel(image, 36, 12), colors.pressedFace);
    EXPECT_EQ(pixel(image, 0, 12), colors.shadowEdge);
    EXPECT_EQ(pixel(image, 72, 12), colors.lightEdge);
}

TEST(ColorButton, ShowsTheHotFaceUnderTheMouse) {
    const ButtonColors colors{QColor(0, 0, 0xFF), QColor(0, 0, 0x93), QColor(0x9D, 0x9D, 0xFF),
                              QColor(0xDF, 0xDF, 0xFF), QColor(0xFF, 0xFF, 0xFF)};
    QWidget window;
    auto* button = new ColorButton(&window);
    button->setColors(colors);
    button->setGeometry(10, 10, 73, 25);
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(button->currentFace(), colors.face);
    QTest::mouseMove(button, QPoint(30, 12));
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->currentFace() == colors.hotFace; }));
    EXPECT_EQ(pixel(button->grab().toImage(), 36, 12), colors.hotFace);
}

// A dialog's buttons of this kind answer the mouse only: Enter and Space
// must not press them, even when one is the only button, and a click leaves
// the focus where it was.
TEST(ColorButton, NeverTakesTheFocusNorAnswersTheKeyboard) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QLineEdit(&dialog);
    auto* button = new ColorButton("OK", &dialog);
    layout->addWidget(edit);
    layout->addWidget(button);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        QTest::keyClick(&dialog, key);
        QTest::keyClick(edit, key);
    }
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(dialog.isVisible());

    edit->setFocus();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(edit->hasFocus());
}

TEST(PictureButton, GreysItsPictureWhenDisabledAndSwapsToTheAlternate) {
    QPixmap red(40, 40), green(40, 40);
    red.fill(QColor(0xE0, 0x20, 0x20));
    green.fill(QColor(0x20, 0xC0, 0x20));
    PictureButton button(QIcon(red), "Administrare");
    button.setAlternatePicture(QIcon(green));
    button.resize(button.sizeHint());
    EXPECT_EQ(button.sizeHint(), QSize(90, 77));

    // The picture sits centred in the upper part of the button.
    const auto pictureCentre = [&] {
        const QImage image = button.grab().toImage();
        return pixel(image, 45, 25);
    };
    EXPECT_EQ(pictureCentre(), QColor(0xE0, 0x20, 0x20));

    button.setEnabled(false);
    const QColor disabled = pictureCentre();
    EXPECT_NE(disabled, QColor(0xE0, 0x20, 0x20));
    EXPECT_LT(qAbs(disabled.red() - disabled.green()), 0x40) << "a disabled picture loses its colour";

    button.setEnabled(true);
    button.setAlternateShown(true);
    EXPECT_EQ(pictureCentre(), QColor(0x20, 0xC0, 0x20));
    button.setAlternateShown(false);
    EXPECT_EQ(pictureCentre(), QColor(0xE0, 0x20, 0x20));
}

// "Rapoarte" drops its menu down from the button's bottom-left corner.
TEST(PictureButton, DropsItsMenuDownBelowItself) {
    QWidget window;
    auto* button = new PictureButton(QIcon(), "Rapoarte", &window);
    button->move(100, 10);
    QMenu menu;
    menu.addAction("Raport general");
    menu.addAction("Raport pe parcela");
    button->setMenu(&menu);
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QPoint shownAt(-1, -1);
    QTimer::singleShot(0, [&] {
        shownAt = menu.pos();
        menu.close();
    });
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(45, 40));
    EXPECT_EQ(shownAt, button->mapToGlobal(QPoint(0, button->height())));
}
