#include "acquire/RateLimitGate.h"

#include <algorithm>

namespace tarnwick {

RateLimitGate::RateLimitGate(double ceiling)
    : m_ceiling(ceiling > 0 ? ceiling : 0), m_rate(m_ceiling) {
    if (m_rate > 0) {
        m_bucket.emplace(m_rate);
    }
}

std::uint64_t RateLimitGate::Sent(TimePoint now) {
    std::lock_guard lock(m_mutex);
    m_recent[m_sent % m_recent.size()] = now;
    ++m_sent;
    return m_generation;
}

double RateLimitGate::ObservedRateLocked(TimePoint now) const {
    const std::size_t n = std::min(m_sent, m_recent.size());
    if (n < 2) {
        return 1.0;
    }
    const TimePoint oldest = m_recent[(m_sent - n) % m_recent.size()];
    const double seconds = std::chrono::duration<double>(now - oldest).count();
    return seconds > 0 ? static_cast<double>(n) / seconds : static_cast<double>(n);
}

RateLimitGate::Refusal RateLimitGate::Refused(std::uint64_t ticket,
                                              std::optional<std::chrono::seconds> retryAfter,
                                              TimePoint now) {
    std::lock_guard lock(m_mutex);
    if (m_gaveUp) {
        return Refusal::GiveUp;
    }
    // Many requests are under way when a refusal comes; their refusals tell nothing new.
    if (ticket < m_generation) {
        return Refusal::AlreadyPaused;
    }
    ++m_inARow;
    if (m_inARow >= kPausesToGiveUp) {
        m_gaveUp = true;
        return Refusal::GiveUp;
    }
    ++m_generation;
    // Without a word from the server: 5 s, then 10 s, ... while the refusals go on.
    std::chrono::seconds pause = retryAfter ? *retryAfter : kFirstBackoff * (1 << (m_inARow - 1));
    pause = std::clamp(pause, std::chrono::seconds(0), kMaxPause);
    m_pauseUntil = std::max(m_pauseUntil, now + pause);
    ++m_pauses;
    m_pausedFor += std::chrono::duration_cast<std::chrono::milliseconds>(pause);

    const double before = m_rate > 0 ? m_rate : ObservedRateLocked(now);
    m_restoreTo = std::max(m_restoreTo, m_ceiling > 0 ? m_ceiling : before);
    m_rate = std::max(kMinRate, before / 2);
    if (m_bucket) {
        m_bucket->SetRate(m_rate);
    } else {
        m_bucket.emplace(m_rate);
    }
    return Refusal::Paused;
}

void RateLimitGate::Answered(std::uint64_t ticket) {
    std::lock_guard lock(m_mutex);
    // An answer to a request sent before the last pause says nothing of the pace since.
    if (ticket == m_generation) {
        m_inARow = 0;
    }
    if (m_restoreTo <= 0 || m_rate <= 0) {
        return;
    }
    m_rate = std::min(m_restoreTo, m_rate + m_restoreTo / kRecoveryAnswers);
    if (m_rate >= m_restoreTo) {
        // Back where it was: the run's own limit, or none.
        m_rate = m_ceiling;
        m_restoreTo = 0;
        if (m_rate > 0) {
            m_bucket->SetRate(m_rate);
        } else {
            m_bucket.reset();
        }
        return;
    }
    m_bucket->SetRate(m_rate);
}

std::chrono::nanoseconds RateLimitGate::Take(TimePoint now) {
    std::lock_guard lock(m_mutex);
    if (now < m_pauseUntil) {
        return m_pauseUntil - now;
    }
    return m_bucket ? m_bucket->Take(now) : std::chrono::nanoseconds(0);
}

std::chrono::nanoseconds RateLimitGate::PauseLeft(TimePoint now) const {
    std::lock_guard lock(m_mutex);
    return now < m_pauseUntil ? m_pauseUntil - now : std::chrono::nanoseconds(0);
}

int RateLimitGate::Pauses() const {
    std::lock_guard lock(m_mutex);
    return m_pauses;
}

std::chrono::milliseconds RateLimitGate::PausedFor() const {
    std::lock_guard lock(m_mutex);
    return m_pausedFor;
}

double RateLimitGate::Rate() const {
    std::lock_guard lock(m_mutex);
    return m_rate;
}

}  // namespace tarnwick
