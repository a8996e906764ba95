#include "support/MarketFixture.h"

#include <stdexcept>

#include "ShopDays.h"

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

marketsim::Shop MarketFixture::ServeDemoShop(int day, std::uint32_t seed) {
    marketsim::Shop shop = marketsim::DemoShopOnDay(seed, day);
    m_sim.AddShop(shop);
    return shop;
}

}  // namespace tarnwick::test
