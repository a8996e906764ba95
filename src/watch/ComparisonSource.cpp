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
            out.soldBetween = std::max(item.ImpliedSales(), item.NewDealQuantity());
        }
    }
    return watched;
}

WatchedComparison StoredComparisonSource::Compare(Store& store, const ShopRow& older,
                                                  const ShopRow& newer, bool newerComplete) {
    return ToWatched(CompareRuns(store, older, newer), true, newerComplete);
}

}  // namespace tarnwick
