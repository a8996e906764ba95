#include "acquire/TokenBucket.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

using namespace std::chrono_literals;
using TimePoint = TokenBucket::TimePoint;

// Waits are worked out in floating point; a nanosecond either way is no difference.
double Ms(std::chrono::nanoseconds wait) {
    return std::chrono::duration<double, std::milli>(wait).count();
}

TEST(TokenBucketTest, SpacesRequestsToTheRate) {
    TokenBucket bucket(4.0);  // one every 250 ms
    const TimePoint start{};
    // Five workers arrive at once: the first goes, the others are spaced out behind it.
    EXPECT_NEAR(Ms(bucket.Take(start)), 0, 1e-3);
    EXPECT_NEAR(Ms(bucket.Take(start)), 250, 1e-3);
    EXPECT_NEAR(Ms(bucket.Take(start)), 500, 1e-3);
    EXPECT_NEAR(Ms(bucket.Take(start)), 750, 1e-3);
    // Later arrivals pay only for what is still owed.
    EXPECT_NEAR(Ms(bucket.Take(start + 1000ms)), 0, 1e-3);
    EXPECT_NEAR(Ms(bucket.Take(start + 1100ms)), 150, 1e-3);
}

TEST(TokenBucketTest, QuietTimeSavesNoMoreThanTheBurst) {
    TokenBucket bucket(2.0, 3.0);
    const TimePoint start{};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(Ms(bucket.Take(start)), 0, 1e-3) << i;
    }
    EXPECT_NEAR(Ms(bucket.Take(start)), 500, 1e-3);
    // An hour of quiet still allows only three at once.
    const TimePoint later = start + 1h;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(Ms(bucket.Take(later)), 0, 1e-3) << i;
    }
    EXPECT_NEAR(Ms(bucket.Take(later)), 500, 1e-3);
}

TEST(TokenBucketTest, RateOverOneRequestTakesNoWaitAtThatRate) {
    TokenBucket bucket(10.0);
    TimePoint now{};
    for (int i = 0; i < 50; ++i) {
        EXPECT_NEAR(Ms(bucket.Take(now)), 0, 1e-3) << i;
        now += 100ms;
    }
}

}  // namespace
}  // namespace tarnwick::test
