// The runner's clock taken from a test marketplace.
#include <gtest/gtest.h>

#include <stdexcept>

#include "MarketSim.h"
#include "fetch/FetchError.h"
#include "watch/RemoteClock.h"

namespace tarnwick {
namespace {

TEST(RemoteClockTest, RunsOnFromTheServersTimeAndRefusesAnythingElse) {
    marketsim::MarketSim sim;
    sim.Start();
    std::tm start{};
    start.tm_year = 2030 - 1900;
    start.tm_mon = 0;
    start.tm_mday = 15;
    start.tm_hour = 8;
    start.tm_isdst = -1;
    sim.SetClock(std::mktime(&start));
    const RemoteClock clock = RemoteClock::Read(sim.BaseUrl() + "/_sim/clock");
    const DateTime first = clock.Now();
    EXPECT_EQ(first.ToText().substr(0, 16), "2030-01-15 08:00");
    EXPECT_LE(first, clock.Now());
    // Read once: the server moving on later does not move this clock.
    sim.AdvanceClock(std::chrono::hours(48));
    EXPECT_EQ(clock.Now().ToText().substr(0, 10), "2030-01-15");
    EXPECT_EQ(RemoteClock::Read(sim.BaseUrl() + "/_sim/clock").Now().ToText().substr(0, 10),
              "2030-01-17");

    EXPECT_THROW(RemoteClock::Read(sim.BaseUrl() + "/_sim/stats"), std::runtime_error);
    EXPECT_THROW(RemoteClock::Read(sim.BaseUrl() + "/nowhere"), FetchError);
}

}  // namespace
}  // namespace tarnwick
