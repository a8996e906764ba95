#include "acquire/RateLimitGate.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

using namespace std::chrono_literals;
using Gate = RateLimitGate;

TEST(RateLimitGateTest, ARefusalPausesEveryRequestForWhatTheServerAsksBoundedAtTenMinutes) {
    const Gate::TimePoint t0{};
    struct Case {
        std::optional<std::chrono::seconds> retryAfter;
        std::chrono::seconds pause;
    };
    for (const Case& c : {Case{60s, 60s}, Case{0s, 0s}, Case{86400s, 600s},
                          Case{std::nullopt, Gate::kFirstBackoff}}) {
        Gate gate;
        const auto ticket = gate.Sent(t0);
        ASSERT_EQ(gate.Refused(ticket, c.retryAfter, t0 + 1ms), Gate::Refusal::Paused);
        EXPECT_EQ(gate.Take(t0 + 1ms), std::chrono::nanoseconds(c.pause)) << c.pause.count();
        EXPECT_EQ(gate.PausedFor(), c.pause);
    }
}

TEST(RateLimitGateTest, RefusalsOfRequestsSentBeforeThePauseAreOnePause) {
    const Gate::TimePoint t0{};
    Gate gate;
    std::vector<std::uint64_t> underWay;
    for (int i = 0; i < 30; ++i) {
        underWay.push_back(gate.Sent(t0));
    }
    EXPECT_EQ(gate.Refused(underWay[0], 60s, t0), Gate::Refusal::Paused);
    for (std::size_t i = 1; i < underWay.size(); ++i) {
        EXPECT_EQ(gate.Refused(underWay[i], 60s, t0 + 10ms), Gate::Refusal::AlreadyPaused);
    }
    EXPECT_EQ(gate.Pauses(), 1);
}

TEST(RateLimitGateTest, ThreePausesWithoutAnAnswerBetweenThemGiveUpAndAnAnswerStartsAgain) {
    Gate::TimePoint now{};
    Gate gate;
    // Without a Retry-After: 5 s, then 10 s; the third refusal in a row ends the run.
    EXPECT_EQ(gate.Refused(gate.Sent(now), std::nullopt, now), Gate::Refusal::Paused);
    EXPECT_EQ(gate.Take(now), std::chrono::nanoseconds(5s));
    now += 5s;
    EXPECT_EQ(gate.Refused(gate.Sent(now), std::nullopt, now), Gate::Refusal::Paused);
    EXPECT_EQ(gate.Take(now), std::chrono::nanoseconds(10s));
    now += 10s;
    // An answer to a request sent before the last pause says nothing of the pace since.
    gate.Answered(0);
    EXPECT_EQ(gate.Refused(gate.Sent(now), std::nullopt, now), Gate::Refusal::GiveUp);

    Gate patient;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(patient.Refused(patient.Sent(now), 1s, now), Gate::Refusal::Paused);
        now += 1s;
        patient.Answered(patient.Sent(now));
    }
    EXPECT_EQ(patient.Pauses(), 5);
}

TEST(RateLimitGateTest, ThePaceHalvesAfterEachRefusalAndCreepsBackToTheRunsOwnLimit) {
    Gate::TimePoint now{};
    Gate gate(8.0);
    EXPECT_DOUBLE_EQ(gate.Rate(), 8.0);
    gate.Refused(gate.Sent(now), 0s, now);
    EXPECT_DOUBLE_EQ(gate.Rate(), 4.0);
    gate.Answered(gate.Sent(now));
    gate.Refused(gate.Sent(now), 0s, now);
    EXPECT_LT(gate.Rate(), 4.0);
    for (int i = 0; i < Gate::kRecoveryAnswers * 2; ++i) {
        gate.Answered(gate.Sent(now));
    }
    EXPECT_DOUBLE_EQ(gate.Rate(), 8.0);

    // A run without a limit of its own gets one from its pace when refused, and loses it again.
    Gate unlimited;
    for (int i = 0; i < 32; ++i) {
        unlimited.Sent(now + std::chrono::milliseconds(10 * i));  // 100 a second
    }
    unlimited.Refused(unlimited.Sent(now + 320ms), 0s, now + 320ms);
    EXPECT_NEAR(unlimited.Rate(), 50.0, 5.0);
    unlimited.Take(now + 320ms);  // the one request a quiet spell allows
    EXPECT_GT(unlimited.Take(now + 320ms), std::chrono::nanoseconds(0));
    for (int i = 0; i < Gate::kRecoveryAnswers * 2; ++i) {
        unlimited.Answered(unlimited.Sent(now + 1s));
    }
    EXPECT_DOUBLE_EQ(unlimited.Rate(), 0.0);
    EXPECT_EQ(unlimited.Take(now + 2s), std::chrono::nanoseconds(0));
}

}  // namespace
}  // namespace tarnwick::test
