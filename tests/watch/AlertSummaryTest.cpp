// One message per watched run: what it shows first, and how it stays within its length.
#include <gtest/gtest.h>

#include "watch/AlertSummary.h"

namespace tarnwick {
namespace {

Alert MakeAlert(AlertKind kind, std::string id, std::string text) {
    Alert alert;
    alert.kind = kind;
    alert.itemId = std::move(id);
    alert.text = std::move(text);
    return alert;
}

TEST(AlertSummaryTest, NothingToSayGivesNoMessage) {
    const Notification notice = SummariseAlerts("店主", {});
    EXPECT_TRUE(notice.title.empty());
    EXPECT_TRUE(notice.lines.empty());
}

TEST(AlertSummaryTest, ShowsThePressingKindsFirstInTheirOwnOrder) {
    const std::vector<Alert> alerts = {
        MakeAlert(AlertKind::Removed, "1", "已下架: a"),
        MakeAlert(AlertKind::New, "2", "新上架: b"),
        MakeAlert(AlertKind::PriceDown, "3", "降价: c"),
        MakeAlert(AlertKind::New, "4", "新上架: d"),
        MakeAlert(AlertKind::StockOut, "5", "售罄: e"),
    };
    const Notification notice = SummariseAlerts("店主", alerts);
    EXPECT_EQ(notice.title, "监控 店主: 5 条提醒");
    EXPECT_EQ(notice.lines, (std::vector<std::string>{"降价: c", "售罄: e", "新上架: b",
                                                      "新上架: d", "已下架: a"}));
    ASSERT_EQ(notice.entries.size(), 5u);
    EXPECT_EQ(notice.entries[0].kind, "price_down");
    EXPECT_EQ(notice.entries[0].itemId, "3");
    EXPECT_EQ(notice.entries[0].shop, "店主");
    EXPECT_EQ(notice.omitted, 0u);
    EXPECT_EQ(notice.Text(),
              "监控 店主: 5 条提醒\n\n降价: c\n售罄: e\n新上架: b\n新上架: d\n已下架: a\n");
}

TEST(AlertSummaryTest, AFailedRunSaysSoInItsTitle) {
    const Notification notice = SummariseAlerts("店主", {WatchFailedAlert("被拦截 (blocked)")});
    EXPECT_EQ(notice.title, "监控 店主: 监控失败");
    EXPECT_EQ(notice.lines, (std::vector<std::string>{"监控失败: 被拦截 (blocked)"}));
}

TEST(AlertSummaryTest, ManyAlertsStopWithinTheLengthAndCountTheRest) {
    std::vector<Alert> alerts;
    for (int i = 0; i < 300; ++i) {
        alerts.push_back(MakeAlert(AlertKind::New, std::to_string(i),
                                   "新上架 (59.00): 第" + std::to_string(i) + "号连衣裙"));
    }
    for (std::size_t budget : {std::size_t{200}, std::size_t{1500}, std::size_t{20000}}) {
        SCOPED_TRACE(budget);
        const Notification notice = SummariseAlerts("店主", alerts, budget);
        EXPECT_LE(notice.Text().size(), budget);
        const std::size_t shown = notice.entries.size();
        EXPECT_EQ(shown + notice.omitted, alerts.size());
        if (notice.omitted == 0) {
            EXPECT_EQ(notice.lines.size(), shown);
            continue;
        }
        EXPECT_GT(shown, 0u);
        ASSERT_EQ(notice.lines.size(), shown + 1);
        EXPECT_EQ(notice.lines.back(), "…另有 " + std::to_string(notice.omitted) +
                                           " 条提醒 (tarnwick-cli alerts 查看全部)");
        // Each shown line is an alert in its order: none is skipped to fit a later, shorter one.
        for (std::size_t i = 0; i < shown; ++i) {
            EXPECT_EQ(notice.entries[i].itemId, std::to_string(i));
        }
    }
    EXPECT_EQ(SummariseAlerts("店主", alerts, 20000).omitted, 0u);
}

}  // namespace
}  // namespace tarnwick
