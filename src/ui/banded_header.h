#pragma once

#include <vector>

#include <QHeaderView>

namespace ui {

// A horizontal header with a second level: a band is a caption drawn across
// the top half of several adjacent sections, whose own titles sit in the
// bottom half; sections outside any band keep their title over the full
// height. Bands follow the sections as they are resized, hidden or scrolled.
// A click on a band is not a click on a section title.
class BandedHeader : public QHeaderView {
    Q_OBJECT

public:
    struct Band {
        QString caption;
        int first = 0;  // logical sections, inclusive
        int last = 0;
    };

    explicit BandedHeader(QWidget* parent = nullptr);

    void setBands(std::vector<Band> bands);
    const std::vector<Band>& bands() const { return bands_; }
    int bandOfSection(int logicalIndex) const;  // -1 when in no band
    // Where the band's caption is drawn, in viewport coordinates; empty when
    // all its sections are hidden.
    QRect bandRect(int band) const;
    int bandRowHeight() const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool inBandRow(const QPoint& pos) const;

    std::vector<Band> bands_;
    bool pressedOnBand_ = false;
};

}  // namespace ui
