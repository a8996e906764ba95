#include "watch/Watch.h"

#include <algorithm>

namespace tarnwick {

namespace {

constexpr std::chrono::minutes kFirstRetry{10};
constexpr std::chrono::minutes kLongestRetry{24 * 60};

}  // namespace

std::chrono::minutes FailureBackoff(int failuresInARow, const Schedule& schedule) {
    const std::chrono::minutes longest = std::max(kLongestRetry, schedule.Interval());
    std::chrono::minutes wait = kFirstRetry;
    for (int i = 1; i < failuresInARow && wait < longest; ++i) {
        wait *= 2;
    }
    return std::min(wait, longest);
}

DateTime NextDue(const Watch& watch) {
    if (!watch.lastStarted) {
        return watch.created;
    }
    if (watch.failures > 0) {
        return AddMinutes(*watch.lastStarted, FailureBackoff(watch.failures, watch.schedule));
    }
    return watch.schedule.NextAfter(*watch.lastStarted);
}

bool IsDue(const Watch& watch, DateTime now) {
    return NextDue(watch) <= AddMinutes(now, kEarlySlack);
}

std::vector<std::size_t> PickDue(const std::vector<Watch>& watches, DateTime now,
                                 std::size_t limit) {
    const DateTime horizon = AddMinutes(now, kEarlySlack);
    std::vector<std::pair<DateTime, std::size_t>> due;
    for (std::size_t i = 0; i < watches.size(); ++i) {
        const DateTime next = NextDue(watches[i]);
        if (next <= horizon) {
            due.emplace_back(next, i);
        }
    }
    // The pair's second member keeps ties in the given order.
    std::sort(due.begin(), due.end());
    if (limit != 0 && due.size() > limit) {
        due.resize(limit);
    }
    std::vector<std::size_t> positions;
    positions.reserve(due.size());
    for (const auto& [next, position] : due) {
        positions.push_back(position);
    }
    return positions;
}

}  // namespace tarnwick
