#include "watch/WatchedRunRules.h"

namespace tarnwick {

std::string FailureReason(const WatchedRun& run) {
    if (!run.failure.empty()) {
        return run.failure;
    }
    return std::string(OutcomeLabel(run.outcome)) + " (" + std::string(OutcomeName(run.outcome)) +
           ")";
}

WatchedRunResult ConcludeWatchedRun(const Watch& watch, const WatchedRun& run,
                                    const std::optional<WatchedComparison>& comparison) {
    WatchedRunResult result;
    Watch& updated = result.updated;
    updated = watch;
    updated.lastStarted = run.started;
    updated.lastFinished = run.finished;
    updated.lastOutcome = run.failure.empty() ? std::string(OutcomeName(run.outcome)) : "failed";
    updated.lastSid = run.sid;
    const bool complete = run.failure.empty() && run.outcome == RunOutcome::Complete;
    if (!complete) {
        updated.failures = watch.failures + 1;
        result.alerts.push_back(WatchFailedAlert(FailureReason(run)));
        result.notify = updated.failures == 1;
        return result;
    }
    updated.failures = 0;
    updated.baselineSid = run.sid;
    if (!comparison) {
        result.baseline = true;
        return result;
    }
    result.alerts = EvaluateAlerts(*comparison, watch.rules);
    result.notify = !result.alerts.empty();
    return result;
}

}  // namespace tarnwick
