#include "support/MarketFixture.h"

#include <stdexcept>

namespace tarnwick::test {

MarketFixture::MarketFixture() : m_endpoints(Endpoints::Defaults()) {
    m_sim.Start(0);
    if (!m_endpoints.PointMarketAt(m_sim.BaseUrl())) {
        throw std::runtime_error("marketsim address not usable: " + m_sim.BaseUrl());
    }
    m_endpoints.versionEndpoint = m_sim.BaseUrl() + "/version";
}

MarketFixture::~MarketFixture() {
    m_sim.Stop();
}

}  // namespace tarnwick::test
