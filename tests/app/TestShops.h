#pragma once

#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "Market.h"

namespace tarnwick::test {

// Shops whose every served value is spelled out, so the views can be checked against them.
inline marketsim::Deal Deal(const std::string& buyer, const std::string& price, int amount,
                            DateTime time, const std::string& sku = "颜色分类:红色") {
    marketsim::Deal deal;
    deal.buyer = buyer;
    deal.price = price;
    deal.amount = std::to_string(amount);
    deal.time = PageTime(time);
    deal.skuHtml = sku;
    return deal;
}

inline marketsim::Review Review(const std::string& nick, const std::string& content, DateTime date,
                                const std::string& id) {
    marketsim::Review review;
    review.nick = nick;
    review.content = content;
    review.date = PageTime(date);
    review.id = id;
    return review;
}

inline marketsim::Item Item(const std::string& id, const std::string& title,
                            const std::string& price, int sold, int stock, int views) {
    marketsim::Item item;
    item.id = id;
    item.title = title;
    item.price = price;
    item.soldCount = sold;
    item.stock = stock;
    item.views = views;
    return item;
}

inline marketsim::Shop Shop(const std::string& nick, const std::string& key,
                            std::vector<marketsim::Item> items) {
    marketsim::Shop shop;
    shop.nick = nick;
    shop.key = key;
    shop.ownerId = "77" + std::to_string(key.size());
    shop.items = std::move(items);
    return shop;
}

}  // namespace tarnwick::test
