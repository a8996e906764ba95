#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/RunRecord.h"
#include "store/Rows.h"

namespace tarnwick {

class Store;

enum class ItemStatus {
    New,      // listed only in the newer run
    Removed,  // listed only in the older run
    Kept,     // listed in both
    // Not read in one of the runs (failed, blocked, never started, or missing from a listing
    // that was not read to its end): nothing can be said of it, so it is neither new, removed
    // nor changed, and it counts in neither run's totals.
    Unread,
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
    // Whether each side's row holds the marketplace's figures (false for a side without one).
    bool olderRead = false;
    bool newerRead = false;

    // The newer title when there is one, else the older; empty for an item neither run has a
    // row of.
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
    // in since the older run. Never for an unread item.
    bool Changed() const;
};

// A run's totals over its distinct item ids, those not read in either run left out.
struct ShopTotals {
    std::size_t items = 0;
    double sellAmount = 0.0;  // the sum of SellAmount
    double stockValue = 0.0;  // the sum of price × stock
};

struct RunComparison {
    ShopRow older;
    ShopRow newer;
    RunRecord olderRecord;
    RunRecord newerRecord;
    // The newer run's items in its read order, then those only the older run has in its order,
    // then the items the newer run queued but has no row of (never started, say).
    std::vector<ItemComparison> items;
    ShopTotals olderTotals;
    ShopTotals newerTotals;

    // Either run is not complete: its missing items are unread here, never removed.
    bool Partial() const { return !olderRecord.Complete() || !newerRecord.Complete(); }
    // One line per run that is not complete, "较新的分析 已停止: 读取 14 / 45 个宝贝", and one
    // for the unread items; empty when both are complete.
    std::vector<std::string> PartialLines() const;

    std::size_t Count(ItemStatus status) const;
    std::size_t ChangedCount() const;
    // Only the changed items, in the same order.
    std::vector<ItemComparison> ChangedItems() const;
};

// Compares two runs item by item through the store's readers only, each item as far as both
// runs read it (RunRecord). An item id listed twice in one run counts once, with its first row.
RunComparison CompareRuns(Store& store, const ShopRow& older, const ShopRow& newer);

}  // namespace tarnwick
