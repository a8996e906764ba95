#pragma once

#include <string>

#include "Market.h"

namespace tarnwick::test {

// Small shops for the engine's tests, with every value spelled out so that the stored rows
// can be checked against them.
inline marketsim::Deal NamedDeal(int n) {
    marketsim::Deal deal;
    deal.buyer = "买家" + std::to_string(n);
    deal.rankIcon = "b_red_" + std::to_string(n % 5 + 1) + ".gif";
    deal.rankTitle = std::to_string(n % 5 + 1) + "心";
    deal.memberTitle = n % 2 ? "普通会员" : "";
    deal.price = std::to_string(10 + n) + ".50";
    deal.amount = std::to_string(n % 3 + 1);
    char time[32];
    std::snprintf(time, sizeof time, "2026-11-%02d 10:%02d:%02d", 28 - n % 27, n % 60,
                  (n * 7) % 60);
    deal.time = time;
    deal.skuHtml = "颜色分类:红色&amp;黑";
    return deal;
}

inline marketsim::Review MakeReview(int n) {
    marketsim::Review review;
    review.content = "第" + std::to_string(n) + "条好评";
    review.vipLevel = n % 4;
    review.nick = "评价人" + std::to_string(n);
    review.id = std::to_string(90000 + n);
    review.pic = n % 2 ? "" : "pic" + std::to_string(n) + ".jpg";
    char date[32];
    std::snprintf(date, sizeof date, "2026-10-%02d 09:%02d:00", 28 - n % 27, n % 60);
    review.date = date;
    review.rateSum = 100 + n;
    return review;
}

inline marketsim::Item MakeItem(const std::string& id, int deals, int reviews) {
    marketsim::Item item;
    item.id = id;
    item.title = "测试宝贝 " + id;
    item.price = "12.50";
    item.stock = 300;
    item.soldCount = 25;
    item.views = 1234;
    for (int i = 0; i < deals; ++i) {
        item.deals.push_back(NamedDeal(i));
    }
    for (int i = 0; i < reviews; ++i) {
        item.reviews.push_back(MakeReview(i));
    }
    return item;
}

// Item ids are 1000, 1001, ... unless another base is given; ids are unique across the shops
// of one marketsim.
inline marketsim::Shop MakeShop(const std::string& nick, const std::string& key, int items,
                                int deals = 0, int reviews = 0, int idBase = 1000) {
    marketsim::Shop shop;
    shop.nick = nick;
    shop.key = key;
    shop.ownerId = "880" + key;
    for (int i = 0; i < items; ++i) {
        shop.items.push_back(MakeItem(std::to_string(idBase + i), deals, reviews));
    }
    return shop;
}

}  // namespace tarnwick::test
