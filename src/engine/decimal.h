#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// An exact fixed-point number: a signed 64-bit count of ten-thousandths.
// All areas, identifiers and sums go through this type, never through binary
// floating point, so 0.1 added ten times is exactly 1.
class Decimal {
public:
    static constexpr int kScale = 4;
    static constexpr int64_t kOne = 10000;

    constexpr Decimal() = default;
    static constexpr Decimal fromUnits(int64_t units) { return Decimal(units); }
    static Decimal fromInt(int64_t value);  // throws ValueError on overflow

    // Reads "12", "-0.5", "+3.", ".25", "1.23456" (rounded half away from zero to
    // four decimals). Blanks around are allowed; anything else gives nullopt, as
    // does a value too large to hold.
    static std::optional<Decimal> parse(std::string_view text);

    constexpr int64_t units() const { return units_; }
    double toDouble() const { return static_cast<double>(units_) / kOne; }
    // The whole part, rounded toward zero.
    int64_t wholePart() const { return units_ / kOne; }
    bool isWhole() const { return units_ % kOne == 0; }

    // Shortest form with a point: 0, 1.5, -12.0025.
    std::string toString() const;
    // Exactly `decimals` decimals (0..4): toFixed(4) of 2.75 is "2.7500".
    std::string toFixed(int decimals) const;
    // Rounded half away from zero to `decimals` decimals (0..4).
    Decimal rounded(int decimals) const;

    // Arithmetic throws ValueError when the result does not fit.
    Decimal operator+(Decimal other) const;
    Decimal operator-(Decimal other) const;
    Decimal operator-() const;
    Decimal operator*(Decimal other) const;  // rounded half away from zero
    Decimal operator/(Decimal other) const;  // rounded half away from zero; throws on /0
    Decimal& operator+=(Decimal other) { return *this = *this + other; }

    friend constexpr bool operator==(Decimal a, Decimal b) { return a.units_ == b.units_; }
    friend constexpr bool operator!=(Decimal a, Decimal b) { return a.units_ != b.units_; }
    friend constexpr bool operator<(Decimal a, Decimal b) { return a.units_ < b.units_; }
    friend constexpr bool operator>(Decimal a, Decimal b) { return a.units_ > b.units_; }
    friend constexpr bool operator<=(Decimal a, Decimal b) { return a.units_ <= b.units_; }
    friend constexpr bool operator>=(Decimal a, Decimal b) { return a.units_ >= b.units_; }

private:
    constexpr explicit Decimal(int64_t units) : units_(units) {}
    int64_t units_ = 0;
};

}  // namespace engine
