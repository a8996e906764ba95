#include "watch/Schedule.h"

#include <cstdio>

#include "base/Text.h"

namespace tarnwick {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

}  // namespace

Schedule Schedule::Every(std::chrono::minutes interval) {
    Schedule schedule;
    schedule.m_interval = interval;
    return schedule;
}

Schedule Schedule::DailyAt(int hour, int minute) {
    Schedule schedule;
    schedule.m_daily = true;
    schedule.m_interval = std::chrono::minutes(kMinutesPerDay);
    schedule.m_minuteOfDay = hour * 60 + minute;
    return schedule;
}

std::optional<std::chrono::minutes> Schedule::ParseDuration(std::string_view text) {
    if (text.size() < 2) {
        return std::nullopt;
    }
    const char unit = text.back();
    const int perUnit = unit == 'm' ? 1 : unit == 'h' ? 60 : unit == 'd' ? kMinutesPerDay : 0;
    // Digits only: from_chars would take a sign, and "+6h" or "-1d" are not durations.
    const std::string_view number = text.substr(0, text.size() - 1);
    if (perUnit == 0 || number.size() > 6 ||
        number.find_first_not_of("0123456789") != number.npos) {
        return std::nullopt;
    }
    const std::optional<int> count = ParseInt(number);
    if (!count) {
        return std::nullopt;
    }
    const std::chrono::minutes interval(static_cast<long long>(*count) * perUnit);
    if (interval < kShortest || interval > kLongest) {
        return std::nullopt;
    }
    return interval;
}

std::optional<Schedule> Schedule::Parse(std::string_view text) {
    constexpr std::string_view kDaily = "daily ";
    if (text.starts_with(kDaily)) {
        const std::string_view time = text.substr(kDaily.size());
        if (time.size() != 5 || time[2] != ':' ||
            time.find_first_not_of("0123456789:") != time.npos) {
            return std::nullopt;
        }
        const std::optional<int> hour = ParseInt(time.substr(0, 2));
        const std::optional<int> minute = ParseInt(time.substr(3, 2));
        if (!hour || !minute || *hour > 23 || *minute > 59) {
            return std::nullopt;
        }
        return DailyAt(*hour, *minute);
    }
    if (std::optional<std::chrono::minutes> interval = ParseDuration(text)) {
        return Every(*interval);
    }
    return std::nullopt;
}

std::string Schedule::Text() const {
    char text[32];
    if (m_daily) {
        std::snprintf(text, sizeof text, "daily %02d:%02d", m_minuteOfDay / 60, m_minuteOfDay % 60);
        return text;
    }
    const long long minutes = m_interval.count();
    if (minutes % kMinutesPerDay == 0) {
        std::snprintf(text, sizeof text, "%lldd", minutes / kMinutesPerDay);
    } else if (minutes % 60 == 0) {
        std::snprintf(text, sizeof text, "%lldh", minutes / 60);
    } else {
        std::snprintf(text, sizeof text, "%lldm", minutes);
    }
    return text;
}

DateTime Schedule::NextAfter(DateTime lastStart) const {
    if (!m_daily) {
        return AddMinutes(lastStart, m_interval);
    }
    DateTime next = AddMinutes(lastStart.StartOfDay(), std::chrono::minutes(m_minuteOfDay));
    if (next <= lastStart) {
        next = next.AddDays(1);
    }
    return next;
}

DateTime AddMinutes(DateTime time, std::chrono::minutes minutes) {
    return DateTime(time.Days() + static_cast<double>(minutes.count()) / kMinutesPerDay);
}

DateTime AddDuration(DateTime time, std::chrono::milliseconds duration) {
    constexpr double kMsPerDay = 86'400'000.0;
    return DateTime(time.Days() + static_cast<double>(duration.count()) / kMsPerDay);
}

}  // namespace tarnwick
