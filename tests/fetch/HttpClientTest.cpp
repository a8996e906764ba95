#include "fetch/HttpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stop_token>
#include <thread>

#include "MarketSim.h"
#include "fetch/Gbk.h"

namespace tarnwick {
namespace {

using marketsim::Fault;
using marketsim::MarketSim;
using marketsim::RecordedRequest;

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        marketsim::Shop shop;
        shop.nick = "test";
        shop.key = "k";
        shop.ownerId = "42";
        marketsim::Item item;
        item.id = "1001";
        item.title = "t";
        item.cookie = "session=abc";
        shop.items.push_back(item);
        m_sim.AddShop(shop);
        m_sim.Start(0);
        m_base = m_sim.BaseUrl();
    }

    std::string Url(const std::string& target) const { return m_base + target; }
    RecordedRequest Last() const { return m_sim.Requests().back(); }

    MarketSim m_sim;
    std::string m_base;
};

TEST_F(HttpClientTest, SendsOnlyTheFixedHeaders) {
    HttpClient client;
    client.Get(Url("/item.htm?id=1001"));
    RecordedRequest request = Last();
    EXPECT_EQ(request.requestLine, "GET /item.htm?id=1001 HTTP/1.1");
    std::set<std::string> names;
    for (const auto& [name, value] : request.headers) {
        names.insert(name);
    }
    EXPECT_EQ(names, (std::set<std::string>{"Host", "Accept", "User-Agent"}));
    EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(m_sim.Port()));
    EXPECT_EQ(request.Header("Accept"), "text/html, */*");
    EXPECT_EQ(request.Header("User-Agent"), HttpClient::DefaultUserAgent());
}

TEST_F(HttpClientTest, RefererAndUserAgentGoOutOnlyOnceSetAndStaySet) {
    HttpClient client;
    client.Get(Url("/itemviews.htm?id=1001"));
    EXPECT_FALSE(Last().HasHeader("Referer"));

    client.SetReferer("http://item.example/item.htm?id=1001");
    client.SetUserAgent("Mozilla/5.0 (test)");
    client.Get(Url("/itemviews.htm?id=1001"));
    client.Get(Url("/feedRateList.htm?itemId=1001&currentPage=1"));
    for (const RecordedRequest& request : {m_sim.Requests()[1], m_sim.Requests()[2]}) {
        EXPECT_EQ(request.Header("Referer"), "http://item.example/item.htm?id=1001");
        EXPECT_EQ(request.Header("User-Agent"), "Mozilla/5.0 (test)");
    }

    HttpClient other;
    other.Get(Url("/itemviews.htm?id=1001"));
    EXPECT_FALSE(Last().HasHeader("Referer"));
    EXPECT_EQ(Last().Header("User-Agent"), HttpClient::DefaultUserAgent());
}

TEST_F(HttpClientTest, CookiesGoBackOnlyFromTheClientThatGotThem) {
    HttpClient client;
    client.Get(Url("/item.htm?id=1001"));
    EXPECT_FALSE(Last().HasHeader("Cookie"));
    client.Get(Url("/itemviews.htm?id=1001"));
    EXPECT_EQ(Last().Header("Cookie"), "session=abc");

    HttpClient other;
    other.Get(Url("/itemviews.htm?id=1001"));
    EXPECT_FALSE(Last().HasHeader("Cookie"));
}

TEST_F(HttpClientTest, ReusesTheConnectionToTheSameHost) {
    HttpClient client;
    client.Get(Url("/itemviews.htm?id=1001"));
    client.Get(Url("/item.htm?id=1001"));
    auto requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].connection, requests[1].connection);
}

TEST_F(HttpClientTest, GbkBytesGoOnTheRequestLineUnchanged) {
    std::string nick = Utf8ToGbk("星辰数码");
    HttpClient client;
    client.Get(Url("/wangwang/ming_pian_without_avatar.htm?nick=" + nick + "&from_nick=x"));
    EXPECT_EQ(Last().requestLine,
              "GET /wangwang/ming_pian_without_avatar.htm?nick=" + nick + "&from_nick=x HTTP/1.1");
}

TEST_F(HttpClientTest, ReturnsTheBodyAsReceived) {
    HttpClient client;
    // The deal-record answer carries "&amp;" and backslash-escaped quotation marks.
    std::string body = client.Get(Url("/deal_records.htm?item_id=1001&bid_page=1"));
    EXPECT_NE(body.find("&amp;"), std::string::npos);
    EXPECT_NE(body.find("\\\""), std::string::npos);
}

TEST_F(HttpClientTest, ErrorStatusRaisesWithTheStatusLineAndNoBody) {
    m_sim.AddFault(Fault{.match = "/item.htm", .status = 404});
    HttpClient client;
    try {
        client.Get(Url("/item.htm?id=1001"));
        FAIL() << "a 404 must raise";
    } catch (const FetchError& error) {
        EXPECT_EQ(error.kind(), FetchError::Kind::Status);
        EXPECT_EQ(error.status(), 404);
        EXPECT_STREQ(error.what(), "HTTP/1.1 404 Not Found");
    }
    m_sim.ClearFaults();
    m_sim.AddFault(Fault{.match = "/item.htm", .status = 500});
    EXPECT_THROW(client.Get(Url("/item.htm?id=1001")), FetchError);
}

TEST_F(HttpClientTest, RedirectFailsUnlessFollowingIsOn) {
    m_sim.AddFault(Fault{.match = "/itemviews.htm", .redirects = 1});
    HttpClient client;
    try {
        client.Get(Url("/itemviews.htm?id=1001"));
        FAIL() << "a redirect must raise while redirects are off";
    } catch (const FetchError& error) {
        EXPECT_EQ(error.kind(), FetchError::Kind::Redirect);
    }
    client.SetFollowRedirects(true);
    EXPECT_EQ(client.Get(Url("/itemviews.htm?id=1001")), "{\"1001\":0}");
}

TEST_F(HttpClientTest, FifteenRequestsAtMostInOneFetch) {
    HttpClient client;
    client.SetFollowRedirects(true);

    m_sim.AddFault(Fault{.match = "/itemviews.htm", .redirects = 14});
    EXPECT_EQ(client.Get(Url("/itemviews.htm?id=1001")), "{\"1001\":0}");
    EXPECT_EQ(m_sim.Requests().size(), 15u);

    m_sim.ClearFaults();
    m_sim.ClearRequests();
    m_sim.AddFault(Fault{.match = "/itemviews.htm", .redirects = 15});
    EXPECT_EQ(client.Get(Url("/itemviews.htm?id=1001")), "");
    EXPECT_EQ(m_sim.Requests().size(), 15u);

    m_sim.ClearFaults();
    m_sim.ClearRequests();
    m_sim.AddFault(Fault{.match = "/itemviews.htm", .redirectLoop = true});
    EXPECT_EQ(client.Get(Url("/itemviews.htm?id=1001")), "");
    EXPECT_EQ(m_sim.Requests().size(), 15u);
}

TEST_F(HttpClientTest, ConnectionClosedMidBodyFails) {
    m_sim.AddFault(Fault{.match = "/item.htm", .closeMidBody = true});
    HttpClient client;
    try {
        client.Get(Url("/item.htm?id=1001"));
        FAIL() << "a cut body must raise";
    } catch (const FetchError& error) {
        EXPECT_EQ(error.kind(), FetchError::Kind::Network);
    }
    m_sim.ClearFaults();
    EXPECT_FALSE(client.Get(Url("/item.htm?id=1001")).empty());  // the client recovers
}

TEST_F(HttpClientTest, StalledAnswerFailsAfterTheReadTimeout) {
    m_sim.AddFault(Fault{.match = "/item.htm", .stall = true});
    HttpClient client;
    client.SetReadTimeout(500);
    try {
        client.Get(Url("/item.htm?id=1001"));
        FAIL() << "a stalled answer must raise";
    } catch (const FetchError& error) {
        EXPECT_EQ(error.kind(), FetchError::Kind::Timeout);
    }
}

TEST_F(HttpClientTest, AbortTokenEndsAFetchUnderWay) {
    m_sim.AddFault(Fault{.match = "/item.htm", .stall = true});
    std::stop_source abort;
    HttpClient client;
    client.SetAbortToken(abort.get_token());
    std::jthread stopper([&] {
        m_sim.WaitFor([](const auto& requests) { return !requests.empty(); });
        abort.request_stop();
    });
    try {
        client.Get(Url("/item.htm?id=1001"));
        FAIL() << "an aborted fetch must raise";
    } catch (const FetchError& error) {
        EXPECT_EQ(error.kind(), FetchError::Kind::Aborted);
    }
}

TEST_F(HttpClientTest, UnreachableHostFails) {
    m_sim.Stop();
    HttpClient client;
    EXPECT_THROW(client.Get(Url("/item.htm?id=1001")), FetchError);
    // Addresses cut from pages may be secure ones: the client must speak TLS, so the failure
    // is the connection's, not an unknown scheme's.
    try {
        client.Get("https://" + m_base.substr(7) + "/item.htm?id=1001");
        FAIL() << "nothing listens there";
    } catch (const FetchError& error) {
        EXPECT_EQ(error.kind(), FetchError::Kind::Network);
        EXPECT_EQ(std::string(error.what()).find("nsupported protocol"), std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace tarnwick
