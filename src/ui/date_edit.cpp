#include "ui/date_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace ui {
namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");
constexpr int kPartStart[] = {0, 2, 4};
constexpr int kPartEnd[] = {2, 4, 8};

int partOf(int position) { return position < 2 ? 0 : position < 4 ? 1 : 2; }
// Where a digit position stands in the text "dd.MM.yyyy".
int textIndex(int position) { return position + (position >= 2) + (position >= 4); }
// The part a click or the cursor at this place of the text falls in.
int partAtText(int index) { return index <= 2 ? 0 : index <= 5 ? 1 : 2; }

bool isSeparator(QChar c) {
    return c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char('/') || c == QLatin1Char('-');
}

}  // namespace

DateEdit::DateEdit(const QDate& date, QWidget* parent) : QDateEdit(date, parent) {
    setDisplayFormat(kFormat);
    lineEdit()->installEventFilter(this);
}

void DateEdit::focusInEvent(QFocusEvent* event) {
    QDateEdit::focusInEvent(event);
    focusedByClick_ = event->reason() == Qt::MouseFocusReason;
    startEntryAt(0);
}

void DateEdit::focusOutEvent(QFocusEvent* event) {
    // Worked out first: the box puts back its last date when it loses the focus.
    const QDate nearest = nearestDate();
    entering_ = false;
    entry_.clear();
    QDateEdit::focusOutEvent(event);
    if (nearest.isValid()) setDate(nearest);
}

void DateEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && typed.size() == 1) {
        const QChar c = typed.front();
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            typeDigit(c);
            event->accept();
            return;
        }
        if (isSeparator(c)) {
            endPart();
            event->accept();
            return;
        }
    }
    entering_ = false;
    // Leaving the box keeps what was typed for the correction; any other key
    // edits the text the box's own way.
    const int key = event->key();
    if (key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Return && key != Qt::Key_Enter) entry_.clear();
    QDateEdit::keyPressEvent(event);
}

bool DateEdit::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched != lineEdit() || !press || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QDateEdit::eventFilter(watched, event);
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    // The click that brings the focus starts at the day whatever part it hit,
    // so a whole date can be typed at once; a later click picks a part.
    const bool first = focusedByClick_;
    focusedByClick_ = false;
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    startEntryAt(first ? 0 : partAtText(lineEdit()->cursorPositionAt(at)));
    return true;
}

bool DateEdit::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

void DateEdit::startEntryAt(int part) {
    entry_ = date().toString(kFormat);
    entering_ = true;
    position_ = kPartStart[part];
    partTyped_ = 0;
    const int from = textIndex(kPartStart[part]);
    lineEdit()->setSelection(from, textIndex(kPartEnd[part] - 1) + 1 - from);
}

void DateEdit::typeDigit(QChar digit) {
    if (!entering_) {
        const QLineEdit* edit = lineEdit();
        startEntryAt(partAtText(edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition()));
    }
    entry_[textIndex(position_)] = digit;
    ++position_;
    ++partTyped_;
    if (position_ == kPartEnd[partOf(position_ - 1)]) partTyped_ = 0;
    // A whole date typed: what follows types over the year, as after a click on it.
    if (position_ == kPartEnd[2]) entering_ = false;
    showEntry();
}

void DateEdit::endPart() {
    const int part = partOf(position_);
    // A dot after a whole part, or in the year, only passes over.
    if (!entering_ || partTyped_ == 0 || part == 2) return;
    const int first = textIndex(kPartStart[part]);
    entry_[first + 1] = entry_[first];
    entry_[first] = QLatin1Char('0');
    position_ = kPartEnd[part];
    partTyped_ = 0;
    showEntry();
}

void DateEdit::showEntry() {
    const QDate typed = QDate::fromString(entry_, kFormat);
    if (typed.isValid() && typed >= minimumDate() && typed <= maximumDate()) setDate(typed);
    {
        // The box would otherwise put back the last date it could read.
        const QSignalBlocker quiet(lineEdit());
        lineEdit()->setText(entry_);
    }
    // The rest of the part being typed stays selected: it is what the next digit replaces.
    const int part = entering_ ? partOf(position_) : 2;
    const int from = textIndex(entering_ ? position_ : kPartStart[2]);
    lineEdit()->setSelection(from, textIndex(kPartEnd[part] - 1) + 1 - from);
}

QDate DateEdit::nearestDate() const {
    const QString& text = entry_;
    if (text.size() != kFormat.size()) return {};
    const QDate shown = QDate::fromString(text, kFormat);
    if (shown.isValid() && shown >= minimumDate() && shown <= maximumDate()) return {};
    const int year = qBound(minimumDate().year(), text.mid(6, 4).toInt(), maximumDate().year());
    const int month = qBound(1, text.mid(3, 2).toInt(), 12);
    const int day = qBound(1, text.mid(0, 2).toInt(), QDate(year, month, 1).daysInMonth());
    return qBound(minimumDate(), QDate(year, month, day), maximumDate());
}

}  // namespace ui
