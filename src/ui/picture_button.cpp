#include "ui/picture_button.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

PictureButton::PictureButton(QWidget* parent) : PictureButton(QIcon(), QString(), parent) {}

PictureButton::PictureButton(const QIcon& picture, const QString& caption, QWidget* parent)
    : QToolButton(parent), picture_(picture) {
    setText(caption);
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setPopupMode(QToolButton::InstantPopup);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PictureButton::setPicture(const QIcon& picture) {
    picture_ = picture;
    update();
}

void PictureButton::setAlternatePicture(const QIcon& picture) {
    alternate_ = picture;
    update();
}

void PictureButton::setAlternateShown(bool shown) {
    alternateShown_ = shown;
    update();
}

void PictureButton::setPictureSize(int size) {
    pictureSize_ = size;
    updateGeometry();
    update();
}

QSize PictureButton::sizeHint() const { return QSize(90, 77); }

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool down = isDown() || isChecked();
    const bool hot = isEnabled() && underMouse();
    // Translucent washes keep the parent's gradient visible through the button.
    if (down || hot) {
        QPainterPath path;
        path.addRoundedRect(frame, 6, 6);
        p.fillPath(path, down ? QColor(0, 0, 0, 60) : QColor(255, 255, 255, 55));
        p.setPen(QPen(down ? QColor(0, 0, 0, 90) : QColor(255, 255, 255, 150), 1));
        p.drawPath(path);
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRoundedRect(frame.adjusted(2, 2, -2, -2), 4, 4);
    }

    const int shift = down ? 1 : 0;
    const QFontMetrics fm(font());
    const int textHeight = fm.height() * 2;  // room for a caption on two lines
    const int top = qMax(2, (height() - pictureSize_ - textHeight - 2) / 2);
    const QRect pictureRect((width() - pictureSize_) / 2 + shift, top + shift, pictureSize_, pictureSize_);
    shownPicture().paint(&p, pictureRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);

    const QRect textRect(4 + shift, pictureRect.bottom() + 3 + shift, width() - 8, textHeight);
    p.setPen(isEnabled() ? palette().color(foregroundRole())
                         : palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, text());
}

}  // namespace ui
