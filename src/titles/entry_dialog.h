#pragma once

#include <QDialog>

class QKeyEvent;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace ui {
class HeaderBand;
}

namespace titles {

// What the dialogs of the titles form share: the caption "Terralog", a size
// fixed by their contents, always on top, centred on the desktop, a header
// band. Every key reaches handleKey() before the control that has the focus
// (key preview). Escape closes without confirming. Enter is left to the
// dialogs' own handlers: no button is a default button, though a button
// that has the focus presses on Enter.
class EntryDialog : public QDialog {
    Q_OBJECT

public:
    // False when the dialog opens; true once the input was accepted.
    bool Confirmed = false;

    ui::HeaderBand* header() const { return header_; }

protected:
    explicit EntryDialog(QWidget* parent);

    // Watches the keys of every control made so far; call once the
    // constructor has made them all.
    void previewKeys();
    // Called for each key pressed in the dialog with the control that has
    // the focus; true consumes the key.
    virtual bool handleKey(QWidget* focused, int key) = 0;

    // Shows the dialog modally with Confirmed false; Confirmed when it closes.
    bool runModal();
    // Confirmed := true; closes.
    void confirm();
    // Moves the focus on, in tab order.
    void moveToNextControl() { focusNextChild(); }

    static bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
    // The dialog's outer layout, with the header band on top showing the
    // named picture and the caption.
    QVBoxLayout* startLayout(const QString& picture, const QString& caption, int spacing);
    // The caption of a text label beside its control.
    static QLabel* label(const QString& caption, QWidget* parent);
    static QPushButton* button(const QString& caption, const QString& name, QWidget* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    ui::HeaderBand* header_;
};

}  // namespace titles
