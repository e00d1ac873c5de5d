#pragma once

#include <QIcon>
#include <QToolButton>

namespace ui {

// A large button with a picture above its caption, as in the main menu's
// band (90 x 77). It draws flat over its parent's background, lights up under
// the mouse, and greys its picture and caption while disabled. A second
// picture can stand in for the first (a button that changes its meaning,
// such as an unlocked lock). A menu set with setMenu() drops down below it.
class PictureButton : public QToolButton {
    Q_OBJECT

public:
    explicit PictureButton(QWidget* parent = nullptr);
    PictureButton(const QIcon& picture, const QString& caption, QWidget* parent = nullptr);

    QIcon picture() const { return picture_; }
    void setPicture(const QIcon& picture);
    QIcon alternatePicture() const { return alternate_; }
    void setAlternatePicture(const QIcon& picture);
    // Shows the alternate picture instead of the main one.
    void setAlternateShown(bool shown);
    bool alternateShown() const { return alternateShown_; }
    // The picture painted now.
    QIcon shownPicture() const { return alternateShown_ ? alternate_ : picture_; }

    void setPictureSize(int size);
    int pictureSize() const { return pictureSize_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon picture_;
    QIcon alternate_;
    bool alternateShown_ = false;
    int pictureSize_ = 40;
};

}  // namespace ui
