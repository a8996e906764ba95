// A shop of a few hundred items read at 30 threads while every kind of fault the marketplace
// can throw at us is mixed in: the run ends within its bound, every item that was served in
// full is stored in full, and the totals name each kind of failure.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "ShopModels.h"
#include "acquire/Run.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using namespace std::chrono_literals;
using marketsim::Fault;

constexpr int kGroups = 10;
constexpr int kPerGroup = 30;
constexpr int kDeals = 20;    // two deal-record pages
constexpr int kReviews = 25;  // two review pages
constexpr int kReviewPageLimit = 6;

// Items of group g have ids 7g000, 7g001, ...: a fault on "id=7g" reaches that group alone.
std::string Id(int group, int n) {
    return std::to_string(70000 + group * 1000 + n);
}

struct Expected {
    std::size_t buyers;
    std::size_t rates;
    bool titled;
};

TEST(FaultSoakTest, EveryFaultAtOnceEndsInBoundAndKeepsWhatWasServedInFull) {
    AcquisitionHarness harness;
    auto& sim = harness.Sim();
    const std::string gopher = "gopher://127.0.0.1:" + std::to_string(sim.Port()) + "/_x";

    marketsim::Shop shop = MakeShop("故障百货", "soak", 0);
    shop.listPageSize = 40;
    shop.pageInfoValue = 2147483647;  // a page count that would page for days
    std::map<int, Expected> expected;
    for (int g = 0; g < kGroups; ++g) {
        for (int n = 0; n < kPerGroup; ++n) {
            marketsim::Item item = MakeItem(Id(g, n), kDeals, kReviews);
            if (g == 6) {
                item.dealAddressOverride = gopher;
                item.reviewAddressOverride = "file:///dev/zero";
            }
            if (g == 7) {
                item = MakeItem(Id(g, n), 0, 0);
                item.endlessReviews = true;
            }
            if (g == 9) {
                item.repeatRecordsOnFurtherPages = true;
            }
            shop.items.push_back(item);
        }
    }
    sim.AddShop(shop);
    // g0: no fault.
    sim.AddFault(Fault{.match = "/item.htm?id=71", .status = 500});
    expected[1] = {0, 0, false};
    sim.AddFault(Fault{.match = "item_id=72", .closeMidBody = true});
    expected[2] = {0, kReviews, true};
    sim.AddFault(Fault{.match = "itemId=73", .stall = true});
    expected[3] = {kDeals, 0, true};
    sim.AddFault(Fault{.match = "itemviews.htm?id=74", .redirectLoop = true});
    expected[4] = {kDeals, kReviews, true};
    sim.AddFault(Fault{.match = "/item.htm?id=75", .bodyBytes = 2u << 20});
    expected[5] = {0, 0, false};
    expected[6] = {0, 0, true};
    expected[7] = {0, kReviewPageLimit * 20, true};
    sim.AddFault(Fault{.match = "item_id=78", .trickleMs = 20});
    expected[8] = {0, kReviews, true};
    sim.AddFault(Fault{.match = "item_id=79", .status = 404});
    expected[9] = {0, 20, true};  // page 2 repeats page 1's reviews: not stored
    expected[0] = {kDeals, kReviews, true};

    RunLimits limits;
    limits.maxListPages = 12;
    limits.maxReviewPages = kReviewPageLimit;
    // Well below the 2 MB answer, so that the size limit, not the time limit, ends it even on
    // a machine slowed down by a sanitizer or a parallel build.
    limits.maxBodyBytes = 256 << 10;
    limits.readTimeoutMs = 500;
    limits.maxFetchMs = 1500;
    harness.Controller().SetLimits(limits);

    ASSERT_TRUE(harness.Analyse("故障百货", 30, 180s));
    auto run = harness.Controller().CurrentRun();
    // The page count would page for days: the limit cuts the listing short.
    EXPECT_EQ(run->Outcome(), RunOutcome::Truncated);
    EXPECT_EQ(harness.Targets("pageNum=").size(), 12u);

    Store store = harness.OpenStore();
    auto items = store.ReadItems(run->RunId());
    ASSERT_EQ(items.size(), static_cast<std::size_t>(kGroups * kPerGroup));
    for (const ItemRow& item : items) {
        int group = (std::stoi(item.ItemID) - 70000) / 1000;
        const Expected& want = expected.at(group);
        SCOPED_TRACE("item " + item.ItemID);
        EXPECT_EQ(store.ReadBuyers(run->RunId(), item.ItemID).size(), want.buyers);
        EXPECT_EQ(store.ReadRates(run->RunId(), item.ItemID).size(), want.rates);
        EXPECT_EQ(item.BuyerCount, static_cast<int>(want.buyers));
        EXPECT_EQ(item.Commentcount, static_cast<int>(want.rates));
        EXPECT_EQ(!item.title.empty(), want.titled);
        if (group == 4) {
            EXPECT_EQ(item.pv, 0);  // the views answer never came back from its redirects
        }
    }

    RunTotals totals = run->Totals();
    const std::map<std::string, int> failures = {
        {"HTTP 500", kPerGroup},  {"network", kPerGroup},    {"timeout", 2 * kPerGroup},
        {"too large", kPerGroup}, {"scheme", 2 * kPerGroup}, {"HTTP 404", kPerGroup},
    };
    EXPECT_EQ(totals.failedFetches, failures);
    EXPECT_TRUE(totals.errors.empty());
    EXPECT_EQ(totals.itemsStored, kGroups * kPerGroup);
}

}  // namespace
}  // namespace tarnwick::test
