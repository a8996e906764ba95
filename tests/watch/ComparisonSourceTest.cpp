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

TEST(ComparisonSourceTest, ARowWithoutItsPageIsNotReadAndSalesTakeTheLargerEvidence) {
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

    ItemComparison& removed = comparison.items.emplace_back();
    removed.itemId = "3";
    removed.status = ItemStatus::Removed;
    removed.older = Row("3", "", 0.0, 0);

    const WatchedComparison watched = ToWatched(comparison, true, false);
    EXPECT_TRUE(watched.olderListingComplete);
    EXPECT_FALSE(watched.newerListingComplete);
    ASSERT_EQ(watched.items.size(), 3u);

    EXPECT_EQ(watched.items[0].soldBetween, 8);
    ASSERT_TRUE(watched.items[0].before && watched.items[0].after);
    EXPECT_EQ(watched.items[0].after->price, 89.0);
    EXPECT_EQ(watched.items[0].after->stock, 45);

    EXPECT_TRUE(watched.items[1].listedBefore);
    EXPECT_FALSE(watched.items[1].before.has_value());
    EXPECT_TRUE(watched.items[1].after.has_value());
    EXPECT_EQ(watched.items[1].soldBetween, 0) << "no sales from a side that was not read";

    EXPECT_TRUE(watched.items[2].listedBefore);
    EXPECT_FALSE(watched.items[2].listedAfter);
    EXPECT_FALSE(watched.items[2].before.has_value());

    // And so the rules raise nothing for either unread item, however their figures moved.
    const WatchedComparison bothComplete = ToWatched(comparison, true, true);
    const std::vector<Alert> alerts = EvaluateAlerts(bothComplete, AlertRules{});
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].kind, AlertKind::PriceDown);
    EXPECT_EQ(alerts[0].itemId, "1");
}

}  // namespace
}  // namespace tarnwick
