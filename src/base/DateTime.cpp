#include "base/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace tarnwick {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Day numbers of 1 January 1970 and of the first and last dates a value may name, counted from
// 30 December 1899.
constexpr std::int64_t kUnixEpochDay = 25'569;
constexpr std::int64_t kFirstDay = -693'593;  // 0001-01-01
constexpr std::int64_t kLastDay = 2'958'465;  // 9999-12-31

struct DayAndTime {
    std::int64_t day = 0;  // whole days since 30 December 1899, negative before it
    std::int64_t ms = 0;   // milliseconds into that day, 0 ... kMsPerDay - 1
};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Proleptic Gregorian calendar through a March-based year (H. Hinnant's civil-days algorithm),
// which keeps the leap day at the end of the cycle and needs no month tables.
std::int64_t DayFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468 + kUnixEpochDay;
}

void CivilFromDay(std::int64_t serial, DateTime::Parts& parts) {
    const std::int64_t z = serial - kUnixEpochDay + 719'468;
    const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
    const std::int64_t dayOfEra = z - era * 146'097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    parts.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    parts.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    parts.year = static_cast<int>(yearOfEra + era * 400 + (parts.month <= 2 ? 1 : 0));
}

std::string DescribeParts(const DateTime::Parts& p) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d-%d-%d %d:%d:%d.%d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second, p.millisecond);
    return buffer;
}

// Before the zero day the whole part counts days backwards while the fraction still runs
// forwards through the day (-1.25 is 29 December 1899, 06:00), as the database's own date type
// does; so the time is subtracted there instead of added.
double Combine(const DayAndTime& value) {
    const double time = static_cast<double>(value.ms) / kMsPerDay;
    const double day = static_cast<double>(value.day);
    return value.day < 0 ? day - time : day + time;
}

DayAndTime Separate(double days) {
    if (!std::isfinite(days) || days < kFirstDay - 1 || days > kLastDay + 1) {
        throw InvalidDateTime("date-time value out of range: " + std::to_string(days));
    }
    const double whole = std::trunc(days);
    DayAndTime result{static_cast<std::int64_t>(whole),
                      std::llround(std::fabs(days - whole) * kMsPerDay)};
    // A fraction within half a millisecond of the next midnight belongs to the next day, which
    // lies further from zero on both sides of the zero day.
    if (result.ms == kMsPerDay) {
        result.ms = 0;
        result.day += days < 0 ? -1 : 1;
    }
    if (result.day < kFirstDay || result.day > kLastDay) {
        throw InvalidDateTime("date-time value out of range: " + std::to_string(days));
    }
    return result;
}

DateTime FromDayAndTime(const DayAndTime& value) {
    if (value.day < kFirstDay || value.day > kLastDay) {
        throw InvalidDateTime("date out of range: day " + std::to_string(value.day));
    }
    return DateTime(Combine(value));
}

bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

DateTime DateTime::FromParts(const Parts& p) {
    const bool valid = p.year >= 1 && p.year <= 9999 && p.month >= 1 && p.month <= 12 &&
                       p.day >= 1 && p.day <= DaysInMonth(p.year, p.month) && p.hour >= 0 &&
                       p.hour <= 23 && p.minute >= 0 && p.minute <= 59 && p.second >= 0 &&
                       p.second <= 59 && p.millisecond >= 0 && p.millisecond <= 999;
    if (!valid) {
        throw InvalidDateTime("not a valid date and time: " + DescribeParts(p));
    }
    const std::int64_t ms =
        ((std::int64_t{p.hour} * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
    return FromDayAndTime({DayFromCivil(p.year, p.month, p.day), ms});
}

DateTime DateTime::Now() {
    const auto now = std::chrono::system_clock::now();
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        throw InvalidDateTime("the local time of the clock cannot be determined");
    }
    Parts parts;
    parts.year = local.tm_year + 1900;
    parts.month = local.tm_mon + 1;
    parts.day = local.tm_mday;
    parts.hour = local.tm_hour;
    parts.minute = local.tm_min;
    // A leap second shows as 60; the database has no place for it.
    parts.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    parts.millisecond = static_cast<int>(((sinceEpoch.count() % 1000) + 1000) % 1000);
    return FromParts(parts);
}

DateTime DateTime::FromText(std::string_view text) {
    // YYYY-MM-DD HH:MM:SS.SSS
    static constexpr std::string_view kShape = "0000-00-00 00:00:00.000";
    bool ok = text.size() == kShape.size();
    for (std::size_t i = 0; ok && i < kShape.size(); ++i) {
        ok = kShape[i] == '0' ? true : text[i] == kShape[i];
    }
    Parts parts;
    ok = ok && ReadDigits(text, 0, 4, parts.year) && ReadDigits(text, 5, 2, parts.month) &&
         ReadDigits(text, 8, 2, parts.day) && ReadDigits(text, 11, 2, parts.hour) &&
         ReadDigits(text, 14, 2, parts.minute) && ReadDigits(text, 17, 2, parts.second) &&
         ReadDigits(text, 20, 3, parts.millisecond);
    if (!ok) {
        throw InvalidDateTime("not a stored date-time text: '" + std::string(text) + "'");
    }
    return FromParts(parts);
}

DateTime::Parts DateTime::Split() const {
    const DayAndTime value = Separate(m_days);
    Parts parts;
    CivilFromDay(value.day, parts);
    parts.millisecond = static_cast<int>(value.ms % 1000);
    parts.second = static_cast<int>(value.ms / 1000 % 60);
    parts.minute = static_cast<int>(value.ms / 60'000 % 60);
    parts.hour = static_cast<int>(value.ms / 3'600'000);
    return parts;
}

std::string DateTime::ToText() const {
    const Parts p = Split();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year, p.month,
                  p.day, p.hour, p.minute, p.second, p.millisecond);
    return buffer;
}

DateTime DateTime::StartOfDay() const {
    return FromDayAndTime({Separate(m_days).day, 0});
}

DateTime DateTime::AddDays(int days) const {
    DayAndTime value = Separate(m_days);
    value.day += days;
    return FromDayAndTime(value);
}

int DateTime::DayOfWeek() const {
    // Day 0, 30 December 1899, was a Saturday.
    const std::int64_t day = Separate(m_days).day;
    return static_cast<int>(((day % 7 + 7 + 5) % 7) + 1);
}

}  // namespace tarnwick
