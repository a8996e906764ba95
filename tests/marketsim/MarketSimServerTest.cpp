// The server side: connections, recording, faults, stopping.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MarketSim.h"
#include "PageText.h"
#include "RawHttpClient.h"

namespace marketsim::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class MarketSimServer : public ::testing::Test {
protected:
    void SetUp() override {
        Shop shop;
        shop.nick = "服务器测试店";
        shop.key = "srv";
        shop.ownerId = "77";
        for (int n = 0; n < 3; ++n) {
            Item item;
            item.id = std::to_string(500 + n);
            item.title = "宝贝" + std::to_string(n);
            for (int d = 0; d < 50; ++d) {
                Deal deal;
                deal.buyer = "买家" + std::to_string(d);
                item.deals.push_back(deal);
            }
            for (int r = 0; r < 50; ++r) {
                Review review;
                review.content = "好评" + std::to_string(r);
                item.reviews.push_back(review);
            }
            shop.items.push_back(item);
        }
        shop.items[0].cookie = "cna=abc123";
        m_sim.AddShop(shop);
        m_port = m_sim.Start();
        m_base = m_sim.BaseUrl();
    }

    RawAnswer Get(const std::string& target) {
        RawHttpClient client(m_port);
        return client.Get(target);
    }

    MarketSim m_sim;
    std::uint16_t m_port = 0;
    std::string m_base;
};

TEST_F(MarketSimServer, BindsLoopbackOnAFreePortAndRefusesASecondStart) {
    EXPECT_NE(m_port, 0);
    EXPECT_EQ(m_sim.Port(), m_port);
    EXPECT_EQ(m_base, "http://127.0.0.1:" + std::to_string(m_port));
    EXPECT_THROW(m_sim.Start(), std::logic_error);
    m_sim.Stop();
    m_port = m_sim.Start();
    EXPECT_EQ(Get("/item.htm?id=500").status, 200) << "a stopped server starts again";
    EXPECT_EQ(m_sim.BaseUrl(), "http://127.0.0.1:" + std::to_string(m_port));
}

TEST_F(MarketSimServer, RecordsRequestLineAndHeadersAsSent) {
    RawHttpClient client(m_port);
    client.Send(
        "GET /item.htm?id=500 HTTP/1.1\r\nHost: x\r\nReferer: http://a/b\r\n"
        "user-agent:  Mozilla/5.0 (compatible)\r\nCookie: a=1\r\n\r\n");
    EXPECT_EQ(client.Read().status, 200);
    std::vector<RecordedRequest> requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& r = requests[0];
    EXPECT_EQ(r.requestLine, "GET /item.htm?id=500 HTTP/1.1");
    EXPECT_EQ(r.target, "/item.htm?id=500");
    ASSERT_EQ(r.headers.size(), 4u);
    EXPECT_EQ(r.headers[1].first, "Referer");
    EXPECT_EQ(r.headers[2].first, "user-agent");
    EXPECT_EQ(r.Header("User-Agent"), "Mozilla/5.0 (compatible)");
    EXPECT_TRUE(r.HasHeader("cookie"));
    EXPECT_FALSE(r.HasHeader("Accept-Encoding"));
    EXPECT_EQ(r.Header("Accept-Encoding"), "");

    m_sim.ClearRequests();
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(MarketSimServer, KeepAliveSharesAConnectionUntilTheClientAsksToClose) {
    RawHttpClient first(m_port);
    for (const char* target : {"/item.htm?id=500", "/itemviews.htm?id=500", "/no/such/page"}) {
        RawAnswer answer = first.Get(target);
        EXPECT_TRUE(answer.complete);
        EXPECT_EQ(answer.status, std::string(target) == "/no/such/page" ? 404 : 200);
    }
    RawHttpClient second(m_port);
    EXPECT_EQ(second.Get("/item.htm?id=501", {"Connection: close"}).status, 200);
    EXPECT_TRUE(second.ClosedWithin(2s));
    RawHttpClient old(m_port);
    old.Send("GET /item.htm?id=501 HTTP/1.0\r\n\r\n");
    EXPECT_EQ(old.Read().status, 200);
    EXPECT_TRUE(old.ClosedWithin(2s));

    std::vector<RecordedRequest> requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].connection, 1);
    EXPECT_EQ(requests[1].connection, 1);
    EXPECT_EQ(requests[2].connection, 1);
    EXPECT_EQ(requests[3].connection, 2);
    EXPECT_EQ(requests[4].connection, 3);
}

TEST_F(MarketSimServer, ItemWithACookieSetsIt) {
    EXPECT_EQ(Get("/item.htm?id=500").Header("Set-Cookie"), "cna=abc123; Path=/");
    EXPECT_EQ(Get("/item.htm?id=501").Header("Set-Cookie"), "");
}

TEST_F(MarketSimServer, StatusFaultsAnswerWithTheirStatusLineOnly) {
    struct Case {
        int status;
        const char* line;
    };
    for (Case c :
         {Case{404, "HTTP/1.1 404 Not Found"}, Case{500, "HTTP/1.1 500 Internal Server Error"},
          Case{503, "HTTP/1.1 503 Service Unavailable"}, Case{403, "HTTP/1.1 403 Forbidden"}}) {
        m_sim.ClearFaults();
        m_sim.AddFault(Fault{.match = "id=501", .status = c.status});
        m_sim.AddFault(Fault{.match = "item.htm", .status = 418});  // later: never wins
        RawHttpClient client(m_port);
        RawAnswer faulted = client.Get("/item.htm?id=501");
        EXPECT_EQ(faulted.statusLine, c.line);
        EXPECT_LT(faulted.body.size(), 200u);
        // The connection stays usable, and a target the first fault misses meets the second.
        EXPECT_EQ(client.Get("/item.htm?id=500").status, 418);
        EXPECT_EQ(client.Get("/itemviews.htm?id=501").status, c.status)
            << "id=501 matches here too";
    }
}

TEST_F(MarketSimServer, InterimStatusIsFollowedByTheRealAnswer) {
    m_sim.AddFault(Fault{.match = "itemviews", .status = 100});
    RawHttpClient client(m_port);
    client.SendGet("/itemviews.htm?id=502");
    EXPECT_EQ(client.Read().statusLine, "HTTP/1.1 100 Continue");
    RawAnswer real = client.Read();
    EXPECT_EQ(real.status, 200);
    EXPECT_EQ(real.body, "{\"502\":0}");
}

TEST_F(MarketSimServer, RedirectChainOfNEndsWithTheUnfaultedPage) {
    const std::string target = "/item.htm?id=501";
    std::string direct = Get(target).body;
    for (int n : {1, 3, 14}) {
        m_sim.ClearFaults();
        m_sim.ClearRequests();
        m_sim.AddFault(Fault{.match = "item.htm", .redirects = n});
        RawHttpClient client(m_port);
        RawAnswer answer = client.Get(target);
        int redirects = 0;
        while (answer.status == 302 && redirects < 20) {
            ++redirects;
            std::string location = answer.Header("Location");
            ASSERT_EQ(location.rfind(m_base + "/", 0), 0u) << location;
            answer = client.Get(location.substr(m_base.size()));
        }
        EXPECT_EQ(redirects, n);
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.body, direct);
        EXPECT_EQ(m_sim.Requests().size(), static_cast<std::size_t>(n + 1));
    }
}

TEST_F(MarketSimServer, RedirectLoopPointsAtItselfForEver) {
    m_sim.AddFault(Fault{.match = "feedRateList", .redirectLoop = true});
    const std::string target = "/feedRateList.htm?itemId=500&currentPage=1";
    RawHttpClient client(m_port);
    for (int hop = 0; hop < 25; ++hop) {
        RawAnswer answer = client.Get(target);
        ASSERT_EQ(answer.status, 302);
        ASSERT_EQ(answer.Header("Location"), m_base + target);
    }
}

TEST_F(MarketSimServer, CloseMidBodySendsHalfOfWhatTheHeadPromises) {
    m_sim.AddFault(Fault{.match = "id=500", .closeMidBody = true});
    RawHttpClient client(m_port);
    RawAnswer answer = client.Get("/item.htm?id=500");
    EXPECT_FALSE(answer.complete);
    EXPECT_EQ(answer.status, 200);
    std::size_t promised = std::stoul(answer.Header("Content-Length"));
    EXPECT_GT(promised, 1000u);
    EXPECT_EQ(answer.body.size(), promised / 2);
    EXPECT_TRUE(client.ClosedWithin(1s));
}

TEST_F(MarketSimServer, DelayAndLatencyHoldTheAnswerBack) {
    m_sim.AddFault(Fault{.match = "id=501", .delayMs = 150});
    auto timed = [&](const std::string& target) {
        auto start = Clock::now();
        EXPECT_EQ(Get(target).status, 200);
        return Clock::now() - start;
    };
    EXPECT_GE(timed("/item.htm?id=501"), 150ms);
    EXPECT_LT(timed("/item.htm?id=500"), 150ms);
    m_sim.SetLatency(120);
    EXPECT_GE(timed("/item.htm?id=500"), 120ms);
    EXPECT_GE(timed("/item.htm?id=501"), 270ms);
}

TEST_F(MarketSimServer, HeldRequestsAnswerOnlyAfterRelease) {
    m_sim.AddFault(Fault{.match = "itemviews", .hold = true});
    RawHttpClient a(m_port);
    RawHttpClient b(m_port);
    a.SendGet("/itemviews.htm?id=500");
    b.SendGet("/itemviews.htm?id=501");
    ASSERT_TRUE(m_sim.WaitForHeld(2, 5s));
    EXPECT_EQ(m_sim.HeldCount(), 2u);
    EXPECT_FALSE(a.DataWithin(100ms));
    EXPECT_EQ(Get("/item.htm?id=500").status, 200) << "other paths are not held";

    m_sim.ReleaseHolds();
    EXPECT_EQ(a.Read().body, "{\"500\":0}");
    EXPECT_EQ(b.Read().body, "{\"501\":0}");
    EXPECT_EQ(m_sim.HeldCount(), 0u);

    // A request that comes after the release waits for the next one.
    a.SendGet("/itemviews.htm?id=502");
    ASSERT_TRUE(m_sim.WaitForHeld(1, 5s));
    m_sim.ReleaseHolds();
    EXPECT_EQ(a.Read().status, 200);
}

TEST_F(MarketSimServer, StopEndsStalledAndHeldRequests) {
    m_sim.AddFault(Fault{.match = "id=500", .stall = true});
    m_sim.AddFault(Fault{.match = "id=501", .hold = true});
    RawHttpClient stalled(m_port);
    RawHttpClient held(m_port);
    RawHttpClient idle(m_port);
    stalled.SendGet("/item.htm?id=500");
    held.SendGet("/item.htm?id=501");
    ASSERT_TRUE(m_sim.WaitFor([](const auto& r) { return r.size() == 2; }, 5s));
    ASSERT_TRUE(m_sim.WaitForHeld(1, 5s));
    EXPECT_FALSE(stalled.DataWithin(100ms));

    auto start = Clock::now();
    m_sim.Stop();
    EXPECT_LT(Clock::now() - start, 2s);
    for (RawHttpClient* client : {&stalled, &held, &idle}) {
        EXPECT_TRUE(client->ClosedWithin(1s));
    }
    EXPECT_EQ(m_sim.HeldCount(), 0u);
    EXPECT_THROW(RawHttpClient{m_port}, std::system_error) << "the listening socket is closed";
}

TEST_F(MarketSimServer, IdenticalFurtherPagesRepeatPageTwoByteForByte) {
    m_sim.AddFault(Fault{.match = "itemId=501", .identicalFurtherPages = true});
    m_sim.AddFault(Fault{.match = "item_id=501", .identicalFurtherPages = true});
    for (const std::string prefix :
         {"/deal_records.htm?item_id=501&bid_page=", "/feedRateList.htm?itemId=501&currentPage="}) {
        std::string one = Get(prefix + "1").body;
        std::string two = Get(prefix + "2").body;
        EXPECT_NE(one, two);
        EXPECT_EQ(Get(prefix + "3").body, two);
        EXPECT_EQ(Get(prefix + "9").body, two);
    }
    // Without the fault, page 3 is a page of its own.
    EXPECT_NE(Get("/deal_records.htm?item_id=500&bid_page=3").body,
              Get("/deal_records.htm?item_id=500&bid_page=2").body);
}

TEST_F(MarketSimServer, SixtyFourConnectionsAreServedAtOnce) {
    m_sim.AddFault(Fault{.match = "itemviews", .hold = true});
    std::vector<std::unique_ptr<RawHttpClient>> clients;
    for (int n = 0; n < 64; ++n) {
        clients.push_back(std::make_unique<RawHttpClient>(m_port));
        clients.back()->SendGet("/itemviews.htm?id=500");
    }
    // All 64 are inside the server at the same moment.
    ASSERT_TRUE(m_sim.WaitForHeld(64, 10s)) << m_sim.HeldCount();
    m_sim.ReleaseHolds();
    for (auto& client : clients) {
        EXPECT_EQ(client->Read().body, "{\"500\":0}");
    }
    std::vector<RecordedRequest> requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 64u);
    std::set<int> connections;
    for (const RecordedRequest& r : requests) {
        connections.insert(r.connection);
    }
    EXPECT_EQ(connections.size(), 64u);
}

TEST_F(MarketSimServer, MalformedAndOtherMethodsAreRefused) {
    struct Case {
        const char* request;
        int status;
    };
    for (Case c :
         {Case{"POST /item.htm?id=500 HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 405},
          Case{"NONSENSE\r\n\r\n", 400}, Case{"GET /x HTTP/1.1\r\nNo colon here\r\n\r\n", 400},
          Case{"GET /unknown HTTP/1.1\r\n\r\n", 404}}) {
        RawHttpClient client(m_port);
        client.Send(c.request);
        EXPECT_EQ(client.Read().status, c.status) << c.request;
    }
    RawHttpClient huge(m_port);
    huge.Send("GET /" + std::string(70000, 'a'));
    EXPECT_EQ(huge.Read().status, 431);
}

TEST_F(MarketSimServer, StatsCountRequestsByKind) {
    Get("/item.htm?id=500");
    Get("/item.htm?id=501");
    Get("/feedRateList.htm?itemId=500&currentPage=1");
    Get("/nowhere");
    std::string stats = Get("/_sim/stats").body;
    EXPECT_NE(stats.find("total 4\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("item 2\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("reviews 1\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("other 1\n"), std::string::npos) << stats;
    EXPECT_EQ(m_sim.StatsText(), stats);
}

}  // namespace
}  // namespace marketsim::test

namespace marketsim::test {
namespace {

TEST_F(MarketSimServer, TheTestClockIsSetAndMovedWithoutWaiting) {
    std::tm start{};
    start.tm_year = 2026 - 1900;
    start.tm_mon = 2;
    start.tm_mday = 1;
    start.tm_hour = 9;
    start.tm_isdst = -1;
    m_sim.SetClock(std::mktime(&start));
    const std::string first = Get("/_sim/clock").body;
    EXPECT_EQ(first.substr(0, 16), "2026-03-01 09:00") << first;
    EXPECT_EQ(first.size(), 23u) << first;
    m_sim.AdvanceClock(std::chrono::hours(24 + 3));
    EXPECT_EQ(Get("/_sim/clock").body.substr(0, 16), "2026-03-02 12:00");
    EXPECT_EQ(m_sim.ClockText().substr(0, 16), "2026-03-02 12:00");
    // Its own path, not the shops': neither counted nor caught by a fault on every request.
    Fault everything;
    everything.match = "/";
    everything.status = 500;
    m_sim.AddFault(everything);
    EXPECT_EQ(Get("/_sim/clock").status, 200);
    EXPECT_NE(m_sim.StatsText().find("total 0\n"), std::string::npos) << m_sim.StatsText();
}

}  // namespace
}  // namespace marketsim::test
