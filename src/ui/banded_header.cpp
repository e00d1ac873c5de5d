#include "ui/banded_header.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace ui {

BandedHeader::BandedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    // A band's caption is centred over all its sections: resizing one moves it.
    connect(this, &QHeaderView::sectionResized, this, [this] { viewport()->update(); });
}

void BandedHeader::setBands(std::vector<Band> bands) {
    const bool heightChanges = bands.empty() != bands_.empty();
    bands_ = std::move(bands);
    if (heightChanges) {
        updateGeometry();
        emit geometriesChanged();
    }
    viewport()->update();
}

int BandedHeader::bandOfSection(int logicalIndex) const {
    for (size_t i = 0; i < bands_.size(); ++i)
        if (logicalIndex >= bands_[i].first && logicalIndex <= bands_[i].last) return int(i);
    return -1;
}

QRect BandedHeader::bandRect(int band) const {
    if (band < 0 || band >= int(bands_.size())) return QRect();
    int left = INT_MAX, right = INT_MIN;
    for (int s = bands_[size_t(band)].first; s <= bands_[size_t(band)].last && s < count(); ++s) {
        if (isSectionHidden(s)) continue;
        const int x = sectionViewportPosition(s);
        left = qMin(left, x);
        right = qMax(right, x + sectionSize(s));
    }
    if (left >= right) return QRect();
    return QRect(left, 0, right - left, bandRowHeight());
}

int BandedHeader::bandRowHeight() const { return fontMetrics().height() + 8; }

QSize BandedHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (!bands_.empty()) size.rheight() += bandRowHeight();
    return size;
}

void BandedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const int band = bandOfSection(logicalIndex);
    if (band < 0 || !rect.isValid()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // Each section paints its own slice of the band, so the caption comes out
    // whole however many sections are repainted.
    const int bandHeight = bandRowHeight();
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = bandRect(band);
    option.text = bands_[size_t(band)].caption;
    option.textAlignment = Qt::AlignCenter;
    option.section = logicalIndex;
    option.position = QStyleOptionHeader::Middle;
    option.state |= QStyle::State_Raised;
    if (isEnabled()) option.state |= QStyle::State_Enabled;
    painter->save();
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), bandHeight), Qt::IntersectClip);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();

    QHeaderView::paintSection(painter, rect.adjusted(0, bandHeight, 0, 0), logicalIndex);
}

bool BandedHeader::inBandRow(const QPoint& pos) const {
    return pos.y() < bandRowHeight() && bandOfSection(logicalIndexAt(pos.x())) >= 0;
}

// In a band's row the sections' inner edges are hidden, so the band takes no
// clicks and offers no resizing there.
void BandedHeader::mousePressEvent(QMouseEvent* event) {
    pressedOnBand_ = inBandRow(event->position().toPoint());
    if (pressedOnBand_) {
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void BandedHeader::mouseMoveEvent(QMouseEvent* event) {
    if (pressedOnBand_ || (event->buttons() == Qt::NoButton && inBandRow(event->position().toPoint()))) {
        unsetCursor();
        event->accept();
        return;
    }
    QHeaderView::mouseMoveEvent(event);
}

void BandedHeader::mouseReleaseEvent(QMouseEvent* event) {
    if (pressedOnBand_) {
        pressedOnBand_ = false;
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void BandedHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    if (inBandRow(event->position().toPoint())) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

}  // namespace ui
