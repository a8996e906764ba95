// The watch tables in both stores: rows as written, leases that only one runner can hold, and
// stores made before the tables.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "store/Store.h"
#include "support/TempStore.h"

namespace tarnwick {
namespace {

using test::KindName;
using test::StoreKind;
using test::TempStore;

DateTime At(const char* text) {
    return DateTime::FromText(text);
}

WatchRow Watch(const std::string& nick) {
    WatchRow row;
    row.WWName = nick;
    row.Schedule = "6h";
    row.Threads = 3;
    row.MaxRate = 2.5;
    row.DelayMs = 150;
    row.PriceChange = 7.5;
    row.PriceUp = 0;
    row.SalesJump = 30;
    row.Created = At("2026-03-01 08:00:00.000");
    return row;
}

AlertRow Alert(std::int32_t watch, const char* kind, const char* time) {
    AlertRow row;
    row.AddTime = At(time);
    row.WatchID = watch;
    row.WWName = "小店";
    row.OlderSID = "20260301080000000";
    row.NewerSID = "20260302080000000";
    row.ItemID = "101";
    row.Title = "连衣裙 \"新款\"";
    row.Kind = kind;
    row.BeforeValue = "99.90";
    row.AfterValue = "89.91";
    row.Text = "降价 10.0% (99.90 → 89.91): 连衣裙";
    return row;
}

class WatchTablesTest : public testing::TestWithParam<StoreKind> {
protected:
    TempStore m_temp{GetParam()};
    Store m_store = m_temp.Open();
};

TEST_P(WatchTablesTest, WatchesComeBackAsWrittenAndSettingsAndRunsChangeApart) {
    ASSERT_TRUE(m_store.HasWatchTables());
    WatchRow first = Watch("小店");
    first.WatchID = m_store.AddWatch(first);
    WatchRow second = Watch("大店");
    second.WatchID = m_store.AddWatch(second);
    EXPECT_GT(second.WatchID, first.WatchID);
    EXPECT_EQ(m_store.ReadWatches(), (std::vector<WatchRow>{first, second}));
    EXPECT_THROW(m_store.AddWatch(Watch("小店")), DatabaseError) << "one watch per nick";

    // A runner recording its run and a user editing the rules at the same time touch
    // different columns, so neither undoes the other.
    WatchRow run = first;
    run.LastStarted = At("2026-03-02 08:00:00.000");
    run.LastFinished = At("2026-03-02 08:03:00.500");
    run.LastOutcome = "complete";
    run.LastSID = run.BaselineSID = "20260302080000000";
    run.Failures = 0;
    run.Schedule = "stale";
    m_store.RecordWatchRun(run);
    WatchRow edit = first;
    edit.Schedule = "daily 08:30";
    edit.PriceChange = 0;
    edit.LastOutcome = "stale";
    m_store.UpdateWatchSettings(edit);

    WatchRow expected = first;
    expected.LastStarted = run.LastStarted;
    expected.LastFinished = run.LastFinished;
    expected.LastOutcome = "complete";
    expected.LastSID = expected.BaselineSID = run.LastSID;
    expected.Schedule = "daily 08:30";
    expected.PriceChange = 0;
    EXPECT_EQ(m_store.ReadWatch(first.WatchID), expected);

    ASSERT_TRUE(m_store.ClaimWatch(first.WatchID, "a", At("2026-03-02 09:00:00.000"),
                                   At("2026-03-02 09:15:00.000")));
    EXPECT_TRUE(m_store.RemoveWatch(first.WatchID));
    EXPECT_FALSE(m_store.RemoveWatch(first.WatchID));
    EXPECT_FALSE(m_store.ReadWatch(first.WatchID).has_value());
    // The lease went with it: a watch added later under that number is free.
    EXPECT_TRUE(m_store.ClaimWatch(first.WatchID, "b", At("2026-03-02 09:01:00.000"),
                                   At("2026-03-02 09:16:00.000")));
}

TEST_P(WatchTablesTest, ALeaseIsHeldByOneHolderUntilItExpires) {
    const std::int32_t id = m_store.AddWatch(Watch("小店"));
    const DateTime nine = At("2026-03-02 09:00:00.000");
    const DateTime quarterPast = At("2026-03-02 09:15:00.000");
    struct Step {
        const char* what;
        std::function<bool()> act;
        bool expected;
    } steps[] = {
        {"a claims", [&] { return m_store.ClaimWatch(id, "a", nine, quarterPast); }, true},
        {"b cannot while a holds it",
         [&] { return m_store.ClaimWatch(id, "b", At("2026-03-02 09:14:59.999"), quarterPast); },
         false},
        {"a claims again", [&] { return m_store.ClaimWatch(id, "a", nine, quarterPast); }, true},
        {"b cannot renew a's", [&] { return m_store.RenewWatch(id, "b", quarterPast); }, false},
        {"a renews to 09:30",
         [&] { return m_store.RenewWatch(id, "a", At("2026-03-02 09:30:00.000")); }, true},
        {"b cannot at 09:15 any more",
         [&] { return m_store.ClaimWatch(id, "b", quarterPast, quarterPast); }, false},
        {"b releasing a's lease changes nothing",
         [&] {
             m_store.ReleaseWatch(id, "b");
             return m_store.ClaimWatch(id, "b", quarterPast, quarterPast);
         },
         false},
        {"b takes it the moment it expires",
         [&] {
             return m_store.ClaimWatch(id, "b", At("2026-03-02 09:30:00.000"),
                                       At("2026-03-02 09:45:00.000"));
         },
         true},
        {"a has lost it", [&] { return m_store.RenewWatch(id, "a", quarterPast); }, false},
        {"released, anyone may",
         [&] {
             m_store.ReleaseWatch(id, "b");
             return m_store.ClaimWatch(id, "c", nine, quarterPast);
         },
         true},
    };
    for (Step& step : steps) {
        EXPECT_EQ(step.act(), step.expected) << step.what;
    }
}

TEST_P(WatchTablesTest, OfManyRunnersClaimingAtOnceExactlyOneGetsTheWatch) {
    const std::int32_t id = m_store.AddWatch(Watch("小店"));
    constexpr int kRunners = 8;
    std::atomic<int> won{0};
    std::atomic<int> failed{0};
    {
        std::vector<std::jthread> runners;
        for (int r = 0; r < kRunners; ++r) {
            runners.emplace_back([&, r] {
                try {
                    Store own = m_temp.Open();
                    if (own.ClaimWatch(id, "runner" + std::to_string(r),
                                       At("2026-03-02 09:00:00.000"),
                                       At("2026-03-02 09:15:00.000"))) {
                        ++won;
                    }
                } catch (const std::exception&) {
                    ++failed;
                }
            });
        }
    }
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(won.load(), 1);
}

TEST_P(WatchTablesTest, AlertsAreNumberedFilteredMarkedReadAndKeepWhereTheyWent) {
    const std::int32_t a = m_store.AppendAlert(Alert(1, "price_down", "2026-03-02 08:00:00.000"));
    const std::int32_t b = m_store.AppendAlert(Alert(1, "new", "2026-03-03 08:00:00.000"));
    const std::int32_t c = m_store.AppendAlert(Alert(2, "watch_failed", "2026-03-04 08:00:00.000"));
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    std::vector<AlertRow> all = m_store.ReadAlerts({});
    ASSERT_EQ(all.size(), 3u);
    AlertRow expected = Alert(1, "price_down", "2026-03-02 08:00:00.000");
    expected.AlertID = a;
    EXPECT_EQ(all[0], expected);

    m_store.SetAlertDelivery(b, "webhook#1", "email#2: 535 login failed", true);
    AlertFilter pending;
    pending.pendingOnly = true;
    all = m_store.ReadAlerts(pending);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].AlertID, b);
    EXPECT_EQ(all[0].SentTo, "webhook#1");
    EXPECT_EQ(all[0].SendFailure, "email#2: 535 login failed");

    AlertFilter since;
    since.since = At("2026-03-03 08:00:00.000");
    EXPECT_EQ(m_store.ReadAlerts(since).size(), 2u) << "from the moment on, inclusive";

    EXPECT_EQ(m_store.MarkAlertsRead({a, 999}), 1);
    EXPECT_EQ(m_store.MarkAlertsRead({a}), 0) << "read already";
    AlertFilter unread;
    unread.unreadOnly = true;
    EXPECT_EQ(m_store.ReadAlerts(unread).size(), 2u);
    EXPECT_EQ(m_store.MarkAlertsRead({}), 2);
    EXPECT_TRUE(m_store.ReadAlerts(unread).empty());
}

TEST_P(WatchTablesTest, ChannelsKeepTheirSettings) {
    ChannelRow mail;
    mail.Kind = "email";
    mail.Address = "smtps://shop@smtp.example.com:465";
    mail.MailTo = "boss@example.com";
    mail.Password = "s3cret";
    mail.AddTime = At("2026-03-01 08:00:00.000");
    mail.ChannelID = m_store.AddChannel(mail);
    ChannelRow hook;
    hook.Kind = "webhook";
    hook.Address = "https://oapi.dingtalk.com/robot/send?access_token=t";
    hook.Style = "dingtalk";
    hook.ChannelID = m_store.AddChannel(hook);
    EXPECT_EQ(m_store.ReadChannels(), (std::vector<ChannelRow>{mail, hook}));
    EXPECT_TRUE(m_store.RemoveChannel(mail.ChannelID));
    EXPECT_FALSE(m_store.RemoveChannel(mail.ChannelID));
    EXPECT_EQ(m_store.ReadChannels(), (std::vector<ChannelRow>{hook}));
}

TEST_P(WatchTablesTest, AStoreMadeBeforeTheTablesKeepsWorkingAndGetsThemOnlyWhenAsked) {
    for (const char* table : {"Watches", "WatchLeases", "WatchAlerts", "NotifyChannels"}) {
        m_temp.Execute(std::string("drop table ") + table);
    }
    Store older = m_temp.Open();
    EXPECT_FALSE(older.HasWatchTables());
    ShopRow shop;
    shop.SID = "20260301080000000";
    shop.WWName = "小店";
    older.AppendShop(shop);
    EXPECT_EQ(older.ReadShops().size(), 1u);

    older.CreateWatchTables();
    EXPECT_TRUE(older.HasWatchTables());
    EXPECT_GT(older.AddWatch(Watch("小店")), 0);
    EXPECT_THROW(older.CreateWatchTables(), DatabaseError);
    EXPECT_EQ(older.ReadWatches().size(), 1u) << "a refused second call changes nothing";

    // Half there (a table dropped by hand) counts as not there, and adding refuses.
    m_temp.Execute("drop table NotifyChannels");
    Store half = m_temp.Open();
    EXPECT_FALSE(half.HasWatchTables());
    EXPECT_THROW(half.CreateWatchTables(), DatabaseError);
}

INSTANTIATE_TEST_SUITE_P(Stores, WatchTablesTest,
                         testing::Values(StoreKind::File, StoreKind::Server),
                         [](const testing::TestParamInfo<StoreKind>& info) {
                             return KindName(info.param);
                         });

}  // namespace
}  // namespace tarnwick
