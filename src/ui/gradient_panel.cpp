#include "ui/gradient_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace ui {

GradientPanel::GradientPanel(QWidget* parent)
    : GradientPanel(QColor(Qt::white), QColor(0xE1, 0xE0, 0xE1), Qt::Vertical, parent) {}

GradientPanel::GradientPanel(const QColor& start, const QColor& end, Qt::Orientation orientation,
                             QWidget* parent)
    : QWidget(parent), start_(start), end_(end), orientation_(orientation) {
    // The gradient covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::setStartColor(const QColor& color) {
    start_ = color;
    update();
}

void GradientPanel::setEndColor(const QColor& color) {
    end_ = color;
    update();
}

void GradientPanel::setColors(const QColor& start, const QColor& end) {
    start_ = start;
    end_ = end;
    update();
}

void GradientPanel::setOrientation(Qt::Orientation orientation) {
    orientation_ = orientation;
    update();
}

void GradientPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // From the centre of the first pixel to the centre of the last, so both
    // edges show their colours exactly.
    const QPointF first(0.5, 0.5);
    const QPointF last = orientation_ == Qt::Horizontal ? QPointF(width() - 0.5, 0.5)
                                                        : QPointF(0.5, height() - 0.5);
    QLinearGradient gradient(first, last);
    gradient.setColorAt(0, start_);
    gradient.setColorAt(1, end_);
    painter.fillRect(rect(), gradient);
}

}  // namespace ui
