#include "store/TimeWindow.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return DateTime::FromParts({year, month, day, hour, minute, second, 0});
}

TEST(TimeWindowTest, LowerBoundsAreMidnightsCountedFromToday) {
    struct Case {
        TimeWindow window;
        DateTime now;
        DateTime bound;
    };
    // 2026-12-09 is a Wednesday.
    const Case cases[] = {
        {TimeWindow::LastWeek, At(2026, 12, 9, 15, 30), At(2026, 12, 2)},
        {TimeWindow::LastMonth, At(2026, 12, 9, 15, 30), At(2026, 11, 9)},
        {TimeWindow::ThisWeek, At(2026, 12, 9, 15, 30), At(2026, 12, 7)},
        {TimeWindow::ThisWeek, At(2026, 12, 7, 0, 0, 1), At(2026, 12, 7)},      // a Monday
        {TimeWindow::ThisWeek, At(2026, 12, 13, 23, 59, 59), At(2026, 12, 7)},  // a Sunday
        {TimeWindow::ThisMonth, At(2026, 12, 9, 15, 30), At(2026, 12, 1)},
        {TimeWindow::ThisMonth, At(2026, 12, 1, 8), At(2026, 12, 1)},
        {TimeWindow::LastWeek, At(2026, 1, 3, 12), At(2025, 12, 27)},  // across a year
        {TimeWindow::LastMonth, At(2024, 3, 1, 12), At(2024, 1, 31)},  // across a leap February
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now.ToText());
        auto bound = LowerBound(c.window, c.now);
        ASSERT_TRUE(bound.has_value());
        EXPECT_EQ(bound->ToText(), c.bound.ToText());
    }
    EXPECT_FALSE(LowerBound(TimeWindow::AllData, At(2026, 12, 9)).has_value());
}

TEST(TimeWindowTest, NamesOfTheCommandLine) {
    EXPECT_EQ(ParseTimeWindow("all"), TimeWindow::AllData);
    EXPECT_EQ(ParseTimeWindow("week"), TimeWindow::LastWeek);
    EXPECT_EQ(ParseTimeWindow("month"), TimeWindow::LastMonth);
    EXPECT_EQ(ParseTimeWindow("this-week"), TimeWindow::ThisWeek);
    EXPECT_EQ(ParseTimeWindow("this-month"), TimeWindow::ThisMonth);
    EXPECT_FALSE(ParseTimeWindow("Week").has_value());
    EXPECT_FALSE(ParseTimeWindow("").has_value());
}

}  // namespace
}  // namespace tarnwick
