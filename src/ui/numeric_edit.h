#pragma once

#include <QLineEdit>

#include "engine/decimal.h"
#include "ui/numeric_rules.h"

namespace ui {

// A line edit for numbers that refuses, key by key, whatever its rules do not
// allow (see NumericRules): by mask ("9999.9999") or by digits (at most 5
// integer digits and 4 decimals). Typing, pasting and deleting all obey the
// rules; setText() does not check, so the caller can show any stored value.
class NumericEdit : public QLineEdit {
    Q_OBJECT

public:
    // Whole numbers, no bound but the maximum length.
    explicit NumericEdit(QWidget* parent = nullptr);

    // By mask; an empty mask means whole numbers.
    void setDigitMask(const QString& mask);
    // By digits.
    void setDigitLimits(int integerDigits, int decimals);
    const NumericRules& rules() const { return rules_; }

    // The text as an exact number with four decimals; empty or unreadable
    // text reads as 0.
    engine::Decimal value() const;
    // The value in its shortest form: "0", "1.5", "12.0025".
    QString valueText() const;
    // Shows the value in its shortest form.
    void setValue(engine::Decimal value);

    // Pastes the clipboard's text by the rules; QLineEdit::paste() would not.
    void pasteChecked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void apply(const NumericRules::Edit& edit);
    int selectionFrom() const;

    NumericRules rules_;
};

}  // namespace ui
