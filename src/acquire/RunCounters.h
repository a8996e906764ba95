#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "acquire/ItemLedger.h"
#include "fetch/FetchError.h"
#include "store/StoreError.h"

namespace tarnwick {

// What a run did, for the summary at its end.
struct RunTotals {
    int itemsQueued = 0;
    int itemsStored = 0;
    int downloadsEnded = 0;
    int buyersStored = 0;
    int ratesStored = 0;
    int requests = 0;                          // every request sent, the IM card's included
    std::map<std::string, int> failedFetches;  // by "HTTP 404", "timeout", "network" ...
    int FailedFetchCount() const;
    std::vector<std::string> itemsWithoutTitle;
    std::vector<std::string> errors;  // failures that ended a worker's work early
    // What the run read of the shop.
    ItemLedger::Counts items;
    std::vector<std::string> itemsNotRead;    // ids of entries not read, in queue order
    std::vector<std::string> itemsNotStored;  // ids whose rows the store refused
    int ratePauses = 0;
    std::chrono::milliseconds ratePausedFor{0};
};

// How far the shop reader got through the listing.
struct ListingProgress {
    int promised = 0;    // pages page 1's page info promised
    int toRead = 0;      // the pages the run meant to read: promised, or the limit below it
    int read = 0;        // pages fetched (page 1 included)
    int failed = 0;      // pages that could not be fetched
    int withoutIds = 0;  // pages that yielded no item id while the listing had yielded none
    int ids = 0;         // ids queued
    bool ended = false;  // the reader went through every page it meant to read
    bool Truncated() const { return promised > toRead; }
    // Read to its end: every promised page fetched and nothing cut off.
    bool Complete() const { return ended && !Truncated() && failed == 0; }
};

// The run's figures as its workers count them, from any thread. What is counted for every
// request and row is an atomic; the rest shares one lock.
class RunCounters {
public:
    void CountQueued(int n);
    void CountRequest() { m_requests.fetch_add(1, std::memory_order_relaxed); }
    void CountFailedFetch(const FetchError& error);
    void CountItemStored(bool hasTitle, const std::string& itemId);
    void CountBuyers(int n) { m_buyersStored.fetch_add(n, std::memory_order_relaxed); }
    void CountRates(int n) { m_ratesStored.fetch_add(n, std::memory_order_relaxed); }
    void CountDownloadEnded();
    void CountError(std::string what);
    void CountNotStored(const std::string& itemId);
    std::vector<std::string> NotStored() const;
    std::size_t NotStoredCount() const;
    // The first failure of the store for the run is kept; true for it.
    bool RecordStoreFailure(const std::string& what, StoreErrorKind kind);
    std::string StoreFailure() const;
    StoreErrorKind StoreFailureKind() const;

    void SetListingPages(int promised, int toRead);
    void CountListingPage(bool fetched, int ids);
    void MarkListingEnded();
    ListingProgress Listing() const;

    int Requests() const { return m_requests.load(std::memory_order_relaxed); }
    int FailedFetches() const;
    // The figures counted here; the ledger's and the rate limit's are the run's to add.
    RunTotals Snapshot() const;

private:
    std::atomic<int> m_requests{0};
    std::atomic<int> m_buyersStored{0};
    std::atomic<int> m_ratesStored{0};
    mutable std::mutex m_mutex;
    RunTotals m_totals;  // the rest of the figures
    std::vector<std::string> m_notStored;
    ListingProgress m_listing;
    std::string m_storeFailure;
    StoreErrorKind m_storeFailureKind = StoreErrorKind::Other;
    bool m_storeFailed = false;
};

}  // namespace tarnwick
