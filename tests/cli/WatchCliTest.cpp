// Watching through the command line: real runs against marketsim on loopback, a real database
// file, and the runners as processes of their own.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "CliSupport.h"
#include "Market.h"
#include "ShopDays.h"
#include "store/Store.h"
#include "support/HttpTestListener.h"
#include "support/MarketFixture.h"
#include "support/SmtpTestServer.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

using Pair = std::pair<std::string, std::string>;  // kind, ItemID

long Fen(const std::string& price) {
    return std::lround(std::stod(price) * 100.0);
}

class WatchCliTest : public ::testing::Test {
protected:
    void SetUp() override { market.Sim().SetClock(std::time(nullptr)); }

    std::string Db() const { return db.Path(); }
    std::string Clock() const { return market.Base() + "/_sim/clock"; }
    CliResult Watch(std::vector<std::string> args) {
        args.insert(args.begin(), "watch");
        args.push_back("--db");
        args.push_back(Db());
        return RunCli(args);
    }
    CliResult RunWatches(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"run", "--market", market.Base(), "--clock", Clock()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Watch(args);
    }
    nlohmann::json Alerts(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"alerts", "--format", "json", "--db", Db()};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.code, 0) << result.err;
        return nlohmann::json::parse(result.out);
    }
    std::set<Pair> Kinds(const nlohmann::json& alerts) {
        std::set<Pair> kinds;
        for (const auto& alert : alerts) {
            kinds.emplace(alert["kind"], alert["ItemID"].is_null() ? "" : alert["ItemID"]);
        }
        return kinds;
    }
    // The runs stored for a nick.
    int RunsOf(const std::string& nick) {
        Store store = Store::Open(StoreSource::Parse(Db()));
        int runs = 0;
        for (const ShopRow& shop : store.ReadShops()) {
            runs += shop.WWName == nick ? 1 : 0;
        }
        return runs;
    }
    void NextDay() { market.Sim().AdvanceClock(std::chrono::hours(24) + std::chrono::minutes(1)); }

    TempDatabase db;
    MarketFixture market;
};

// What the rules must give between two days of the demo shop, read off marketsim's own shops.
std::set<Pair> ExpectedAlerts(const marketsim::Shop& before, const marketsim::Shop& after,
                              double percent) {
    std::map<std::string, const marketsim::Item*> old;
    for (const marketsim::Item& item : before.items) {
        old[item.id] = &item;
    }
    std::set<std::string> now;
    std::set<Pair> expected;
    for (const marketsim::Item& item : after.items) {
        now.insert(item.id);
        auto found = old.find(item.id);
        if (found == old.end()) {
            expected.emplace("new", item.id);
            continue;
        }
        const long from = Fen(found->second->price);
        const long to = Fen(item.price);
        if (std::labs(to - from) * 100.0 >= percent * static_cast<double>(from)) {
            expected.emplace(to < from ? "price_down" : "price_up", item.id);
        }
        if (found->second->stock > 0 && item.stock == 0) {
            expected.emplace("stock_out", item.id);
        }
        if (found->second->stock == 0 && item.stock > 0) {
            expected.emplace("restock", item.id);
        }
    }
    for (const marketsim::Item& item : before.items) {
        if (now.count(item.id) == 0) {
            expected.emplace("removed", item.id);
        }
    }
    return expected;
}

TEST_F(WatchCliTest, AWatchOverTwoMarketDaysGivesExactlyTheExpectedAlerts) {
    const marketsim::Shop day2 = market.ServeDemoShop(2);
    HttpTestListener hook;
    ASSERT_EQ(RunCli({"notify", "add", "webhook", hook.Url("/hook?key=secret"), "--db", Db()}).code,
              0);
    ASSERT_EQ(Watch({"add", day2.nick, "--price-change", "15", "--sales-jump", "0"}).code, 0);

    CliResult first = RunWatches();
    ASSERT_EQ(first.code, 0) << first.out << first.err;
    EXPECT_TRUE(Has(first.out, "首次分析完成")) << first.out;
    EXPECT_TRUE(Alerts().empty()) << "the first run is the baseline";
    EXPECT_TRUE(hook.Requests().empty());

    // Not due an hour later.
    market.Sim().AdvanceClock(std::chrono::hours(1));
    CliResult early = RunWatches();
    EXPECT_EQ(early.code, 0);
    EXPECT_TRUE(Has(early.out, "到期 0, 已分析 0")) << early.out;
    EXPECT_EQ(RunsOf(day2.nick), 1);

    const marketsim::Shop day3 = market.ServeDemoShop(3);
    NextDay();
    CliResult second = RunWatches();
    ASSERT_EQ(second.code, 0) << second.out << second.err;
    EXPECT_EQ(RunsOf(day2.nick), 2);

    const std::set<Pair> expected = ExpectedAlerts(day2, day3, 15);
    std::set<std::string> kinds;
    for (const auto& [kind, id] : expected) {
        kinds.insert(kind);
    }
    // Every kind the test is about is there to be found, and so are price moves below the
    // threshold (the day's cuts of a tenth) that must raise nothing.
    for (const char* kind : {"new", "removed", "price_up", "stock_out", "restock"}) {
        EXPECT_EQ(kinds.count(kind), 1u) << kind;
    }
    const std::set<Pair> atOnePercent = ExpectedAlerts(day2, day3, 1);
    EXPECT_GE(atOnePercent.size(), expected.size() + 2);
    const nlohmann::json alerts = Alerts();
    EXPECT_EQ(Kinds(alerts), expected);
    EXPECT_EQ(alerts.size(), expected.size()) << "no alert twice";

    for (const auto& alert : alerts) {
        EXPECT_EQ(alert["WWName"], day2.nick);
        EXPECT_FALSE(alert["text"].get<std::string>().empty());
        EXPECT_EQ(alert["read"], 0);
        EXPECT_EQ(alert["SentTo"], "webhook#1");
        if (alert["kind"] == "price_up") {
            EXPECT_GT(std::stod(alert["after"].get<std::string>()),
                      std::stod(alert["before"].get<std::string>()));
        }
    }
    // One notice for the run, carrying the alerts.
    const auto requests = hook.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto body = nlohmann::json::parse(requests[0].body);
    EXPECT_EQ(body["alerts"].size() + body["more"].get<std::size_t>(), expected.size());
    EXPECT_TRUE(Has(body["title"], day2.nick));

    // Read, then no longer unread.
    EXPECT_EQ(RunCli({"alerts", "ack", "--db", Db()}).code, 0);
    EXPECT_TRUE(Alerts({"--unread"}).empty());
    EXPECT_EQ(Alerts().size(), expected.size());
}

TEST_F(WatchCliTest, ABlockedOrStoppedWatchedRunFailsTheWatchAndRemovesNothing) {
    marketsim::Shop shop = market.ServeDemoShop(2);
    ASSERT_EQ(Watch({"add", shop.nick}).code, 0);
    ASSERT_EQ(RunWatches().code, 0);

    // The next day the marketplace shuts us out a few pages into the shop.
    marketsim::Shop blocked = marketsim::DemoShopOnDay(1, 3);
    blocked.blockMode = marketsim::Shop::BlockMode::LoginRedirect;
    blocked.blockAfter = 30;
    market.Sim().AddShop(blocked);
    NextDay();
    CliResult run = RunWatches();
    EXPECT_EQ(run.code, 9) << run.out << run.err;
    nlohmann::json alerts = Alerts();
    ASSERT_EQ(alerts.size(), 1u) << alerts.dump();
    EXPECT_EQ(alerts[0]["kind"], "watch_failed");
    EXPECT_TRUE(Has(alerts[0]["text"], "监控失败: 被拦截")) << alerts[0]["text"];

    // Then stopped by Ctrl-C while its item pages are held: failed too, nothing removed.
    market.ServeDemoShop(3);
    marketsim::Fault hold;
    hold.match = "/item.htm";
    hold.hold = true;
    market.Sim().AddFault(hold);
    market.Sim().AdvanceClock(std::chrono::hours(1));  // past the first failure's back-off
    CliProcess runner(
        {"watch", "run", "--market", market.Base(), "--clock", Clock(), "--db", Db()});
    ASSERT_TRUE(market.Sim().WaitForHeld(1));
    runner.Interrupt();
    // The held pages are let go only once the stop has reached the run.
    for (int i = 0; i < 200 && !Has(runner.Out(), "正在停止监控"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    market.Sim().ClearFaults();
    market.Sim().ReleaseHolds();
    EXPECT_EQ(runner.Wait(), 9) << runner.Out() << runner.Err();
    alerts = Alerts();
    ASSERT_EQ(alerts.size(), 2u) << alerts.dump();
    EXPECT_EQ(alerts[1]["kind"], "watch_failed");
    EXPECT_TRUE(Has(alerts[1]["text"], "已停止")) << alerts[1]["text"];

    // The watch still compares with its last complete run: the next complete day is judged
    // against day 2, and its removals are real ones.
    market.Sim().AdvanceClock(std::chrono::hours(2));
    ASSERT_EQ(RunWatches().code, 0);
    alerts = Alerts();
    std::set<Pair> fresh;
    for (std::size_t i = 2; i < alerts.size(); ++i) {
        fresh.emplace(alerts[i]["kind"], alerts[i]["ItemID"]);
    }
    const std::set<Pair> expected = ExpectedAlerts(shop, marketsim::DemoShopOnDay(1, 3), 10);
    std::set<Pair> withoutSales;
    for (const Pair& alert : fresh) {
        if (alert.first != "sales_jump") {
            withoutSales.insert(alert);
        }
    }
    EXPECT_EQ(withoutSales, expected);
}

TEST_F(WatchCliTest, TwoRunnersStartedTogetherAnalyseEachDueWatchOnce) {
    std::vector<std::string> nicks;
    for (int i = 0; i < 3; ++i) {
        marketsim::Shop shop = marketsim::LoadShop("并发小店" + std::to_string(i), 12, 1, 1);
        shop.key = "load" + std::to_string(i);
        for (marketsim::Item& item : shop.items) {
            item.id = std::to_string(i) + item.id;
        }
        nicks.push_back(shop.nick);
        market.Sim().AddShop(shop);
        ASSERT_EQ(Watch({"add", shop.nick}).code, 0);
    }
    market.Sim().SetLatency(20);  // long enough for the two runners to overlap
    const std::vector<std::string> args = {"watch",   "run",   "--market", market.Base(),
                                           "--clock", Clock(), "--db",     Db()};
    CliProcess one(args);
    CliProcess two(args);
    EXPECT_EQ(one.Wait(), 0) << one.Out() << one.Err();
    EXPECT_EQ(two.Wait(), 0) << two.Out() << two.Err();
    for (const std::string& nick : nicks) {
        EXPECT_EQ(RunsOf(nick), 1) << nick;
    }
    const std::string both = one.Out() + two.Out();
    int analysed = 0;
    for (std::size_t at = both.find("开始分析"); at != std::string::npos;
         at = both.find("开始分析", at + 1)) {
        ++analysed;
    }
    EXPECT_EQ(analysed, 3) << both;
    // They ran side by side, each taking what the other had not claimed.
    EXPECT_TRUE(Has(one.Out(), "开始分析")) << one.Out();
    EXPECT_TRUE(Has(two.Out(), "开始分析")) << two.Out();
}

TEST_F(WatchCliTest, ARunnerKilledMidRunLeavesItsWatchClaimableAfterTheLease) {
    const marketsim::Shop shop = market.ServeDemoShop(1);
    ASSERT_EQ(Watch({"add", shop.nick}).code, 0);
    marketsim::Fault hold;
    hold.match = "/item.htm";
    hold.hold = true;
    market.Sim().AddFault(hold);
    CliProcess killed(
        {"watch", "run", "--market", market.Base(), "--clock", Clock(), "--db", Db()});
    ASSERT_TRUE(market.Sim().WaitForHeld(1));
    killed.Kill();
    EXPECT_EQ(killed.Wait(), 128 + SIGKILL);
    market.Sim().ClearFaults();
    market.Sim().ReleaseHolds();

    // Its lease still holds: another runner leaves the watch alone.
    CliResult busy = RunWatches();
    EXPECT_EQ(busy.code, 0) << busy.out << busy.err;
    EXPECT_TRUE(Has(busy.out, "另一个监控进程正在分析")) << busy.out;
    EXPECT_TRUE(Has(busy.out, "已分析 0")) << busy.out;

    // Once the lease has run out, the watch is claimed and analysed.
    market.Sim().AdvanceClock(std::chrono::minutes(16));
    CliResult freed = RunWatches();
    EXPECT_EQ(freed.code, 0) << freed.out << freed.err;
    EXPECT_TRUE(Has(freed.out, "已分析 1")) << freed.out;
    EXPECT_TRUE(Has(freed.out, "首次分析完成")) << freed.out;
}

TEST_F(WatchCliTest, ChannelsAreAddedWithoutShowingSecretsAndTestedForReal) {
    SmtpTestServer mail;
    mail.RequireLogin("shop", "s3cret");
    const std::string server = "smtp://shop@127.0.0.1:" + std::to_string(mail.Port());
    ShellResult added =
        Shell("printf 's3cret\\n' | " + ShellQuoted(TARNWICK_CLI) + " notify add email " +
              ShellQuoted(server) + " --to boss@example.com --plain --password-stdin --db " +
              ShellQuoted(Db()));
    ASSERT_EQ(added.code, 0) << added.out;
    HttpTestListener hook;
    ASSERT_EQ(RunCli({"notify", "add", "webhook", hook.Url("/send?key=k3y"), "--style", "wecom",
                      "--db", Db()})
                  .code,
              0);
    CliResult list = RunCli({"notify", "list", "--format", "csv", "--db", Db()});
    EXPECT_EQ(list.code, 0);
    EXPECT_FALSE(Has(list.out, "s3cret")) << list.out;
    EXPECT_FALSE(Has(list.out, "k3y")) << list.out;
    EXPECT_TRUE(Has(list.out, "key=***")) << list.out;

    CliResult test = RunCli({"notify", "test", "--db", Db()});
    EXPECT_EQ(test.code, 0) << test.out << test.err;
    ASSERT_EQ(mail.Mails().size(), 1u);
    EXPECT_EQ(mail.Mails()[0].password, "s3cret");
    EXPECT_EQ(mail.Mails()[0].to, (std::vector<std::string>{"boss@example.com"}));
    ASSERT_EQ(hook.Requests().size(), 1u);
    EXPECT_TRUE(Has(nlohmann::json::parse(hook.Requests()[0].body)["text"]["content"], "测试"));

    // A robot that refuses: the test says so, with its reason and without the key.
    hook.QueueAnswer(200, R"({"errcode":93000,"errmsg":"invalid webhook url"})");
    test = RunCli({"notify", "test", "2", "--db", Db()});
    EXPECT_EQ(test.code, 10);
    EXPECT_TRUE(Has(test.out, "errcode 93000")) << test.out;
    EXPECT_FALSE(Has(test.out + test.err, "k3y"));

    EXPECT_EQ(RunCli({"notify", "remove", "2", "--db", Db()}).code, 0);
    EXPECT_EQ(RunCli({"notify", "remove", "2", "--db", Db()}).code, 1);
}

TEST_F(WatchCliTest, WatchCommandsRefuseWhatIsNotAWatch) {
    struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"add", "店", "--every", "5m"}, 2, "--every"},
        {{"add", "店", "--every", "1w"}, 2, "--every"},
        {{"add", "店", "--at", "25:00"}, 2, "--at"},
        {{"add", "店", "--every", "1d", "--at", "08:00"}, 2, "excludes"},
        {{"add", "店", "--price-change", "-3"}, 2, "--price-change"},
        {{"add", "   "}, 2, "请先输入"},
        {{"remove", "没有的店"}, 1, "没有监控"},
        {{"edit", "没有的店", "--every", "6h"}, 1, "没有监控"},
        {{"frobnicate"}, 2, ""},
    };
    for (const auto& c : cases) {
        const CliResult result = Watch(c.args);
        EXPECT_EQ(result.code, c.code) << c.args[0] << " " << result.err;
        EXPECT_TRUE(Has(result.err, c.says)) << result.err;
    }
    ASSERT_EQ(Watch({"add", "店"}).code, 0);
    EXPECT_EQ(Watch({"add", "店"}).code, 1) << "watched once";
    ASSERT_EQ(Watch({"edit", "店", "--at", "08:30", "--no-removed"}).code, 0);
    CliResult list = RunCli({"watch", "list", "--format", "json", "--db", Db()});
    const auto watches = nlohmann::json::parse(list.out);
    ASSERT_EQ(watches.size(), 1u);
    EXPECT_EQ(watches[0]["Schedule"], "daily 08:30");
    EXPECT_FALSE(Has(watches[0]["Rules"], "下架"));
    EXPECT_EQ(Watch({"remove", "店"}).code, 0);
}

}  // namespace
}  // namespace tarnwick::test
