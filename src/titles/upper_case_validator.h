#pragma once

#include <QValidator>

namespace titles {

// Turns letters to capitals as they are typed or pasted into a line edit
// (the edit's maximum length still applies).
class UpperCaseValidator : public QValidator {
    Q_OBJECT

public:
    explicit UpperCaseValidator(QObject* parent = nullptr) : QValidator(parent) {}

    State validate(QString& input, int& pos) const override {
        (void)pos;
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace titles
