#include "ShopDays.h"

#include <gtest/gtest.h>

#include <set>

#include "MarketSim.h"

namespace marketsim {
namespace {

// Everything a run reads off an item, as one line.
std::string Figures(const Shop& shop) {
    std::string text;
    for (const Item& item : shop.items) {
        text += item.id + "|" + item.title + "|" + item.price + "|" + std::to_string(item.stock) +
                "|" + std::to_string(item.soldCount) + "|" + std::to_string(item.views) + "|" +
                std::to_string(item.deals.size()) + "|" + std::to_string(item.reviews.size());
        for (const Deal& deal : item.deals) {
            text += "|" + deal.time + deal.amount + deal.buyer;
        }
        text += "\n";
    }
    return text;
}

TEST(ShopDaysTest, TheSameSeedAndDayGiveTheSameShopAndDayOneIsTheDemoShop) {
    EXPECT_EQ(Figures(DemoShopOnDay(1, 1)), Figures(DemoShop(1)));
    EXPECT_EQ(Figures(DemoShopOnDay(1, 3)), Figures(DemoShopOnDay(1, 3)));
    EXPECT_EQ(Figures(DemoShopOnDay(7, 2)), Figures(DemoShopOnDay(7, 2)));
    EXPECT_NE(Figures(DemoShopOnDay(1, 2)), Figures(DemoShopOnDay(1, 3)));
}

TEST(ShopDaysTest, EachDayAddsTwoItemsRemovesAnOldOneAndKeepsTheEarlierDaysNewOnes) {
    const Shop day1 = DemoShopOnDay(1, 1);
    const Shop day3 = DemoShopOnDay(1, 3);
    std::set<std::string> before;
    for (const Item& item : day1.items) {
        before.insert(item.id);
    }
    std::vector<std::string> added;
    for (const Item& item : day3.items) {
        if (before.count(item.id) == 0) {
            added.push_back(item.id);
        }
    }
    EXPECT_EQ(added, (std::vector<std::string>{"17000000201", "17000000202", "17000000301",
                                               "17000000302"}));
    EXPECT_EQ(day3.items.size(), day1.items.size() + 2);
    // The two removed are the last two of day 1, never one of the first four.
    EXPECT_EQ(day3.items[day3.items.size() - 5].id, day1.items[day1.items.size() - 3].id);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(day3.items[i].id, day1.items[i].id);
    }
}

TEST(ShopDaysTest, DealsOfADayAreNewestFirstAndLaterThanEveryEarlierOne) {
    const Shop day1 = DemoShopOnDay(1, 1);
    const Shop day2 = DemoShopOnDay(1, 2);
    const Item& before = day1.items[1];
    const Item& after = day2.items[1];
    ASSERT_GT(after.deals.size(), before.deals.size());
    const std::size_t fresh = after.deals.size() - before.deals.size();
    int pieces = 0;
    for (std::size_t i = 0; i < fresh; ++i) {
        pieces += std::stoi(after.deals[i].amount);
        if (!before.deals.empty()) {
            EXPECT_GT(after.deals[i].time, before.deals.front().time);
        }
    }
    EXPECT_EQ(after.soldCount, before.soldCount + pieces);
    EXPECT_EQ(after.stock, std::max(0, before.stock - pieces));
    EXPECT_EQ(after.views, before.views + 25 * pieces);
}

}  // namespace
}  // namespace marketsim

namespace marketsim {
namespace {

TEST(ShopDaysTest, TwoItemsTakeTurnsSellingOutAndComingBack) {
    const Shop day1 = DemoShopOnDay(1, 1);
    const Shop day2 = DemoShopOnDay(1, 2);
    const Shop day3 = DemoShopOnDay(1, 3);
    const Shop day4 = DemoShopOnDay(1, 4);
    EXPECT_GT(day1.items[6].stock, 0);
    EXPECT_EQ(day2.items[6].stock, 0);
    EXPECT_EQ(day3.items[6].stock, 200);
    EXPECT_EQ(day4.items[6].stock, 0);
    EXPECT_EQ(day2.items[8].stock, day1.items[8].stock);
    EXPECT_EQ(day3.items[8].stock, 0);
    EXPECT_EQ(day4.items[8].stock, 200);
}

}  // namespace
}  // namespace marketsim
