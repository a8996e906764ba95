#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

#include "acquire/TokenBucket.h"

namespace tarnwick {

// What a run does when the marketplace refuses it for asking too often (429, or 503 with a
// Retry-After): the whole run stops sending for the time the server asked (bounded; without
// an answer from the server, 5 s doubling), the refused request is tried again a few times at
// most, and the run's pace is halved after each refusal and creeps back with every answer.
// Refusals that keep coming with nothing answered between them end the run.
// Times are given by the caller, so the rules are tested without waiting. Any thread; one lock.
class RateLimitGate {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    // A server that asks for an hour would otherwise hold the run for that hour.
    static constexpr std::chrono::seconds kMaxPause{600};
    static constexpr std::chrono::seconds kFirstBackoff{5};
    // Three pauses with nothing answered between them: the marketplace will not have us now.
    static constexpr int kPausesToGiveUp = 3;
    // Tries of one refused request after the first; each waits out a pause.
    static constexpr int kRetries = 3;
    // The pace never drops below this; slower still is the pauses' work.
    static constexpr double kMinRate = 0.2;
    // Answers after which a lowered pace is back where it was before the refusal.
    static constexpr int kRecoveryAnswers = 50;

    // `ceiling`: the run's own --max-rate (0: none), never exceeded when the pace creeps back.
    explicit RateLimitGate(double ceiling = 0);

    // A request goes out now; the ticket tells later which pause it was sent after.
    std::uint64_t Sent(TimePoint now);
    enum class Refusal {
        Paused,         // a new pause began
        AlreadyPaused,  // a pause began since the request was sent: this refusal is its echo
        GiveUp,         // the pauses keep coming; the run should end
    };
    Refusal Refused(std::uint64_t ticket, std::optional<std::chrono::seconds> retryAfter,
                    TimePoint now);
    void Answered(std::uint64_t ticket);

    // How long a new request must wait at `now`: what is left of the pause, or else the wait
    // for a token at the current pace (taken, so the caller must send after it).
    std::chrono::nanoseconds Take(TimePoint now);
    // What is left of the pause at `now`; zero when none is under way.
    std::chrono::nanoseconds PauseLeft(TimePoint now) const;

    int Pauses() const;
    std::chrono::milliseconds PausedFor() const;  // the pauses' lengths added up
    double Rate() const;                          // requests a second; 0: no limit

private:
    double ObservedRateLocked(TimePoint now) const;

    mutable std::mutex m_mutex;
    double m_ceiling;
    double m_rate;           // 0: unlimited
    double m_restoreTo = 0;  // the pace before the last refusal
    std::optional<TokenBucket> m_bucket;
    std::uint64_t m_generation = 0;  // pauses begun
    int m_inARow = 0;                // pauses with nothing answered since the first of them
    bool m_gaveUp = false;
    TimePoint m_pauseUntil{};
    int m_pauses = 0;
    std::chrono::milliseconds m_pausedFor{0};
    // The last sends, to know the pace of a run that had no limit when the first refusal came.
    std::array<TimePoint, 32> m_recent{};
    std::size_t m_sent = 0;
};

}  // namespace tarnwick
