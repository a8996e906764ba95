#include "acquire/TokenBucket.h"

#include <algorithm>

namespace tarnwick {

TokenBucket::TokenBucket(double ratePerSecond, double burst)
    : m_rate(std::max(ratePerSecond, 1e-6)), m_burst(std::max(burst, 1.0)), m_tokens(m_burst) {
}

void TokenBucket::SetRate(double ratePerSecond) {
    std::lock_guard lock(m_mutex);
    m_rate = std::max(ratePerSecond, 1e-6);
}

std::chrono::nanoseconds TokenBucket::Take(TimePoint now) {
    std::lock_guard lock(m_mutex);
    if (!m_started) {
        m_started = true;
        m_last = now;
    }
    if (now > m_last) {
        std::chrono::duration<double> elapsed = now - m_last;
        m_tokens = std::min(m_burst, m_tokens + elapsed.count() * m_rate);
        m_last = now;
    }
    // A token owed is a wait: the balance goes below zero and the next taker waits longer.
    m_tokens -= 1.0;
    if (m_tokens >= 0) {
        return std::chrono::nanoseconds(0);
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(-m_tokens / m_rate));
}

}  // namespace tarnwick
