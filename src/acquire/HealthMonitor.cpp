#include "acquire/HealthMonitor.h"

#include "base/Clock.h"

namespace tarnwick {

bool HealthMonitor::Record(PageKind kind, AnswerClass answer) {
    std::lock_guard lock(m_mutex);
    return m_tally.Add(kind, answer, m_clock.Now());
}

HealthTally HealthMonitor::Snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_tally;
}

HealthReport HealthMonitor::Judge(const RunFacts& facts) const {
    std::lock_guard lock(m_mutex);
    return JudgeHealth(m_tally, facts);
}

}  // namespace tarnwick
