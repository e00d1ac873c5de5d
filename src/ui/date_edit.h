#pragma once

#include <QDateEdit>

namespace ui {

// A date box in the program's fixed format dd.MM.yyyy that takes dates the
// way clerks type them. Tab or a click into the box starts an entry at the
// day; a click on a part of a box that already has the focus starts it at
// that part. Digits then fill the date from there to the right, over the
// dots, so "15032024" and "15.03.2024" both give 15.03.2024: a dot after a
// whole part is passed over, a dot after one digit ends the part ("1.3.2024"
// gives 01.03.2024). The date follows as soon as the text is a date in the
// box's range; a text left that is no date (31.02) is corrected to the
// nearest date when the box loses the focus. The arrow keys and the
// calendar work as in any date box.
class DateEdit : public QDateEdit {
    Q_OBJECT

public:
    explicit DateEdit(const QDate& date, QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab leaves the box instead of walking through its parts.
    bool focusNextPrevChild(bool next) override;

private:
    // Digit positions 0-1 are the day, 2-3 the month, 4-7 the year.
    void startEntryAt(int part);
    void typeDigit(QChar digit);
    void endPart();
    void showEntry();
    // The date of the range nearest to a typed text that is none, else no date.
    QDate nearestDate() const;

    QString entry_;       // the text typed since the box took the focus, date or not yet
    bool entering_ = false;
    int position_ = 0;    // the digit position the next digit goes to
    int partTyped_ = 0;   // digits typed into the current part
    bool focusedByClick_ = false;
};

}  // namespace ui
