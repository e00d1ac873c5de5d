#include "engine/decimal.h"

#include <cstdlib>
#include <limits>

#include "engine/errors.h"

namespace engine {
namespace {

__extension__ typedef __int128 int128;

constexpr int64_t kPow10[] = {1, 10, 100, 1000, 10000};

[[noreturn]] void overflow() { throw ValueError("Numeric overflow"); }

int64_t checkedAdd(int64_t a, int64_t b) {
    int64_t r;
    if (__builtin_add_overflow(a, b, &r)) overflow();
    return r;
}

// a / b rounded half away from zero, for b > 0.
int128 divideRounded(int128 a, int128 b) {
    int128 q = a / b;
    int128 rem = a % b;
    if (rem < 0) rem = -rem;
    if (rem * 2 >= b) q += (a < 0) ? -1 : 1;
    return q;
}

int64_t narrow(int128 v) {
    if (v > std::numeric_limits<int64_t>::max() || v < std::numeric_limits<int64_t>::min()) overflow();
    return static_cast<int64_t>(v);
}

}  // namespace

Decimal Decimal::fromInt(int64_t value) {
    int64_t r;
    if (__builtin_mul_overflow(value, kOne, &r)) overflow();
    return Decimal(r);
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
    if (i == n) return std::nullopt;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    int128 whole = 0;
    int digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        whole = whole * 10 + (text[i] - '0');
        if (whole > std::numeric_limits<int64_t>::max()) return std::nullopt;
        ++i;
        ++digits;
    }
    int128 fraction = 0;
    int fractionDigits = 0;
    bool roundUp = false;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            if (fractionDigits < kScale) {
                fraction = fraction * 10 + (text[i] - '0');
                ++fractionDigits;
            } else if (fractionDigits == kScale) {
                roundUp = text[i] >= '5';
                ++fractionDigits;
            }
            ++i;
            ++digits;
        }
    }
    if (i != n || digits == 0) return std::nullopt;
    while (fractionDigits < kScale) {
        fraction *= 10;
        ++fractionDigits;
    }
    int128 units = whole * kOne + fraction + (roundUp ? 1 : 0);
    if (negative) units = -units;
    if (units > std::numeric_limits<int64_t>::max() || units < std::numeric_limits<int64_t>::min())
        return std::nullopt;
    return Decimal(static_cast<int64_t>(units));
}

std::string Decimal::toFixed(int decimals) const {
    if (decimals < 0) decimals = 0;
    if (decimals > kScale) decimals = kScale;
    const int64_t value = rounded(decimals).units_;
    // Work on the magnitude in unsigned arithmetic so INT64_MIN is safe.
    uint64_t magnitude = value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    uint64_t whole = magnitude / kOne;
    uint64_t fraction = magnitude % kOne;
    std::string out = value < 0 ? "-" : "";
    out += std::to_string(whole);
    if (decimals > 0) {
        std::string digits = std::to_string(fraction + kOne).substr(1);  // four digits
        out += '.';
        out += digits.substr(0, decimals);
    }
    return out;
}

std::string Decimal::toString() const {
    std::string s = toFixed(kScale);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

Decimal Decimal::rounded(int decimals) const {
    if (decimals >= kScale) return *this;
    if (decimals < 0) decimals = 0;
    const int64_t step = kPow10[kScale - decimals];
    return Decimal(narrow(divideRounded(units_, step) * step));
}

Decimal Decimal::operator+(Decimal other) const { return Decimal(checkedAdd(units_, other.units_)); }

Decimal Decimal::operator-(Decimal other) const {
    int64_t r;
    if (__builtin_sub_overflow(units_, other.units_, &r)) overflow();
    return Decimal(r);
}

Decimal Decimal::operator-() const {
    if (units_ == std::numeric_limits<int64_t>::min()) overflow();
    return Decimal(-units_);
}

Decimal Decimal::operator*(Decimal other) const {
    return Decimal(narrow(divideRounded(int128(units_) * other.units_, kOne)));
}

Decimal Decimal::operator/(Decimal other) const {
    if (other.units_ == 0) throw ValueError("Division by zero");
    int128 num = int128(units_) * kOne;
    int128 den = other.units_;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return Decimal(narrow(divideRounded(num, den)));
}

}  // namespace engine
