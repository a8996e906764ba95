#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/Rows.h"

namespace tarnwick {

class Store;

enum class ItemStatus {
    New,      // listed only in the newer run
    Removed,  // listed only in the older run
    Kept,     // listed in both
};

// One item id across two runs. The figures of a side the item is missing from read as absent;
// the changes are 0 unless the item is listed in both runs. Changes are 64-bit so that no pair
// of stored 32-bit figures can overflow them.
struct ItemComparison {
    std::string itemId;
    ItemStatus status = ItemStatus::Kept;
    std::optional<ItemRow> older;  // the first row of the id in the older run
    std::optional<ItemRow> newer;  // the first row of the id in the newer run
    // Deal records of the newer run bought after the older run was stored, newest first.
    std::vector<BuyerRow> newDeals;

    // The newer title when there is one.
    const std::string& Title() const;
    // After less before, rounded to the fen, so that equal prices never show a change of
    // 0.0000001.
    double PriceChange() const;
    std::int64_t SellcountChange() const;
    std::int64_t StockChange() const;
    // What a drop of the stock says was sold: before less after when that is positive, else 0.
    std::int64_t ImpliedSales() const;
    std::int64_t ReviewChange() const;
    std::int64_t ViewChange() const;
    // Pieces bought in the new deal records.
    std::int64_t NewDealQuantity() const;
    // New, removed, or one of price, sold count, stock, reviews and views moved, or deals came
    // in since the older run.
    bool Changed() const;
};

// A run's totals over its distinct item ids.
struct ShopTotals {
    std::size_t items = 0;
    double sellAmount = 0.0;  // the sum of SellAmount
    double stockValue = 0.0;  // the sum of price × stock
};

struct RunComparison {
    ShopRow older;
    ShopRow newer;
    // The newer run's items in its read order, then the removed ones in the older run's order.
    std::vector<ItemComparison> items;
    ShopTotals olderTotals;
    ShopTotals newerTotals;

    std::size_t Count(ItemStatus status) const;
    std::size_t ChangedCount() const;
    // Only the changed items, in the same order.
    std::vector<ItemComparison> ChangedItems() const;
};

// Compares two runs item by item through the store's readers only. An item id listed twice
// in one run counts once, with its first row.
RunComparison CompareRuns(Store& store, const ShopRow& older, const ShopRow& newer);

}  // namespace tarnwick
