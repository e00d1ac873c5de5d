#include "engine/date.h"

#include <cstdio>

#include "engine/errors.h"

namespace engine {
namespace {

// Howard Hinnant's days_from_civil / civil_from_days.
int32_t daysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
}

void civilFromDays(int32_t z, int& y, int& m, int& d) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe) + era * 400 + (m <= 2);
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

}  // namespace

bool Date::isValid(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int limit = kDays[month - 1];
    if (month == 2 && (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0))) limit = 29;
    return day <= limit;
}

Date Date::fromYmd(int year, int month, int day) {
    if (!isValid(year, month, day)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "Invalid date: %02d.%02d.%04d", day, month, year);
        throw ValueError(buf);
    }
    return Date(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
}

std::optional<Date> Date::parseDmy(std::string_view text) {
    const size_t p1 = text.find('.');
    if (p1 == std::string_view::npos) return std::nullopt;
    const size_t p2 = text.find('.', p1 + 1);
    if (p2 == std::string_view::npos) return std::nullopt;
    const auto d = text.substr(0, p1), m = text.substr(p1 + 1, p2 - p1 - 1), y = text.substr(p2 + 1);
    if (!allDigits(d) || !allDigits(m) || !allDigits(y) || d.size() > 2 || m.size() > 2 || y.size() != 4)
        return std::nullopt;
    return fromYmd(toInt(y), toInt(m), toInt(d));
}

std::optional<Date> Date::parseStored(std::string_view text) {
    if (text.size() != 8 || !allDigits(text)) return std::nullopt;
    const int y = toInt(text.substr(0, 4)), m = toInt(text.substr(4, 2)), d = toInt(text.substr(6, 2));
    if (!isValid(y, m, d)) return std::nullopt;
    return fromYmd(y, m, d);
}

int Date::year() const {
    int y, m, d;
    civilFromDays(days_, y, m, d);
    return y;
}

int Date::month() const {
    int y, m, d;
    civilFromDays(days_, y, m, d);
    return m;
}

int Date::day() const {
    int y, m, d;
    civilFromDays(days_, y, m, d);
    return d;
}

std::string Date::toDmy() const {
    int y, m, d;
    civilFromDays(days_, y, m, d);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d, m, y);
    return buf;
}

std::string Date::toStored() const {
    int y, m, d;
    civilFromDays(days_, y, m, d);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

}  // namespace engine
