#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "watch/AlertRules.h"
#include "watch/Schedule.h"

namespace tarnwick {

// One watched shop: what to analyse, how often and how, what to alert on, and where its last
// runs left it.
struct Watch {
    std::int64_t id = 0;
    std::string nick;
    Schedule schedule = Schedule::Every(std::chrono::hours(24));
    // The runs' own settings, as `analyse` takes them.
    int threads = 6;
    double maxRate = 0;  // requests a second; 0: no limit
    int delayMs = 0;
    AlertRules rules;

    DateTime created;
    std::optional<DateTime> lastStarted;
    std::optional<DateTime> lastFinished;
    std::string lastOutcome;  // the outcome's short name; empty before the first run
    std::string lastSid;      // the last run, complete or not
    std::string baselineSid;  // the last complete run: the next one is compared with it
    int failures = 0;         // runs in a row that did not complete
};

// A failing watch is tried again sooner than its schedule says at first (a network hiccup
// passes), then less and less often, so a marketplace that shuts us out is not asked every few
// minutes; never more than a day apart (or the schedule's own interval, when longer).
std::chrono::minutes FailureBackoff(int failuresInARow, const Schedule& schedule);

// When the watch is next due: at once before its first run, after its back-off while it fails,
// otherwise when its schedule says.
DateTime NextDue(const Watch& watch);

// A timer wakes the runner a little early or late; a watch that falls due within this much of
// now runs now rather than one timer period later, which would push every later run back.
inline constexpr std::chrono::minutes kEarlySlack{2};

bool IsDue(const Watch& watch, DateTime now);

// The positions in `watches` of those due at `now`, the longest overdue first (ties in the
// order given), at most `limit` of them (0: all).
std::vector<std::size_t> PickDue(const std::vector<Watch>& watches, DateTime now,
                                 std::size_t limit = 0);

}  // namespace tarnwick
