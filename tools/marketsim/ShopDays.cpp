// The demo shop from day to day (declared in ShopDays.h).
#include "ShopDays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "MarketSim.h"
#include "SeededRandom.h"
#include "ShopTime.h"

namespace marketsim {
namespace {

constexpr int kRemoveAfter = 4;  // the first four items carry the readers' edge cases
constexpr int kNewItemsPerDay = 2;
constexpr std::string_view kNewIdPrefix = "170";
constexpr int kRestockedIndex = 4;
constexpr int kRestock = 200;
// Two items that take turns selling out: one on even days, the other on odd days, each coming
// back the day after. Neither is among those that get deals, so their stock moves only here.
constexpr std::size_t kSoldOutEven = 6;
constexpr std::size_t kSoldOutOdd = 8;
constexpr int kViewsPerPiece = 25;

// Prices are handled in fen: the page shows what we write, and the reader parses it back.
long Fen(const std::string& price) {
    return std::lround(std::strtod(price.c_str(), nullptr) * 100.0);
}

std::string PriceText(long fen) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld.%02ld", fen / 100, fen % 100);
    return text;
}

constexpr std::string_view kBuyers[] = {"早起的鸟儿", "晴天娃娃", "zoe_2012",
                                        "青柠檬",     "悠悠球",   "ding_dong"};
constexpr std::string_view kReviews[] = {"第二天就到了，很满意。", "回购了，质量稳定。",
                                         "颜色很正，推荐。"};

// A deal at a time within the given day; newest first is how the item keeps them.
Deal DayDeal(SeededRandom& random, const Item& item, std::time_t dayStart, int amount) {
    Deal deal;
    deal.buyer = std::string(random.Pick(kBuyers));
    deal.rankTitle = "4-10个买家信用积分";
    deal.price = item.price;
    deal.amount = std::to_string(amount);
    deal.time = TimeText(dayStart + 8 * 3600 + static_cast<std::time_t>(random.Below(12 * 3600)));
    deal.skuHtml = "颜色分类：黑色<br>尺码：M";
    return deal;
}

void AddDeal(Item& item, Deal deal) {
    const int pieces = std::stoi(deal.amount);
    item.deals.insert(item.deals.begin(), std::move(deal));
    item.soldCount += pieces;
    item.stock = std::max(0, item.stock - pieces);
    item.views += kViewsPerPiece * pieces;
}

}  // namespace

void AdvanceDemoShop(Shop& shop, int day, std::uint32_t seed) {
    SeededRandom random(seed * 7919u + static_cast<std::uint32_t>(day));
    const std::time_t dayStart = LocalMidnight() + (day - 1) * kDay;

    // The items of earlier days stay: a shop does not drop what it has only just put up.
    for (std::size_t index = shop.items.size(); index > kRemoveAfter; --index) {
        if (!shop.items[index - 1].id.starts_with(kNewIdPrefix)) {
            shop.items.erase(shop.items.begin() + static_cast<std::ptrdiff_t>(index - 1));
            break;
        }
    }

    // Two distinct items past the edge cases are cut, one other raised.
    const int count = static_cast<int>(shop.items.size());
    if (count > kRemoveAfter + 2) {
        std::vector<int> chosen;
        while (chosen.size() < 3) {
            int index = random.Between(kRemoveAfter, count - 1);
            if (std::find(chosen.begin(), chosen.end(), index) == chosen.end()) {
                chosen.push_back(index);
            }
        }
        for (int i = 0; i < 2; ++i) {
            Item& cut = shop.items[static_cast<std::size_t>(chosen[static_cast<std::size_t>(i)])];
            cut.price = PriceText(Fen(cut.price) * 9 / 10);
        }
        Item& raised = shop.items[static_cast<std::size_t>(chosen[2])];
        raised.price = PriceText(Fen(raised.price) + 500);
    }

    int reviewed = 0;
    for (std::size_t index = 1; index < shop.items.size(); index += 3) {
        Item& item = shop.items[index];
        const int deals = random.Between(1, 2);
        for (int d = 0; d < deals; ++d) {
            AddDeal(item, DayDeal(random, item, dayStart, random.Between(1, 2)));
        }
        if (reviewed++ % 2 == 0) {
            Review review;
            review.content = std::string(random.Pick(kReviews));
            review.nick = std::string(random.Pick(kBuyers));
            review.id = std::to_string(60000000000ULL + static_cast<unsigned>(day) * 1000u + index);
            review.date = TimeText(dayStart + 20 * 3600);
            item.reviews.insert(item.reviews.begin(), std::move(review));
        }
    }
    if (shop.items.size() > kRestockedIndex) {
        shop.items[kRestockedIndex].stock += kRestock;
    }
    if (shop.items.size() > kSoldOutOdd) {
        Item& out = shop.items[day % 2 == 0 ? kSoldOutEven : kSoldOutOdd];
        Item& back = shop.items[day % 2 == 0 ? kSoldOutOdd : kSoldOutEven];
        out.stock = 0;
        if (back.stock == 0) {
            back.stock = kRestock;
        }
    }

    for (int k = 1; k <= kNewItemsPerDay; ++k) {
        Item item;
        item.id = std::to_string(17000000000ULL + static_cast<unsigned>(day) * 100u +
                                 static_cast<unsigned>(k));
        item.title =
            "2012新款 第" + std::to_string(day) + "天上新 " + std::to_string(k) + "号连衣裙";
        item.price = PriceText(random.Between(59, 199) * 100 + 90);
        item.stock = random.Between(50, 300);
        item.views = 100;
        AddDeal(item, DayDeal(random, item, dayStart, 1));
        shop.items.push_back(std::move(item));
    }
}

Shop DemoShopOnDay(std::uint32_t seed, int day) {
    Shop shop = DemoShop(seed);
    for (int d = 2; d <= day; ++d) {
        AdvanceDemoShop(shop, d, seed);
    }
    return shop;
}

}  // namespace marketsim
