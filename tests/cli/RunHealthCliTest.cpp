#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "MarketSim.h"
#include "store/Database.h"
#include "store/Store.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

TEST(RunHealthCliTest, SummaryAndExitCodeFollowTheVerdict) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop healthy = marketsim::DemoShop(1);
    market.Sim().AddShop(healthy);
    marketsim::Shop degraded = marketsim::DemoShop(4);
    degraded.nick = "缺页小店";
    degraded.key = "degraded";
    for (auto& item : degraded.items) {
        item.id = "8" + item.id.substr(1);
    }
    market.Sim().AddShop(degraded);
    market.Sim().AddFault(
        marketsim::Fault{.match = "/itemviews.htm?id=" + degraded.items[0].id, .status = 404});

    struct Case {
        std::string nick;
        std::vector<std::string> extra;
        int code;
        std::string verdict;
        std::string reason;
        std::string outcome;
    };
    const Case cases[] = {
        {healthy.nick, {}, 0, "运行状况: 正常 (healthy)\n结果: complete\n", "", "complete"},
        {"缺页小店", {}, 0, "运行状况: 数据不全 (degraded)\n", "  浏览量: 1/", "complete"},
        {"blocked",
         {},
         6,
         "运行状况: 被拦截 (blocked)\n",
         "  连续 20 个请求被拦截, 已提前停止\n",
         "blocked"},
        {"blocked",
         {"--keep-going"},
         6,
         "运行状况: 被拦截 (blocked)\n",
         "  从第 11 个请求 (",
         "blocked"},
        {"无此人",
         {},
         3,
         "运行状况: 找不到店铺 (shop-not-found)\n",
         "  旺旺名片上没有店铺\n",
         "shop not found"},
    };
    for (const Case& c : cases) {
        // The marketplace remembers how much it was asked: a fresh shop blocks after its 10th
        // request again.
        market.Sim().AddShop(marketsim::BlockedDemoShop(1, 10));
        std::vector<std::string> args = {"analyse",     "--db",      db.Path(), "--market",
                                         market.Base(), "--threads", "1"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back(c.nick);
        CliResult run = RunCli(args);
        SCOPED_TRACE(c.nick + " " + run.out);
        EXPECT_EQ(run.code, c.code) << run.err;
        // The verdict comes right after the summary's heading.
        auto heading = run.out.find("== 运行摘要 ");
        ASSERT_NE(heading, std::string::npos);
        auto lineEnd = run.out.find('\n', heading);
        EXPECT_EQ(run.out.compare(lineEnd + 1, c.verdict.size(), c.verdict), 0);
        EXPECT_TRUE(Has(run.out.substr(lineEnd), c.reason));
        EXPECT_TRUE(Has(run.out, "\n结果: " + c.outcome + "\n"));
    }
    // --keep-going read every item of the blocked shop; without it the run stopped early.
    CliResult shops = RunCli({"shops", "--db", db.Path()});
    EXPECT_EQ(shops.code, 0);
    EXPECT_TRUE(Has(shops.out, "运行状况"));
    for (const char* verdict : {" healthy ", " degraded ", " blocked "}) {
        EXPECT_TRUE(Has(shops.out, verdict)) << verdict << shops.out;
    }
    // The column is there for programs too, under a name that does not change with the
    // interface's language.
    CliResult json = RunCli({"shops", "--db", db.Path(), "--format", "json"});
    ASSERT_EQ(json.code, 0) << json.err;
    std::map<std::string, int> verdicts;
    for (const auto& row : nlohmann::json::parse(json.out)) {
        ++verdicts[row.at("Verdict").get<std::string>()];
    }
    EXPECT_EQ(verdicts,
              (std::map<std::string, int>{{"blocked", 2}, {"degraded", 1}, {"healthy", 1}}));
    CliResult csv = RunCli({"shops", "--db", db.Path(), "--format", "csv"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    nlohmann::json records = CsvRows(csv.out);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0][4], "Verdict");
    EXPECT_EQ(records[1][4], "blocked");  // newest first: the --keep-going run
    // The outcome and its counts follow the verdict.
    EXPECT_EQ(records[0][5], "Outcome");
    EXPECT_EQ(records[1][5], "blocked");
    EXPECT_EQ(records[0].back(), "ItemsQueued");

    // Nothing answers at all.
    market.Sim().Stop();
    CliResult unreachable =
        RunCli({"analyse", "--db", db.Path(), "--market", market.Base(), healthy.nick});
    EXPECT_EQ(unreachable.code, 4);
    EXPECT_TRUE(Has(unreachable.out, "运行状况: 无法连接 (unreachable)\n"));
}

TEST(RunHealthCliTest, PolitenessOptionsAreCheckedAndAFileWithoutHealthStillLists) {
    TempDatabase db;
    const std::vector<std::vector<std::string>> refused = {{"--max-rate", "0"},
                                                           {"--max-rate", "fast"},
                                                           {"--max-rate", "5000"},
                                                           {"--delay-ms", "-5"},
                                                           {"--delay-ms", "1s"}};
    for (const std::vector<std::string>& args : refused) {
        std::vector<std::string> all = {"analyse", "--db", db.Path()};
        all.insert(all.end(), args.begin(), args.end());
        all.push_back("x");
        CliResult result = RunCli(all);
        EXPECT_EQ(result.code, 2) << args[0] << " " << args[1];
        EXPECT_TRUE(Has(result.err, args[0])) << result.err;
    }
    CliResult help = RunCli({"analyse", "--help"});
    EXPECT_TRUE(Has(help.out, "--keep-going"));
    EXPECT_TRUE(Has(help.out, "  6 "));
    {
        Store store(Database::Open(db.Path()));
        store.Connection().Execute("drop table RunHealth");
        ShopRow shop;
        shop.SID = "20261209100000000";
        shop.WWName = "老店";
        store.AppendShop(shop);
    }
    CliResult shops = RunCli({"shops", "--db", db.Path(), "--format", "json"});
    ASSERT_EQ(shops.code, 0) << shops.err;
    nlohmann::json rows = nlohmann::json::parse(shops.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("WWName"), "老店");
    EXPECT_TRUE(rows[0].at("Verdict").is_null());
}

}  // namespace
}  // namespace tarnwick::test
