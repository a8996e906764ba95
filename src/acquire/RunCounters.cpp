#include "acquire/RunCounters.h"

#include <algorithm>

namespace tarnwick {

int RunTotals::FailedFetchCount() const {
    int failed = 0;
    for (const auto& [kind, count] : failedFetches) {
        failed += count;
    }
    return failed;
}

void RunCounters::CountQueued(int n) {
    std::lock_guard lock(m_mutex);
    m_totals.itemsQueued += n;
}

void RunCounters::CountFailedFetch(const FetchError& error) {
    std::string kind;
    switch (error.kind()) {
        case FetchError::Kind::Status:
            kind = "HTTP " + std::to_string(error.status());
            break;
        case FetchError::Kind::Redirect:
            kind = "redirect";
            break;
        case FetchError::Kind::Timeout:
            kind = "timeout";
            break;
        case FetchError::Kind::Network:
            kind = "network";
            break;
        case FetchError::Kind::TooLarge:
            kind = "too large";
            break;
        case FetchError::Kind::Scheme:
            kind = "scheme";
            break;
        case FetchError::Kind::Aborted:
            return;
    }
    std::lock_guard lock(m_mutex);
    ++m_totals.failedFetches[kind];
}

void RunCounters::CountItemStored(bool hasTitle, const std::string& itemId) {
    std::lock_guard lock(m_mutex);
    ++m_totals.itemsStored;
    if (!hasTitle) {
        m_totals.itemsWithoutTitle.push_back(itemId);
    }
}

void RunCounters::CountDownloadEnded() {
    std::lock_guard lock(m_mutex);
    ++m_totals.downloadsEnded;
}

void RunCounters::CountError(std::string what) {
    std::lock_guard lock(m_mutex);
    m_totals.errors.push_back(std::move(what));
}

void RunCounters::CountNotStored(const std::string& itemId) {
    std::lock_guard lock(m_mutex);
    // Named once however many of the item's stages the store refused.
    if (std::find(m_notStored.begin(), m_notStored.end(), itemId) == m_notStored.end()) {
        m_notStored.push_back(itemId);
    }
}

std::vector<std::string> RunCounters::NotStored() const {
    std::lock_guard lock(m_mutex);
    return m_notStored;
}

std::size_t RunCounters::NotStoredCount() const {
    std::lock_guard lock(m_mutex);
    return m_notStored.size();
}

bool RunCounters::RecordStoreFailure(const std::string& what, StoreErrorKind kind) {
    std::lock_guard lock(m_mutex);
    if (m_storeFailed) {
        return false;
    }
    m_storeFailed = true;
    m_storeFailure = what;
    m_storeFailureKind = kind;
    return true;
}

std::string RunCounters::StoreFailure() const {
    std::lock_guard lock(m_mutex);
    return m_storeFailure;
}

StoreErrorKind RunCounters::StoreFailureKind() const {
    std::lock_guard lock(m_mutex);
    return m_storeFailureKind;
}

void RunCounters::SetListingPages(int promised, int toRead) {
    std::lock_guard lock(m_mutex);
    m_listing.promised = promised;
    m_listing.toRead = toRead;
}

void RunCounters::CountListingPage(bool fetched, int ids) {
    std::lock_guard lock(m_mutex);
    if (!fetched) {
        ++m_listing.failed;
        return;
    }
    ++m_listing.read;
    if (ids == 0 && m_listing.ids == 0) {
        ++m_listing.withoutIds;
    }
    m_listing.ids += ids;
}

void RunCounters::MarkListingEnded() {
    std::lock_guard lock(m_mutex);
    m_listing.ended = true;
}

ListingProgress RunCounters::Listing() const {
    std::lock_guard lock(m_mutex);
    return m_listing;
}

int RunCounters::FailedFetches() const {
    std::lock_guard lock(m_mutex);
    return m_totals.FailedFetchCount();
}

RunTotals RunCounters::Snapshot() const {
    std::lock_guard lock(m_mutex);
    RunTotals totals = m_totals;
    totals.itemsNotStored = m_notStored;
    totals.requests = m_requests.load(std::memory_order_relaxed);
    totals.buyersStored = m_buyersStored.load(std::memory_order_relaxed);
    totals.ratesStored = m_ratesStored.load(std::memory_order_relaxed);
    return totals;
}

}  // namespace tarnwick
