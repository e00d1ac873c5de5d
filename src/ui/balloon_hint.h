#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace ui {

// A balloon pointing at a control, for a validation problem: an icon, a bold
// title and the message, at most about 300 pixels wide. It does not take the
// focus or block anything; it fades in and goes away by itself after the
// given time, or at the user's next mouse click. There is one balloon at a
// time: showing another replaces it.
class BalloonHint {
public:
    static constexpr int kDefaultDuration = 5000;  // milliseconds

    // What the last call of show() asked for, kept after the balloon has gone.
    struct Shown {
        QString title;
        QString text;
        QPointer<QWidget> target;
        int duration = 0;
    };

    // A null icon gives the style's error icon.
    static void show(QWidget* target, const QString& title, const QString& text,
                     int msec = kDefaultDuration, const QIcon& icon = QIcon());
    static void hide();
    static bool isShown();
    static Shown lastShown();
    // The balloon's window while one exists (to look at it), else null.
    static QWidget* window();
};

}  // namespace ui
