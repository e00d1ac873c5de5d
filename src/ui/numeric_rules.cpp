#include "ui/numeric_rules.h"

namespace ui {

NumericRules NumericRules::byMask(const QString& mask) {
    NumericRules r;
    r.mask_ = mask;
    r.byMask_ = true;
    r.maskLength_ = mask.isEmpty() ? -1 : int(mask.size());
    const qsizetype point = mask.indexOf(QLatin1Char('.'));
    r.decimals_ = point < 0 ? 0 : int(mask.size() - point - 1);
    r.negative_ = mask.startsWith(QLatin1Char('-'));
    return r;
}

NumericRules NumericRules::byDigits(int integerDigits, int decimals) {
    NumericRules r;
    r.byMask_ = false;
    r.integerDigits_ = integerDigits;
    r.decimals_ = decimals;
    return r;
}

bool NumericRules::accepts(const QString& text, int maxLength) const {
    if (maxLength >= 0 && text.size() > maxLength) return false;
    if (maskLength_ >= 0 && text.size() > maskLength_) return false;
    int whole = 0, fraction = 0;
    bool point = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('-')) {
            if (i != 0 || !negative_) return false;
        } else if (c == QLatin1Char('.')) {
            if (point || decimals_ == 0) return false;
            point = true;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++(point ? fraction : whole);
        } else {
            return false;
        }
    }
    if (fraction > decimals_) return false;
    if (integerDigits_ >= 0 && whole > integerDigits_) return false;
    return true;
}

std::optional<NumericRules::Edit> NumericRules::type(const QString& text, int selStart, int selLength, QChar key,
                                                     int maxLength) const {
    if (key == QLatin1Char(',')) key = QLatin1Char('.');
    Edit e;
    if (byMask_ && key.isDigit() && text == QLatin1String("0")) {
        e.text = QString(key);
        e.cursor = 1;
    } else {
        e.text = text.left(selStart) + key + text.mid(selStart + selLength);
        e.cursor = selStart + 1;
    }
    if (!accepts(e.text, maxLength)) return std::nullopt;
    return e;
}

std::optional<NumericRules::Edit> NumericRules::paste(const QString& text, int selStart, int selLength,
                                                      const QString& pasted, int maxLength) const {
    const QString chars = pasted.trimmed();
    if (chars.isEmpty()) return std::nullopt;
    Edit e{text, selStart};
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const auto next = type(e.text, e.cursor, i == 0 ? selLength : 0, chars[i], maxLength);
        if (!next) return std::nullopt;
        e = *next;
    }
    return e;
}

}  // namespace ui
