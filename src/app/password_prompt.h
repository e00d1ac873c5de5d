#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The password prompt: a caption and a prompt line given by the caller, one
// edit showing "*" for every character, "Verifica" and "Renunt". Enter in the
// edit moves to "Verifica"; a second Enter presses it.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // The one prompt of the run (created on first use when start-up did not).
    static TForm5& instance();

    QLabel* promptLabel() const { return prompt_; }
    QLineEdit* edit() const { return edit_; }
    QPushButton* verifyButton() const { return verify_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Sets the caption and the prompt and empties the edit.
    void prepare(const QString& caption, const QString& prompt);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static TForm5* instance_;
    QLabel* prompt_;
    QLineEdit* edit_;
    QPushButton* verify_;
    QPushButton* cancel_;
};

// Shows the prompt modally; true and the typed text in `text` when closed
// with "Verifica", false with `text` unchanged otherwise.
bool InputQuery2(const QString& caption, const QString& prompt, QString& text);
