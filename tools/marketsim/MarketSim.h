#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Market.h"

namespace marketsim {

// One request as it arrived, byte for byte.
struct RecordedRequest {
    std::string requestLine;  // "GET /item.htm?id=1 HTTP/1.1", raw bytes (GBK stays GBK)
    std::string target;       // the raw path and query
    std::vector<std::pair<std::string, std::string>> headers;  // in the order sent
    int connection = 0;  // which accepted connection carried it, counting from 1

    // The value of the first header with that name (compared without case), or empty.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

// The sample marketplace: shops, faults, a version answer, and a small HTTP/1.1 server on
// loopback that serves them in GBK and records every request. Paths it answers:
//   /wangwang/ming_pian_without_avatar.htm?nick=<GBK nick>&from_nick=..   IM card page
//   /shop/<key>/?search=y&pageNum=N                                      item-list page N
//   /item.htm?id=<id>                                                    item page
//   /dealquantity.htm?id=<id>, /itemviews.htm?id=<id>                    companion answers
//   /deal_records.htm?item_id=<id>&bid_page=N...                         deal-record answer
//   /feedRateList.htm?itemId=<id>&currentPage=N...                       review answer
//   /version?softname=<name>                                             version list
//   /redirect?to=<target>&left=N                                         redirect chains
//   /_sim/stats                                                          request counts
//   /_sim/clock                                                          the test clock
// Anything else is a 404.
class MarketSim {
public:
    MarketSim();
    ~MarketSim();  // stops the server
    MarketSim(const MarketSim&) = delete;
    MarketSim& operator=(const MarketSim&) = delete;

    // All of these may be called while the server runs.
    void AddShop(Shop shop);
    void AddFault(Fault fault);
    void ClearFaults();
    void SetVersionAnswer(std::string body);
    void SetLatency(int milliseconds);  // every answer waits this long
    // Refuses clients that ask too often, from now on; a burst of 0 turns it off.
    void SetRateLimit(RateLimit limit);
    // Requests refused by the rate limit since Start, and how many of them arrived later than
    // RateLimit::settleMs after the refusing began (a client that pauses sends none then).
    std::size_t RefusedCount() const;
    std::size_t RefusedLate() const;
    // A clock for the programs under test, which they read from /_sim/clock as
    // "YYYY-MM-DD HH:MM:SS.SSS" local time: the real time until set, then running on from the
    // time set at the real pace. Lets a test or the demo move a day ahead without waiting.
    void SetClock(std::time_t localTime);
    void AdvanceClock(std::chrono::seconds by);
    std::string ClockText() const;
    // Lets every request held right now (Fault::hold) answer; one that arrives later waits for
    // the next release (or ClearFaults before it arrives).
    void ReleaseHolds();

    std::uint16_t Start(std::uint16_t port = 0);  // binds 127.0.0.1; returns the port
    void Stop();
    std::uint16_t Port() const;
    std::string BaseUrl() const;  // "http://127.0.0.1:PORT"

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();
    // On by default. The benchmarks serve hundreds of thousands of requests and read none back.
    void SetRecordRequests(bool record);
    // Requests served since Start: "total N", then one "<kind> N" line per kind of path (card,
    // list, item, dealquantity, itemviews, deals, reviews, version, redirect, other); the
    // stats requests themselves are not counted. Also the answer of /_sim/stats.
    std::string StatsText() const;
    // Waits until the predicate holds for the requests recorded so far, or the time is up.
    // The predicate runs under the server's lock: it must not call back into the server.
    bool WaitFor(const std::function<bool(const std::vector<RecordedRequest>&)>& predicate,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    std::size_t HeldCount() const;  // requests waiting at a hold right now
    bool WaitForHeld(std::size_t count,
                     std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A believable shop with a Chinese nick, a few dozen items, several deal and review pages for
// some of them, anonymous buyers and variants. The same seed gives the same shop.
Shop DemoShop(std::uint32_t seed = 1);
// The demo's shop that shuts us out: nick and key "blocked", items like the demo shop's (with
// ids of their own), sending every request after the first `blockAfter` to the login page.
Shop BlockedDemoShop(std::uint32_t seed = 1, int blockAfter = 40);

// A shop for the benchmarks (key "load"): `items` items, each with 15*dealPages-1 deal records
// and 20*reviewPages-1 reviews, so that a reader makes exactly `dealPages` deal-record and
// `reviewPages` review requests per item (0: the item page has no such address).
Shop LoadShop(std::string nick, int items, int dealPages, int reviewPages);

}  // namespace marketsim
