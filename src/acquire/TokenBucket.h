#pragma once

#include <chrono>
#include <mutex>

namespace tarnwick {

// Spaces the requests of every worker of a run to at most `ratePerSecond`. A worker takes a
// token before each request and waits as long as Take says; the wait is reserved at once, so
// workers that arrive together are spaced out instead of all waking at the same moment.
class TokenBucket {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // `burst`: requests that may go out back to back after a quiet spell; at least 1.
    explicit TokenBucket(double ratePerSecond, double burst = 1.0);

    // Takes one token at `now`; returns how long to wait before the request may go.
    std::chrono::nanoseconds Take(TimePoint now);
    // A new pace from now on; the tokens already owed or saved stay.
    void SetRate(double ratePerSecond);

private:
    std::mutex m_mutex;
    double m_rate;
    double m_burst;
    double m_tokens;
    TimePoint m_last{};
    bool m_started = false;
};

}  // namespace tarnwick
