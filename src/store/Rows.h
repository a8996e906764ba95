#pragma once

#include <cstdint>
#include <string>

#include "base/DateTime.h"

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

// One row per run that ended: how far its figures can be trusted. Written only where the file
// has the table; older files go without.
struct RunHealthRow {
    std::string sid;
    std::string verdict;  // "healthy", "degraded", "blocked", "shop-not-found", "unreachable"
    DateTime started;
    DateTime ended;
    std::int32_t requests = 0;
    // Failed answers by class.
    std::int32_t httpErrors = 0;
    std::int32_t networkErrors = 0;
    std::int32_t timeouts = 0;
    std::int32_t tooLarge = 0;
    std::int32_t loginPages = 0;
    std::int32_t verificationPages = 0;
    std::int32_t shapeless = 0;
    // Failed answers by page kind.
    std::int32_t failedCard = 0;
    std::int32_t failedListing = 0;
    std::int32_t failedItem = 0;
    std::int32_t failedSold = 0;
    std::int32_t failedViews = 0;
    std::int32_t failedDeals = 0;
    std::int32_t failedReviews = 0;
    // Every non-zero count of a page kind and a class, "item.login=12 listing.shapeless=3".
    std::string detail;
    std::int32_t blockedAtRequest = 0;  // counting from 1; 0 when not blocked
    DateTime blockedAt;
    std::int32_t stoppedEarly = 0;  // 1 when the run stopped itself on being blocked
    std::string reasons;            // the reasons as shown, one a line

    bool operator==(const RunHealthRow&) const = default;
};

// One row per run, written when the run begins (outcome "running") and completed when it ends:
// what the run read of the shop. Written only where the store has the table.
struct RunOutcomeRow {
    std::string sid;
    // "complete", "stopped", "blocked", "changed-pages", "rate-limited", "store-failed",
    // "truncated", "shop-not-found", "unreachable"; "running" until the run ends
    std::string outcome;
    DateTime started;
    DateTime ended;
    std::int32_t listPages = 0;      // the pages the listing's page info promised
    std::int32_t listPagesRead = 0;  // listing pages read with their usual shape
    std::int32_t listComplete = 0;   // 1 when every promised listing page was read
    std::int32_t itemsListed = 0;    // distinct item ids the listing gave
    std::int32_t itemsQueued = 0;    // entries queued (an id listed twice is queued twice)
    std::int32_t itemsRead = 0;
    std::int32_t itemsNotRead = 0;  // failed, blocked or never started
    std::int32_t ratePauses = 0;    // pauses for a marketplace that refused us for our pace
    std::int32_t ratePausedMs = 0;
    std::string detail;  // what the user is told beyond the counts, one a line

    bool operator==(const RunOutcomeRow&) const = default;
};

// One row per queued entry of a run, stored as the entry's download ends (or, for one never
// started, when the run ends): whether the item's row holds the marketplace's figures.
struct ItemReadRow {
    std::string sid;
    std::int32_t seq = 0;  // the entry's place in the run's queue, counting from 1
    std::string ItemID;
    std::string state;   // "read", "failed", "blocked", "not-started"
    std::string answer;  // the answer class of a failed or blocked item page ("http", ...)

    bool operator==(const ItemReadRow&) const = default;
};

}  // namespace tarnwick
