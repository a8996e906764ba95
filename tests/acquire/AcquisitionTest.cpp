#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <thread>

#include "ShopModels.h"
#include "fetch/HttpClient.h"
#include "fetch/TextTools.h"
#include "pages/PageDate.h"
#include "store/PgConnection.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using marketsim::Fault;

std::map<std::string, ItemRow> ItemsById(const std::vector<ItemRow>& rows) {
    std::map<std::string, ItemRow> byId;
    for (const auto& row : rows) {
        byId[row.ItemID] = row;
    }
    return byId;
}

// The whole road from a nick to stored rows, into the file and into a team's server alike.
class AcquisitionTest : public testing::TestWithParam<StoreKind> {};

INSTANTIATE_TEST_SUITE_P(Stores, AcquisitionTest,
                         testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto& info) { return KindName(info.param); });

TEST_P(AcquisitionTest, MultiPageShopIsStoredValueByValue) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("星辰数码", "stars", 45, 16, 21);
    shop.listPageSize = 20;  // three item-list pages
    harness.Sim().AddShop(shop);

    ASSERT_TRUE(harness.Analyse("  星辰数码 "));
    auto run = harness.Controller().CurrentRun();
    Store store = harness.OpenStore();

    auto shops = store.ReadShops();
    ASSERT_EQ(shops.size(), 1u);
    EXPECT_EQ(shops[0].SID, run->RunId());
    EXPECT_EQ(shops[0].WWName, "星辰数码");
    EXPECT_EQ(shops[0].OwnerID, shop.ownerId);
    EXPECT_EQ(shops[0].ShopURL, harness.Sim().BaseUrl() + "/shop/stars/");
    EXPECT_GT(shops[0].AddTime, DateTime());
    EXPECT_EQ(run->RunId().size(), 17u);

    auto items = ItemsById(store.ReadItems(run->RunId()));
    ASSERT_EQ(items.size(), 45u);
    for (const auto& model : shop.items) {
        SCOPED_TRACE(model.id);
        const ItemRow& row = items.at(model.id);
        EXPECT_EQ(row.sid, run->RunId());
        EXPECT_EQ(row.title, model.title);
        EXPECT_DOUBLE_EQ(row.price, 12.5);
        EXPECT_EQ(row.allow_quantity, 300);
        EXPECT_EQ(row.sellcount, 25);
        EXPECT_DOUBLE_EQ(row.SellAmount, 25 * 12.5);
        EXPECT_EQ(row.pv, 1234);
        EXPECT_EQ(row.BuyerCount, 16);
        EXPECT_EQ(row.Commentcount, 21);
        EXPECT_EQ(row.lastSell, ReadPageDateTime(model.deals[0].time));
        EXPECT_EQ(row.lastComment, ReadPageDateTime(model.reviews[0].date));
        EXPECT_GT(row.UpdateTime, DateTime());

        auto buyers = store.ReadBuyers(run->RunId(), model.id);
        ASSERT_EQ(buyers.size(), 16u);
        for (const auto& deal : model.deals) {
            auto found = std::find_if(buyers.begin(), buyers.end(),
                                      [&](const BuyerRow& b) { return b.Buyer == deal.buyer; });
            ASSERT_NE(found, buyers.end()) << deal.buyer;
            EXPECT_EQ(found->usertype, 1);
            EXPECT_EQ(found->buyer_credit, deal.rankIcon);
            EXPECT_EQ(found->buyer_credit_str, deal.rankTitle);
            EXPECT_EQ(found->userclass, deal.memberTitle);
            EXPECT_DOUBLE_EQ(found->price, Number(deal.price));
            EXPECT_EQ(found->amount, WholeNumber(deal.amount));
            EXPECT_DOUBLE_EQ(found->sellamount, found->amount * found->price);
            EXPECT_EQ(found->buytime, ReadPageDateTime(deal.time));
            EXPECT_EQ(found->sku, "颜色分类:红色&黑");
        }

        auto rates = store.ReadRates(run->RunId(), model.id);
        ASSERT_EQ(rates.size(), 21u);
        for (const auto& review : model.reviews) {
            auto found = std::find_if(rates.begin(), rates.end(),
                                      [&](const RateRow& r) { return r.CommentID == review.id; });
            ASSERT_NE(found, rates.end()) << review.id;
            EXPECT_EQ(found->rateContent, review.content);
            EXPECT_EQ(found->displayUserNick, review.nick);
            EXPECT_EQ(found->userVipLevel, review.vipLevel);
            EXPECT_EQ(found->displayRatePic, review.pic);
            EXPECT_EQ(found->rateDate, ReadPageDateTime(review.date));
            EXPECT_EQ(found->User_RateSum, review.rateSum);
        }
    }

    EXPECT_EQ(harness.Targets("pageNum=").size(), 3u);
    EXPECT_TRUE(harness.LogHas("保存同行资料成功."));
    EXPECT_TRUE(harness.LogHas("正在读第3页宝贝列表..."));
    EXPECT_TRUE(harness.LogHas("待下载列表增加5个宝贝..."));
    EXPECT_TRUE(harness.LogHas("宝贝 1000 共下载16个买家."));
    EXPECT_TRUE(harness.LogHas("宝贝 1000 共下载21个评价."));
    EXPECT_EQ(harness.LogTexts().back(), "程序执行完成!");
    EXPECT_FALSE(harness.Observer().running);
}

TEST_P(AcquisitionTest, ItemRequestsGoOutInOrderWithTheirHeaders) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("one", "one", 1, 16, 21);
    shop.items[0].soldShape = marketsim::Item::SoldShape::Answer;
    harness.Sim().AddShop(shop);
    ASSERT_TRUE(harness.Analyse("one"));

    std::vector<marketsim::RecordedRequest> item;
    for (const auto& request : harness.Sim().Requests()) {
        if (request.target.find("1000") != std::string::npos) {
            item.push_back(request);
        }
    }
    std::vector<std::string> paths;
    for (const auto& request : item) {
        paths.push_back(request.target.substr(0, request.target.find('?')));
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/item.htm", "/dealquantity.htm", "/itemviews.htm",
                                               "/deal_records.htm", "/deal_records.htm",
                                               "/feedRateList.htm", "/feedRateList.htm"}));
    std::string referer = harness.GetEndpoints().ItemPage("1000");
    for (std::size_t i = 0; i < item.size(); ++i) {
        SCOPED_TRACE(item[i].target);
        if (i < 3) {
            EXPECT_FALSE(item[i].HasHeader("Referer"));
            EXPECT_EQ(item[i].Header("User-Agent"), HttpClient::DefaultUserAgent());
        } else {
            EXPECT_EQ(item[i].Header("Referer"), referer);
            EXPECT_EQ(
                item[i].Header("User-Agent"),
                "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; NP06)");
        }
    }
    EXPECT_NE(item[3].target.find("&callback=TShop.mods.DealRecord.reload&t=1333574585117"),
              std::string::npos);
    EXPECT_EQ(item[3].target.find(",showBuyerList"), std::string::npos);
    EXPECT_NE(item[4].target.find("bid_page=2"), std::string::npos);
    EXPECT_NE(item[5].target.find("showContent=&"), std::string::npos);
    EXPECT_NE(item[5].target.find("ismore=1"), std::string::npos);
    EXPECT_NE(item[6].target.find("currentPage=2"), std::string::npos);
}

TEST_P(AcquisitionTest, FailedListPageIsSkippedAndTheRestRead) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("skip", "skip", 50);
    shop.listPageSize = 10;  // five pages
    harness.Sim().AddShop(shop);
    harness.Sim().AddFault(Fault{.match = "pageNum=3", .status = 500});
    ASSERT_TRUE(harness.Analyse("skip"));

    auto items = harness.OpenStore().ReadItems(harness.Controller().CurrentRun()->RunId());
    EXPECT_EQ(items.size(), 40u);
    EXPECT_EQ(harness.Targets("pageNum=").size(), 5u);
    EXPECT_TRUE(harness.LogHas("正在读第3页宝贝列表..."));
    EXPECT_TRUE(harness.LogHas("正在读第5页宝贝列表..."));
    auto texts = harness.LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "待下载列表增加10个宝贝..."), 4);
}

TEST_P(AcquisitionTest, ListingWithoutPageInfoReadsPageOneOnly) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("flat", "flat", 30);
    shop.listPageSize = 20;
    shop.pageInfoMissing = true;
    shop.paginationMini = false;
    harness.Sim().AddShop(shop);
    ASSERT_TRUE(harness.Analyse("flat"));
    EXPECT_EQ(harness.Targets("pageNum=").size(), 1u);
    EXPECT_EQ(harness.OpenStore().ReadItems(harness.Controller().CurrentRun()->RunId()).size(),
              20u);
}

TEST_P(AcquisitionTest, UnresolvedNickSaysWhyAndThenEndsWithTheCompletionLine) {
    AcquisitionHarness harness(GetParam());
    ASSERT_TRUE(harness.Analyse("nobody"));
    auto texts = harness.LogTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], AcquisitionController::kIntroLine);
    EXPECT_EQ(texts[1], "开始读 nobody 的数据...");
    EXPECT_EQ(texts[2], "控制下载线程启动...");
    EXPECT_EQ(texts[3], OutcomeLogLine(RunOutcome::ShopNotFound));
    EXPECT_EQ(texts[4], "程序执行完成!");
    EXPECT_EQ(harness.Controller().CurrentRun()->Outcome(), RunOutcome::ShopNotFound);
    EXPECT_TRUE(harness.OpenStore().ReadShops().empty());
    EXPECT_FALSE(harness.Observer().running);
    EXPECT_EQ(harness.Observer().completions, 1);
}

TEST_P(AcquisitionTest, StartLineShowsTheInputAsTyped) {
    AcquisitionHarness harness(GetParam());
    harness.Sim().AddShop(MakeShop("blank", "blank", 1));
    ASSERT_TRUE(harness.Analyse("  blank  "));
    EXPECT_TRUE(harness.LogHas("开始读   blank   的数据..."));
    EXPECT_EQ(harness.OpenStore().ReadShops().at(0).WWName, "blank");
}

TEST_P(AcquisitionTest, BlankInputChangesNothing) {
    AcquisitionHarness harness(GetParam());
    auto before = harness.Controller().Log().Lines();
    EXPECT_EQ(harness.Controller().Start(" \t ", 6),
              AcquisitionController::StartResult::BlankInput);
    EXPECT_EQ(harness.Controller().Log().Lines(), before);
    EXPECT_EQ(harness.Controller().CurrentRun(), nullptr);
    EXPECT_FALSE(harness.Observer().running);
}

TEST_P(AcquisitionTest, OneThreadDownloadsInListOrderOneAtATime) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("order", "order", 12);
    shop.listPageSize = 5;
    harness.Sim().AddShop(shop);
    ASSERT_TRUE(harness.Analyse("order", 1));

    std::vector<std::string> expected;
    for (const auto& item : shop.items) {
        expected.push_back("/item.htm?id=" + item.id);
    }
    EXPECT_EQ(harness.Targets("/item.htm"), expected);
    // One at a time: every item's last request comes before the next item's page.
    auto requests = harness.Sim().Requests();
    std::string current;
    for (const auto& request : requests) {
        auto at = request.target.find("id=");
        if (at == std::string::npos || request.target.find("pageNum") != std::string::npos) {
            continue;
        }
        std::string id = request.target.substr(at + 3, 4);
        if (request.target.rfind("/item.htm", 0) == 0) {
            current = id;
        }
        EXPECT_EQ(id, current) << request.target;
    }
}

TEST_P(AcquisitionTest, ManyThreadsLoseNoRows) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("many", "many", 240, 17, 22);
    shop.listPageSize = 40;
    harness.Sim().AddShop(shop);
    ASSERT_TRUE(harness.Analyse("many", 30, std::chrono::seconds(240)));

    std::string sid = harness.Controller().CurrentRun()->RunId();
    Store store = harness.OpenStore();
    auto items = store.ReadItems(sid);
    ASSERT_EQ(items.size(), 240u);
    std::size_t buyers = 0;
    std::size_t rates = 0;
    for (const auto& item : items) {
        buyers += store.ReadBuyers(sid, item.ItemID).size();
        rates += store.ReadRates(sid, item.ItemID).size();
        EXPECT_EQ(item.BuyerCount, 17);
        EXPECT_EQ(item.Commentcount, 22);
    }
    EXPECT_EQ(buyers, 240u * 17);
    EXPECT_EQ(rates, 240u * 22);
    RunTotals totals = harness.Controller().CurrentRun()->Totals();
    EXPECT_EQ(totals.itemsStored, 240);
    EXPECT_EQ(totals.buyersStored, 240 * 17);
    EXPECT_TRUE(totals.failedFetches.empty());
}

TEST_P(AcquisitionTest, SameItemListedTwiceIsStoredTwice) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("twice", "twice", 2, 1, 1);
    shop.items.push_back(shop.items[0]);
    harness.Sim().AddShop(shop);
    ASSERT_TRUE(harness.Analyse("twice"));
    std::string sid = harness.Controller().CurrentRun()->RunId();
    Store store = harness.OpenStore();
    EXPECT_EQ(store.ReadItems(sid).size(), 3u);
    EXPECT_EQ(store.ReadBuyers(sid, "1000").size(), 2u);
}

// Downloads take their database connections from the run's pool: a run opens as many as it had
// downloads at once, never one an item, and keeps none once it is over.
TEST_P(AcquisitionTest, ARunOpensAConnectionPerConcurrentDownloadNotPerItem) {
    AcquisitionHarness harness(GetParam());
    harness.Sim().AddShop(MakeShop("pooled", "pooled", 24, 1, 1));
    ASSERT_TRUE(harness.Analyse("pooled", 3));
    auto run = harness.Controller().CurrentRun();
    EXPECT_EQ(harness.OpenStore().ReadItems(run->RunId()).size(), 24u);
    EXPECT_GE(run->Stores().OpenedCount(), 1u);
    EXPECT_LE(run->Stores().OpenedCount(), 3u);
    EXPECT_EQ(run->Stores().IdleCount(), 0u);
}

// A deal-record page is stored in one transaction: when the store refuses one of its rows, none
// of the page is stored. With the file the run ends there as a store failure; on a server only
// the item's deal records end, and the run, which did not store all it read, is not complete.
TEST_P(AcquisitionTest, APageWithARefusedRowIsStoredNotAtAll) {
    AcquisitionHarness harness(GetParam());
    harness.Sim().AddShop(MakeShop("refusing", "refusing", 1, 20, 2));
    harness.Temp().RefuseBuyer("买家16");  // the second row of page 2
    ASSERT_TRUE(harness.Analyse("refusing", 1));
    auto run = harness.Controller().CurrentRun();
    Store store = harness.OpenStore();
    const auto buyers = store.ReadBuyers(run->RunId(), "1000");
    EXPECT_EQ(buyers.size(), 15u);
    EXPECT_TRUE(std::none_of(buyers.begin(), buyers.end(),
                             [](const BuyerRow& row) { return row.Buyer == "买家15"; }));
    EXPECT_EQ(run->Totals().buyersStored, 15);
    const std::optional<RunOutcomeRow> outcome = store.ReadRunOutcome(run->RunId());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->outcome, "store-failed");
    if (GetParam() == StoreKind::File) {
        EXPECT_EQ(run->Outcome(), RunOutcome::StoreFailed);
        EXPECT_TRUE(store.ReadItems(run->RunId()).empty());
    } else {
        EXPECT_EQ(run->Outcome(), RunOutcome::StoreFailed);
        EXPECT_EQ(run->Totals().itemsNotStored, std::vector<std::string>{"1000"});
        const auto items = store.ReadItems(run->RunId());
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].BuyerCount, 15);
        EXPECT_EQ(items[0].Commentcount, 2);
    }
}

// Every row the marketplace served is stored, none twice, and the run is complete.
void ExpectEveryServedRowStoredOnce(AcquisitionHarness& harness, Run& run,
                                    const marketsim::Shop& shop) {
    EXPECT_EQ(run.Outcome(), RunOutcome::Complete);
    EXPECT_TRUE(run.Totals().itemsNotStored.empty());
    Store store = harness.OpenStore();
    const std::string sid = run.RunId();
    std::map<std::string, ItemRow> items = ItemsById(store.ReadItems(sid));
    EXPECT_EQ(store.ReadItems(sid).size(), shop.items.size());
    for (const marketsim::Item& served : shop.items) {
        SCOPED_TRACE(served.id);
        ASSERT_EQ(items.count(served.id), 1u);
        EXPECT_EQ(items[served.id].BuyerCount, static_cast<int>(served.deals.size()));
        EXPECT_EQ(store.ReadBuyers(sid, served.id).size(), served.deals.size());
        EXPECT_EQ(store.ReadRates(sid, served.id).size(), served.reviews.size());
    }
    EXPECT_EQ(store.ReadShops().size(), 1u);
}

// The server restarts during a run: every connection is cut and none is let in for a while.
TEST(AcquisitionServerStoreTest, AServerAwayDuringARunLosesNoRowAndStoresNoneTwice) {
    ServerRole role;
    AcquisitionHarness harness(StoreKind::Server,
                               [&](const std::string& location) { return role.Address(location); });
    role.MayUse(harness.Temp().SchemaName());
    const marketsim::Shop shop = MakeShop("断线小店", "lost", 40, 17, 22);
    harness.Sim().AddShop(shop);
    ASSERT_EQ(harness.Controller().Start("断线小店", 6),
              AcquisitionController::StartResult::Started);
    auto run = harness.Controller().CurrentRun();
    ASSERT_TRUE(harness.RunUntil([&] { return run->Totals().buyersStored >= 100; }));

    role.ShutOut();
    ASSERT_GE(role.EndConnections(), 1);
    ASSERT_LT(run->Totals().itemsStored, 40) << "the run ended before the server went away";
    const auto back = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    harness.RunUntil([&] { return std::chrono::steady_clock::now() >= back; });
    role.LetIn();
    ASSERT_TRUE(harness.WaitForRunEnd());
    ExpectEveryServedRowStoredOnce(harness, *run, shop);
}

// A cluster of the test's own: restarting the one the other tests share would cut their
// connections too.
class OwnCluster {
public:
    OwnCluster()
        : m_dir("/tmp/tarnwick-pg-restart-" + std::to_string(getpid())),
          m_address(Script("start")) {}
    ~OwnCluster() { Script("stop"); }
    OwnCluster(const OwnCluster&) = delete;
    OwnCluster& operator=(const OwnCluster&) = delete;

    const std::string& Address() const { return m_address; }
    void Restart() { Script("restart"); }

private:
    std::string Script(const std::string& action) const {
        const std::string command =
            std::string(TARNWICK_SOURCE_DIR "/scripts/pg-test-cluster ") + action + " " + m_dir;
        FILE* out = popen(command.c_str(), "r");
        if (out == nullptr) {
            throw std::runtime_error("cannot run " + command);
        }
        std::string text;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, out) != nullptr) {
            text += buffer;
        }
        if (pclose(out) != 0) {
            throw std::runtime_error(command + " failed");
        }
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return text;
    }

    std::string m_dir;
    std::string m_address;
};

// pg_ctl restart of the server in the middle of a run, as an administrator would do it.
TEST(AcquisitionServerStoreTest, AServerRestartedDuringARunLosesNoRowAndStoresNoneTwice) {
    OwnCluster cluster;
    const ScopedEnv server("TARNWICK_TEST_PG", cluster.Address().c_str());
    AcquisitionHarness harness(StoreKind::Server);
    const marketsim::Shop shop = MakeShop("重启小店", "restarted", 60, 17, 22);
    harness.Sim().AddShop(shop);
    harness.Sim().SetLatency(30);  // long enough a run for the restart to fall within it
    ASSERT_EQ(harness.Controller().Start("重启小店", 6),
              AcquisitionController::StartResult::Started);
    auto run = harness.Controller().CurrentRun();
    ASSERT_TRUE(harness.RunUntil([&] { return run->Totals().buyersStored >= 100; }));

    // The run goes on meanwhile: its workers meet the server stopping, away and back.
    std::atomic<bool> restarted{false};
    std::thread restart([&] {
        cluster.Restart();
        restarted = true;
    });
    harness.RunUntil([&] { return restarted.load(); });
    restart.join();
    ASSERT_LT(run->Totals().itemsStored, 60) << "the run ended before the server restarted";
    ASSERT_TRUE(harness.WaitForRunEnd());
    ExpectEveryServedRowStoredOnce(harness, *run, shop);
}

TEST(AcquisitionServerStoreTest, AServerThatRefusesEveryConnectionEndsTheRunAsAStoreFailure) {
    // A server that stays away longer than the store waits for it.
    const ScopedEnv bound("TARNWICK_RECONNECT_SECONDS", "1");
    ServerRole role;
    AcquisitionHarness harness(StoreKind::Server,
                               [&](const std::string& location) { return role.Address(location); });
    role.MayUse(harness.Temp().SchemaName());
    harness.Sim().AddShop(MakeShop("拒绝小店", "refused", 12, 2, 2));
    harness.Sim().AddFault(Fault{.match = "/item.htm", .hold = true});
    ASSERT_EQ(harness.Controller().Start("拒绝小店", 2),
              AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness.WaitForHeld(2));
    auto run = harness.Controller().CurrentRun();
    // The two downloads under way lose their connections, and no new one is let in: the server
    // is gone for this run, as when it is stopped or its address no longer answers.
    role.ShutOut();
    PgConnection::Open(TempStore::ServerAddress())
        .Run("select pg_terminate_backend(pid) from pg_stat_activity where usename = $1",
             {role.Name()});
    harness.Sim().ClearFaults();
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());

    EXPECT_EQ(run->Outcome(), RunOutcome::StoreFailed);
    EXPECT_TRUE(harness.LogHas("程序执行完成!"));
    // Nothing more is fetched for items that could never be stored.
    EXPECT_EQ(harness.Targets("/item.htm").size(), 2u);
    const RunTotals totals = run->Totals();
    EXPECT_EQ(std::count_if(totals.errors.begin(), totals.errors.end(),
                            [](const std::string& e) { return e.starts_with("database: "); }),
              1);
    // The summary names the items whose rows were cut short.
    const std::string detail = run->OutcomeRow(DateTime()).detail;
    EXPECT_NE(detail.find("未能保存的宝贝:"), std::string::npos) << detail;
    for (const std::string& target : harness.Targets("/item.htm")) {
        const std::string id = target.substr(target.find("id=") + 3, 4);
        EXPECT_NE(detail.find(id), std::string::npos) << id << " in " << detail;
    }
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

// Every queued entry's read state and the run's counts are stored, on both stores: read,
// failed with its answer class, blocked; and what the box at the end would say.
TEST_P(AcquisitionTest, EachItemsReadStateAndTheRunsCountsAreStored) {
    AcquisitionHarness harness(GetParam());
    marketsim::Shop shop = MakeShop("记账小店", "ledger", 4);
    shop.items.push_back(shop.items[0]);  // listed twice: two entries, one id
    harness.Sim().AddShop(shop);
    harness.Sim().AddFault(Fault{.match = "/item.htm?id=1001", .status = 500});
    harness.Sim().AddFault(Fault{.match = "/item.htm?id=1002",
                                 .redirectTo = harness.Sim().BaseUrl() + "/member/login.jhtml"});
    ASSERT_TRUE(harness.Analyse("记账小店", 1));
    const std::string sid = harness.Controller().CurrentRun()->RunId();

    Store store = harness.OpenStore();
    const std::vector<ItemReadRow> reads = store.ReadItemReads(sid);
    ASSERT_EQ(reads.size(), 5u);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"read", ""}, {"failed", "http"}, {"blocked", "login"}, {"read", ""}, {"read", ""}};
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].seq, static_cast<int>(i + 1));
        EXPECT_EQ((std::pair{reads[i].state, reads[i].answer}), expected[i]) << i;
    }
    EXPECT_EQ(reads[4].ItemID, "1000");
    // The zero rows of the failed and the blocked item stay, as they always were.
    EXPECT_EQ(store.ReadItems(sid).size(), 5u);

    const std::optional<RunOutcomeRow> outcome = store.ReadRunOutcome(sid);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->outcome, "complete");
    EXPECT_EQ(outcome->listComplete, 1);
    EXPECT_EQ(outcome->itemsListed, 4);
    EXPECT_EQ(outcome->itemsQueued, 5);
    EXPECT_EQ(outcome->itemsRead, 3);
    EXPECT_EQ(outcome->itemsNotRead, 2);
    EXPECT_EQ(store.ReadRunHealth(sid)->verdict, "degraded");
    EXPECT_NE(OutcomeNotice(*outcome).find("读取了 3 / 5 个宝贝"), std::string::npos);
    RunOutcomeRow whole = *outcome;
    whole.itemsRead = 5;
    whole.itemsNotRead = 0;
    EXPECT_EQ(OutcomeNotice(whole), "");
}

// A run claims its key and stores "running" before its first request.
TEST_P(AcquisitionTest, ARunsRecordIsThereBeforeItsFirstRequest) {
    AcquisitionHarness harness(GetParam());
    harness.Sim().AddShop(MakeShop("早记小店", "early", 1));
    harness.Sim().AddFault(Fault{.match = "/wangwang/", .hold = true});
    ASSERT_EQ(harness.Controller().Start("早记小店", 1),
              AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness.WaitForHeld(1));
    const std::string sid = harness.Controller().CurrentRun()->RunId();
    EXPECT_EQ(harness.OpenStore().ReadRunOutcome(sid)->outcome, "running");
    EXPECT_FALSE(harness.OpenStore().ClaimRunKey(sid, DateTime()));
    harness.Sim().ClearFaults();
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());
    EXPECT_EQ(harness.OpenStore().ReadRunOutcome(sid)->outcome, "complete");
}

}  // namespace
}  // namespace tarnwick::test
