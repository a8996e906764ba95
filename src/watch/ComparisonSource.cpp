#include "watch/ComparisonSource.h"

#include <algorithm>

#include "analysis/RunComparison.h"

namespace tarnwick {

namespace {

std::optional<WatchedItem::Figures> ReadFigures(const std::optional<ItemRow>& row) {
    if (!row || row->title.empty()) {
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
        out.listedBefore = item.older.has_value();
        out.listedAfter = item.newer.has_value();
        out.before = ReadFigures(item.older);
        out.after = ReadFigures(item.newer);
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
    return ToWatched(CompareRuns(store, older, newer), true, newerComplete);
}

}  // namespace tarnwick
