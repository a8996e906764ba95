// What a client does with servers and addresses that would otherwise read local files, fill
// the memory or hold a worker for ever.
#include <gtest/gtest.h>

#include "MarketSim.h"
#include "fetch/HttpClient.h"

namespace tarnwick {
namespace {

using marketsim::Fault;
using marketsim::MarketSim;

class HostileServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        marketsim::Shop shop;
        shop.nick = "test";
        shop.key = "k";
        marketsim::Item item;
        item.id = "1001";
        item.title = "t";
        shop.items.push_back(item);
        m_sim.AddShop(shop);
        m_sim.Start(0);
    }
    std::string Url(const std::string& target) const { return m_sim.BaseUrl() + target; }

    // The kind of the FetchError that the fetch raises; fails the test when it returns.
    FetchError::Kind FailureKind(HttpClient& client, const std::string& address) {
        try {
            client.Get(address);
        } catch (const FetchError& error) {
            return error.kind();
        }
        ADD_FAILURE() << address << " was fetched";
        return FetchError::Kind::Aborted;
    }

    MarketSim m_sim;
};

TEST_F(HostileServerTest, OnlyHttpAndHttpsAreFetchedRedirectsIncluded) {
    HttpClient client;
    client.SetFollowRedirects(true);
    for (std::string address : {"file:///etc/passwd", "FILE:///dev/zero", "gopher://127.0.0.1/x",
                                "ftp://127.0.0.1/", "dict://127.0.0.1/", "/relative"}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(FailureKind(client, address), FetchError::Kind::Scheme);
    }
    m_sim.AddFault(Fault{.match = "/item.htm", .redirectTo = "file:///etc/passwd"});
    EXPECT_EQ(FailureKind(client, Url("/item.htm?id=1001")), FetchError::Kind::Scheme);
    m_sim.ClearFaults();
    m_sim.AddFault(Fault{
        .match = "/item.htm",
        .redirectTo = "gopher://127.0.0.1:" + std::to_string(m_sim.Port()) + "/_GET%20/secret"});
    EXPECT_EQ(FailureKind(client, Url("/item.htm?id=1001")), FetchError::Kind::Scheme);
    for (const auto& request : m_sim.Requests()) {
        EXPECT_EQ(request.target, "/item.htm?id=1001");  // nothing else reached the server
    }
    m_sim.ClearFaults();
    EXPECT_FALSE(client.Get(Url("/item.htm?id=1001")).empty());  // http still works
}

TEST_F(HostileServerTest, ABodyPastTheLimitFailsAsTooLargeAndTheClientGoesOn) {
    m_sim.AddFault(Fault{.match = "/item.htm", .bodyBytes = (2u << 20) + 1});
    HttpClient client;
    client.SetMaxBodyBytes(2 << 20);
    EXPECT_EQ(FailureKind(client, Url("/item.htm?id=1001")), FetchError::Kind::TooLarge);
    m_sim.ClearFaults();
    m_sim.AddFault(Fault{.match = "/item.htm", .bodyBytes = 2u << 20});
    EXPECT_EQ(client.Get(Url("/item.htm?id=1001")).size(), 2u << 20);  // the limit itself is fine
}

TEST_F(HostileServerTest, AServerThatTricklesFailsOnceTheFetchTimeIsUp) {
    // A byte every 20 ms never trips the read time-out; only the whole fetch's limit ends it.
    m_sim.AddFault(Fault{.match = "/item.htm", .trickleMs = 20});
    HttpClient client;
    client.SetReadTimeout(60000);
    client.SetMaxFetchTime(400);
    EXPECT_EQ(FailureKind(client, Url("/item.htm?id=1001")), FetchError::Kind::Timeout);
}

}  // namespace
}  // namespace tarnwick
