#pragma once

#include <string>

#include "base/DateTime.h"

namespace tarnwick {

// What a node of the shop tree stands for: one analysis run of a shop.
struct TShop {
    std::string Sid;
    std::string WWName;
    std::string ShopURL;
    DateTime AddTime;  // when the run stored the shop

    bool operator==(const TShop&) const = default;
};

}  // namespace tarnwick
