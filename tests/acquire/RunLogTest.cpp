#include "acquire/RunLog.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

const DateTime kAt = DateTime::FromParts({2026, 12, 9, 7, 5, 3, 999});

TEST(RunLogTest, LinesCarryTheTimeOfDay) {
    EXPECT_EQ(RunLog::FormatLine("开始读 x 的数据...", kAt), "07:05:03 开始读 x 的数据...");
    EXPECT_EQ(RunLog::FormatLine(" \t\r\n", kAt), "");
    EXPECT_EQ(RunLog::FormatLine("  kept as is ", kAt), "07:05:03   kept as is ");
    DateTime evening = DateTime::FromParts({2026, 12, 9, 23, 59, 59, 0});
    EXPECT_EQ(RunLog::FormatLine("x", evening), "23:59:59 x");
}

TEST(RunLogTest, EmptiesItselfAtThreeThousandLines) {
    RunLog log;
    for (int i = 0; i < 2999; ++i) {
        log.Add("line", kAt);
    }
    bool emptied = true;
    log.Add("the 3000th", kAt, &emptied);
    EXPECT_FALSE(emptied);
    EXPECT_EQ(log.Lines().size(), 3000u);
    log.Add("after", kAt, &emptied);
    EXPECT_TRUE(emptied);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "07:05:03 after");
}

}  // namespace
}  // namespace tarnwick
