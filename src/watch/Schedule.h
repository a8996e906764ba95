#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "base/DateTime.h"

namespace tarnwick {

// How often a watched shop is analysed: every so many minutes, hours or days from its last
// start, or once a day at a fixed local time.
class Schedule {
public:
    // A shop is a few hundred requests or more; asking it more often than this is no longer
    // watching but hammering.
    static constexpr std::chrono::minutes kShortest{10};
    static constexpr std::chrono::minutes kLongest{366 * 24 * 60};

    static Schedule Every(std::chrono::minutes interval);
    static Schedule DailyAt(int hour, int minute);

    // "30m", "6h", "1d" (a whole number and one unit), or "daily HH:MM". Nothing for any other
    // text or an interval outside kShortest..kLongest.
    static std::optional<Schedule> Parse(std::string_view text);
    // A duration alone, as `--every` takes it: "30m", "6h", "1d".
    static std::optional<std::chrono::minutes> ParseDuration(std::string_view text);

    bool IsDaily() const { return m_daily; }
    // The interval, or a day for a daily schedule.
    std::chrono::minutes Interval() const { return m_interval; }
    int MinuteOfDay() const { return m_minuteOfDay; }

    // The text Parse reads back: "30m", "6h", "2d", "daily 08:30".
    std::string Text() const;
    // The first time the shop is due after a run that started at `lastStart`.
    DateTime NextAfter(DateTime lastStart) const;

    bool operator==(const Schedule&) const = default;

private:
    Schedule() = default;

    bool m_daily = false;
    std::chrono::minutes m_interval{24 * 60};
    int m_minuteOfDay = 0;
};

// A moment so much later (or earlier) on the local clock.
DateTime AddMinutes(DateTime time, std::chrono::minutes minutes);
DateTime AddDuration(DateTime time, std::chrono::milliseconds duration);

}  // namespace tarnwick
