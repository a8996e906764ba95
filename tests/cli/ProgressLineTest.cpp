#include "ProgressLine.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

using cli::ProgressLine;
using std::chrono::milliseconds;
using std::chrono::seconds;

ProgressLine::Sample At(milliseconds time, int queued, int done, int rows, int requests,
                        bool listed) {
    return {ProgressLine::Clock::time_point(time), queued, done, rows, requests, listed};
}

TEST(ProgressLineTest, CountsFirstThenRateThenTimeLeftOnceTheListingIsComplete) {
    ProgressLine line;
    // Under a second of history there is no rate to speak of.
    EXPECT_EQ(line.Update(At(milliseconds(0), 20, 0, 0, 0, false)),
              "已完成 0/20 个宝贝 | 已存 0 行");
    EXPECT_EQ(line.Update(At(milliseconds(500), 40, 1, 7, 9, false)),
              "已完成 1/40 个宝贝 | 已存 7 行");
    // 30 requests in 2 s; the listing still runs, so no estimate.
    EXPECT_EQ(line.Update(At(milliseconds(2000), 60, 4, 50, 30, false)),
              "已完成 4/60 个宝贝 | 已存 50 行 | 15.0 次请求/秒");
    // Listed: 60 items, 10 done in 4 s: 50 left at 2.5 items a second.
    EXPECT_EQ(line.Update(At(milliseconds(4000), 60, 10, 120, 64, true)),
              "已完成 10/60 个宝贝 | 已存 120 行 | 16.0 次请求/秒 | 预计剩余 0:20");
    // Done: nothing left to estimate.
    EXPECT_EQ(line.Update(At(milliseconds(5000), 60, 60, 400, 200, true)),
              "已完成 60/60 个宝贝 | 已存 400 行 | 40.0 次请求/秒");
}

TEST(ProgressLineTest, RatesFollowTheRecentPaceNotTheWholeRun) {
    ProgressLine line;
    // A fast first minute, then a marketplace that slows to one request and item a second.
    line.Update(At(milliseconds(0), 1000, 0, 0, 0, true));
    line.Update(At(milliseconds(60000), 1000, 600, 0, 6000, true));
    std::string text;
    for (int s = 61; s <= 80; ++s) {
        text = line.Update(At(seconds(s), 1000, 600 + (s - 60), 0, 6000 + (s - 60), true));
    }
    // 380 items left at one a second, not at the run's average of about 7.7.
    EXPECT_EQ(text, "已完成 620/1000 个宝贝 | 已存 0 行 | 1.0 次请求/秒 | 预计剩余 6:20");
}

TEST(ProgressLineTest, NoEstimateWhileNothingCompletes) {
    ProgressLine line;
    line.Update(At(milliseconds(0), 10, 2, 0, 0, true));
    EXPECT_EQ(line.Update(At(milliseconds(3000), 10, 2, 0, 6, true)),
              "已完成 2/10 个宝贝 | 已存 0 行 | 2.0 次请求/秒");
}

TEST(ProgressLineTest, Durations) {
    EXPECT_EQ(ProgressLine::Duration(seconds(0)), "0:00");
    EXPECT_EQ(ProgressLine::Duration(seconds(42)), "0:42");
    EXPECT_EQ(ProgressLine::Duration(seconds(725)), "12:05");
    EXPECT_EQ(ProgressLine::Duration(seconds(3723)), "1:02:03");
    EXPECT_EQ(ProgressLine::Duration(seconds(-5)), "0:00");
}

}  // namespace
}  // namespace tarnwick::test
