#pragma once

#include <QDialog>

class QLabel;

namespace ui {
class ColorButton;
}

// The about window: the version in large letters over its shadow, the line
// saying what the program is for, the build's version and "CONTINUARE".
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // The one about window of the run (created on first use when start-up did not).
    static TForm2& instance();

    // The title and its shadow.
    QLabel* Label1;
    QLabel* Label2;
    // "Versiunea 1.18": the version of the build, under the line.
    QLabel* Version;
    ui::ColorButton* continueButton() const { return continue_; }

private:
    static TForm2* instance_;
    ui::ColorButton* continue_;
};
