// The run-outcome and item-read tables on both stores, and a store without them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "store/Store.h"
#include "support/TempStore.h"

namespace tarnwick::test {
namespace {

class RunOutcomeStores : public ::testing::TestWithParam<StoreKind> {};

INSTANTIATE_TEST_SUITE_P(Stores, RunOutcomeStores,
                         testing::Values(StoreKind::File, StoreKind::Server), [](const auto& info) {
                             return info.param == StoreKind::File ? "File" : "Server";
                         });

RunOutcomeRow Outcome(const std::string& sid, const std::string& outcome) {
    RunOutcomeRow row;
    row.sid = sid;
    row.outcome = outcome;
    row.started = DateTime::FromText("2026-12-09 10:00:00.000");
    row.ended = DateTime::FromText("2026-12-09 10:05:30.250");
    row.listPages = 5;
    row.listPagesRead = 2;
    row.itemsListed = 40;
    row.itemsQueued = 41;
    row.itemsRead = 14;
    row.itemsNotRead = 27;
    row.ratePauses = 2;
    row.ratePausedMs = 61000;
    row.detail = "宝贝列表共 5 页\n未能保存的宝贝: 1 2";
    return row;
}

TEST_P(RunOutcomeStores, ARunsRecordIsReplacedAtItsEndAndGoesWithTheRun) {
    const TempStore temp(GetParam());
    Store store = temp.Open();
    ASSERT_TRUE(store.HasRunOutcomeTables());
    store.BeginRunOutcome(Outcome("20261209100000000", "running"));
    store.BeginRunOutcome(Outcome("20261209110000000", "running"));
    RunOutcomeRow ended = Outcome("20261209100000000", "stopped");
    ended.listComplete = 1;
    store.EndRunOutcome(ended);
    // An end without a beginning (the first write failed) is stored all the same.
    store.EndRunOutcome(Outcome("20261209120000000", "complete"));
    EXPECT_EQ(store.ReadRunOutcome("20261209100000000"), ended);
    EXPECT_EQ(store.ReadRunOutcome("20261209110000000")->outcome, "running");
    EXPECT_EQ(store.ReadRunOutcome("20261209120000000")->outcome, "complete");
    EXPECT_EQ(store.ReadRunOutcomes().size(), 3u);

    for (int seq : {3, 1, 2}) {
        store.AppendItemRead(ItemReadRow{"20261209100000000", seq, "50" + std::to_string(seq),
                                         seq == 2 ? "failed" : "read", seq == 2 ? "http" : ""});
    }
    const std::vector<ItemReadRow> reads = store.ReadItemReads("20261209100000000");
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[0].seq, 1);  // in queue order
    EXPECT_EQ(reads[1], (ItemReadRow{"20261209100000000", 2, "502", "failed", "http"}));

    store.DeleteShop("20261209100000000");
    EXPECT_FALSE(store.ReadRunOutcome("20261209100000000"));
    EXPECT_TRUE(store.ReadItemReads("20261209100000000").empty());
    EXPECT_TRUE(store.ReadRunOutcome("20261209110000000"));
}

TEST_P(RunOutcomeStores, AStoreWithoutTheTablesWritesAndReadsNothingAndDoesNotFail) {
    const TempStore temp(GetParam());
    temp.Execute("drop table ItemReads");
    Store store = temp.Open();
    EXPECT_FALSE(store.HasRunOutcomeTables());
    store.BeginRunOutcome(Outcome("20261209100000000", "running"));
    store.EndRunOutcome(Outcome("20261209100000000", "complete"));
    store.AppendItemRead(ItemReadRow{"20261209100000000", 1, "1", "read", ""});
    EXPECT_FALSE(store.ReadRunOutcome("20261209100000000"));
    EXPECT_TRUE(store.ReadRunOutcomes().empty());
    EXPECT_TRUE(store.ReadItemReads("20261209100000000").empty());
    store.DeleteShop("20261209100000000");
    EXPECT_EQ(temp.Count("select count(*) from RunOutcome"), 0);
}

// Ten programs claiming the same keys at once: each key goes to exactly one.
TEST_P(RunOutcomeStores, SimultaneousClaimsOfOneKeyLetExactlyOneThrough) {
    const TempStore temp(GetParam());
    constexpr int kPrograms = 10;
    constexpr int kKeys = 20;
    std::vector<std::atomic<int>> winners(kKeys);
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> programs;
    for (int p = 0; p < kPrograms; ++p) {
        programs.emplace_back([&] {
            try {
                Store store = temp.Open();
                ++ready;
                while (ready.load() < kPrograms) {
                    std::this_thread::yield();
                }
                for (int k = 0; k < kKeys; ++k) {
                    if (store.ClaimRunKey("2012040510203" + std::to_string(3000 + k),
                                          DateTime::FromText("2012-04-05 10:20:33.000"))) {
                        ++winners[static_cast<std::size_t>(k)];
                    }
                }
            } catch (const std::exception&) {
                ++ready;
                ++failures;
            }
        });
    }
    for (std::thread& program : programs) {
        program.join();
    }
    EXPECT_EQ(failures.load(), 0);
    for (int k = 0; k < kKeys; ++k) {
        EXPECT_EQ(winners[static_cast<std::size_t>(k)].load(), 1) << "key " << k;
    }
}

}  // namespace
}  // namespace tarnwick::test
