#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "ShopModels.h"
#include "base/Clock.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using marketsim::Fault;

TEST(StopTest, StopBeforeAnyDownloadCompletesWhileTheReaderResolves) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("slow", "slow", 5));
    harness.Sim().AddFault(Fault{.match = "/wangwang/", .hold = true});
    auto& controller = harness.Controller();
    ASSERT_EQ(controller.Start("slow", 6), AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness.WaitForHeld(1));
    controller.Stop();
    auto run = controller.CurrentRun();
    ASSERT_TRUE(harness.RunUntil([&] { return run->Completed(); }));
    EXPECT_TRUE(run->ReaderRunning());  // still waiting for the IM card
    EXPECT_EQ(harness.LogTexts().back(), "程序执行完成!");
    EXPECT_FALSE(harness.Observer().running);

    // The reader ends on its own: its row is stored, its ids queued but never started.
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());
    EXPECT_EQ(harness.OpenStore().ReadShops().size(), 1u);
    EXPECT_TRUE(harness.Targets("/item.htm").empty());
    EXPECT_EQ(harness.Observer().completions, 1);
}

TEST(StopTest, StopDuringDownloadsStartsNoMoreAndKeepsTheirRows) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("busy", "busy", 10, 40, 0));
    harness.Sim().AddFault(Fault{.match = "/item.htm", .hold = true});
    auto& controller = harness.Controller();
    ASSERT_EQ(controller.Start("busy", 2), AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness.WaitForHeld(2));
    controller.Stop();
    EXPECT_TRUE(harness.LogHas("正在终止程序,此过程可能需要几分钟时间,请稍候..."));
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());

    EXPECT_EQ(harness.Targets("/item.htm").size(), 2u);
    auto run = controller.CurrentRun();
    Store store = harness.OpenStore();
    auto items = store.ReadItems(run->RunId());
    ASSERT_EQ(items.size(), 2u);
    for (const auto& item : items) {
        // Page 1 of the deal records is read; the stop ends the series before page 2.
        EXPECT_EQ(item.BuyerCount, 15);
        EXPECT_TRUE(harness.LogHas("宝贝 " + item.ItemID + " 共下载15个买家."));
    }
    // The items never started leave the run degraded: its verdict follows the closing line.
    EXPECT_EQ(harness.CompletionLine(), "程序执行完成!");
    EXPECT_EQ(harness.Observer().completions, 1);
}

TEST(StopTest, ReaderEndingAfterTheLastDownloadStillCompletesTheRun) {
    AcquisitionHarness harness;
    marketsim::Shop shop = MakeShop("late", "late", 1);
    shop.pageInfoValue = 2;  // a second, empty page
    harness.Sim().AddShop(shop);
    harness.Sim().AddFault(Fault{.match = "pageNum=2", .hold = true});
    ASSERT_EQ(harness.Controller().Start("late", 6), AcquisitionController::StartResult::Started);
    auto run = harness.Controller().CurrentRun();
    ASSERT_TRUE(harness.RunUntil([&] { return run->Totals().downloadsEnded == 1; }));
    ASSERT_TRUE(harness.WaitForHeld(1));
    EXPECT_FALSE(run->Completed());
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());
    EXPECT_EQ(harness.LogTexts().back(), "程序执行完成!");
    EXPECT_FALSE(harness.Observer().running);
}

TEST(StopTest, StopAfterTheDownloadsEndedWhileTheReaderStillReadsCompletesTheRun) {
    AcquisitionHarness harness;
    marketsim::Shop shop = MakeShop("paged", "paged", 10);
    shop.listPageSize = 5;
    harness.Sim().AddShop(shop);
    harness.Sim().AddFault(Fault{.match = "pageNum=2", .hold = true});
    ASSERT_EQ(harness.Controller().Start("paged", 6), AcquisitionController::StartResult::Started);
    auto run = harness.Controller().CurrentRun();
    ASSERT_TRUE(harness.RunUntil([&] { return run->Totals().downloadsEnded == 5; }));
    ASSERT_TRUE(harness.WaitForHeld(1));
    harness.Controller().Stop();
    // The control thread sees the stop and its end report closes the run, while the reader
    // still waits for page 2; the page's ids are queued later but nothing starts them.
    ASSERT_TRUE(harness.RunUntil([&] { return run->Completed(); }));
    EXPECT_TRUE(harness.LogHas("程序执行完成!"));
    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.WaitForRunEnd());
    EXPECT_EQ(run->PendingCount(), 5u);
    EXPECT_EQ(harness.Targets("/item.htm").size(), 5u);
    EXPECT_EQ(run->Outcome(), RunOutcome::Stopped);
    EXPECT_FALSE(harness.Observer().running);
    EXPECT_EQ(harness.Observer().completions, 1);
}

TEST(StopTest, ADownloadThreadThatCannotStartIsTakenAgainAndTheRunCompletes) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("crowded", "crowded", 6, 1, 1));
    // The reader and the control thread start first; then the system refuses two downloads'
    // threads, as it does when the process is out of threads.
    std::atomic<int> starts{0};
    harness.Controller().Threads().SetLauncher([&starts](std::function<void()> body) {
        const int n = ++starts;
        if (n == 3 || n == 5) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                    "no thread");
        }
        return std::thread(std::move(body));
    });
    ASSERT_TRUE(harness.Analyse("crowded"));
    auto run = harness.Controller().CurrentRun();

    EXPECT_EQ(starts.load(), 2 + 6 + 2);
    EXPECT_EQ(harness.OpenStore().ReadItems(run->RunId()).size(), 6u);
    EXPECT_EQ(harness.Targets("/item.htm").size(), 6u);
    const RunTotals totals = run->Totals();
    EXPECT_EQ(totals.downloadsEnded, 6);
    EXPECT_EQ(
        std::count_if(totals.errors.begin(), totals.errors.end(),
                      [](const std::string& e) { return e.starts_with("starting a download"); }),
        2);
    {
        auto lock = run->Lock();
        EXPECT_EQ(run->RunningDownloadsLocked(), 0);  // no refused start left counted as running
    }
    EXPECT_EQ(harness.Observer().completions, 1);
}

TEST(RunsTest, AnEarlierRunStillWorkingNeverMixesWithTheNext) {
    AcquisitionHarness harness;
    harness.Sim().AddShop(MakeShop("first", "first", 3, 2, 2));
    harness.Sim().AddShop(MakeShop("second", "second", 4, 1, 1, 2000));
    harness.Sim().AddFault(Fault{.match = "/item.htm", .hold = true});
    auto& controller = harness.Controller();

    ASSERT_EQ(controller.Start("first", 6), AcquisitionController::StartResult::Started);
    auto first = controller.CurrentRun();
    ASSERT_TRUE(harness.WaitForHeld(3));
    controller.Reset();  // the dialog is shown again while the first run goes on
    harness.Sim().ClearFaults();
    ASSERT_TRUE(harness.Analyse("second"));
    auto second = controller.CurrentRun();
    ASSERT_NE(first->RunId(), second->RunId());

    harness.Sim().ReleaseHolds();
    ASSERT_TRUE(harness.RunUntil([&] { return first->Completed() && !first->ReaderRunning(); }));

    Store store = harness.OpenStore();
    auto firstItems = store.ReadItems(first->RunId());
    auto secondItems = store.ReadItems(second->RunId());
    EXPECT_EQ(firstItems.size(), 3u);
    EXPECT_EQ(secondItems.size(), 4u);
    for (const auto& item : firstItems) {
        EXPECT_EQ(store.ReadBuyers(first->RunId(), item.ItemID).size(), 2u);
    }
    EXPECT_EQ(store.ReadShops().size(), 2u);
    // The first run's late end reports did not end the second one twice.
    EXPECT_EQ(harness.Observer().completions, 1);
}

TEST(RunsTest, ClosingDuringARunEndsPromptlyAndStoresNothingMore) {
    auto harness = std::make_unique<AcquisitionHarness>();
    harness->Sim().AddShop(MakeShop("exit", "exit", 6, 3, 3));
    harness->Sim().AddFault(Fault{.match = "/item.htm", .stall = true});
    ASSERT_EQ(harness->Controller().Start("exit", 3), AcquisitionController::StartResult::Started);
    ASSERT_TRUE(harness->RunUntil([&] { return harness->Targets("/item.htm").size() == 3; }));
    auto sid = harness->Controller().CurrentRun()->RunId();
    auto started = std::chrono::steady_clock::now();
    harness->Close();  // the program ends: nothing waits for the stalled fetches
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
    // The stalled items were cut off before their rows: nothing half-read is stored.
    EXPECT_TRUE(harness->OpenStore().ReadItems(sid).empty());
    EXPECT_EQ(harness->OpenStore().ReadShops().size(), 1u);
}

class FixedClock : public Clock {
public:
    DateTime Now() const override { return DateTime::FromParts({2026, 12, 9, 10, 30, 15, 250}); }
};

TEST(RunsTest, RunKeysAreNewEvenWithinOneMillisecond) {
    TempDatabase database;
    EventLoop loop;
    RecordingObserver observer;
    FixedClock clock;
    Endpoints endpoints = Endpoints::Defaults();
    ASSERT_TRUE(endpoints.PointMarketAt("http://127.0.0.1:9"));  // nothing listens there
    AcquisitionController controller(loop, observer, StoreSource::File(database.Path()), endpoints,
                                     clock);
    controller.Start("a", 1);
    std::string first = controller.CurrentRun()->RunId();
    controller.Start("b", 1);
    std::string second = controller.CurrentRun()->RunId();
    EXPECT_EQ(first, "20261209103015250");
    EXPECT_EQ(second, "20261209103015251");
}

// Programs on two machines sharing one store start in the same millisecond; each program's own
// memory of its last key knows nothing of the other's.
class SharedStoreRuns : public testing::TestWithParam<StoreKind> {};

INSTANTIATE_TEST_SUITE_P(Stores, SharedStoreRuns,
                         testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto& info) { return KindName(info.param); });

TEST_P(SharedStoreRuns, ProgramsStartingInOneMillisecondGetDifferentKeys) {
    TempStore store(GetParam());
    // A run stored earlier holds the first key already.
    ShopRow earlier;
    earlier.SID = "20261209103015250";
    store.Open().AppendShop(earlier);

    EventLoop loop;
    RecordingObserver observer;
    FixedClock clock;
    Endpoints endpoints = Endpoints::Defaults();
    ASSERT_TRUE(endpoints.PointMarketAt("http://127.0.0.1:9"));  // nothing listens there
    AcquisitionController first(loop, observer, store.Source(), endpoints, clock);
    AcquisitionController second(loop, observer, store.Source(), endpoints, clock);
    first.Start("a", 1);
    second.Start("b", 1);
    const std::string firstKey = first.CurrentRun()->RunId();
    const std::string secondKey = second.CurrentRun()->RunId();
    EXPECT_EQ(firstKey, "20261209103015251");
    // The first has stored nothing yet but its claim: in the file as on the server, that is
    // enough to keep the second off its key.
    EXPECT_EQ(secondKey, "20261209103015252");
}

TEST(SharedStoreRuns, AStoreThatCannotBeReachedLeavesTheKeyToTheClock) {
    EventLoop loop;
    RecordingObserver observer;
    FixedClock clock;
    Endpoints endpoints = Endpoints::Defaults();
    ASSERT_TRUE(endpoints.PointMarketAt("http://127.0.0.1:9"));
    AcquisitionController controller(
        loop, observer, StoreSource::Parse("postgresql:///postgres?host=/nonexistent-tarnwick"),
        endpoints, clock);
    controller.Start("a", 1);
    EXPECT_EQ(controller.CurrentRun()->RunId(), "20261209103015250");
}

}  // namespace
}  // namespace tarnwick::test
