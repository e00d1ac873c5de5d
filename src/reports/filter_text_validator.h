#pragma once

#include <QValidator>

namespace reports {

// The text filters of the reports: letters become capitals as they are typed
// or pasted, and a text holding a double quote, a single quote or an asterisk
// is refused. The same text goes into the SQL condition (double-quoted), the
// register filter (single-quoted, where a final asterisk means "begins
// with") and the register record, so none of them can read it otherwise.
class FilterTextValidator : public QValidator {
    Q_OBJECT

public:
    explicit FilterTextValidator(QObject* parent = nullptr) : QValidator(parent) {}

    static bool refuses(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('*'); }

    State validate(QString& input, int& pos) const override {
        (void)pos;
        for (const QChar c : input)
            if (refuses(c)) return Invalid;
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace reports
