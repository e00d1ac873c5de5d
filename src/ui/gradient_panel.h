#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// A panel filled with a linear gradient between two colours: the header bands
// of the forms, the message dialog's bands and message area, the start-up
// window's background. Children are laid out on it as on any QWidget.
class GradientPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor startColor READ startColor WRITE setStartColor)
    Q_PROPERTY(QColor endColor READ endColor WRITE setEndColor)
    Q_PROPERTY(Qt::Orientation orientation READ orientation WRITE setOrientation)

public:
    explicit GradientPanel(QWidget* parent = nullptr);
    GradientPanel(const QColor& start, const QColor& end, Qt::Orientation orientation,
                  QWidget* parent = nullptr);

    QColor startColor() const { return start_; }
    QColor endColor() const { return end_; }
    // Horizontal runs from the left edge (start) to the right edge (end);
    // vertical from the top edge to the bottom edge.
    Qt::Orientation orientation() const { return orientation_; }

    void setStartColor(const QColor& color);
    void setEndColor(const QColor& color);
    void setColors(const QColor& start, const QColor& end);
    void setOrientation(Qt::Orientation orientation);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor start_;
    QColor end_;
    Qt::Orientation orientation_ = Qt::Horizontal;
};

}  // namespace ui
