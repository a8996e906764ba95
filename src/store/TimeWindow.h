#pragma once

#include <optional>
#include <string_view>

#include "base/DateTime.h"

namespace tarnwick {

// The time windows of the item list and the detail lists.
enum class TimeWindow { AllData, LastWeek, LastMonth, ThisWeek, ThisMonth };

// The window's inclusive lower bound, always a midnight, computed from `now` (local time):
// today less 7 or 30 days, the Monday of this week, the first of this month. None for all data.
std::optional<DateTime> LowerBound(TimeWindow window, DateTime now);

// "all", "week", "month", "this-week", "this-month".
std::optional<TimeWindow> ParseTimeWindow(std::string_view name);

}  // namespace tarnwick
