#include "ui/header_band.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ui {

namespace {
const QColor kBandStart(0x1E, 0x3A, 0x6E);
const QColor kBandEnd(0x7F, 0xA4, 0xD8);
}  // namespace

HeaderBand::HeaderBand(QWidget* parent) : HeaderBand(QString(), parent) {}

HeaderBand::HeaderBand(const QString& caption, QWidget* parent)
    : GradientPanel(kBandStart, kBandEnd, Qt::Horizontal, parent),
      layout_(new QHBoxLayout(this)),
      icon_(new QLabel(this)),
      caption_(new QLabel(caption, this)) {
    layout_->setContentsMargins(10, 6, 10, 6);
    layout_->setSpacing(10);
    icon_->hide();
    layout_->addWidget(icon_);
    layout_->addWidget(caption_);
    layout_->addStretch(1);
    setCaptionColor(Qt::white);
    applyCaptionFont();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString HeaderBand::caption() const { return caption_->text(); }

void HeaderBand::setCaption(const QString& caption) { caption_->setText(caption); }

void HeaderBand::setCaptionColor(const QColor& color) {
    QPalette p = caption_->palette();
    p.setColor(QPalette::WindowText, color);
    caption_->setPalette(p);
}

void HeaderBand::setCaptionScale(double scale) {
    captionScale_ = scale;
    applyCaptionFont();
}

void HeaderBand::applyCaptionFont() {
    QFont f = font();
    f.setBold(true);
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * captionScale_);
    else
        f.setPixelSize(qRound(f.pixelSize() * captionScale_));
    caption_->setFont(f);
}

void HeaderBand::setIcon(const QIcon& icon, int size) {
    if (icon.isNull()) {
        icon_->clear();
        icon_->hide();
        return;
    }
    icon_->setPixmap(icon.pixmap(size, size));
    icon_->setFixedSize(size, size);
    icon_->show();
}

void HeaderBand::addWidget(QWidget* widget) { layout_->addWidget(widget); }

}  // namespace ui
