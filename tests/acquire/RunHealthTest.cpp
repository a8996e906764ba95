#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "ShopModels.h"
#include "acquire/RunOutcome.h"
#include "analysis/RunHealth.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using marketsim::Shop;
using BlockMode = Shop::BlockMode;

// Items of 4 requests each (item page, views, one deal page, one review page); two listing pages
// of 20. The reader reads both listing pages before the first download starts (the control
// thread's first pause), so with one download thread the order of requests is fixed: card,
// listing 1, listing 2, then each item's four.
constexpr int kItems = 40;
constexpr int kRequestsBeforeItems = 3;
constexpr int kRequestsPerItem = 4;

Shop BlockingShop(BlockMode mode, int blockAfter) {
    Shop shop = MakeShop("拦截小店", "blocking", kItems, 1, 1);
    shop.blockMode = mode;
    shop.blockAfter = blockAfter;
    return shop;
}

// Requests the marketsim answered for the shop itself (the login page's own are not).
int ShopRequests(AcquisitionHarness& harness) {
    auto requests = harness.Sim().Requests();
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [](const auto& r) {
        return r.target.rfind("/member/login", 0) != 0;
    }));
}

struct Outcome {
    HealthReport report;
    std::optional<RunHealthRow> row;
    std::size_t itemsStored = 0;
    RunOutcome outcome = RunOutcome::Complete;
};

Outcome AnalyseAndJudge(AcquisitionHarness& harness, const std::string& nick, int threads = 1) {
    EXPECT_TRUE(harness.Analyse(nick, threads));
    auto run = harness.Controller().CurrentRun();
    Outcome outcome;
    EXPECT_TRUE(run->FinalHealth().has_value());
    if (run->FinalHealth()) {
        outcome.report = *run->FinalHealth();
    }
    Store store = harness.OpenStore();
    outcome.row = store.ReadRunHealth(run->RunId());
    outcome.itemsStored = store.ReadItems(run->RunId()).size();
    outcome.outcome = run->Outcome();
    // The dialog's closing lines: the outcome's own line where it has one, then the completion,
    // then our verdict unless the run was healthy or its outcome already said why.
    auto texts = harness.LogTexts();
    auto done = std::find(texts.begin(), texts.end(), "程序执行完成!");
    EXPECT_NE(done, texts.end());
    if (done != texts.end()) {
        std::vector<std::string> closing(done + 1, texts.end());
        std::string_view why = OutcomeLogLine(outcome.outcome);
        if (!why.empty()) {
            EXPECT_TRUE(closing.empty());
            EXPECT_TRUE(done != texts.begin() && *(done - 1) == why);
        } else if (outcome.report.verdict == Verdict::Healthy) {
            EXPECT_TRUE(closing.empty());
        } else {
            EXPECT_EQ(closing, std::vector<std::string>{HealthLine(outcome.report)});
        }
    }
    return outcome;
}

class RunHealthStores : public ::testing::TestWithParam<StoreKind> {};

TEST_P(RunHealthStores, HealthyRunIsStoredAsHealthy) {
    AcquisitionHarness harness(GetParam());
    harness.Sim().AddShop(MakeShop("健康小店", "healthy", 5, 16, 21));
    Outcome outcome = AnalyseAndJudge(harness, "健康小店", 3);
    EXPECT_EQ(outcome.report.verdict, Verdict::Healthy);
    EXPECT_EQ(outcome.outcome, RunOutcome::Complete);
    EXPECT_TRUE(outcome.report.reasons.empty());
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->verdict, "healthy");
    EXPECT_EQ(outcome.row->requests, static_cast<int>(harness.Sim().Requests().size()));
    EXPECT_EQ(outcome.row->requests, harness.Controller().CurrentRun()->Totals().requests);
    EXPECT_EQ(outcome.row->detail, "");
    EXPECT_GE(outcome.row->ended, outcome.row->started);
    EXPECT_EQ(outcome.itemsStored, 5u);
}

TEST(RunHealthEndToEnd, MissingViewsMakeADegradedRun) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("缺页小店", "degraded", 5));
    harness.Sim().AddFault(marketsim::Fault{.match = "/itemviews.htm?id=1002", .status = 404});
    harness.Sim().AddFault(marketsim::Fault{.match = "/item.htm?id=1004", .status = 500});
    Outcome outcome = AnalyseAndJudge(harness, "缺页小店", 2);
    EXPECT_EQ(outcome.report.verdict, Verdict::Degraded);
    EXPECT_EQ(outcome.outcome, RunOutcome::Complete);
    // The failed item page leaves no views or further addresses behind it, and its item unread.
    EXPECT_EQ(outcome.report.reasons,
              (std::vector<std::string>{"1 / 5 个宝贝未读取", "宝贝页: 1/5 失败 (HTTP 错误 1)",
                                        "浏览量: 1/4 失败 (HTTP 错误 1)"}));
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->verdict, "degraded");
    EXPECT_EQ(outcome.row->httpErrors, 2);
    EXPECT_EQ(outcome.row->failedViews, 1);
    EXPECT_EQ(outcome.row->failedItem, 1);
    EXPECT_EQ(outcome.row->detail, "item.http=1 views.http=1");
    EXPECT_EQ(outcome.itemsStored, 5u);
}

TEST(RunHealthEndToEnd, UnknownNickIsShopNotFound) {
    AcquisitionHarness harness;
    Outcome outcome = AnalyseAndJudge(harness, "无此人");
    EXPECT_EQ(outcome.report.verdict, Verdict::ShopNotFound);
    EXPECT_EQ(outcome.outcome, RunOutcome::ShopNotFound);
    // No shop row: the tree never lists it, but its health is kept for the command line.
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->verdict, "shop-not-found");
    EXPECT_EQ(outcome.row->requests, 1);
}

TEST(RunHealthEndToEnd, MarketplaceThatDoesNotAnswerIsUnreachable) {
    AcquisitionHarness harness;
    harness.Sim().Stop();
    Outcome outcome = AnalyseAndJudge(harness, "健康小店");
    EXPECT_EQ(outcome.report.verdict, Verdict::Unreachable);
    EXPECT_EQ(outcome.outcome, RunOutcome::MarketUnreachable);
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->networkErrors, 1);
    EXPECT_EQ(outcome.row->failedCard, 1);
}

struct BlockCase {
    const char* name;
    BlockMode mode;
    AnswerClass answer;
};

class BlockedRunTest : public ::testing::TestWithParam<BlockCase> {};

// The block begins with an item page after three whole items; twenty blocking answers later
// the run has stopped, and not one request more went out (one thread, nothing in flight).
TEST_P(BlockedRunTest, StopsWithinTheStreakAfterTheBlockBegan) {
    const BlockCase& c = GetParam();
    const int blockAfter = kRequestsBeforeItems + 3 * kRequestsPerItem;
    AcquisitionHarness harness;
    harness.Sim().AddShop(BlockingShop(c.mode, blockAfter));
    Outcome outcome = AnalyseAndJudge(harness, "拦截小店");

    EXPECT_EQ(outcome.report.verdict, Verdict::Blocked);
    EXPECT_EQ(outcome.outcome, RunOutcome::Blocked);
    EXPECT_EQ(outcome.report.blockedAtRequest, blockAfter + 1);
    EXPECT_TRUE(outcome.report.stoppedEarly);
    EXPECT_EQ(ShopRequests(harness), blockAfter + kBlockStreak);
    EXPECT_TRUE(harness.LogHas("连续20个请求被拦截(登录页、验证页或页面改版),不再开始新的下载."));
    // The three whole items and the twenty whose pages were blocked; the rest never started.
    EXPECT_EQ(outcome.itemsStored, 3u + kBlockStreak);
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->verdict, "blocked");
    EXPECT_EQ(outcome.row->blockedAtRequest, blockAfter + 1);
    EXPECT_EQ(outcome.row->stoppedEarly, 1);
    EXPECT_EQ(outcome.row->failedItem, kBlockStreak);
    EXPECT_EQ(outcome.row->detail, std::string("item.") + AnswerClassName(c.answer) + "=" +
                                       std::to_string(kBlockStreak));
}

// With several threads the requests already under way when the streak is reached still go out,
// but nothing after them: at most one more per thread. Answers need not come back in the order
// the marketplace counted the requests, so a good answer to a request from just before the
// block (at most one per thread) may land inside it and restart the streak. When only item
// pages changed, the other pages of the items begun before the block still answer well and
// restart it too: up to one item's worth per thread more.
TEST_P(BlockedRunTest, StopsWithinTheStreakWithManyThreads) {
    const BlockCase& c = GetParam();
    constexpr int kThreads = 6;
    const int blockAfter = kRequestsBeforeItems + 3 * kRequestsPerItem;
    AcquisitionHarness harness;
    harness.Sim().AddShop(BlockingShop(c.mode, blockAfter));
    Outcome outcome = AnalyseAndJudge(harness, "拦截小店", kThreads);
    EXPECT_EQ(outcome.report.verdict, Verdict::Blocked);
    EXPECT_EQ(outcome.outcome, RunOutcome::Blocked);
    EXPECT_TRUE(outcome.report.stoppedEarly);
    const int afterBlock = ShopRequests(harness) - blockAfter;
    EXPECT_GE(afterBlock, kBlockStreak);
    const int goodInBetween = c.mode == BlockMode::ItemNewDesign ? kThreads * kRequestsPerItem : 0;
    EXPECT_LE(afterBlock, kBlockStreak + 2 * kThreads + goodInBetween);
    std::printf("[ measured ] %s, %d threads: %d requests from the block's start to the stop\n",
                c.name, kThreads, afterBlock);
    EXPECT_LT(outcome.itemsStored, static_cast<std::size_t>(kItems));
}

// With --keep-going every item is asked for; the verdict stays blocked, from the same request.
TEST_P(BlockedRunTest, KeepGoingReadsOn) {
    const BlockCase& c = GetParam();
    const int blockAfter = kRequestsBeforeItems + 3 * kRequestsPerItem;
    AcquisitionHarness harness;
    harness.Sim().AddShop(BlockingShop(c.mode, blockAfter));
    harness.Controller().SetRunOptions(RunOptions{.keepGoing = true});
    Outcome outcome = AnalyseAndJudge(harness, "拦截小店");

    EXPECT_EQ(outcome.report.verdict, Verdict::Blocked);
    EXPECT_EQ(outcome.outcome, RunOutcome::Blocked);
    EXPECT_EQ(outcome.report.blockedAtRequest, blockAfter + 1);
    EXPECT_FALSE(outcome.report.stoppedEarly);
    EXPECT_EQ(ShopRequests(harness), blockAfter + (kItems - 3));
    EXPECT_EQ(outcome.itemsStored, static_cast<std::size_t>(kItems));
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->stoppedEarly, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, BlockedRunTest,
    ::testing::Values(BlockCase{"LoginRedirect", BlockMode::LoginRedirect, AnswerClass::Login},
                      BlockCase{"VerificationPage", BlockMode::VerificationPage,
                                AnswerClass::Verification},
                      BlockCase{"ItemNewDesign", BlockMode::ItemNewDesign, AnswerClass::Shapeless}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunHealthEndToEnd, ListingWithoutItsSectionBlocksFromTheFirstListingPage) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(BlockingShop(BlockMode::ListingWithoutSection, 0));
    Outcome outcome = AnalyseAndJudge(harness, "拦截小店");
    EXPECT_EQ(outcome.report.verdict, Verdict::Blocked);
    // A listing that promises pages and gives no id: its pages changed, which ends the run as a
    // block does (exit code 6).
    EXPECT_EQ(outcome.outcome, RunOutcome::ChangedPages);
    EXPECT_EQ(outcome.report.blockedAtRequest, 2);
    EXPECT_EQ(outcome.itemsStored, 0u);
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->detail, "listing.shapeless=2");
}

TEST(RunHealthEndToEnd, LoginAtTheCardIsABlockNotAMissingShop) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(BlockingShop(BlockMode::LoginRedirect, 0));
    Outcome outcome = AnalyseAndJudge(harness, "拦截小店");
    EXPECT_EQ(outcome.report.verdict, Verdict::Blocked);
    EXPECT_EQ(outcome.outcome, RunOutcome::Blocked);
    EXPECT_EQ(outcome.report.blockedAtRequest, 1);
    EXPECT_EQ(ShopRequests(harness), 1);
    ASSERT_TRUE(outcome.row.has_value());
    EXPECT_EQ(outcome.row->detail, "card.login=1");
}

TEST_P(RunHealthStores, StoreWithoutTheHealthTableRunsAsBefore) {
    AcquisitionHarness harness(GetParam());
    harness.Temp().Execute("drop table RunHealth");
    harness.Sim().AddShop(MakeShop("健康小店", "healthy", 3));
    Outcome outcome = AnalyseAndJudge(harness, "健康小店");
    EXPECT_EQ(outcome.report.verdict, Verdict::Healthy);
    EXPECT_FALSE(outcome.row.has_value());
    EXPECT_EQ(outcome.itemsStored, 3u);
    for (const std::string& line : harness.LogTexts()) {
        EXPECT_EQ(line.find("运行状况未能保存"), std::string::npos) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, RunHealthStores,
                         ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto& info) { return KindName(info.param); });

// The limit holds however fast the machine: requests cannot come closer together than the rate
// allows, so the run takes at least that long.
TEST(RunHealthEndToEnd, RateLimitSpacesEveryRequest) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("健康小店", "healthy", 4, 1, 1));
    constexpr double kRate = 40;
    harness.Controller().SetRunOptions(RunOptions{.maxRate = kRate, .delayMs = 5});
    auto started = std::chrono::steady_clock::now();
    Outcome outcome = AnalyseAndJudge(harness, "健康小店", 4);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome.report.verdict, Verdict::Healthy);
    const int requests = static_cast<int>(harness.Sim().Requests().size());
    EXPECT_EQ(requests, 2 + 4 * kRequestsPerItem);
    EXPECT_GE(took.count(), (requests - 1) / kRate);
    EXPECT_EQ(harness.Controller().CurrentRun()->Options().delayMs, 5);
}

}  // namespace
}  // namespace tarnwick::test
