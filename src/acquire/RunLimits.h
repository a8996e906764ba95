#pragma once

#include <cstdint>

namespace tarnwick {

// Bounds on what one run asks of the marketplace. Every loop fed by page text has one: the page
// counts and the records come from servers we do not control, and a wrong or hostile answer
// must cost a bounded number of requests, bytes and minutes, never a run that goes on for days.
struct RunLimits {
    // A shop of 500 pages at 20 to 40 items a page is far larger than any real competitor's;
    // a page count read as "1/2147483647" would otherwise cost days of requests.
    static constexpr int kMaxListPages = 500;
    // 500 pages of 15 deal records is 7,500 sales, more than the marketplace shows for one item.
    static constexpr int kMaxDealPages = 500;
    // 500 pages of 20 reviews is 10,000 reviews; a review service that answers every page with
    // new bytes is thus asked at most this often.
    static constexpr int kMaxReviewPages = 500;
    // The largest real page is well under 1 MB; 32 MB per worker times 30 workers still fits in
    // a desktop's memory, a 200 MB page does not.
    static constexpr std::int64_t kMaxBodyBytes = 32LL * 1024 * 1024;
    // The read time-out bounds each wait for data, not a fetch: a server that trickles a byte
    // a minute would hold a worker for ever. Five minutes is far beyond any real page.
    static constexpr std::int32_t kMaxFetchMs = 5 * 60 * 1000;
    // Every worker waits at most this long for each piece of an answer.
    static constexpr std::int32_t kReadTimeoutMs = 60000;

    int maxListPages = kMaxListPages;
    int maxDealPages = kMaxDealPages;
    int maxReviewPages = kMaxReviewPages;
    std::int64_t maxBodyBytes = kMaxBodyBytes;
    std::int32_t maxFetchMs = kMaxFetchMs;
    std::int32_t readTimeoutMs = kReadTimeoutMs;
};

}  // namespace tarnwick
