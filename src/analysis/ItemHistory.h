#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/Rows.h"

namespace tarnwick {

class Store;

// An item's figures as one run stored them. A run that did not list the item still gives its
// point, with `listed` false and the figures at 0, so that the points line up with the runs. A
// run that listed the item but did not read it (failed, blocked, never started) gives a point
// with `read` false: its figures are zeros, not the shop's.
struct HistoryPoint {
    std::string sid;
    DateTime runTime;  // the run's AddTime
    bool listed = false;
    bool read = false;
    // False when the run is not complete: a point missing from it may simply not have been read.
    bool runComplete = true;
    std::string title;
    double price = 0.0;
    std::int32_t sellcount = 0;
    std::int32_t stock = 0;
    std::int32_t reviews = 0;
    std::int32_t views = 0;
};

// One point per run of the shop that `shop` is a run of, oldest first; the first row of the
// item in each run.
std::vector<HistoryPoint> ItemHistory(Store& store, const ShopRow& shop, std::string_view itemId);

}  // namespace tarnwick
