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
      m_health(clock),
      m_gate(m_settings.options.maxRate),
      m_stores([this] { return OpenStore(); }) {
}

void Run::AppendPending(const std::vector<std::string>& ids) {
    m_queue.Append(ids);
    m_counters.CountQueued(static_cast<int>(ids.size()));
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
    m_queue.Stop(StopCause::Shutdown);
}

void Run::Pause(std::chrono::milliseconds duration) {
    std::mutex mutex;
    std::condition_variable_any never;
    std::unique_lock lock(mutex);
    never.wait_for(lock, m_shutdown.get_token(), duration, [] { return false; });
}

void Run::FailStore(const StoreError& error) {
    // The failure is kept before the stop is seen, so that whoever sees the store failed can
    // say why.
    if (!m_counters.RecordStoreFailure(error.what(), error.Kind())) {
        return;
    }
    m_queue.Stop(StopCause::StoreFailed);
    CountError(std::string("database: ") + error.what());
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
                FailStore(error);
                throw;
            }
        }
        Pause(std::chrono::seconds(1));
    }
}

bool Run::StoreMayStillRecord() const {
    // A file another program holds locked would keep the end waiting for the whole busy
    // bound; one that refused a row, is full or read-only answers at once either way.
    return !StoreFailed() || m_counters.StoreFailureKind() != StoreErrorKind::Busy;
}

bool Run::StoreFailureEndsRun() const {
    return !IsServerLocation(m_settings.databasePath);
}

bool Run::StoreFailureEnds(const StoreError& error) const {
    return StoreErrorEndsRun(error.Kind(), !StoreFailureEndsRun(), StoreFailed());
}

RunOutcome Run::Outcome() const {
    const ShopLookup lookup = m_shopLookup.load();
    // An item whose rows the store refused is not in the run, whatever ended it.
    if (StoreFailed() || NotStoredCount() > 0) {
        return RunOutcome::StoreFailed;
    }
    if (StoppedForBlock()) {
        return RunOutcome::Blocked;
    }
    if (StoppedForRateLimit()) {
        return RunOutcome::RateLimited;
    }
    if (m_queue.StoppedBy(StopCause::User)) {
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
    if (m_health.Judge(HealthFacts()).verdict == Verdict::Blocked) {
        return RunOutcome::Blocked;
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
    const int requests = m_counters.Requests();
    const int failed = m_counters.FailedFetches();
    return m_shopLookup.load() == ShopLookup::Unreachable || (requests > 0 && failed >= requests);
}

void Run::MarkDownloadEnded() {
    m_queue.MarkDownloadEnded();
    m_counters.CountDownloadEnded();
}

bool Run::CompleteIfDone(bool readerReport) {
    if (!m_queue.CompleteIfDone(readerReport)) {
        return false;
    }
    // No download runs any more, and each gave its connection back before it reported its
    // end: a run that is over keeps no file or server connection open.
    m_stores.Close();
    return true;
}

RunTotals Run::Totals() const {
    RunTotals totals = m_counters.Snapshot();
    totals.items = m_ledger.Tally();
    totals.itemsNotRead = m_ledger.NotRead();
    totals.ratePauses = m_gate.Pauses();
    totals.ratePausedFor = m_gate.PausedFor();
    return totals;
}

void Run::RecordAnswer(PageKind kind, AnswerClass answer) {
    if (!m_health.Record(kind, answer) || m_settings.options.keepGoing) {
        return;
    }
    // Stops like a user's stop (the reader and the item stages end at their next check, the
    // control thread starts nothing more, the completion check sees a stopped run), but the
    // run ends as blocked, not as stopped by the user.
    m_queue.Stop(StopCause::Blocked);
    Log("连续" + std::to_string(kBlockStreak) +
        "个请求被拦截(登录页、验证页或页面改版),不再开始新的下载.");
}

RunFacts Run::HealthFacts() const {
    RunFacts facts;
    facts.shopFound = m_health.ShopFound();
    facts.stoppedEarly = StoppedForBlock();
    facts.stoppedByUser = m_queue.StoppedBy(StopCause::User);
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
    if (m_queue.Stop(StopCause::RateLimited)) {
        Log("连续" + std::to_string(RateLimitGate::kPausesToGiveUp) +
            "次暂停后淘宝网仍然拒绝请求, 不再开始新的下载.");
    }
    return false;
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
    if (const std::vector<std::string> notStored = m_counters.NotStored(); !notStored.empty()) {
        row.detail += "未能保存的宝贝:";
        for (const std::string& id : notStored) {
            row.detail += " " + id;
        }
        row.detail += "\n";
    }
    if (!row.detail.empty()) {
        row.detail.pop_back();
    }
    return row;
}

}  // namespace tarnwick
