#pragma once

#include <QIcon>

#include "ui/gradient_panel.h"

class QHBoxLayout;
class QLabel;

namespace ui {

// The band across the top of a form: a horizontal gradient with an optional
// icon and a bold caption at the left; further widgets (an "Iesire" button, a
// date) can be added at the right end.
class HeaderBand : public GradientPanel {
    Q_OBJECT

public:
    explicit HeaderBand(QWidget* parent = nullptr);
    explicit HeaderBand(const QString& caption, QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& caption);
    void setCaptionColor(const QColor& color);
    // Scales the caption's font relative to the band's font (1.0 = same size).
    void setCaptionScale(double scale);
    // A null icon removes the picture.
    void setIcon(const QIcon& icon, int size = 32);
    // Appends a widget at the right end of the band, after the stretch.
    void addWidget(QWidget* widget);

    QLabel* captionLabel() const { return caption_; }

private:
    void applyCaptionFont();

    QHBoxLayout* layout_;
    QLabel* icon_;
    QLabel* caption_;
    double captionScale_ = 1.25;
};

}  // namespace ui
