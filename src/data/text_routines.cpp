#include "data/text_routines.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace data {
namespace {

QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

}  // namespace

QString CleanText(const QString& text) {
    const QString trimmed = trimControls(text);
    QString out;
    out.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        if (c == QLatin1Char(' ') && out.endsWith(QLatin1Char(' '))) continue;
        out.append(c);
    }
    out.remove(QLatin1Char('"'));
    return out;
}

QString JoinLines(const QStringList& lines) {
    QString result;
    for (const QString& line : lines) {
        const QString c = CleanText(line);
        if (!result.isEmpty() && !c.isEmpty()) result += QStringLiteral("; ");
        result += c;
    }
    return result;
}

QString JoinLines(const QPlainTextEdit* edit) {
    QStringList lines;
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return JoinLines(lines);
}

QString JoinConditions(const QString& text) {
    QString t = trimControls(text);
    for (qsizetype at = t.indexOf(QLatin1String(")(")); at >= 0; at = t.indexOf(QLatin1String(")("), at))
        t.insert(at + 1, QLatin1String(" AND "));
    return t;
}

void AddComboItem(QComboBox* box, const QString& value) {
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == value) return;
    const QString shown = box->currentText();
    box->addItem(value);
    SelectComboItem(box, shown);
}

void SelectComboItem(QComboBox* box, const QString& text) {
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->setCurrentIndex(-1);
}

}  // namespace data
