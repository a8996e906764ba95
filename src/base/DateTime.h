#pragma once

#include <compare>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

// A date and a time of day that does not name a real moment (month 13, 24:00, 30 February ...).
class InvalidDateTime : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Days since 30 December 1899 00:00, the fraction being the time of day: the form every date
// of the database and of the analysis views takes. Local time throughout; no time zones.
class DateTime {
public:
    struct Parts {
        int year = 1899;
        int month = 12;
        int day = 30;
        int hour = 0;
        int minute = 0;
        int second = 0;
        int millisecond = 0;

        bool operator==(const Parts&) const = default;
    };

    constexpr DateTime() = default;  // the zero value, 30 December 1899 00:00
    constexpr explicit DateTime(double days) : m_days(days) {}

    // Throws InvalidDateTime when the parts do not form a real date and time of day.
    static DateTime FromParts(const Parts& parts);
    static DateTime Now();  // local time, to the millisecond
    // Reads the stored text form "YYYY-MM-DD HH:MM:SS.SSS"; throws InvalidDateTime otherwise.
    static DateTime FromText(std::string_view text);

    constexpr double Days() const { return m_days; }
    // The calendar functions below round to the nearest millisecond and throw InvalidDateTime
    // for a value outside the years 1 to 9999 (or not a number at all).
    Parts Split() const;
    std::string ToText() const;  // "YYYY-MM-DD HH:MM:SS.SSS"
    DateTime StartOfDay() const;
    DateTime AddDays(int days) const;
    int DayOfWeek() const;  // 1 = Monday ... 7 = Sunday

    friend constexpr auto operator<=>(DateTime, DateTime) = default;

private:
    double m_days = 0.0;
};

}  // namespace tarnwick
