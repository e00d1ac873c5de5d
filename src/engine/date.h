#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// A calendar date of the proleptic Gregorian calendar, held as a day number so
// that dates compare and sort as integers.
class Date {
public:
    constexpr Date() = default;
    // Throws ValueError for an impossible date (31.02.2024, month 13, year 0).
    static Date fromYmd(int year, int month, int day);
    static bool isValid(int year, int month, int day);

    // "dd.MM.yyyy" (one-digit day and month accepted); nullopt when the text is
    // not of that shape. An impossible date of that shape throws ValueError.
    static std::optional<Date> parseDmy(std::string_view text);
    // "yyyyMMdd" as stored in a table file; nullopt when blank, zero or not a date.
    static std::optional<Date> parseStored(std::string_view text);

    int year() const;
    int month() const;
    int day() const;
    std::string toDmy() const;     // "dd.MM.yyyy"
    std::string toStored() const;  // "yyyyMMdd"
    constexpr int32_t dayNumber() const { return days_; }
    static constexpr Date fromDayNumber(int32_t days) { return Date(days); }

    friend constexpr bool operator==(Date a, Date b) { return a.days_ == b.days_; }
    friend constexpr bool operator!=(Date a, Date b) { return a.days_ != b.days_; }
    friend constexpr bool operator<(Date a, Date b) { return a.days_ < b.days_; }
    friend constexpr bool operator>(Date a, Date b) { return a.days_ > b.days_; }
    friend constexpr bool operator<=(Date a, Date b) { return a.days_ <= b.days_; }
    friend constexpr bool operator>=(Date a, Date b) { return a.days_ >= b.days_; }

private:
    constexpr explicit Date(int32_t days) : days_(days) {}
    int32_t days_ = 0;  // days since 1970-01-01
};

}  // namespace engine
