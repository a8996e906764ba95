#pragma once

#include <string>

namespace tarnwick {

// What a node of the shop tree stands for: one analysis run of a shop.
struct TShop {
    std::string Sid;
    std::string WWName;
    std::string ShopURL;

    bool operator==(const TShop&) const = default;
};

}  // namespace tarnwick
