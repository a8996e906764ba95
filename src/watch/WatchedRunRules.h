#pragma once

#include <optional>
#include <string>
#include <vector>

#include "watch/AlertRules.h"
#include "watch/Watch.h"
#include "watch/WatchAnalysis.h"

namespace tarnwick {

// What one watched run changes in its watch, and what it tells the seller.
struct WatchedRunResult {
    Watch updated;
    std::vector<Alert> alerts;
    // Whether the alerts go out as a notification. A watch that keeps failing says so once,
    // at the first failure of the streak; the later ones are stored for the alert list only,
    // so that a shop that blocks us all week does not send a message every retry.
    bool notify = false;
    bool baseline = false;  // the watch's first complete run: nothing to compare it with
};

// The seller's words for how a run that did not complete ended, with its outcome's name:
// "被拦截 (blocked)".
std::string FailureReason(const WatchedRun& run);

// A complete run becomes the watch's new baseline and raises the alerts of `comparison` (its
// comparison with the previous baseline; none when the watch had none, or it is gone). A run
// that did not complete raises "监控失败" only and leaves the baseline where it was, so that
// the next complete run is compared with the last complete one and no change is lost.
WatchedRunResult ConcludeWatchedRun(const Watch& watch, const WatchedRun& run,
                                    const std::optional<WatchedComparison>& comparison);

}  // namespace tarnwick
