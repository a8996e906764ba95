#pragma once

#include <functional>
#include <stop_token>
#include <string>

#include "acquire/Run.h"
#include "fetch/Endpoints.h"
#include "store/StoreSource.h"
#include "watch/Watch.h"

namespace tarnwick {

class Clock;

// What one analysis of a watched shop came to.
struct WatchedRun {
    std::string sid;  // empty when the run could not start at all
    RunOutcome outcome = RunOutcome::MarketUnreachable;
    std::string failure;  // why it could not start, when it could not
    HealthReport health;
    RunTotals totals;
    DateTime started;
    DateTime finished;
};

using RunLogSink = std::function<void(const std::string& line)>;

// Analyses the watched shop as `analyse` does (its rows, health and outcome stored as any
// other run's) with the watch's threads and politeness, on the calling thread, until the run
// has ended. A stop requested on `stop` ends it as a user's stop would. Every line of the
// run's log goes to `log`.
WatchedRun AnalyseWatchedShop(const Watch& watch, const StoreSource& store,
                              const Endpoints& endpoints, const Clock& clock, std::stop_token stop,
                              const RunLogSink& log);

}  // namespace tarnwick
