// Runs against a marketplace that lies, stalls or points elsewhere, and a store that fails:
// every run still ends, within its limits, with an outcome that says what happened.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ShopModels.h"
#include "acquire/Run.h"
#include "acquire/RunOutcome.h"
#include "base/Clock.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using namespace std::chrono_literals;
using marketsim::Fault;
using marketsim::Item;

class BusyLimitsScope {
public:
    explicit BusyLimitsScope(std::chrono::milliseconds total) : m_saved(Database::GetBusyLimits()) {
        BusyLimits limits;
        limits.total = total;
        limits.engineWait = 20ms;
        limits.maxBackoff = 50ms;
        Database::SetBusyLimits(limits);
    }
    ~BusyLimitsScope() { Database::SetBusyLimits(m_saved); }

private:
    BusyLimits m_saved;
};

RunOutcome OutcomeOf(AcquisitionHarness& harness) {
    return harness.Controller().CurrentRun()->Outcome();
}

TEST(RunOutcomeTest, AnIMCardThatFailsIsCountedAndTheRunEndsUnreachable) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("down", "down", 3));
    harness.Sim().AddFault(Fault{.match = "/wangwang/", .status = 503});
    ASSERT_TRUE(harness.Analyse("down"));
    RunTotals totals = harness.Controller().CurrentRun()->Totals();
    EXPECT_EQ(totals.requests, 1);
    EXPECT_EQ(totals.failedFetches["HTTP 503"], 1);
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::MarketUnreachable);
    auto texts = harness.LogTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], OutcomeLogLine(RunOutcome::MarketUnreachable));
    EXPECT_EQ(texts.back(), "程序执行完成!");
}

TEST(RunOutcomeTest, AMarketplaceThatRefusesConnectionsEndsUnreachable) {
    AcquisitionHarness harness;
    harness.Sim().Stop();
    ASSERT_TRUE(harness.Analyse("anyone"));
    RunTotals totals = harness.Controller().CurrentRun()->Totals();
    EXPECT_EQ(totals.requests, 1);
    EXPECT_EQ(totals.failedFetches["network"], 1);
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::MarketUnreachable);
}

TEST(RunOutcomeTest, AFullRunIsCompleteAndSaysNothingMore) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("fine", "fine", 3, 2, 2));
    ASSERT_TRUE(harness.Analyse("fine"));
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::Complete);
    EXPECT_EQ(harness.LogTexts().back(), "程序执行完成!");
    // Card, one list page, and per item its page, its views, one deal and one review page.
    EXPECT_EQ(harness.Controller().CurrentRun()->Totals().requests, 2 + 3 * 4);
}

TEST(RunOutcomeTest, ANickThatCannotBeSentAsTypedIsRefused) {
    AcquisitionHarness harness;
    EXPECT_EQ(harness.Controller().Start("ab\xff\xfe", 1),
              AcquisitionController::StartResult::UnencodableNick);
    EXPECT_EQ(harness.Controller().Start("笑脸😀", 1),
              AcquisitionController::StartResult::UnencodableNick);
    EXPECT_EQ(harness.Controller().CurrentRun(), nullptr);
    EXPECT_TRUE(harness.Targets("/wangwang/").empty());
}

// ---- Store failures ----

TEST(StoreFailureTest, ALockNeverLetGoEndsTheRunBeforeAnyItemIsFetched) {
    AcquisitionHarness harness;
    const BusyLimitsScope limits(300ms);
    harness.Sim().AddShop(MakeShop("locked", "locked", 30, 2, 2));
    Database other = Database::Open(harness.Temp().Location());
    other.Execute("begin immediate");
    ASSERT_TRUE(harness.Analyse("locked"));
    other.Execute("rollback");
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::StoreFailed);
    EXPECT_TRUE(harness.Targets("/item.htm").empty());
    auto texts = harness.LogTexts();
    EXPECT_EQ(texts[texts.size() - 2], OutcomeLogLine(RunOutcome::StoreFailed));
    EXPECT_EQ(texts.back(), "程序执行完成!");
    auto errors = harness.Controller().CurrentRun()->Totals().errors;
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "database: database is locked");
}

TEST(StoreFailureTest, AStoreThatFailsMidRunStopsAllFurtherFetching) {
    AcquisitionHarness harness;
    const BusyLimitsScope limits(300ms);
    harness.Sim().AddShop(MakeShop("midway", "midway", 40, 2, 2));
    harness.Sim().AddFault(Fault{.match = "/item.htm", .hold = true});
    ASSERT_EQ(harness.Controller().Start("midway", 4), AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness.WaitForHeld(4));
    Database other = Database::Open(harness.Temp().Location());
    other.Execute("begin immediate");
    harness.Sim().ClearFaults();
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());
    other.Execute("rollback");
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::StoreFailed);
    // The four items under way fail at their first row; nothing else is asked for.
    EXPECT_EQ(harness.Targets("/item.htm").size(), 4u);
    EXPECT_TRUE(harness.Targets("feedRateList").empty());
    EXPECT_EQ(harness.OpenStore().ReadShops().size(), 1u);
}

TEST(StoreFailureTest, ALockHeldAWhileDuringTheRunLosesNoRow) {
    AcquisitionHarness harness;
    const BusyLimitsScope limits(30s);
    harness.Sim().AddShop(MakeShop("patient", "patient", 12, 20, 25));
    harness.Sim().AddFault(Fault{.match = "/item.htm", .hold = true});
    ASSERT_EQ(harness.Controller().Start("patient", 6),
              AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness.WaitForHeld(6));
    // Another program takes the write lock for far longer than the engine's own wait, while
    // every worker wants to write.
    Database other = Database::Open(harness.Temp().Location());
    other.Execute("begin immediate");
    harness.Sim().ClearFaults();
    harness.Sim().ReleaseHolds();
    std::atomic<bool> released{false};
    std::thread holder([&] {
        std::this_thread::sleep_for(1500ms);
        other.Execute("commit");
        released = true;
    });
    bool ended = harness.WaitForRunEnd(60s);
    holder.join();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(released.load());
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::Complete);
    auto run = harness.Controller().CurrentRun();
    Store store = harness.OpenStore();
    auto items = store.ReadItems(run->RunId());
    ASSERT_EQ(items.size(), 12u);
    for (const auto& item : items) {
        EXPECT_EQ(store.ReadBuyers(run->RunId(), item.ItemID).size(), 20u) << item.ItemID;
        EXPECT_EQ(store.ReadRates(run->RunId(), item.ItemID).size(), 25u) << item.ItemID;
    }
}

// ---- Limits and hostile pages ----

TEST(HostileMarketTest, AHugePageCountIsReadOnlyUpToTheLimit) {
    AcquisitionHarness harness;
    marketsim::Shop shop = MakeShop("huge", "huge", 2);
    shop.pageInfoValue = 2147483647;
    harness.Sim().AddShop(shop);
    RunLimits limits;
    limits.maxListPages = 4;
    harness.Controller().SetLimits(limits);
    ASSERT_TRUE(harness.Analyse("huge"));
    EXPECT_EQ(harness.Targets("pageNum=").size(), 4u);
    EXPECT_TRUE(harness.LogHas("宝贝列表共2147483647页, 只读前4页."));
    // Cut short by the limit: the shop's other items were never listed.
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::Truncated);
}

TEST(HostileMarketTest, EndlessAndRepeatingRecordPagesEnd) {
    AcquisitionHarness harness;
    Item endless = MakeItem("5001", 0, 0);
    endless.endlessReviews = true;
    Item repeating = MakeItem("5002", 15, 20);  // full pages, so further pages are asked for
    repeating.repeatRecordsOnFurtherPages = true;
    repeating.reviewPagesValue = 100;
    Item claimsMore = MakeItem("5003", 0, 40);  // page 1 says 2 pages; page 3 would say more
    marketsim::Shop shop = MakeShop("loops", "loops", 0);
    shop.items = {endless, repeating, claimsMore};
    harness.Sim().AddShop(shop);
    RunLimits limits;
    limits.maxReviewPages = 7;
    harness.Controller().SetLimits(limits);
    ASSERT_TRUE(harness.Analyse("loops"));

    auto run = harness.Controller().CurrentRun();
    Store store = harness.OpenStore();
    EXPECT_EQ(harness.Targets("itemId=5001").size(), 7u);
    EXPECT_EQ(store.ReadRates(run->RunId(), "5001").size(), 7u * 20);
    // Page 2 brings page 1's records under new bytes: not stored, the series ends.
    EXPECT_EQ(harness.Targets("item_id=5002").size(), 2u);
    EXPECT_EQ(harness.Targets("itemId=5002").size(), 2u);
    EXPECT_EQ(store.ReadBuyers(run->RunId(), "5002").size(), 15u);
    EXPECT_EQ(store.ReadRates(run->RunId(), "5002").size(), 20u);
    EXPECT_EQ(harness.Targets("itemId=5003").size(), 3u);  // page 3 is asked, never stored
    EXPECT_EQ(store.ReadRates(run->RunId(), "5003").size(), 40u);
    EXPECT_EQ(OutcomeOf(harness), RunOutcome::Complete);
}

TEST(HostileMarketTest, AddressesOtherThanHttpAreNeverFetched) {
    AcquisitionHarness harness;
    Item file = MakeItem("6001", 3, 3);
    file.reviewAddressOverride = "file:///dev/zero";
    file.dealAddressOverride = "gopher://127.0.0.1:" + std::to_string(harness.Sim().Port()) + "/x";
    Item redirected = MakeItem("6002", 3, 3);
    marketsim::Shop shop = MakeShop("schemes", "schemes", 0);
    shop.items = {file, redirected};
    harness.Sim().AddShop(shop);
    harness.Sim().AddFault(Fault{.match = "itemId=6002", .redirectTo = "file:///etc/passwd"});
    ASSERT_TRUE(harness.Analyse("schemes"));

    RunTotals totals = harness.Controller().CurrentRun()->Totals();
    EXPECT_EQ(totals.failedFetches["scheme"], 3);
    EXPECT_TRUE(harness.Targets("/x").empty());  // no gopher request reached the server
    auto run = harness.Controller().CurrentRun();
    Store store = harness.OpenStore();
    EXPECT_EQ(store.ReadItems(run->RunId()).size(), 2u);
    EXPECT_EQ(store.ReadBuyers(run->RunId(), "6002").size(), 3u);
    EXPECT_TRUE(store.ReadRates(run->RunId(), "6002").empty());
}

TEST(HostileMarketTest, AnOversizedPageFailsAsTooLarge) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("big", "big", 2, 1, 1));
    harness.Sim().AddFault(Fault{.match = "/item.htm?id=1000", .bodyBytes = 3u << 20});
    RunLimits limits;
    limits.maxBodyBytes = 1 << 20;
    harness.Controller().SetLimits(limits);
    ASSERT_TRUE(harness.Analyse("big"));
    RunTotals totals = harness.Controller().CurrentRun()->Totals();
    EXPECT_EQ(totals.failedFetches["too large"], 1);
    auto items = harness.OpenStore().ReadItems(harness.Controller().CurrentRun()->RunId());
    EXPECT_EQ(items.size(), 2u);
}

// ---- Threads and the run's end ----

// Hands steps over like the event loop, but the first sends fail, as a hand-over that runs out
// of memory would.
class FailingOwner : public OwnerThread {
public:
    explicit FailingOwner(EventLoop& loop, int failures) : m_loop(loop), m_failures(failures) {}
    void Post(std::function<void()> step) override { m_loop.Post(std::move(step)); }
    bool Send(std::function<void()> step, std::stop_token cancel) override {
        if (m_failures.fetch_sub(1) > 0) {
            throw std::runtime_error("hand-over failed");
        }
        return m_loop.Send(std::move(step), cancel);
    }

private:
    EventLoop& m_loop;
    std::atomic<int> m_failures;
};

TEST(WorkerEndTest, AFailingLogHandOverNeitherEndsTheProcessNorLosesTheEndReport) {
    TempDatabase database;
    MarketFixture market;
    market.Sim().AddShop(MakeShop("frail", "frail", 4, 1, 1));
    EventLoop loop;
    FailingOwner owner(loop, 3);
    RecordingObserver observer;
    AcquisitionController controller(owner, observer, StoreSource::File(database.Path()),
                                     market.GetEndpoints(), SystemClock::Instance());
    ASSERT_EQ(controller.Start("frail", 2), AcquisitionController::StartResult::Started);
    auto run = controller.CurrentRun();
    bool ended = false;
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        ended = loop.RunUntil([&] { return run->Completed() && !run->ReaderRunning(); }, 50ms);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(observer.completions, 1);
}

TEST(WorkerEndTest, AStopJustAfterTheLastRunningDownloadEndedStillCompletesTheRun) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("one", "one", 3));
    auto& controller = harness.Controller();
    ASSERT_EQ(controller.Start("one", 1), AcquisitionController::StartResult::Started);
    auto run = controller.CurrentRun();
    // The stop lands in the same turn of the owner's loop as the first download's end report,
    // before the control thread can start the next: no download runs and none will report.
    bool stopped = false;
    ASSERT_TRUE(harness.RunUntil([&] {
        if (!stopped && run->Totals().downloadsEnded == 1) {
            controller.Stop();
            stopped = true;
        }
        return stopped;
    }));
    ASSERT_TRUE(harness.WaitForRunEnd(20s));
    EXPECT_EQ(harness.Observer().completions, 1);
    EXPECT_TRUE(harness.LogHas("程序执行完成!"));
    EXPECT_EQ(run->Outcome(), RunOutcome::Stopped);
}

class SettableClock : public Clock {
public:
    DateTime Now() const override { return now; }
    DateTime now = DateTime::FromParts({2026, 12, 9, 10, 30, 15, 250});
};

TEST(WorkerEndTest, AClockSetFarBackGivesTheNextKeyAtOnce) {
    TempDatabase database;
    EventLoop loop;
    RecordingObserver observer;
    SettableClock clock;
    Endpoints endpoints = Endpoints::Defaults();
    ASSERT_TRUE(endpoints.PointMarketAt("http://127.0.0.1:9"));  // nothing listens there
    AcquisitionController controller(loop, observer, StoreSource::File(database.Path()), endpoints,
                                     clock);
    controller.Start("a", 1);
    // Counting up a millisecond at a time from here would take days.
    clock.now = DateTime::FromParts({1990, 1, 1, 0, 0, 0, 0});
    controller.Start("b", 1);
    EXPECT_EQ(controller.CurrentRun()->RunId(), "20261209103015251");
    clock.now = DateTime::FromParts({2027, 1, 1, 0, 0, 0, 0});
    controller.Start("c", 1);
    EXPECT_EQ(controller.CurrentRun()->RunId(), "20270101000000000");
}

}  // namespace
}  // namespace tarnwick::test
