#include "acquire/Run.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <thread>

#include "acquire/WorkerTop.h"
#include "base/Clock.h"
#include "store/Store.h"

namespace tarnwick {

Run::Run(Settings settings, RunPort& port, ThreadGroup& threads, const Clock& clock)
    : m_settings(std::move(settings)),
      m_port(port),
      m_threads(threads),
      m_clock(clock),
      m_started(clock.Now()),
      m_gate(m_settings.options.maxRate),
      m_stores([this] { return OpenStore(); }) {
}

void Run::ChangedLocked() {
    ++m_version;
    m_changed.notify_all();
}

void Run::AppendPending(const std::vector<std::string>& ids) {
    {
        std::lock_guard lock(m_mutex);
        // Numbered under the queue's lock, so that the queue's order is the numbers' order.
        std::vector<QueuedItem> queued = m_ledger.Queue(ids);
        m_pending.insert(m_pending.end(), std::make_move_iterator(queued.begin()),
                         std::make_move_iterator(queued.end()));
        ChangedLocked();
    }
    std::lock_guard lock(m_totalsMutex);
    m_totals.itemsQueued += static_cast<int>(ids.size());
}

void Run::SetListingPages(int promised, int toRead) {
    std::lock_guard lock(m_listingMutex);
    m_listing.promised = promised;
    m_listing.toRead = toRead;
}

void Run::CountListingPage(bool fetched, int ids) {
    std::lock_guard lock(m_listingMutex);
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

void Run::MarkListingEnded() {
    std::lock_guard lock(m_listingMutex);
    m_listing.ended = true;
}

ListingProgress Run::Listing() const {
    std::lock_guard lock(m_listingMutex);
    return m_listing;
}

void Run::FinishItem(const QueuedItem& item, ItemRead state, const std::string& answerName,
                     Store* store) {
    bool stored = false;
    if (store != nullptr && !StoreFailed()) {
        ItemReadRow row{RunId(), item.seq, item.itemId, ItemReadKey(state), answerName};
        try {
            store->AppendItemRead(row);
            stored = true;
        } catch (const DatabaseError&) {
            // Written again with the run's record at its end.
        }
    }
    m_ledger.Finish(item.seq, state, answerName, stored);
}

void Run::Log(std::string text) noexcept {
    try {
        m_port.Log(shared_from_this(), std::move(text));
    } catch (...) {
    }
}

bool Run::ReportEnd(void (Run::*report)()) noexcept {
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts && !ShuttingDown(); ++attempt) {
        try {
            (this->*report)();
            return true;
        } catch (...) {
            Pause(std::chrono::milliseconds(100));
        }
    }
    return false;
}

void Run::Shutdown() {
    m_shutdown.request_stop();
    std::lock_guard lock(m_mutex);
    m_stopRequested.store(true);
    ChangedLocked();
}

void Run::Pause(std::chrono::milliseconds duration) {
    std::mutex mutex;
    std::condition_variable_any never;
    std::unique_lock lock(mutex);
    never.wait_for(lock, m_shutdown.get_token(), duration, [] { return false; });
}

void Run::WaitForChange(std::unique_lock<std::mutex>& lock) {
    std::uint64_t seen = m_version;
    m_changed.wait(lock, m_shutdown.get_token(), [&] { return m_version != seen; });
}

QueuedItem Run::TakeEntryLocked() {
    QueuedItem item = std::move(m_pending.front());
    m_pending.pop_front();
    ++m_runningDownloads;
    m_startedAny = true;
    ChangedLocked();
    return item;
}

void Run::UndoTakeLocked(QueuedItem item) {
    m_pending.push_front(std::move(item));
    --m_runningDownloads;
    ChangedLocked();
}

void Run::RequestStop() {
    std::lock_guard lock(m_mutex);
    m_userStop = true;
    m_stopRequested.store(true);
    ChangedLocked();
}

void Run::FailStore(const std::string& what) {
    {
        std::lock_guard lock(m_mutex);
        if (m_storeFailed.load()) {
            return;
        }
        m_storeFailure = what;
        m_storeFailed.store(true);
        m_stopRequested.store(true);
        ChangedLocked();
    }
    CountError("database: " + what);
}

Store Run::OpenStore() {
    // Attempts 1 s apart: long enough for a server's restart, short enough that a worker
    // waiting here does not keep a stop or the program's end waiting.
    constexpr int kServerOpenAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        try {
            Store store = Store::Open(m_settings.databasePath);
            // A worker's rows outlast a server's restart. Once the program ends or the store has
            // failed for the run, waiting for a lost connection would only keep the end waiting.
            store.RideOutLostConnections([this] { return ShuttingDown() || StoreFailed(); });
            return store;
        } catch (const DatabaseError& error) {
            if (StoreFailureEndsRun() || StoreFailed() || ShuttingDown()) {
                throw;
            }
            if (attempt == kServerOpenAttempts) {
                FailStore(error.what());
                throw;
            }
        }
        Pause(std::chrono::seconds(1));
    }
}

std::string Run::StoreFailure() const {
    std::lock_guard lock(m_mutex);
    return m_storeFailure;
}

bool Run::StoreFailureEndsRun() const {
    return !IsServerLocation(m_settings.databasePath);
}

bool Run::StoreFailureEnds(const StoreError& error) const {
    return StoreErrorEndsRun(error.Kind(), !StoreFailureEndsRun(), StoreFailed());
}

void Run::SetShopLookup(ShopLookup lookup) {
    std::lock_guard lock(m_mutex);
    m_shopLookup = lookup;
}

RunOutcome Run::Outcome() const {
    ShopLookup lookup;
    bool userStop;
    {
        std::lock_guard lock(m_mutex);
        lookup = m_shopLookup;
        userStop = m_userStop;
    }
    // An item whose rows the store refused is not in the run, whatever ended it.
    if (m_storeFailed.load() || NotStoredCount() > 0) {
        return RunOutcome::StoreFailed;
    }
    if (m_stoppedForBlock.load()) {
        return RunOutcome::Blocked;
    }
    if (m_stoppedForRateLimit.load()) {
        return RunOutcome::RateLimited;
    }
    if (userStop) {
        return RunOutcome::Stopped;
    }
    const ListingProgress listing = Listing();
    // A listing that promised pages and gave not one id has changed its shape under us: every
    // item of the shop would read as removed.
    if (lookup == ShopLookup::Found && listing.promised > 0 && listing.read > 0 &&
        listing.ids == 0) {
        return RunOutcome::ChangedPages;
    }
    // A run told to keep going, or blocked too late to reach the streak, is still blocked: its
    // rows from the block on are login pages read as items. A card that sends us to a login
    // page is a blocked run too, not a nick without a shop.
    {
        RunFacts facts = HealthFacts();
        std::lock_guard lock(m_healthMutex);
        if (tarnwick::JudgeHealth(m_health, facts).verdict == Verdict::Blocked) {
            return RunOutcome::Blocked;
        }
    }
    if (MarketUnreachable()) {
        return RunOutcome::MarketUnreachable;
    }
    if (lookup == ShopLookup::NotFound) {
        return RunOutcome::ShopNotFound;
    }
    if (listing.Truncated()) {
        return RunOutcome::Truncated;
    }
    return RunOutcome::Complete;
}

bool Run::MarketUnreachable() const {
    ShopLookup lookup;
    {
        std::lock_guard lock(m_mutex);
        lookup = m_shopLookup;
    }
    int requests = m_requests.load();
    int failed = 0;
    {
        std::lock_guard lock(m_totalsMutex);
        failed = m_totals.FailedFetchCount();
    }
    return lookup == ShopLookup::Unreachable || (requests > 0 && failed >= requests);
}

void Run::MarkReaderEnded() {
    std::lock_guard lock(m_mutex);
    m_readerRunning = false;
    ChangedLocked();
}

void Run::MarkDownloadEnded() {
    {
        std::lock_guard lock(m_mutex);
        --m_runningDownloads;
        ChangedLocked();
    }
    std::lock_guard lock(m_totalsMutex);
    ++m_totals.downloadsEnded;
}

bool Run::CompleteIfDone(bool readerReport) {
    if (!CompleteIfDoneLocked(readerReport)) {
        return false;
    }
    // No download runs any more, and each gave its connection back before it reported its
    // end: a run that is over keeps no file or server connection open.
    m_stores.Close();
    return true;
}

bool Run::CompleteIfDoneLocked(bool readerReport) {
    std::lock_guard lock(m_mutex);
    if (m_completed) {
        return false;
    }
    bool drained = !m_readerRunning && m_pending.empty() && m_runningDownloads <= 0;
    bool stopped = m_stopRequested.load() && m_runningDownloads <= 0;
    // The reader's end report completes a run only once downloads have run and ended before
    // it, so that no later report would: when nothing was started, the control thread's own
    // end report follows and closes the run after its start line. After a stop the ids the
    // reader queued last are never started, so the list need not be empty then.
    bool done = readerReport ? (drained || stopped) && m_startedAny : drained || stopped;
    if (done) {
        m_completed = true;
    }
    return done;
}

bool Run::Completed() const {
    std::lock_guard lock(m_mutex);
    return m_completed;
}

bool Run::ReaderRunning() const {
    std::lock_guard lock(m_mutex);
    return m_readerRunning;
}

std::size_t Run::PendingCount() {
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

void Run::CountRequest() {
    m_requests.fetch_add(1, std::memory_order_relaxed);
}

int RunTotals::FailedFetchCount() const {
    int failed = 0;
    for (const auto& [kind, count] : failedFetches) {
        failed += count;
    }
    return failed;
}

void Run::CountFailedFetch(const FetchError& error) {
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
    std::lock_guard lock(m_totalsMutex);
    ++m_totals.failedFetches[kind];
}

void Run::CountItemStored(bool hasTitle, const std::string& itemId) {
    std::lock_guard lock(m_totalsMutex);
    ++m_totals.itemsStored;
    if (!hasTitle) {
        m_totals.itemsWithoutTitle.push_back(itemId);
    }
}

void Run::CountBuyers(int n) {
    m_buyersStored.fetch_add(n, std::memory_order_relaxed);
}

void Run::CountRates(int n) {
    m_ratesStored.fetch_add(n, std::memory_order_relaxed);
}

void Run::CountError(std::string what) {
    std::lock_guard lock(m_totalsMutex);
    m_totals.errors.push_back(std::move(what));
}

std::size_t Run::NotStoredCount() const {
    std::lock_guard lock(m_totalsMutex);
    return m_notStored.size();
}

void Run::CountNotStored(const std::string& itemId) {
    std::lock_guard lock(m_totalsMutex);
    m_notStored.push_back(itemId);
}

RunTotals Run::Totals() {
    std::lock_guard lock(m_totalsMutex);
    RunTotals totals = m_totals;
    totals.items = m_ledger.Tally();
    totals.itemsNotRead = m_ledger.NotRead();
    totals.itemsNotStored = m_notStored;
    totals.ratePauses = m_gate.Pauses();
    totals.ratePausedFor = m_gate.PausedFor();
    totals.requests = m_requests.load(std::memory_order_relaxed);
    totals.buyersStored = m_buyersStored.load(std::memory_order_relaxed);
    totals.ratesStored = m_ratesStored.load(std::memory_order_relaxed);
    return totals;
}

void Run::RecordAnswer(PageKind kind, AnswerClass answer) {
    bool streakReached = false;
    {
        std::lock_guard lock(m_healthMutex);
        streakReached = m_health.Add(kind, answer, m_clock.Now());
    }
    if (!streakReached || m_settings.options.keepGoing) {
        return;
    }
    // Stops like a user's stop (the reader and the item stages end at their next check, the
    // control thread starts nothing more, the completion check sees a stopped run), but the
    // run ends as blocked, not as stopped by the user.
    {
        std::lock_guard lock(m_mutex);
        m_stoppedForBlock.store(true);
        m_stopRequested.store(true);
        ChangedLocked();
    }
    Log("连续" + std::to_string(kBlockStreak) +
        "个请求被拦截(登录页、验证页或页面改版),不再开始新的下载.");
}

HealthTally Run::HealthSnapshot() {
    std::lock_guard lock(m_healthMutex);
    return m_health;
}

RunFacts Run::HealthFacts() const {
    RunFacts facts;
    facts.shopFound = m_shopFound.load();
    facts.stoppedEarly = m_stoppedForBlock.load();
    {
        std::lock_guard lock(m_mutex);
        facts.stoppedByUser = m_userStop;
    }
    facts.unreachable = MarketUnreachable();
    const ListingProgress listing = Listing();
    facts.listingComplete = listing.Complete();
    facts.listingPromised = listing.promised;
    facts.listingToRead = listing.toRead;
    facts.listingRead = listing.read;
    const ItemLedger::Counts items = m_ledger.Tally();
    facts.itemsQueued = items.queued;
    facts.itemsNotRead = items.notRead;
    return facts;
}

HealthReport Run::JudgeHealth(const HealthTally& tally) const {
    return tarnwick::JudgeHealth(tally, HealthFacts());
}

bool Run::PauseUnlessStopped(std::chrono::nanoseconds duration) {
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, m_shutdown.get_token(), duration, [this] {
        return m_stopRequested.load();
    }) && !ShuttingDown();
}

bool Run::WaitBeforeRequest() {
    if (m_settings.options.delayMs > 0) {
        Pause(std::chrono::milliseconds(m_settings.options.delayMs));
    }
    // A pause may begin while a worker waits for its token, so the gate is asked again after
    // every wait; a request sent into a pause would only be refused again.
    for (;;) {
        const auto now = RateLimitGate::Clock::now();
        const auto wait = m_gate.Take(now);
        if (wait <= std::chrono::nanoseconds(0)) {
            return true;
        }
        if (m_gate.PauseLeft(now) > std::chrono::nanoseconds(0)) {
            // A pause the marketplace asked for: a stop ends it, and the request is not sent.
            if (!PauseUnlessStopped(wait)) {
                return false;
            }
            continue;
        }
        Pause(std::chrono::duration_cast<std::chrono::milliseconds>(wait) +
              std::chrono::milliseconds(1));
        if (ShuttingDown()) {
            return false;
        }
        if (m_gate.PauseLeft(RateLimitGate::Clock::now()) <= std::chrono::nanoseconds(0)) {
            return true;
        }
    }
}

std::uint64_t Run::RequestSent() {
    CountRequest();
    return m_gate.Sent(RateLimitGate::Clock::now());
}

bool Run::RateRefused(std::uint64_t ticket, std::optional<std::chrono::seconds> retryAfter) {
    const RateLimitGate::Refusal refusal =
        m_gate.Refused(ticket, retryAfter, RateLimitGate::Clock::now());
    if (refusal == RateLimitGate::Refusal::Paused) {
        Log("淘宝网拒绝了过于频繁的请求, 全部线程暂停 " +
            std::to_string(retryAfter ? retryAfter->count()
                                      : RateLimitGate::kFirstBackoff.count()) +
            " 秒后再试...");
    }
    if (refusal != RateLimitGate::Refusal::GiveUp) {
        return true;
    }
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        first = !m_stoppedForRateLimit.exchange(true);
        m_stopRequested.store(true);
        ChangedLocked();
    }
    if (first) {
        Log("连续" + std::to_string(RateLimitGate::kPausesToGiveUp) +
            "次暂停后淘宝网仍然拒绝请求, 不再开始新的下载.");
    }
    return false;
}

void Run::RequestAnswered(std::uint64_t ticket) {
    m_gate.Answered(ticket);
}

RunOutcomeRow Run::OutcomeRow(DateTime ended) const {
    RunOutcomeRow row;
    row.sid = RunId();
    row.outcome = OutcomeKey(Outcome());
    row.started = m_started;
    row.ended = ended;
    const ListingProgress listing = Listing();
    row.listPages = listing.promised;
    row.listPagesRead = listing.read;
    row.listComplete = listing.Complete() ? 1 : 0;
    const ItemLedger::Counts items = m_ledger.Tally();
    row.itemsListed = items.listed;
    row.itemsQueued = items.queued;
    row.itemsRead = items.read;
    row.itemsNotRead = items.notRead;
    row.ratePauses = m_gate.Pauses();
    row.ratePausedMs =
        static_cast<std::int32_t>(std::min<std::int64_t>(m_gate.PausedFor().count(), INT32_MAX));
    if (listing.Truncated()) {
        row.detail += "宝贝列表共 " + std::to_string(listing.promised) + " 页, 只读了前 " +
                      std::to_string(listing.toRead) + " 页 (上限 --max-list-pages " +
                      std::to_string(m_settings.limits.maxListPages) + "), 还有 " +
                      std::to_string(listing.promised - listing.toRead) + " 页未读\n";
    }
    if (listing.failed > 0) {
        row.detail += "宝贝列表 " + std::to_string(listing.failed) + " 页无法读取\n";
    }
    {
        std::lock_guard lock(m_totalsMutex);
        if (!m_notStored.empty()) {
            row.detail += "未能保存的宝贝:";
            for (const std::string& id : m_notStored) {
                row.detail += " " + id;
            }
            row.detail += "\n";
        }
    }
    if (!row.detail.empty()) {
        row.detail.pop_back();
    }
    return row;
}

}  // namespace tarnwick
