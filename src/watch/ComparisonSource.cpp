#include "watch/ComparisonSource.h"

#include <algorithm>

#include "analysis/RunComparison.h"

namespace tarnwick {

namespace {

// A side's figures, where that run read the item's page (its read state says so).
std::optional<WatchedItem::Figures> ReadFigures(const std::optional<ItemRow>& row, bool read) {
    if (!row || !read || row->title.empty()) {
        return std::nullopt;
    }
    return WatchedItem::Figures{row->price, row->allow_quantity};
}

}  // namespace

WatchedComparison ToWatched(const RunComparison& comparison, bool olderComplete,
                            bool newerComplete) {
    WatchedComparison watched;
    watched.olderListingComplete = olderComplete;
    watched.newerListingComplete = newerComplete;
    watched.items.reserve(comparison.items.size());
    for (const ItemComparison& item : comparison.items) {
        WatchedItem& out = watched.items.emplace_back();
        out.itemId = item.itemId;
        out.title = item.Title();
        // Queued without a row (never started) is listed all the same: not removed.
        out.listedBefore =
            item.older.has_value() || comparison.olderRecord.StateOf(item.itemId).has_value();
        out.listedAfter =
            item.newer.has_value() || comparison.newerRecord.StateOf(item.itemId).has_value();
        // Without a stored record of the run, the row's title is all there is to go by.
        out.before = ReadFigures(item.older, item.olderRead || !comparison.olderRecord.Known());
        out.after = ReadFigures(item.newer, item.newerRead || !comparison.newerRecord.Known());
        if (out.before && out.after) {
            // A stock drop counts as sales only as far as the sold count rose with it: a seller
            // who sets an item's stock to 0, or pulls stock from it, has sold nothing.
            const std::int64_t byStock =
                std::min(item.ImpliedSales(), std::max<std::int64_t>(0, item.SellcountChange()));
            out.soldBetween = std::max(byStock, item.NewDealQuantity());
        }
    }
    return watched;
}

WatchedComparison StoredComparisonSource::Compare(Store& store, const ShopRow& older,
                                                  const ShopRow& newer, bool newerComplete) {
    const RunComparison comparison = CompareRuns(store, older, newer);
    return ToWatched(comparison, comparison.olderRecord.ListingComplete(),
                     newerComplete && comparison.newerRecord.ListingComplete());
}

}  // namespace tarnwick
