#pragma once

#include <cstdint>
#include <string>

#include "MarketSim.h"
#include "fetch/Endpoints.h"

namespace tarnwick::test {

// A marketsim running on loopback for one test, and endpoints that point the program at it.
class MarketFixture {
public:
    MarketFixture();
    ~MarketFixture();

    marketsim::MarketSim& Sim() { return m_sim; }
    const marketsim::MarketSim& Sim() const { return m_sim; }
    const Endpoints& GetEndpoints() const { return m_endpoints; }
    std::string Base() const { return m_sim.BaseUrl(); }
    // Serves the demo shop as it stands on that day, in place of any earlier day's; returns it.
    marketsim::Shop ServeDemoShop(int day, std::uint32_t seed = 1);

private:
    marketsim::MarketSim m_sim;
    Endpoints m_endpoints;
};

}  // namespace tarnwick::test
