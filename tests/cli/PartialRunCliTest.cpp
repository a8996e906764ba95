// Runs that did not read the whole shop, through the command line: what analyse says and
// exits with, what shops lists, and what compare and history make of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "MarketSim.h"
#include "store/Store.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

using nlohmann::json;

marketsim::Shop PlainShop(const std::string& nick, const std::string& key, int items, int idBase) {
    marketsim::Shop shop;
    shop.nick = nick;
    shop.key = key;
    shop.ownerId = "880" + key;
    for (int i = 0; i < items; ++i) {
        marketsim::Item item;
        item.id = std::to_string(idBase + i);
        item.title = "宝贝" + item.id;
        item.price = "100.00";
        item.soldCount = 10 + i;
        item.stock = 50;
        shop.items.push_back(item);
    }
    return shop;
}

CliResult Analyse(const TempDatabase& db, const MarketFixture& market, const std::string& nick,
                  std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"analyse", "--db", db.Path(), "--market", market.Base()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("--");
    args.push_back(nick);
    return RunCli(args);
}

json Shops(const TempDatabase& db) {
    return json::parse(RunCli({"shops", "--db", db.Path(), "--format", "json"}).out);
}

// The runs as shops lists them, oldest first.
std::vector<json> Runs(const TempDatabase& db) {
    json shops = Shops(db);
    std::vector<json> runs(shops.begin(), shops.end());
    std::reverse(runs.begin(), runs.end());
    return runs;
}

json Compare(const TempDatabase& db, const std::string& older, const std::string& newer,
             std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"compare", older,      newer, "--db",
                                     db.Path(), "--format", "json"};
    args.insert(args.end(), extra.begin(), extra.end());
    return json::parse(RunCli(args).out);
}

int CountStatus(const json& rows, const std::string& status) {
    return static_cast<int>(std::count_if(
        rows.begin(), rows.end(), [&](const json& row) { return row["status"] == status; }));
}

// 1: a run stopped after 15 of 45 items says so, and a comparison with a complete run calls
// the 30 it never read neither removed nor changed.
TEST(PartialRunCliTest, AStoppedRunIsMarkedAndItsUnreadItemsAreNeverRemoved) {
    TempDatabase db;
    MarketFixture market;
    const marketsim::Shop shop = PlainShop("半途小店", "halfway", 45, 3000);
    market.Sim().AddShop(shop);
    ASSERT_EQ(Analyse(db, market, shop.nick, {"--threads", "1"}).code, 0);

    market.Sim().AddFault(marketsim::Fault{.match = "/item.htm?id=3014", .hold = true});
    CliProcess stopped(
        {"analyse", "--db", db.Path(), "--market", market.Base(), "--threads", "1", shop.nick});
    ASSERT_TRUE(market.Sim().WaitForHeld(1));
    stopped.Interrupt();
    for (int i = 0; i < 1000 && !Has(stopped.Out(), "正在终止程序"); ++i) {
        usleep(10000);
    }
    market.Sim().ClearFaults();
    market.Sim().ReleaseHolds();
    EXPECT_EQ(stopped.Wait(), 5) << stopped.Err();
    EXPECT_TRUE(Has(stopped.Out(), "读取: 15 / 45 个宝贝, 未读取 30 个: 3015 3016"))
        << stopped.Out();
    EXPECT_TRUE(Has(stopped.Out(), "运行状况: 数据不全 (degraded)")) << stopped.Out();

    const std::vector<json> runs = Runs(db);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]["Outcome"], "complete");
    EXPECT_EQ(runs[1]["Outcome"], "stopped");
    EXPECT_EQ(runs[1]["ItemsRead"], 15);
    EXPECT_EQ(runs[1]["ItemsQueued"], 45);
    EXPECT_EQ(runs[1]["Verdict"], "degraded");
    const std::string full = runs[0]["SID"];
    const std::string partial = runs[1]["SID"];

    // Both directions: the unread items are neither removed nor new, and count in no total.
    for (const auto& [older, newer] : {std::pair{full, partial}, std::pair{partial, full}}) {
        SCOPED_TRACE(older + " -> " + newer);
        const json rows = Compare(db, older, newer);
        EXPECT_EQ(CountStatus(rows, "已下架"), 0);
        EXPECT_EQ(CountStatus(rows, "新上架"), 0);
        EXPECT_EQ(CountStatus(rows, "未读取"), 30);
        EXPECT_EQ(CountStatus(rows, "无变化"), 15);
        EXPECT_EQ(Compare(db, older, newer, {"--changed-only"}).size(), 0u);

        const CliResult table = RunCli({"compare", older, newer, "--db", db.Path()});
        EXPECT_TRUE(Has(table.out, "新上架 0, 已下架 0, 有变化 0, 无变化 15, 未读取 30"))
            << table.out;
        EXPECT_TRUE(Has(table.out, "宝贝数 15 → 15 (0)")) << table.out;
        EXPECT_TRUE(Has(table.out, "销售总额 "));
        EXPECT_TRUE(Has(table.err, "注意: 较" + std::string(older == partial ? "早" : "新") +
                                       "的分析 " + partial + " 不完整 - 已停止: 读取 15 / 45"))
            << table.err;
    }
    // The stopped run's point of an item it never read says so; the complete run's is there.
    const CliResult history = RunCli({"history", full, "3040", "--db", db.Path()});
    EXPECT_EQ(history.code, 0);
    EXPECT_TRUE(Has(history.out, partial)) << history.out;
    EXPECT_TRUE(Has(history.out, "未读取")) << history.out;
    const json points =
        json::parse(RunCli({"history", full, "3040", "--db", db.Path(), "--format", "json"}).out);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0]["read"], 1);
    EXPECT_EQ(points[1]["read"], 0);
    EXPECT_EQ(points[1]["listed"], 1);
}

// 2: a blocked run's empty rows are not the shop's: compared with a good run they are unread.
TEST(PartialRunCliTest, ABlockedRunsEmptyItemsAreUnreadNotChanged) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop shop = marketsim::BlockedDemoShop(1, 1000000);
    market.Sim().AddShop(shop);
    ASSERT_EQ(Analyse(db, market, "blocked", {"--threads", "1"}).code, 0);
    market.Sim().AddShop(marketsim::BlockedDemoShop(1, 40));
    const CliResult blocked = Analyse(db, market, "blocked", {"--threads", "1"});
    EXPECT_EQ(blocked.code, 6) << blocked.out;
    EXPECT_TRUE(Has(blocked.out, "结果: blocked"));

    const std::vector<json> runs = Runs(db);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1]["Outcome"], "blocked");
    const int read = runs[1]["ItemsRead"];
    EXPECT_LT(read, static_cast<int>(shop.items.size()));
    const json rows = Compare(db, runs[0]["SID"], runs[1]["SID"]);
    EXPECT_EQ(CountStatus(rows, "已下架"), 0);
    EXPECT_EQ(CountStatus(rows, "有变化"), 0);
    EXPECT_EQ(CountStatus(rows, "未读取"), static_cast<int>(shop.items.size()) - read);
    // Not one unread item shows a figure of the blocked run.
    for (const json& row : rows) {
        if (row["status"] == "未读取") {
            EXPECT_TRUE(row["new_price"].is_null()) << row.dump();
        }
    }
}

// 3: a marketplace that answers bursts with 429 and Retry-After is left alone for that time;
// every item is still read, and the summary counts the pauses.
TEST(PartialRunCliTest, RefusalsForOurPacePauseTheWholeRunAndTheItemsAreStillRead) {
    TempDatabase db;
    MarketFixture market;
    const marketsim::Shop shop = PlainShop("限流小店", "paced", 30, 4000);
    market.Sim().AddShop(shop);
    for (int status : {429, 503}) {
        SCOPED_TRACE(status);
        market.Sim().SetRateLimit(marketsim::RateLimit{.burst = 25,
                                                       .windowMs = 1000,
                                                       .status = status,
                                                       .retryAfter = "1",
                                                       .refuseForMs = 1000});
        const std::size_t refusedBefore = market.Sim().RefusedCount();
        const std::size_t lateBefore = market.Sim().RefusedLate();
        const CliResult run = Analyse(db, market, shop.nick, {"--threads", "6"});
        EXPECT_EQ(run.code, 0) << run.out;
        EXPECT_TRUE(Has(run.out, "读取: 30 / 30 个宝贝\n")) << run.out;
        EXPECT_TRUE(Has(run.out, "限流暂停: ")) << run.out;
        EXPECT_GT(market.Sim().RefusedCount(), refusedBefore);
        // Only requests already under way when the refusing began arrive during it.
        EXPECT_EQ(market.Sim().RefusedLate(), lateBefore);
    }
    market.Sim().SetRateLimit({});
    // Every item's row has its title: nothing refused was stored as an item.
    const json items = json::parse(
        RunCli({"items", Runs(db).back()["SID"], "--db", db.Path(), "--format", "json"}).out);
    ASSERT_EQ(items.size(), 30u);
    for (const json& item : items) {
        EXPECT_NE(item["title"], "") << item.dump();
    }
}

// 3, persisting: three pauses with nothing answered end the run as rate-limited, exit 7.
TEST(PartialRunCliTest, RefusalsThatPersistEndTheRunAsRateLimited) {
    TempDatabase db;
    MarketFixture market;
    market.Sim().AddShop(PlainShop("拒绝小店", "refusing", 30, 5000));
    market.Sim().SetRateLimit(
        marketsim::RateLimit{.burst = 3, .windowMs = 60000, .retryAfter = "1", .endless = true});
    const CliResult run = Analyse(db, market, "拒绝小店", {"--threads", "4"});
    EXPECT_EQ(run.code, 7) << run.out;
    EXPECT_TRUE(Has(run.out, "结果: rate limited"));
    EXPECT_TRUE(Has(run.out, "限流暂停: 2 次, 共 2 秒")) << run.out;
    EXPECT_EQ(Runs(db).back()["Outcome"], "rate-limited");
    // Few requests after the refusing began: the pauses, then one try each.
    EXPECT_LT(market.Sim().RefusedCount(), 20u);
}

// 4: a listing whose page info promises pages but whose links changed their form.
TEST(PartialRunCliTest, AListingThatPromisesItemsAndYieldsNoneEndsAsChangedPages) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop shop = PlainShop("改版小店", "redesigned", 100, 6000);
    shop.newItemLinks = true;
    market.Sim().AddShop(shop);
    const CliResult run = Analyse(db, market, shop.nick);
    EXPECT_EQ(run.code, 6) << run.out;
    EXPECT_TRUE(Has(run.out, "结果: changed pages"));
    EXPECT_FALSE(Has(run.out, "运行状况: 正常"));
    EXPECT_EQ(Runs(db).back()["Outcome"], "changed-pages");
}

// 5: a shop longer than --max-list-pages.
TEST(PartialRunCliTest, AListingCutAtTheLimitIsTruncated) {
    TempDatabase db;
    MarketFixture market;
    const marketsim::Shop shop = PlainShop("长长小店", "long", 100, 7000);  // 5 pages of 20
    market.Sim().AddShop(shop);
    const CliResult run = Analyse(db, market, shop.nick, {"--max-list-pages", "2"});
    EXPECT_EQ(run.code, 8) << run.out;
    EXPECT_TRUE(Has(run.out, "结果: truncated"));
    EXPECT_TRUE(
        Has(run.out, "宝贝列表共 5 页, 只读了前 2 页 (上限 --max-list-pages 2), 还有 3 页未读"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "运行状况: 数据不全 (degraded)"));
    EXPECT_EQ(Runs(db).back()["Outcome"], "truncated");
    // A complete run afterwards: the 60 items the truncated run never listed are not new.
    ASSERT_EQ(Analyse(db, market, shop.nick).code, 0);
    const std::vector<json> runs = Runs(db);
    const json rows = Compare(db, runs[0]["SID"], runs[1]["SID"]);
    EXPECT_EQ(CountStatus(rows, "新上架"), 0);
    EXPECT_EQ(CountStatus(rows, "未读取"), 60);
}

// 7: analyses started together into one file never share a key.
TEST(PartialRunCliTest, AnalysesStartedTogetherGetKeysOfTheirOwn) {
    TempDatabase db;
    MarketFixture market;
    market.Sim().AddShop(PlainShop("并发小店", "together", 2, 8000));
    std::vector<std::unique_ptr<CliProcess>> processes;
    for (int i = 0; i < 10; ++i) {
        processes.push_back(std::make_unique<CliProcess>(std::vector<std::string>{
            "analyse", "--db", db.Path(), "--market", market.Base(), "并发小店"}));
    }
    for (auto& process : processes) {
        EXPECT_EQ(process->Wait(), 0) << process->Err();
    }
    std::set<std::string> keys;
    for (const json& run : Shops(db)) {
        keys.insert(run["SID"].get<std::string>());
        EXPECT_EQ(run["ItemsRead"], 2);
    }
    EXPECT_EQ(keys.size(), 10u);
}

// 10: an unknown nick: our line, then the closing line.
TEST(PartialRunCliTest, AnUnknownNickSaysWhyBeforeTheClosingLine) {
    TempDatabase db;
    MarketFixture market;
    const CliResult run = Analyse(db, market, "无此掌柜");
    EXPECT_EQ(run.code, 3);
    const auto why = run.out.find("未找到该掌柜的店铺");
    const auto done = run.out.find("程序执行完成!");
    ASSERT_NE(why, std::string::npos) << run.out;
    ASSERT_NE(done, std::string::npos) << run.out;
    EXPECT_LT(why, done);
}

}  // namespace
}  // namespace tarnwick::test
