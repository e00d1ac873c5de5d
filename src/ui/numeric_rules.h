#pragma once

#include <optional>

#include <QString>

namespace ui {

// What a numeric edit box lets the user type. Two flavours:
//  - by mask: the mask's own text bounds the length of the whole text
//    ("9999.9999" allows 9 characters, any split between integer digits and
//    decimals) and its decimals bound the decimals; a mask that begins with
//    "-" allows a leading minus; a digit typed into the text "0" replaces it.
//    An empty mask means whole numbers of any length.
//  - by digits: at most so many integer digits and so many decimals.
// In both, the only decimal separator is "." (typed as "." or ","), allowed
// once and only when decimals are; the edit's maximum length bounds the text
// too. An edit that breaks a rule is refused whole.
class NumericRules {
public:
    // The text after an accepted edit and where the cursor stands.
    struct Edit {
        QString text;
        int cursor = 0;
    };

    NumericRules() = default;
    static NumericRules byMask(const QString& mask);
    static NumericRules byDigits(int integerDigits, int decimals);

    const QString& mask() const { return mask_; }
    bool byMaskFlavour() const { return byMask_; }
    int integerDigits() const { return integerDigits_; }  // -1: not bounded
    int decimals() const { return decimals_; }
    bool allowsNegative() const { return negative_; }

    // Whether a whole text keeps the rules (the empty text does).
    bool accepts(const QString& text, int maxLength) const;
    // Typing one character over the selection [selStart, selStart + selLength).
    std::optional<Edit> type(const QString& text, int selStart, int selLength, QChar key, int maxLength) const;
    // Pasting: the characters are typed one by one, the first over the
    // selection; one refused character refuses the whole paste. Blanks around
    // the pasted text are dropped.
    std::optional<Edit> paste(const QString& text, int selStart, int selLength, const QString& pasted,
                              int maxLength) const;

private:
    QString mask_;
    bool byMask_ = true;
    int maskLength_ = -1;     // -1: not bounded
    int integerDigits_ = -1;  // -1: not bounded
    int decimals_ = 0;
    bool negative_ = false;
};

}  // namespace ui
