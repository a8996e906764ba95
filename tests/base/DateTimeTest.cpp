#include "base/DateTime.h"

#include <ctime>
#include <string>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using Parts = DateTime::Parts;

struct KnownDay {
    Parts parts;
    double days;
};

TEST(DateTime, CountsDaysFromTheZeroDay) {
    const KnownDay cases[] = {
        {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
        {{1900, 1, 1, 0, 0, 0, 0}, 2.0},
        {{1900, 3, 1, 0, 0, 0, 0}, 61.0},  // 1900 has no 29 February
        {{1970, 1, 1, 0, 0, 0, 0}, 25569.0},
        {{2000, 2, 29, 18, 0, 0, 0}, 36585.75},
        {{2012, 4, 5, 10, 20, 33, 0}, 41004.0 + 37233.0 / 86400.0},
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25},  // before the zero day the time still runs forwards
        {{1899, 12, 1, 12, 0, 0, 0}, -29.5},
        {{1, 1, 1, 0, 0, 0, 0}, -693593.0},
        {{9999, 12, 31, 0, 0, 0, 0}, 2958465.0},
    };
    for (const KnownDay& c : cases) {
        const DateTime value = DateTime::FromParts(c.parts);
        EXPECT_DOUBLE_EQ(value.Days(), c.days) << DateTime(c.days).ToText();
        EXPECT_TRUE(value.Split() == c.parts) << value.ToText();
    }
    EXPECT_EQ(DateTime().ToText(), "1899-12-30 00:00:00.000");
}

TEST(DateTime, TextRoundTripKeepsValueAndMilliseconds) {
    const char* texts[] = {
        "1899-12-30 00:00:00.000", "1899-12-30 23:59:59.999", "1899-12-29 06:00:00.001",
        "1900-01-01 00:00:00.000", "2000-02-29 23:59:59.999", "2012-04-05 10:20:33.123",
        "2038-01-19 03:14:08.500", "0001-01-01 00:00:00.000", "9999-12-31 23:59:59.999",
    };
    for (const char* text : texts) {
        const DateTime value = DateTime::FromText(text);
        EXPECT_EQ(value.ToText(), text);
        EXPECT_EQ(DateTime::FromText(value.ToText()).Days(), value.Days()) << text;
    }
}

TEST(DateTime, SplitRecoversEveryMillisecond) {
    // Truncating instead of rounding loses a millisecond for about half of these values.
    for (const int year : {1899, 1900, 2012, 2099}) {
        for (int ms = 0; ms < 86'400'000; ms += 9'973) {
            const Parts parts{
                year,           12,       year == 1899 ? 29 : 31, ms / 3'600'000, ms / 60'000 % 60,
                ms / 1000 % 60, ms % 1000};
            const DateTime value = DateTime::FromParts(parts);
            ASSERT_TRUE(value.Split() == parts) << value.ToText();
            ASSERT_EQ(DateTime(value.Days()).ToText(), value.ToText());
        }
    }
}

TEST(DateTime, AFractionJustBelowMidnightRoundsIntoTheNextDay) {
    EXPECT_EQ(DateTime(41004.0 - 1e-9).ToText(), "2012-04-05 00:00:00.000");
    EXPECT_EQ(DateTime(41004.0 - 1e-9).DayOfWeek(), 4);
    EXPECT_EQ(DateTime(-1.0 - (1.0 - 1e-9)).ToText(), "1899-12-28 00:00:00.000");
}

TEST(DateTime, RejectsPartsThatNameNoMoment) {
    const Parts invalid[] = {
        {2012, 0, 5, 0, 0, 0, 0},  {2012, 13, 5, 0, 0, 0, 0}, {2012, 4, 0, 0, 0, 0, 0},
        {2012, 4, 31, 0, 0, 0, 0}, {1900, 2, 29, 0, 0, 0, 0}, {2013, 2, 29, 0, 0, 0, 0},
        {2012, 1, 32, 0, 0, 0, 0}, {2012, 4, 5, 24, 0, 0, 0}, {2012, 4, 5, -1, 0, 0, 0},
        {2012, 4, 5, 0, 60, 0, 0}, {2012, 4, 5, 0, 0, 60, 0}, {2012, 4, 5, 0, 0, 0, 1000},
        {2012, 4, 5, 0, 0, 0, -1}, {0, 1, 1, 0, 0, 0, 0},     {10000, 1, 1, 0, 0, 0, 0},
    };
    for (const Parts& p : invalid) {
        EXPECT_THROW(DateTime::FromParts(p), InvalidDateTime)
            << p.year << "-" << p.month << "-" << p.day << " " << p.hour << ":" << p.minute << ":"
            << p.second << "." << p.millisecond;
    }
    EXPECT_NO_THROW(DateTime::FromParts({2000, 2, 29, 23, 59, 59, 999}));
    EXPECT_NO_THROW(DateTime::FromParts({2012, 2, 29, 0, 0, 0, 0}));
}

TEST(DateTime, FromTextAcceptsOnlyTheStoredForm) {
    const char* malformed[] = {
        "",
        "2012-04-05",
        "2012-04-05 10:20:33",
        "2012-04-05T10:20:33.000",
        "2012-4-05 10:20:33.000",
        " 2012-04-05 10:20:33.00",
        "2012-04-05 10:20:33.000 ",
        "2012-13-05 10:20:33.000",
        "2012-04-05 10:2x:33.000",
    };
    for (const char* text : malformed) {
        EXPECT_THROW(DateTime::FromText(text), InvalidDateTime) << "'" << text << "'";
    }
}

TEST(DateTime, OutOfRangeValuesThrowInsteadOfPrintingNonsense) {
    for (const double days : {3e6, -7e5, 1e300}) {
        EXPECT_THROW(DateTime(days).ToText(), InvalidDateTime) << days;
    }
    EXPECT_THROW(DateTime::FromParts({9999, 12, 31, 0, 0, 0, 0}).AddDays(1), InvalidDateTime);
}

TEST(DateTime, StartOfDayAndAddDaysKeepTheCalendarRight) {
    const DateTime t = DateTime::FromText("2012-02-28 17:45:12.345");
    EXPECT_EQ(t.StartOfDay().ToText(), "2012-02-28 00:00:00.000");
    EXPECT_EQ(t.AddDays(1).ToText(), "2012-02-29 17:45:12.345");
    EXPECT_EQ(t.AddDays(2).ToText(), "2012-03-01 17:45:12.345");
    EXPECT_EQ(t.AddDays(-59).ToText(), "2011-12-31 17:45:12.345");
    EXPECT_EQ(t.AddDays(366).ToText(), "2013-02-28 17:45:12.345");

    // Across the zero day, where the sign of the value flips but the time of day must not.
    const DateTime nearZero = DateTime::FromText("1899-12-31 06:00:00.000");
    EXPECT_EQ(nearZero.AddDays(-2).ToText(), "1899-12-29 06:00:00.000");
    EXPECT_DOUBLE_EQ(nearZero.AddDays(-2).Days(), -1.25);
    EXPECT_EQ(DateTime(-1.25).StartOfDay().ToText(), "1899-12-29 00:00:00.000");
    EXPECT_EQ(DateTime(-1.25).AddDays(3).ToText(), "1900-01-01 06:00:00.000");
}

TEST(DateTime, DayOfWeekStartsOnMonday) {
    const std::pair<const char*, int> cases[] = {
        {"1899-12-25 12:00:00.000", 1}, {"1899-12-30 00:00:00.000", 6},
        {"1899-12-31 23:59:59.999", 7}, {"2012-04-05 10:20:33.000", 4},
        {"2023-12-31 00:00:00.000", 7}, {"2024-01-01 00:00:00.000", 1},
        {"2024-02-29 08:00:00.000", 4},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(DateTime::FromText(text).DayOfWeek(), expected) << text;
    }
}

TEST(DateTime, NowIsTheLocalClock) {
    const auto local = [](std::time_t t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        return DateTime::FromParts({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                                    tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec, 0});
    };
    const DateTime before = local(std::time(nullptr));
    const DateTime now = DateTime::Now();
    const DateTime after = local(std::time(nullptr) + 1);
    EXPECT_LE(before, now);
    EXPECT_LT(now, after);
}

}  // namespace
}  // namespace tarnwick
