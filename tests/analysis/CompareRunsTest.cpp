// Comparisons and histories over rows written straight into a fresh database, for the cases a
// served shop does not produce: ids listed twice, a deal at the very moment of the older run,
// runs grouped by nick, figures at the ends of their range.
#include "analysis/RunComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/ItemHistory.h"
#include "analysis/ShopRuns.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

DateTime At(int day, int hour, int minute = 0, int second = 0, int millisecond = 0) {
    return DateTime::FromParts({2026, 3, day, hour, minute, second, millisecond});
}

ShopRow ShopRun(const std::string& sid, const std::string& owner, const std::string& nick,
                DateTime added) {
    ShopRow run;
    run.SID = sid;
    run.OwnerID = owner;
    run.WWName = nick;
    run.AddTime = added;
    return run;
}

ItemRow Item(const std::string& sid, const std::string& id, double price, int sold, int stock,
             int reviews = 0, int views = 0) {
    ItemRow item;
    item.sid = sid;
    item.ItemID = id;
    item.title = "宝贝" + id;
    item.price = price;
    item.sellcount = sold;
    item.SellAmount = sold * price;
    item.allow_quantity = stock;
    item.Commentcount = reviews;
    item.pv = views;
    return item;
}

BuyerRow Deal(const std::string& sid, const std::string& id, const std::string& buyer,
              DateTime when, int amount = 1) {
    BuyerRow deal;
    deal.sid = sid;
    deal.itemid = id;
    deal.Buyer = buyer;
    deal.buytime = when;
    deal.amount = amount;
    deal.price = 10;
    return deal;
}

// As a run stores an item after its deals: how many, and the time of the newest.
ItemRow WithDeals(ItemRow item, int count, DateTime newest) {
    item.BuyerCount = count;
    item.lastSell = newest;
    return item;
}

class CompareRunsTest : public ::testing::Test {
protected:
    TempDatabase temp;
    Store store{Database::Open(temp.Path())};

    const ItemComparison& Find(const RunComparison& c, const std::string& id) {
        for (const ItemComparison& item : c.items) {
            if (item.itemId == id) {
                return item;
            }
        }
        throw std::runtime_error("no item " + id);
    }
};

TEST_F(CompareRunsTest, AnIdListedTwiceCountsOnceWithItsFirstRowAndItsDealsOnce) {
    const ShopRow older = ShopRun("1", "900", "店", At(1, 9));
    const ShopRow newer = ShopRun("2", "900", "店", At(2, 9));
    store.AppendShop(older);
    store.AppendShop(newer);
    store.AppendItem(Item("1", "A", 10.0, 5, 50));
    store.AppendItem(Item("1", "A", 99.0, 7, 1));  // the second listing is not the item's figures
    store.AppendItem(WithDeals(Item("2", "A", 8.0, 6, 48), 2, At(1, 21)));
    store.AppendItem(WithDeals(Item("2", "A", 77.0, 0, 0), 2, At(1, 21)));
    // Listed twice, so its deal records were stored twice over.
    for (int copy = 0; copy < 2; ++copy) {
        store.AppendBuyer(Deal("2", "A", "甲", At(1, 20), 2));
        store.AppendBuyer(Deal("2", "A", "乙", At(1, 21), 1));
    }

    const RunComparison c = CompareRuns(store, older, newer);
    ASSERT_EQ(c.items.size(), 1u);
    const ItemComparison& a = c.items[0];
    EXPECT_EQ(a.status, ItemStatus::Kept);
    EXPECT_EQ(a.older->price, 10.0);
    EXPECT_EQ(a.newer->price, 8.0);
    EXPECT_DOUBLE_EQ(a.PriceChange(), -2.0);
    EXPECT_EQ(a.SellcountChange(), 1);
    EXPECT_EQ(a.ImpliedSales(), 2);
    ASSERT_EQ(a.newDeals.size(), 2u);
    EXPECT_EQ(a.newDeals[0].Buyer, "乙");  // newest first
    EXPECT_EQ(a.NewDealQuantity(), 3);
    EXPECT_EQ(c.olderTotals.items, 1u);
    EXPECT_DOUBLE_EQ(c.olderTotals.sellAmount, 50.0);
    EXPECT_DOUBLE_EQ(c.olderTotals.stockValue, 500.0);
    EXPECT_DOUBLE_EQ(c.newerTotals.stockValue, 8.0 * 48);
}

TEST_F(CompareRunsTest, OnlyDealsBoughtAfterTheOlderRunWasStoredAreNew) {
    const DateTime stored = At(1, 9, 30, 15, 250);
    const ShopRow older = ShopRun("1", "900", "店", stored);
    const ShopRow newer = ShopRun("2", "900", "店", At(2, 9));
    store.AppendItem(Item("1", "A", 10.0, 1, 10));
    store.AppendItem(WithDeals(Item("2", "A", 10.0, 1, 10), 3, At(1, 9, 30, 15, 251)));
    // Sold before the older run only, as its own row says: its deals are not read at all.
    store.AppendItem(WithDeals(Item("2", "C", 10.0, 1, 10), 1, At(1, 9)));
    // Deals whose time could not be read leave no lastSell: they are read to be sure.
    store.AppendItem(WithDeals(Item("2", "D", 10.0, 1, 10), 1, DateTime()));
    store.AppendBuyer(Deal("2", "D", "无时间", At(1, 10)));
    store.AppendBuyer(Deal("2", "A", "同时", stored));
    store.AppendBuyer(Deal("2", "A", "之前", At(1, 9, 30, 15, 249)));
    store.AppendBuyer(Deal("2", "A", "之后", At(1, 9, 30, 15, 251)));
    store.AppendBuyer(Deal("1", "A", "旧表", At(1, 23)));  // the older run's own rows
    store.AppendBuyer(Deal("2", "B", "别的宝贝", At(1, 23)));

    const RunComparison c = CompareRuns(store, older, newer);
    ASSERT_EQ(c.items.size(), 3u);
    ASSERT_EQ(c.items[0].newDeals.size(), 1u);
    EXPECT_EQ(c.items[0].newDeals[0].Buyer, "之后");
    EXPECT_TRUE(Find(c, "C").newDeals.empty());
    ASSERT_EQ(Find(c, "D").newDeals.size(), 1u);
    // Nothing else moved, but deals came in: the item counts as changed.
    EXPECT_EQ(c.items[0].PriceChange(), 0.0);
    EXPECT_TRUE(c.items[0].Changed());
}

TEST_F(CompareRunsTest, StatusesOrderAndTheChangedFilter) {
    const ShopRow older = ShopRun("1", "900", "店", At(1, 9));
    const ShopRow newer = ShopRun("2", "900", "店", At(2, 9));
    for (const char* id : {"gone1", "same", "pricey", "gone2"}) {
        store.AppendItem(Item("1", id, 10.0, 3, 30, 4, 100));
    }
    store.AppendItem(Item("2", "fresh", 20.0, 0, 5));
    store.AppendItem(Item("2", "pricey", 10.3, 3, 30, 4, 100));
    store.AppendItem(Item("2", "same", 10.0, 3, 30, 4, 100));

    const RunComparison c = CompareRuns(store, older, newer);
    std::vector<std::string> order;
    for (const ItemComparison& item : c.items) {
        order.push_back(item.itemId);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"fresh", "pricey", "same", "gone1", "gone2"}));
    EXPECT_EQ(c.Count(ItemStatus::New), 1u);
    EXPECT_EQ(c.Count(ItemStatus::Removed), 2u);
    EXPECT_EQ(c.Count(ItemStatus::Kept), 2u);
    EXPECT_FALSE(Find(c, "same").Changed());
    EXPECT_DOUBLE_EQ(Find(c, "pricey").PriceChange(), 0.3);
    EXPECT_EQ(Find(c, "gone1").Title(), "宝贝gone1");
    std::vector<std::string> changed;
    for (const ItemComparison& item : c.ChangedItems()) {
        changed.push_back(item.itemId);
    }
    EXPECT_EQ(changed, (std::vector<std::string>{"fresh", "pricey", "gone1", "gone2"}));
    EXPECT_EQ(c.ChangedCount(), 4u);
}

TEST_F(CompareRunsTest, ChangesNeitherDriftNorOverflow) {
    const ShopRow older = ShopRun("1", "900", "店", At(1, 9));
    const ShopRow newer = ShopRun("2", "900", "店", At(2, 9));
    constexpr auto kLow = std::numeric_limits<std::int32_t>::min();
    constexpr auto kHigh = std::numeric_limits<std::int32_t>::max();
    store.AppendItem(Item("1", "drift", 0.1 + 0.2, 0, 0));
    store.AppendItem(Item("2", "drift", 0.3, 0, 0));
    store.AppendItem(Item("1", "wide", 1.0, kLow, kHigh, kLow, kLow));
    store.AppendItem(Item("2", "wide", 1.0, kHigh, kLow, kHigh, kHigh));

    const RunComparison c = CompareRuns(store, older, newer);
    const ItemComparison& drift = Find(c, "drift");
    EXPECT_EQ(drift.PriceChange(), 0.0);
    EXPECT_FALSE(std::signbit(drift.PriceChange()));
    EXPECT_FALSE(drift.Changed());
    const ItemComparison& wide = Find(c, "wide");
    const std::int64_t span = static_cast<std::int64_t>(kHigh) - kLow;
    EXPECT_EQ(wide.SellcountChange(), span);
    EXPECT_EQ(wide.StockChange(), -span);
    EXPECT_EQ(wide.ImpliedSales(), span);
    EXPECT_EQ(wide.ReviewChange(), span);
    EXPECT_EQ(wide.ViewChange(), span);
}

TEST_F(CompareRunsTest, RunsOfAShopShareTheOwnerIdOrWithoutOneTheNick) {
    store.AppendShop(ShopRun("c", "900", "小店", At(3, 9)));
    store.AppendShop(ShopRun("a", "900", "改了名的小店", At(1, 9)));
    store.AppendShop(ShopRun("b", "901", "小店", At(2, 9)));  // another shop of the same nick
    store.AppendShop(ShopRun("n2", "", "无名店", At(2, 10)));
    store.AppendShop(ShopRun("n1", "", "无名店", At(1, 10)));
    store.AppendShop(ShopRun("x", "", "小店", At(4, 9)));  // no owner id: not the owner's shop
    store.AppendShop(ShopRun("same-b", "900", "小店", At(3, 9)));  // stored in the same millisecond

    auto sids = [&](std::string_view sid) {
        std::vector<std::string> out;
        for (const ShopRow& run : RunsOfShop(store, sid)) {
            out.push_back(run.SID);
        }
        return out;
    };
    EXPECT_EQ(sids("c"), (std::vector<std::string>{"a", "c", "same-b"}));
    EXPECT_EQ(sids("b"), (std::vector<std::string>{"b"}));
    EXPECT_EQ(sids("n1"), (std::vector<std::string>{"n1", "n2"}));
    EXPECT_EQ(sids("x"), (std::vector<std::string>{"x"}));
    EXPECT_TRUE(sids("missing").empty());
    EXPECT_EQ(PreviousRun(store, "c")->SID, "a");
    EXPECT_EQ(PreviousRun(store, "n2")->SID, "n1");
    EXPECT_FALSE(PreviousRun(store, "a").has_value());
    EXPECT_FALSE(PreviousRun(store, "x").has_value());
    EXPECT_FALSE(PreviousRun(store, "missing").has_value());
    EXPECT_EQ(
        ShopKey(ShopRun("1", "", "123", At(1, 1))) == ShopKey(ShopRun("2", "123", "x", At(1, 1))),
        false);
}

TEST_F(CompareRunsTest, HistoryTakesTheFirstRowOfEachRunAndLeavesGapsAsUnlisted) {
    store.AppendShop(ShopRun("r2", "900", "店", At(2, 9)));
    store.AppendShop(ShopRun("r1", "900", "店", At(1, 9)));
    store.AppendShop(ShopRun("r3", "900", "店", At(3, 9)));
    store.AppendShop(ShopRun("other", "901", "店", At(2, 12)));
    store.AppendItem(Item("r1", "A", 12.5, 3, 40, 1, 100));
    store.AppendItem(Item("r1", "A", 99.0, 99, 99));
    store.AppendItem(Item("r3", "A", 11.0, 8, 30, 2, 180));
    store.AppendItem(Item("other", "A", 1.0, 1, 1));

    const std::vector<HistoryPoint> points =
        ItemHistory(store, ShopRun("r2", "900", "店", {}), "A");
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].sid, "r1");
    EXPECT_EQ(points[0].runTime, At(1, 9));
    EXPECT_TRUE(points[0].listed);
    EXPECT_EQ(points[0].price, 12.5);
    EXPECT_EQ(points[0].sellcount, 3);
    EXPECT_EQ(points[0].stock, 40);
    EXPECT_EQ(points[0].reviews, 1);
    EXPECT_EQ(points[0].views, 100);
    EXPECT_EQ(points[1].sid, "r2");
    EXPECT_FALSE(points[1].listed);
    EXPECT_EQ(points[1].price, 0.0);
    EXPECT_EQ(points[2].sid, "r3");
    EXPECT_EQ(points[2].price, 11.0);
    EXPECT_EQ(points[2].views, 180);
}

}  // namespace
}  // namespace tarnwick::test
