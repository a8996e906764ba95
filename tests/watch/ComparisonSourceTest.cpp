// What the rules are told of a comparison of stored runs.
#include <gtest/gtest.h>

#include "analysis/RunComparison.h"
#include "watch/AlertRules.h"
#include "watch/ComparisonSource.h"

namespace tarnwick {
namespace {

ItemRow Row(const char* id, const char* title, double price, int stock) {
    ItemRow row;
    row.ItemID = id;
    row.title = title;
    row.price = price;
    row.allow_quantity = stock;
    return row;
}

TEST(ComparisonSourceTest, ARowWithoutItsPageIsNotReadAndSalesTakeTheConfirmedEvidence) {
    RunComparison comparison;
    ItemComparison& kept = comparison.items.emplace_back();
    kept.itemId = "1";
    kept.older = Row("1", "连衣裙", 99.0, 50);
    kept.newer = Row("1", "连衣裙", 89.0, 45);  // 5 by the stock
    BuyerRow deal;
    deal.amount = 8;  // 8 by the deals: a restock hid part of the drop
    kept.newDeals = {deal};

    // The zero row a failed download leaves: listed, but its page was not read.
    ItemComparison& failed = comparison.items.emplace_back();
    failed.itemId = "2";
    failed.older = Row("2", "", 0.0, 0);
    failed.newer = Row("2", "外套", 120.0, 9);

    // Stock set to 0 by the seller: a drop of 40 the sold count does not show is no sale.
    ItemComparison& emptied = comparison.items.emplace_back();
    emptied.itemId = "4";
    emptied.older = Row("4", "裤子", 30.0, 40);
    emptied.newer = Row("4", "裤子", 30.0, 0);
    // A drop of 40 of which the sold count shows 25.
    ItemComparison& sold = comparison.items.emplace_back();
    sold.itemId = "5";
    sold.older = Row("5", "帽子", 30.0, 60);
    sold.newer = Row("5", "帽子", 30.0, 20);
    sold.older->sellcount = 100;
    sold.newer->sellcount = 125;

    ItemComparison& removed = comparison.items.emplace_back();
    removed.itemId = "3";
    removed.status = ItemStatus::Removed;
    removed.older = Row("3", "", 0.0, 0);

    const WatchedComparison watched = ToWatched(comparison, true, false);
    EXPECT_TRUE(watched.olderListingComplete);
    EXPECT_FALSE(watched.newerListingComplete);
    ASSERT_EQ(watched.items.size(), 5u);

    EXPECT_EQ(watched.items[0].soldBetween, 8);
    ASSERT_TRUE(watched.items[0].before && watched.items[0].after);
    EXPECT_EQ(watched.items[0].after->price, 89.0);
    EXPECT_EQ(watched.items[0].after->stock, 45);

    EXPECT_TRUE(watched.items[1].listedBefore);
    EXPECT_FALSE(watched.items[1].before.has_value());
    EXPECT_TRUE(watched.items[1].after.has_value());
    EXPECT_EQ(watched.items[1].soldBetween, 0) << "no sales from a side that was not read";

    EXPECT_EQ(watched.items[2].soldBetween, 0);
    EXPECT_EQ(watched.items[3].soldBetween, 25);

    EXPECT_TRUE(watched.items[4].listedBefore);
    EXPECT_FALSE(watched.items[4].listedAfter);
    EXPECT_FALSE(watched.items[4].before.has_value());

    // And so the rules raise nothing for either unread item, however their figures moved.
    const WatchedComparison bothComplete = ToWatched(comparison, true, true);
    const std::vector<Alert> alerts = EvaluateAlerts(bothComplete, AlertRules{});
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(alerts[0].kind, AlertKind::PriceDown);
    EXPECT_EQ(alerts[0].itemId, "1");
    EXPECT_EQ(alerts[1].kind, AlertKind::StockOut);
    EXPECT_EQ(alerts[1].itemId, "4");
    EXPECT_EQ(alerts[2].kind, AlertKind::SalesJump);
    EXPECT_EQ(alerts[2].itemId, "5");
}

}  // namespace
}  // namespace tarnwick
