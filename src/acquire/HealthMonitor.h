#pragma once

#include <atomic>
#include <mutex>

#include "analysis/RunHealth.h"

namespace tarnwick {

class Clock;

// Every answer of a run, recorded once in the order it arrived, from any thread, and the
// judgement of them. One lock guards the tally.
class HealthMonitor {
public:
    explicit HealthMonitor(const Clock& clock) : m_clock(clock) {}

    // True when this answer reaches the streak of blocking answers that stops a run.
    bool Record(PageKind kind, AnswerClass answer);
    HealthTally Snapshot() const;
    HealthReport Judge(const RunFacts& facts) const;

    void MarkShopFound() { m_shopFound.store(true); }
    bool ShopFound() const { return m_shopFound.load(); }

private:
    const Clock& m_clock;
    mutable std::mutex m_mutex;
    HealthTally m_tally;
    std::atomic<bool> m_shopFound{false};
};

}  // namespace tarnwick
