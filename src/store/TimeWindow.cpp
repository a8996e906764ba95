#include "store/TimeWindow.h"

namespace tarnwick {

std::optional<DateTime> LowerBound(TimeWindow window, DateTime now) {
    DateTime today = now.StartOfDay();
    switch (window) {
        case TimeWindow::AllData:
            return std::nullopt;
        case TimeWindow::LastWeek:
            return today.AddDays(-7);
        case TimeWindow::LastMonth:
            return today.AddDays(-30);
        case TimeWindow::ThisWeek:
            return today.AddDays(1 - today.DayOfWeek());
        case TimeWindow::ThisMonth: {
            DateTime::Parts parts = today.Split();
            return today.AddDays(1 - parts.day);
        }
    }
    return std::nullopt;
}

std::optional<TimeWindow> ParseTimeWindow(std::string_view name) {
    if (name == "all") {
        return TimeWindow::AllData;
    }
    if (name == "week") {
        return TimeWindow::LastWeek;
    }
    if (name == "month") {
        return TimeWindow::LastMonth;
    }
    if (name == "this-week") {
        return TimeWindow::ThisWeek;
    }
    if (name == "this-month") {
        return TimeWindow::ThisMonth;
    }
    return std::nullopt;
}

}  // namespace tarnwick
