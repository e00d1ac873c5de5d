#include "ui/numeric_edit.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>

namespace ui {

namespace {

// The last gate for edits that do not pass through the key handler
// (deleting, cutting, undoing, an input method): whatever would leave the
// text outside the rules is refused and the text stays as it was.
class RulesValidator : public QValidator {
public:
    explicit RulesValidator(NumericEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override {
        return edit_->rules().accepts(input, edit_->maxLength()) ? Acceptable : Invalid;
    }

private:
    NumericEdit* edit_;
};

bool isDecimalKey(const QKeyEvent* event) {
    return (event->modifiers() & Qt::KeypadModifier) &&
           (event->key() == Qt::Key_Period || event->key() == Qt::Key_Comma);
}

}  // namespace

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent), rules_(NumericRules::byMask(QString())) {
    setValidator(new RulesValidator(this));
    // A drop would bypass the rules of typing; numbers are typed or pasted.
    setAcceptDrops(false);
}

void NumericEdit::setDigitMask(const QString& mask) { rules_ = NumericRules::byMask(mask); }

void NumericEdit::setDigitLimits(int integerDigits, int decimals) {
    rules_ = NumericRules::byDigits(integerDigits, decimals);
}

engine::Decimal NumericEdit::value() const {
    return engine::Decimal::parse(text().toStdString()).value_or(engine::Decimal());
}

QString NumericEdit::valueText() const { return QString::fromStdString(value().toString()); }

void NumericEdit::setValue(engine::Decimal value) { setText(QString::fromStdString(value.toString())); }

int NumericEdit::selectionFrom() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void NumericEdit::apply(const NumericRules::Edit& edit) {
    // One replacement of the whole text keeps undo and textEdited working.
    selectAll();
    insert(edit.text);
    setCursorPosition(edit.cursor);
}

void NumericEdit::pasteChecked() {
    if (isReadOnly()) return;
    const QString pasted = QGuiApplication::clipboard()->text();
    const int length = hasSelectedText() ? int(selectedText().size()) : 0;
    if (const auto edit = rules_.paste(text(), selectionFrom(), length, pasted, maxLength())) apply(*edit);
}

void NumericEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteChecked();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (command || typed.size() != 1 || !typed[0].isPrint()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Every printable key is ours: accepted or swallowed, never passed on.
    event->accept();
    if (isReadOnly()) return;
    const QChar key = isDecimalKey(event) ? QChar(QLatin1Char('.')) : typed[0];
    const int length = hasSelectedText() ? int(selectedText().size()) : 0;
    if (const auto edit = rules_.type(text(), selectionFrom(), length, key, maxLength())) apply(*edit);
}

void NumericEdit::contextMenuEvent(QContextMenuEvent* event) {
    // Our own menu, under Qt's own (translated) captions: the standard one's
    // paste would skip the rules.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [&](const char* caption, QKeySequence::StandardKey key, bool enabled, auto slot) {
        QString text = QCoreApplication::translate("QLineEdit", caption);
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        if (!shortcut.isEmpty()) text += QLatin1Char('\t') + shortcut;
        QAction* action = menu->addAction(text, this, slot);
        action->setEnabled(enabled);
        return action;
    };
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    add("&Undo", QKeySequence::Undo, editable && isUndoAvailable(), &QLineEdit::undo);
    add("&Redo", QKeySequence::Redo, editable && isRedoAvailable(), &QLineEdit::redo);
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, editable && selected, &QLineEdit::cut);
    add("&Copy", QKeySequence::Copy, selected, &QLineEdit::copy);
    add("&Paste", QKeySequence::Paste, editable && !QGuiApplication::clipboard()->text().isEmpty(),
        &NumericEdit::pasteChecked)
        ->setObjectName(QStringLiteral("edit-paste"));
    add("Delete", QKeySequence::UnknownKey, editable && selected, &QLineEdit::del);
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, !text().isEmpty() && selectedText() != text(), &QLineEdit::selectAll);
    menu->popup(event->globalPos());
}

}  // namespace ui
