#include "titles/input_rules.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>
#include <memory>

namespace titles {
namespace {

// A validator may rewrite what is typed: this one only raises the letters.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

void forceUpperCase(QLineEdit* edit) { edit->setValidator(new UpperCaseValidator(edit)); }

void forceUpperCase(QComboBox* box) {
    if (QLineEdit* edit = box->lineEdit()) forceUpperCase(edit);
}

void limitLength(QPlainTextEdit* memo, int maxLength) {
    auto accepted = std::make_shared<QString>(memo->toPlainText());
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxLength, accepted] {
        const QString text = memo->toPlainText();
        // Only the user's edits are bounded: the program may fill in more.
        if (text.size() <= maxLength || !memo->hasFocus()) {
            *accepted = text;
            return;
        }
        // Put back the last text that fitted, with the cursor where the
        // refused edit began.
        const int position = std::min<int>(memo->textCursor().position(), accepted->size());
        const QSignalBlocker block(memo);
        memo->setPlainText(*accepted);
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(position);
        memo->setTextCursor(cursor);
    });
}

}  // namespace titles
