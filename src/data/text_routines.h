#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QPlainTextEdit;

namespace data {

// Trims blanks and control characters (codes up to 32) at both ends, turns
// runs of blanks into one blank, then deletes every double quote, so a value
// cannot end the text literal it is written into early. Quotes go last: one
// that stood between two blanks leaves both blanks.
QString CleanText(const QString& text);

// The lines, each cleaned, joined by "; "; lines that clean to nothing are
// left out without a separator. Holders and heirs typed one per line are kept
// this way.
QString JoinLines(const QStringList& lines);
QString JoinLines(const QPlainTextEdit* edit);

// Trims the text and writes " AND " into every ")(", so conditions written one
// after another in parentheses form one condition.
QString JoinConditions(const QString& text);

// Appends value unless an item equal to it (letter case counts) exists, then
// selects again the item of the text the box showed before.
void AddComboItem(QComboBox* box, const QString& value);

// Selects the first item equal to text without regard to letter case, or no
// item (index -1) when there is none.
void SelectComboItem(QComboBox* box, const QString& text);

}  // namespace data
