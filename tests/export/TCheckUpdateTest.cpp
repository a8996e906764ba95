#include "export/TCheckUpdate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "fetch/HttpClient.h"
#include "support/MarketFixture.h"

namespace tarnwick::test {
namespace {

using marketsim::Fault;

std::int32_t Check(MarketFixture& market) {
    HttpClient client;
    return CheckLatestVersion(client, market.GetEndpoints().versionEndpoint, kProductName);
}

TEST(VersionCheckTest, AnswerGivesTheProductsNumber) {
    struct Case {
        std::string answer;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"tarnwick=207\r\n", 207},
        {"Tarnwick=300", 300},
        {"TARNWICK=301\r\n", 301},
        {"tarnwick=206\r\n", 206},
        {"tarnwick=abc\r\n", 0},
        {"tarnwick=207x\r\n", 0},
        {"tarnwick=\r\n", 0},
        {"tarnwick= +208", 208},
        {"tarnwick=99999999999", 0},
        {"other=500\r\n", 0},
        {"", 0},
        {"other=500\r\ntarnwick=207\r\n", 207},
        {"other=500\rtarnwick=209\r", 209},
        {"other=500\ntarnwick=210\n", 210},
        {"\r\n\r\nother=1\n\rtarnwick=211", 211},
        {"tarnwick=212\r\ntarnwick=999\r\n", 212},
        {"tarnwick=abc\r\ntarnwick=999\r\n", 0},  // the first line counts, good or not
        {"tarnwicks=300\r\nxtarnwick=301\r\n tarnwick=302\r\n", 0},
        {"tarnwick==207\r\n", 0},
        {"tarnwick=207=1\r\n", 0},
        {"tarnwick\r\n=207\r\n", 0},
    };
    MarketFixture market;
    for (const Case& c : cases) {
        market.Sim().SetVersionAnswer(c.answer);
        EXPECT_EQ(Check(market), c.expected) << c.answer;
        EXPECT_EQ(ParseVersionAnswer(c.answer, "tarnwick"), c.expected) << c.answer;
    }
}

TEST(VersionCheckTest, FailedCheckGivesOne) {
    struct Case {
        std::string what;
        Fault fault;
    };
    const std::vector<Case> cases = {
        {"a redirect is not followed", Fault{.match = "/version", .redirects = 1}},
        {"not found", Fault{.match = "/version", .status = 404}},
        {"server error", Fault{.match = "/version", .status = 500}},
        {"connection closed mid-answer", Fault{.match = "/version", .closeMidBody = true}},
    };
    for (const Case& c : cases) {
        MarketFixture market;
        market.Sim().SetVersionAnswer("tarnwick=207\r\n");
        market.Sim().AddFault(c.fault);
        EXPECT_EQ(Check(market), 1) << c.what;
        // One request: neither the redirect nor the error is retried.
        EXPECT_EQ(market.Sim().Requests().size(), 1u) << c.what;
    }
}

TEST(VersionCheckTest, NegativeOrOutOfRangeValuesCountAsNoNumber) {
    for (const char* answer : {"tarnwick=-5", "tarnwick=-2147483648", "tarnwick=2147483648"}) {
        EXPECT_EQ(ParseVersionAnswer(answer, "tarnwick"), 0) << answer;
    }
    EXPECT_EQ(ParseVersionAnswer("tarnwick=2147483647", "tarnwick"), 2147483647);
}

// An endpoint that sends too much or trickles is given up, with the reason, within the limits.
TEST(VersionCheckTest, TheCheckIsBoundedInBytesAndTime) {
    struct Case {
        std::string what;
        Fault fault;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {"one byte too many", Fault{.match = "/version", .bodyBytes = 64 * 1024 + 1}, "too large"},
        {"at the limit", Fault{.match = "/version", .bodyBytes = 64 * 1024}, ""},
        {"a trickle", Fault{.match = "/version", .trickleMs = 100}, "timeout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MarketFixture market;
        market.Sim().SetVersionAnswer("tarnwick=300\r\nand some more text to trickle");
        market.Sim().AddFault(c.fault);
        HttpClient client;
        const auto before = std::chrono::steady_clock::now();
        const VersionCheckResult result =
            CheckVersion(client, market.GetEndpoints().versionEndpoint, kProductName,
                         VersionCheckLimits{64 * 1024, std::chrono::milliseconds(800)});
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
        EXPECT_EQ(result.failure.substr(0, c.failure.size()), c.failure) << result.failure;
        EXPECT_EQ(result.failure.empty(), c.failure.empty()) << result.failure;
        EXPECT_EQ(result.value, c.failure.empty() ? 0 : 1);
    }
}

TEST(VersionCheckTest, UnreachableEndpointGivesOne) {
    std::string endpoint;
    {
        MarketFixture market;
        endpoint = market.GetEndpoints().versionEndpoint;
    }  // the port is closed now
    HttpClient client;
    EXPECT_EQ(CheckLatestVersion(client, endpoint, kProductName), 1);
}

TEST(VersionCheckTest, RequestIsAPlainGetWithTheProductName) {
    MarketFixture market;
    Check(market);
    auto requests = market.Sim().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /version?softname=tarnwick HTTP/1.1");
    EXPECT_FALSE(requests[0].HasHeader("Referer"));
    EXPECT_EQ(requests[0].Header("User-Agent"), HttpClient::DefaultUserAgent());
}

// Collects what the check's thread reports.
class Reports {
public:
    void Add(std::int32_t value) {
        std::lock_guard lock(m_mutex);
        m_values.push_back(value);
        m_changed.notify_all();
    }
    bool WaitForOne(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return !m_values.empty(); });
    }
    std::vector<std::int32_t> Values() {
        std::lock_guard lock(m_mutex);
        return m_values;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::int32_t> m_values;
};

TEST(TCheckUpdateTest, ReportsTheResultExactlyOnce) {
    struct Case {
        std::string answer;
        int status;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"other=500\r\ntarnwick=207\r\n", 0, 207},
        {"other=500\r\n", 0, 0},
        {"tarnwick=207\r\n", 404, 1},
    };
    for (const Case& c : cases) {
        MarketFixture market;
        market.Sim().SetVersionAnswer(c.answer);
        if (c.status != 0) {
            market.Sim().AddFault(Fault{.match = "/version", .status = c.status});
        }
        Reports reports;
        {
            TCheckUpdate check(market.GetEndpoints().versionEndpoint,
                               [&](std::int32_t value) { reports.Add(value); });
            check.Start();
            check.Start();  // a second start does not run a second check
            ASSERT_TRUE(reports.WaitForOne(std::chrono::seconds(10))) << c.answer;
        }
        EXPECT_EQ(reports.Values(), std::vector<std::int32_t>{c.expected}) << c.answer;
        EXPECT_EQ(market.Sim().Requests().size(), 1u);
    }
}

TEST(TCheckUpdateTest, DestroyingItWhileTheEndpointStallsReturnsPromptlyWithoutAReport) {
    MarketFixture market;
    market.Sim().AddFault(Fault{.match = "/version", .stall = true});
    Reports reports;
    auto check = std::make_unique<TCheckUpdate>(market.GetEndpoints().versionEndpoint,
                                                [&](std::int32_t value) { reports.Add(value); });
    check->Start();
    ASSERT_TRUE(market.Sim().WaitFor([](const auto& requests) { return !requests.empty(); }));

    const auto before = std::chrono::steady_clock::now();
    check.reset();
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    EXPECT_TRUE(reports.Values().empty());
}

}  // namespace
}  // namespace tarnwick::test
