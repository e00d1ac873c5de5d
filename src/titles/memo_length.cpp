#include "titles/memo_length.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <memory>

namespace titles {

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
