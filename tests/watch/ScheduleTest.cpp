// Schedules, back-off and due times, all on given times: no clock is read.
#include <gtest/gtest.h>

#include "watch/Schedule.h"
#include "watch/Watch.h"

namespace tarnwick {
namespace {

using std::chrono::minutes;

DateTime At(int year, int month, int day, int hour, int minute, int second = 0) {
    return DateTime::FromParts({year, month, day, hour, minute, second, 0});
}

struct ParseCase {
    const char* text;
    bool valid;
    const char* canonical;  // Text() of the parsed schedule
    long long minutes;
};

class ScheduleParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ScheduleParseTest, ReadsWhatASellerTypesAndNothingElse) {
    const ParseCase& c = GetParam();
    const std::optional<Schedule> schedule = Schedule::Parse(c.text);
    ASSERT_EQ(schedule.has_value(), c.valid) << c.text;
    if (c.valid) {
        EXPECT_EQ(schedule->Text(), c.canonical);
        EXPECT_EQ(schedule->Interval().count(), c.minutes);
        EXPECT_EQ(Schedule::Parse(schedule->Text()), schedule) << "reads back";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScheduleParseTest,
    ::testing::Values(ParseCase{"30m", true, "30m", 30}, ParseCase{"6h", true, "6h", 360},
                      ParseCase{"1d", true, "1d", 1440}, ParseCase{"90m", true, "90m", 90},
                      ParseCase{"120m", true, "2h", 120}, ParseCase{"48h", true, "2d", 2880},
                      ParseCase{"10m", true, "10m", 10}, ParseCase{"366d", true, "366d", 527040},
                      ParseCase{"daily 08:30", true, "daily 08:30", 1440},
                      ParseCase{"daily 00:00", true, "daily 00:00", 1440},
                      ParseCase{"daily 23:59", true, "daily 23:59", 1440},
                      // Too often, too rare, or not a duration at all.
                      ParseCase{"9m", false, "", 0}, ParseCase{"0h", false, "", 0},
                      ParseCase{"367d", false, "", 0}, ParseCase{"-1d", false, "", 0},
                      ParseCase{"+6h", false, "", 0}, ParseCase{"6", false, "", 0},
                      ParseCase{"h", false, "", 0}, ParseCase{"", false, "", 0},
                      ParseCase{"1w", false, "", 0}, ParseCase{"1.5h", false, "", 0},
                      ParseCase{"6H", false, "", 0}, ParseCase{" 6h", false, "", 0},
                      ParseCase{"99999999999d", false, "", 0},
                      ParseCase{"daily 24:00", false, "", 0}, ParseCase{"daily 9:30", false, "", 0},
                      ParseCase{"daily 09:60", false, "", 0}, ParseCase{"daily", false, "", 0},
                      ParseCase{"daily 0a:30", false, "", 0}));

TEST(ScheduleTest, NextRunFollowsTheLastStart) {
    const Schedule sixHours = *Schedule::Parse("6h");
    EXPECT_EQ(sixHours.NextAfter(At(2026, 3, 1, 9, 0, 20)).ToText(), "2026-03-01 15:00:20.000");
    EXPECT_EQ(sixHours.NextAfter(At(2026, 3, 1, 21, 0)).ToText(), "2026-03-02 03:00:00.000");

    const Schedule daily = Schedule::DailyAt(9, 30);
    struct {
        DateTime last;
        const char* next;
    } cases[] = {
        {At(2026, 3, 1, 8, 0), "2026-03-01 09:30:00.000"},     // before today's time
        {At(2026, 3, 1, 9, 30), "2026-03-02 09:30:00.000"},    // at it: tomorrow
        {At(2026, 3, 1, 9, 45), "2026-03-02 09:30:00.000"},    // a late start
        {At(2026, 1, 31, 23, 59), "2026-02-01 09:30:00.000"},  // month end
        {At(2028, 2, 28, 10, 0), "2028-02-29 09:30:00.000"},   // leap day
        {At(2026, 12, 31, 12, 0), "2027-01-01 09:30:00.000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(daily.NextAfter(c.last).ToText(), c.next) << c.last.ToText();
    }
}

TEST(ScheduleTest, AFailingWatchBacksOffToADayOrItsOwnLongerInterval) {
    const Schedule halfHour = *Schedule::Parse("30m");
    const Schedule week = *Schedule::Parse("7d");
    struct {
        int failures;
        const Schedule& schedule;
        long long minutes;
    } cases[] = {
        {1, halfHour, 10},   {2, halfHour, 20},   {3, halfHour, 40},      {4, halfHour, 80},
        {8, halfHour, 1280}, {9, halfHour, 1440}, {50, halfHour, 1440},   {1000000, halfHour, 1440},
        {1, week, 10},       {12, week, 10080},   {1000000, week, 10080},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureBackoff(c.failures, c.schedule).count(), c.minutes)
            << c.failures << " failures, " << c.schedule.Text();
    }
}

Watch MakeWatch(std::int64_t id, const char* schedule, std::optional<DateTime> lastStarted,
                int failures = 0) {
    Watch watch;
    watch.id = id;
    watch.nick = "shop" + std::to_string(id);
    watch.schedule = *Schedule::Parse(schedule);
    watch.created = At(2026, 3, 1, 0, 0);
    watch.lastStarted = lastStarted;
    watch.failures = failures;
    return watch;
}

TEST(DueWatchesTest, FirstRunAtOnceThenTheScheduleOrTheBackOff) {
    const DateTime now = At(2026, 3, 2, 12, 0);
    struct {
        Watch watch;
        bool due;
        const char* next;
    } cases[] = {
        {MakeWatch(1, "1d", std::nullopt), true, "2026-03-01 00:00:00.000"},
        {MakeWatch(2, "1d", At(2026, 3, 1, 12, 0)), true, "2026-03-02 12:00:00.000"},
        {MakeWatch(3, "1d", At(2026, 3, 1, 13, 0)), false, "2026-03-02 13:00:00.000"},
        // A timer that wakes a little early still runs a watch due in a minute or two.
        {MakeWatch(4, "1d", At(2026, 3, 1, 12, 1, 59)), true, "2026-03-02 12:01:59.000"},
        {MakeWatch(5, "1d", At(2026, 3, 1, 12, 2, 1)), false, "2026-03-02 12:02:01.000"},
        // Failed at 11:00 three times in a row: 40 minutes later, not a day.
        {MakeWatch(6, "1d", At(2026, 3, 2, 11, 0), 3), true, "2026-03-02 11:40:00.000"},
        // Failed just now: not every few minutes.
        {MakeWatch(7, "30m", At(2026, 3, 2, 11, 55), 1), false, "2026-03-02 12:05:00.000"},
        {MakeWatch(8, "daily 11:00", At(2026, 3, 1, 11, 0)), true, "2026-03-02 11:00:00.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.watch.id);
        EXPECT_EQ(NextDue(c.watch).ToText(), c.next);
        EXPECT_EQ(IsDue(c.watch, now), c.due);
    }
}

TEST(DueWatchesTest, PicksTheLongestOverdueFirstUpToTheLimit) {
    const DateTime now = At(2026, 3, 10, 12, 0);
    std::vector<Watch> watches = {
        MakeWatch(1, "1d", At(2026, 3, 9, 11, 0)),  // due 11:00
        MakeWatch(2, "1d", At(2026, 3, 9, 13, 0)),  // not due
        MakeWatch(3, "1d", At(2026, 3, 9, 9, 0)),   // due 09:00
        MakeWatch(4, "1d", std::nullopt),           // due since 1 March
        MakeWatch(5, "1d", At(2026, 3, 9, 11, 0)),  // due 11:00, after 1 in the list
    };
    EXPECT_EQ(PickDue(watches, now), (std::vector<std::size_t>{3, 2, 0, 4}));
    EXPECT_EQ(PickDue(watches, now, 2), (std::vector<std::size_t>{3, 2}));
    EXPECT_TRUE(PickDue(watches, At(2026, 2, 1, 0, 0)).empty());
    EXPECT_TRUE(PickDue({}, now).empty());
}

}  // namespace
}  // namespace tarnwick
