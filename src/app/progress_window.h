#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The progress window of long operations: a caption line and a bar, over a
// disabled owner window. Callers set Descr and the Bar's maximum and position
// between Arata and Distruge, and call Distruge on every way out of their
// work, error paths included.
class TContor : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 329;
    static constexpr int kHeight = 71;

    explicit TContor(QWidget* parent = nullptr);
    ~TContor() override;

    // The one progress window of the run (created on first use when start-up did not).
    static TContor& instance();

    // Disables the owner with the hourglass cursor and shows the window over it.
    void Arata(QWidget* owner);
    // Hides the window and gives the owner back: enabled, focused, default cursor.
    void Distruge(QWidget* owner);

    QLabel* Descr;
    QProgressBar* Bar;

private:
    static TContor* instance_;
};
