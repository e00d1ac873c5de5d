#pragma once

#include <QAbstractButton>
#include <QColor>

namespace ui {

// The five colours of a ColorButton.
struct ButtonColors {
    QColor face;
    QColor pressedFace;
    QColor hotFace;     // face while the mouse is over the button
    QColor lightEdge;   // top and left edge (bottom and right while pressed)
    QColor shadowEdge;  // bottom and right edge (top and left while pressed)
};

// A flat push button painted in its five colours, with a bold caption in
// white on dark faces and black on light ones. It never takes the keyboard
// focus and is never a dialog's default button, so Enter and Space cannot
// press it: only the mouse (or a caller's click()) does.
class ColorButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit ColorButton(QWidget* parent = nullptr);
    explicit ColorButton(const QString& text, QWidget* parent = nullptr);

    const ButtonColors& colors() const { return colors_; }
    void setColors(const ButtonColors& colors);

    // The face painted in the button's present state (pressed, hot, plain).
    QColor currentFace() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    ButtonColors colors_;
};

}  // namespace ui
