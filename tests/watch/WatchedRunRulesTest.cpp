// What a watched run does to its watch: baselines, failures, and what is sent.
#include <gtest/gtest.h>

#include "watch/WatchedRunRules.h"

namespace tarnwick {
namespace {

WatchedRun RunOf(const char* sid, RunOutcome outcome) {
    WatchedRun run;
    run.sid = sid;
    run.outcome = outcome;
    run.started = DateTime::FromText("2026-03-02 09:00:00.000");
    run.finished = DateTime::FromText("2026-03-02 09:04:00.000");
    return run;
}

WatchedComparison OneCut() {
    WatchedItem item;
    item.itemId = "1";
    item.title = "连衣裙";
    item.listedBefore = item.listedAfter = true;
    item.before = WatchedItem::Figures{100.0, 5};
    item.after = WatchedItem::Figures{80.0, 5};
    return {true, true, {item}};
}

TEST(WatchedRunRulesTest, TheFirstCompleteRunIsTheBaselineAndSaysNothing) {
    Watch watch;
    watch.failures = 2;  // it failed before it ever completed
    watch.baselineSid.clear();
    const WatchedRunResult result =
        ConcludeWatchedRun(watch, RunOf("20260302090000000", RunOutcome::Complete), std::nullopt);
    EXPECT_TRUE(result.baseline);
    EXPECT_TRUE(result.alerts.empty());
    EXPECT_FALSE(result.notify);
    EXPECT_EQ(result.updated.baselineSid, "20260302090000000");
    EXPECT_EQ(result.updated.lastSid, "20260302090000000");
    EXPECT_EQ(result.updated.failures, 0);
    EXPECT_EQ(result.updated.lastOutcome, "complete");
    EXPECT_EQ(result.updated.lastStarted, DateTime::FromText("2026-03-02 09:00:00.000"));
}

TEST(WatchedRunRulesTest, ACompleteRunMovesTheBaselineAndSendsItsAlerts) {
    Watch watch;
    watch.baselineSid = "old";
    WatchedRunResult result =
        ConcludeWatchedRun(watch, RunOf("new", RunOutcome::Complete), OneCut());
    ASSERT_EQ(result.alerts.size(), 1u);
    EXPECT_EQ(result.alerts[0].kind, AlertKind::PriceDown);
    EXPECT_TRUE(result.notify);
    EXPECT_FALSE(result.baseline);
    EXPECT_EQ(result.updated.baselineSid, "new");

    // The watch's own rules decide: with price alerts off the same change says nothing.
    watch.rules.priceChangePercent = 0;
    result = ConcludeWatchedRun(watch, RunOf("new", RunOutcome::Complete), OneCut());
    EXPECT_TRUE(result.alerts.empty());
    EXPECT_FALSE(result.notify);
}

TEST(WatchedRunRulesTest, ARunThatDidNotCompleteFailsTheWatchAndKeepsTheBaseline) {
    struct {
        RunOutcome outcome;
        const char* reason;
    } cases[] = {
        {RunOutcome::Stopped, "监控失败: 已停止 (stopped)"},
        {RunOutcome::Blocked, "监控失败: 被拦截 (blocked)"},
        {RunOutcome::ShopNotFound, "监控失败: 找不到店铺 (shop not found)"},
        {RunOutcome::MarketUnreachable, "监控失败: 无法连接 (marketplace unreachable)"},
        {RunOutcome::StoreFailed, "监控失败: 数据库写入失败 (store failed)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        Watch watch;
        watch.baselineSid = "old";
        // Even with a comparison at hand (its removals would be items the run never reached).
        WatchedRunResult result = ConcludeWatchedRun(watch, RunOf("new", c.outcome), OneCut());
        ASSERT_EQ(result.alerts.size(), 1u);
        EXPECT_EQ(result.alerts[0].kind, AlertKind::WatchFailed);
        EXPECT_EQ(result.alerts[0].text, c.reason);
        EXPECT_EQ(result.updated.baselineSid, "old");
        EXPECT_EQ(result.updated.lastSid, "new");
        EXPECT_EQ(result.updated.failures, 1);
        EXPECT_TRUE(result.notify) << "the first failure is sent";

        result = ConcludeWatchedRun(result.updated, RunOf("newer", c.outcome), std::nullopt);
        EXPECT_EQ(result.updated.failures, 2);
        EXPECT_EQ(result.alerts.size(), 1u) << "stored for the list";
        EXPECT_FALSE(result.notify) << "but a streak is sent once";

        result = ConcludeWatchedRun(result.updated, RunOf("ok", RunOutcome::Complete), OneCut());
        EXPECT_EQ(result.updated.failures, 0);
        EXPECT_EQ(result.updated.baselineSid, "ok");
    }

    WatchedRun refused = RunOf("", RunOutcome::MarketUnreachable);
    refused.failure = "掌柜名含有无法发送的字符";
    const WatchedRunResult result = ConcludeWatchedRun(Watch{}, refused, std::nullopt);
    EXPECT_EQ(result.alerts.at(0).text, "监控失败: 掌柜名含有无法发送的字符");
    EXPECT_EQ(result.updated.lastOutcome, "failed");
}

}  // namespace
}  // namespace tarnwick
