#pragma once

#include "store/Rows.h"
#include "watch/WatchedComparison.h"

namespace tarnwick {

class Store;
struct RunComparison;

// Where the runner gets what the alert rules read of two runs. One place decides what a
// stored row is worth, so that the rules never guess.
class ComparisonSource {
public:
    virtual ~ComparisonSource() = default;
    // `older` is the watch's last complete run; `newerComplete` says whether the new one
    // read the shop to its end.
    virtual WatchedComparison Compare(Store& store, const ShopRow& older, const ShopRow& newer,
                                      bool newerComplete) = 0;
};

// The comparison of the stored rows.
class StoredComparisonSource : public ComparisonSource {
public:
    WatchedComparison Compare(Store& store, const ShopRow& older, const ShopRow& newer,
                              bool newerComplete) override;
};

// The rules' view of a comparison. Until runs store what each item's row is worth, a row
// without a title stands for an item page that was not read (the zero row a failed download
// leaves), and a listing counts as read to its end when its run completed.
WatchedComparison ToWatched(const RunComparison& comparison, bool olderComplete,
                            bool newerComplete);

}  // namespace tarnwick
