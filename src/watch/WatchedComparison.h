#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// What the alert rules know of one item across the two runs of a watched shop. The figures of
// a side are trusted only where that side read the item's page: a row that stands for a page
// that failed or was never fetched says nothing about the shop.
struct WatchedItem {
    struct Figures {
        double price = 0.0;
        std::int32_t stock = 0;
    };

    std::string itemId;
    std::string title;
    bool listedBefore = false;      // in the older run's listing
    bool listedAfter = false;       // in the newer run's listing
    std::optional<Figures> before;  // set only when the older run read the item
    std::optional<Figures> after;   // set only when the newer run read the item
    // Pieces the item sold between the runs: the larger of what the stock drop says (as far as
    // the sold count confirms it) and what the deal records bought since the older run add up
    // to (a restock hides the one, the marketplace shows only the latest deals of the other).
    std::int64_t soldBetween = 0;
};

// Two runs of a watched shop, as the rules need them.
struct WatchedComparison {
    // Whether each run read the shop's listing to its end: only then does an item missing from
    // it mean anything.
    bool olderListingComplete = false;
    bool newerListingComplete = false;
    std::vector<WatchedItem> items;
};

}  // namespace tarnwick
