// The demo shop analysed on day 1, day 2 and day 3 through the acquisition core, then compared
// and followed through its runs. What each day changed is read off the marketsim's own shops,
// so the expectations do not come from the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "Market.h"
#include "analysis/ItemHistory.h"
#include "analysis/RunComparison.h"
#include "analysis/ShopRuns.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using Ids = std::set<std::string>;

double Price(const marketsim::Item& item) {
    return std::round(std::stod(item.price) * 100.0) / 100.0;
}

std::map<std::string, const marketsim::Item*> ById(const marketsim::Shop& shop) {
    std::map<std::string, const marketsim::Item*> items;
    for (const marketsim::Item& item : shop.items) {
        items[item.id] = &item;
    }
    return items;
}

class TwoDayShopTest : public ::testing::Test {
protected:
    // The shops of the three days and the runs made on them, oldest first.
    static void SetUpTestSuite() {
        harness = new AcquisitionHarness;
        for (int day = 1; day <= 3; ++day) {
            days.push_back(harness->Market().ServeDemoShop(day));
            ASSERT_TRUE(harness->Analyse(days.back().nick)) << "day " << day;
        }
        Store store = harness->OpenStore();
        runs = store.ReadShops();
        std::reverse(runs.begin(), runs.end());
    }
    static void TearDownTestSuite() {
        delete harness;
        harness = nullptr;
        days.clear();
        runs.clear();
    }

    static AcquisitionHarness* harness;
    static std::vector<marketsim::Shop> days;
    static std::vector<ShopRow> runs;
};

AcquisitionHarness* TwoDayShopTest::harness = nullptr;
std::vector<marketsim::Shop> TwoDayShopTest::days;
std::vector<ShopRow> TwoDayShopTest::runs;

TEST_F(TwoDayShopTest, TheThreeRunsAreOneShopInTheOrderTheyWereMade) {
    ASSERT_EQ(runs.size(), 3u);
    Store store = harness->OpenStore();
    const std::vector<ShopRow> ofShop = RunsOfShop(store, runs[2].SID);
    ASSERT_EQ(ofShop.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ofShop[i].SID, runs[i].SID);
    }
    EXPECT_EQ(PreviousRun(store, runs[2].SID)->SID, runs[1].SID);
    EXPECT_EQ(PreviousRun(store, runs[1].SID)->SID, runs[0].SID);
    EXPECT_FALSE(PreviousRun(store, runs[0].SID).has_value());
}

TEST_F(TwoDayShopTest, DayTwoAgainstDayOneGivesTheExactNewRemovedAndChangedSets) {
    ASSERT_EQ(runs.size(), 3u);
    Store store = harness->OpenStore();
    const RunComparison c = CompareRuns(store, runs[0], runs[1]);
    const marketsim::Shop& before = days[0];
    const marketsim::Shop& after = days[1];
    auto oldItems = ById(before);
    auto newItems = ById(after);

    Ids added;
    Ids removed;
    Ids kept;
    for (const ItemComparison& item : c.items) {
        (item.status == ItemStatus::New       ? added
         : item.status == ItemStatus::Removed ? removed
                                              : kept)
            .insert(item.itemId);
    }
    EXPECT_EQ(added, (Ids{"17000000201", "17000000202"}));
    EXPECT_EQ(removed, (Ids{before.items.back().id}));
    EXPECT_EQ(kept.size(), before.items.size() - 1);
    EXPECT_EQ(c.items.size(), before.items.size() + 2);

    Ids priceCuts;
    Ids priceRises;
    Ids changed;
    for (const ItemComparison& item : c.items) {
        SCOPED_TRACE(item.itemId);
        if (item.Changed()) {
            changed.insert(item.itemId);
        }
        if (item.status == ItemStatus::Removed) {
            EXPECT_FALSE(item.newer.has_value());
            EXPECT_EQ(item.older->price, Price(*oldItems[item.itemId]));
            EXPECT_TRUE(item.newDeals.empty());
            continue;
        }
        const marketsim::Item& now = *newItems[item.itemId];
        // Deals of day 2 are the ones the day-2 shop holds beyond the day-1 shop's.
        const std::size_t dealsBefore =
            oldItems.count(item.itemId) != 0 ? oldItems[item.itemId]->deals.size() : 0;
        EXPECT_EQ(item.newDeals.size(), now.deals.size() - dealsBefore);
        int pieces = 0;
        for (std::size_t i = 0; i < now.deals.size() - dealsBefore; ++i) {
            pieces += std::stoi(now.deals[i].amount);
        }
        EXPECT_EQ(item.NewDealQuantity(), pieces);
        if (item.status == ItemStatus::New) {
            EXPECT_FALSE(item.older.has_value());
            EXPECT_EQ(item.newer->sellcount, 1);
            EXPECT_EQ(item.PriceChange(), 0.0);
            continue;
        }
        const marketsim::Item& was = *oldItems[item.itemId];
        EXPECT_EQ(item.older->price, Price(was));
        EXPECT_EQ(item.newer->price, Price(now));
        EXPECT_NEAR(item.PriceChange(), Price(now) - Price(was), 1e-9);
        if (item.PriceChange() < 0) {
            priceCuts.insert(item.itemId);
            EXPECT_EQ(std::lround(Price(now) * 100), std::lround(Price(was) * 100) * 9 / 10);
        } else if (item.PriceChange() > 0) {
            priceRises.insert(item.itemId);
            EXPECT_DOUBLE_EQ(item.PriceChange(), 5.0);
        }
        EXPECT_EQ(item.older->sellcount, was.soldCount);
        EXPECT_EQ(item.newer->sellcount, now.soldCount);
        EXPECT_EQ(item.SellcountChange(), pieces);
        EXPECT_EQ(item.older->allow_quantity, was.stock);
        EXPECT_EQ(item.newer->allow_quantity, now.stock);
        EXPECT_EQ(item.ImpliedSales(), std::max(0, was.stock - now.stock));
        EXPECT_EQ(item.ReviewChange(),
                  static_cast<std::int64_t>(now.reviews.size() - was.reviews.size()));
        EXPECT_EQ(item.ViewChange(), now.views - was.views);
    }
    EXPECT_EQ(priceCuts.size(), 2u);
    EXPECT_EQ(priceRises.size(), 1u);

    // Changed: the new and removed ones, the moved prices, every third item from the second
    // (deals came in), the restocked fifth item and the seventh, sold out on even days.
    Ids expected = added;
    expected.insert(removed.begin(), removed.end());
    expected.insert(priceCuts.begin(), priceCuts.end());
    expected.insert(priceRises.begin(), priceRises.end());
    for (std::size_t i = 1; i < after.items.size(); i += 3) {
        if (oldItems.count(after.items[i].id) != 0) {
            expected.insert(after.items[i].id);
        }
    }
    expected.insert(after.items[4].id);
    expected.insert(after.items[6].id);
    EXPECT_EQ(changed, expected);
    EXPECT_EQ(c.ChangedCount(), expected.size());
    // The restock shows as a stock rise with no sales implied.
    const auto restocked = std::find_if(c.items.begin(), c.items.end(), [&](const auto& item) {
        return item.itemId == after.items[4].id;
    });
    EXPECT_EQ(restocked->StockChange(),
              static_cast<std::int64_t>(newItems[restocked->itemId]->stock -
                                        oldItems[restocked->itemId]->stock));
    EXPECT_GT(restocked->StockChange(), 0);
    EXPECT_EQ(restocked->ImpliedSales(), 0);

    // The shop's totals, from the served figures.
    auto totals = [](const marketsim::Shop& shop) {
        ShopTotals t;
        t.items = shop.items.size();
        for (const marketsim::Item& item : shop.items) {
            t.sellAmount += item.soldCount * Price(item);
            t.stockValue += item.stock * Price(item);
        }
        return t;
    };
    const ShopTotals oldTotals = totals(before);
    const ShopTotals newTotals = totals(after);
    EXPECT_EQ(c.olderTotals.items, oldTotals.items);
    EXPECT_EQ(c.newerTotals.items, newTotals.items);
    EXPECT_NEAR(c.olderTotals.sellAmount, oldTotals.sellAmount, 0.005);
    EXPECT_NEAR(c.newerTotals.sellAmount, newTotals.sellAmount, 0.005);
    EXPECT_NEAR(c.olderTotals.stockValue, oldTotals.stockValue, 0.005);
    EXPECT_NEAR(c.newerTotals.stockValue, newTotals.stockValue, 0.005);
}

TEST_F(TwoDayShopTest, NewDealsAreTheNewerRunsDealsBoughtAfterTheOlderRunWasStored) {
    ASSERT_EQ(runs.size(), 3u);
    Store store = harness->OpenStore();
    const RunComparison c = CompareRuns(store, runs[0], runs[1]);
    std::size_t total = 0;
    for (const ItemComparison& item : c.items) {
        for (const BuyerRow& deal : item.newDeals) {
            EXPECT_EQ(deal.sid, runs[1].SID);
            EXPECT_EQ(deal.itemid, item.itemId);
            EXPECT_LT(runs[0].AddTime, deal.buytime);
            ++total;
        }
    }
    // Every deal of day 2, and nothing else.
    std::size_t served = 0;
    auto oldItems = ById(days[0]);
    for (const marketsim::Item& item : days[1].items) {
        served +=
            item.deals.size() - (oldItems.count(item.id) ? oldItems[item.id]->deals.size() : 0);
    }
    EXPECT_EQ(total, served);
    EXPECT_GT(total, 0u);
}

TEST_F(TwoDayShopTest, AnItemsHistoryHasOnePointPerRunWithThatRunsFigures) {
    ASSERT_EQ(runs.size(), 3u);
    Store store = harness->OpenStore();
    // The second item takes deals every day; one of day 2's new items; the item day 2 removed.
    const std::string steady = days[0].items[1].id;
    const std::string fresh = "17000000201";
    const std::string gone = days[0].items.back().id;

    const std::vector<HistoryPoint> points = ItemHistory(store, runs[0], steady);
    ASSERT_EQ(points.size(), 3u);
    for (std::size_t day = 0; day < 3; ++day) {
        SCOPED_TRACE(day + 1);
        const marketsim::Item& served = *ById(days[day])[steady];
        EXPECT_EQ(points[day].sid, runs[day].SID);
        EXPECT_EQ(points[day].runTime, runs[day].AddTime);
        EXPECT_TRUE(points[day].listed);
        EXPECT_EQ(points[day].title, served.title);
        EXPECT_EQ(points[day].price, Price(served));
        EXPECT_EQ(points[day].sellcount, served.soldCount);
        EXPECT_EQ(points[day].stock, served.stock);
        EXPECT_EQ(points[day].reviews, static_cast<std::int32_t>(served.reviews.size()));
        EXPECT_EQ(points[day].views, served.views);
    }
    EXPECT_LT(points[0].sellcount, points[1].sellcount);
    EXPECT_LT(points[1].sellcount, points[2].sellcount);

    auto listed = [&](const std::string& id) {
        std::vector<bool> flags;
        for (const HistoryPoint& point : ItemHistory(store, runs[2], id)) {
            flags.push_back(point.listed);
        }
        return flags;
    };
    EXPECT_EQ(listed(fresh), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(listed(gone), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(listed("nothing-like-it"), (std::vector<bool>{false, false, false}));
}

}  // namespace
}  // namespace tarnwick::test
