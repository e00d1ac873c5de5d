#include "ui/color_button.h"

#include <QEvent>
#include <QPainter>

namespace ui {

namespace {

// Neutral grey until the caller sets its colours.
const ButtonColors kDefaultColors{QColor(0x6E, 0x6E, 0x6E), QColor(0x48, 0x48, 0x48), QColor(0x8C, 0x8C, 0x8C),
                                  QColor(0xDC, 0xDC, 0xDC), QColor(0x20, 0x20, 0x20)};

bool isDark(const QColor& c) {
    // Perceived brightness (ITU-R BT.601 weights).
    return 299 * c.red() + 587 * c.green() + 114 * c.blue() < 150 * 1000;
}

QColor greyed(const QColor& c) {
    const int g = qGray(c.rgb());
    return QColor::fromRgb((g + 2 * 0xC0) / 3, (g + 2 * 0xC0) / 3, (g + 2 * 0xC0) / 3);
}

}  // namespace

ColorButton::ColorButton(QWidget* parent) : ColorButton(QString(), parent) {}

ColorButton::ColorButton(const QString& text, QWidget* parent) : QAbstractButton(parent), colors_(kDefaultColors) {
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    QFont f = font();
    f.setBold(true);
    setFont(f);
}

void ColorButton::setColors(const ButtonColors& colors) {
    colors_ = colors;
    update();
}

QColor ColorButton::currentFace() const {
    if (isDown() || isChecked()) return colors_.pressedFace;
    if (underMouse() && isEnabled()) return colors_.hotFace;
    return colors_.face;
}

QSize ColorButton::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(qMax(73, fm.horizontalAdvance(text()) + 24), qMax(25, fm.height() + 10));
}

QSize ColorButton::minimumSizeHint() const {
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text()) + 8, fm.height() + 4);
}

bool ColorButton::event(QEvent* event) {
    // Repaint on entering and leaving so the hot-track face follows the mouse.
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave) update();
    return QAbstractButton::event(event);
}

void ColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool sunken = isDown() || isChecked();
    QColor face = currentFace();
    QColor topLeft = sunken ? colors_.shadowEdge : colors_.lightEdge;
    QColor bottomRight = sunken ? colors_.lightEdge : colors_.shadowEdge;
    if (!isEnabled()) {
        face = greyed(face);
        topLeft = greyed(topLeft);
        bottomRight = greyed(bottomRight);
    }
    const QRect r = rect();
    p.fillRect(r, face);
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());

    QColor ink = isDark(face) ? QColor(Qt::white) : QColor(Qt::black);
    if (!isEnabled()) ink = QColor(0x80, 0x80, 0x80);
    p.setPen(ink);
    // A pressed caption moves by one pixel, as on a real key.
    const QRect textRect = sunken ? r.translated(1, 1) : r;
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

}  // namespace ui
