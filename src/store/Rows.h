#pragma once

#include <cstdint>
#include <string>

#include "store/DateTime.h"

namespace tarnwick {

// One row per analysis run of a shop. The profile columns the readers never fill keep their
// zero or empty values.
struct ShopRow {
    std::string SID;
    std::string OwnerID;
    std::string ShopURL;
    std::string WWName;
    std::int32_t Seller_Credit = 0;
    std::int32_t Buyer_Credit = 0;
    std::string Seller_Rate;
    std::string Buyer_Rate;
    std::string Grade_Item;
    std::string Grade_Service;
    std::string Grade_Consignment;
    std::int32_t ItemCount = 0;
    std::string ShopCreate;
    std::string City;
    std::int32_t FavoriteCount = 0;
    DateTime AddTime;
    std::int32_t ReadType = 0;

    bool operator==(const ShopRow&) const = default;
};

// One row per item download of a run.
struct ItemRow {
    std::string sid;
    std::string ItemID;
    std::string title;
    double price = 0.0;
    std::int32_t BuyerCount = 0;
    std::int32_t sellcount = 0;
    double SellAmount = 0.0;
    std::int32_t Commentcount = 0;
    std::int32_t pv = 0;
    std::int32_t allow_quantity = 0;
    DateTime UpdateTime;
    DateTime lastSell;
    DateTime lastComment;

    bool operator==(const ItemRow&) const = default;
};

// One row per deal record of an item.
struct BuyerRow {
    std::string sid;
    std::string itemid;
    std::string Buyer;
    std::int32_t usertype = 0;
    std::string buyer_credit;
    std::string buyer_credit_str;
    std::string userclass;
    double price = 0.0;
    std::int32_t amount = 0;
    DateTime buytime;
    std::string sku;
    double sellamount = 0.0;
    DateTime AddTime;

    bool operator==(const BuyerRow&) const = default;
};

// One row per review of an item.
struct RateRow {
    std::string sid;
    std::string itemid;
    std::string rateContent;
    std::int32_t userVipLevel = 0;
    std::string displayUserNick;
    std::string CommentID;
    std::string displayRatePic;
    DateTime rateDate;
    std::int32_t User_RateSum = 0;
    DateTime AddTime;

    bool operator==(const RateRow&) const = default;
};

}  // namespace tarnwick
