#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "acquire/ItemLedger.h"
#include "acquire/RateLimitGate.h"
#include "acquire/RunLimits.h"
#include "acquire/RunOutcome.h"
#include "analysis/RunHealth.h"
#include "fetch/Endpoints.h"
#include "fetch/FetchError.h"
#include "store/StoreError.h"
#include "store/StorePool.h"

namespace tarnwick {

class Clock;
class Run;
class ThreadGroup;

// How the workers of a run reach its owner. Log and ReaderEnded wait until the owner has
// handled them; DownloadEnded does not.
class RunPort {
public:
    virtual ~RunPort() = default;
    virtual void Log(const std::shared_ptr<Run>& run, std::string text) = 0;
    virtual void ReaderEnded(const std::shared_ptr<Run>& run) = 0;
    virtual void DownloadEnded(const std::shared_ptr<Run>& run) = 0;
    // The control thread has ended after starting downloads: no count changes, but a stop that
    // came after the last download's report is only seen complete here.
    virtual void ControlEnded(const std::shared_ptr<Run>& run) = 0;
};

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

// How a run treats the marketplace beyond what the dialog asks: all off by default, so a run
// goes as fast as it always did and stops itself once it is plainly shut out.
struct RunOptions {
    bool keepGoing = false;  // read on when blocked
    double maxRate = 0;      // requests a second across the run; 0: no limit
    int delayMs = 0;         // a pause before each request of a worker
};

// The state of one analysis run, shared by its workers and its owner. It is kept per run so
// that the threads of an earlier run, still working after a new start, can never store rows
// under the new run's key or count their end reports against it.
class Run : public std::enable_shared_from_this<Run> {
public:
    struct Settings {
        std::string runId;
        std::string nick;  // trimmed
        int threadCount = 6;
        std::string databasePath;
        Endpoints endpoints;
        RunLimits limits;
        RunOptions options;
    };

    // What the shop reader made of the nick and the first item-list page.
    enum class ShopLookup { Pending, Found, NotFound, Unreachable };

    Run(Settings settings, RunPort& port, ThreadGroup& threads, const Clock& clock);

    const std::string& RunId() const { return m_settings.runId; }
    const std::string& Nick() const { return m_settings.nick; }
    int ThreadCount() const { return m_settings.threadCount; }
    const std::string& DatabasePath() const { return m_settings.databasePath; }
    const Endpoints& GetEndpoints() const { return m_settings.endpoints; }
    const RunLimits& Limits() const { return m_settings.limits; }
    const Clock& GetClock() const { return m_clock; }
    const RunOptions& Options() const { return m_settings.options; }
    DateTime Started() const { return m_started; }
    ThreadGroup& Threads() { return m_threads; }

    // Worker side.
    // A line that cannot be handed over is dropped: the log tells the user about the work, it
    // must never end it.
    void Log(std::string text) noexcept;
    void ReportReaderEnded() { m_port.ReaderEnded(shared_from_this()); }
    void ReportDownloadEnded() { m_port.DownloadEnded(shared_from_this()); }
    void ReportControlEnded() { m_port.ControlEnded(shared_from_this()); }
    // Sends an end report, trying again a few times when the hand-over itself fails: the run's
    // completion is only ever seen in such a report. False when it could not be sent.
    bool ReportEnd(void (Run::*report)()) noexcept;
    bool StopRequested() const { return m_stopRequested.load(); }
    void AppendPending(const std::vector<std::string>& ids);  // one step: the whole page
    // The listing as the reader goes through it.
    void SetListingPages(int promised, int toRead);
    void CountListingPage(bool fetched, int ids);
    void MarkListingEnded();
    ListingProgress Listing() const;
    // A download's end: the item's read state, in the run's record and in the store when the
    // store has the table (`store` null when there is none to write to).
    // `answer`: the answer class's name of a failed or blocked item page, or "store".
    void FinishItem(const QueuedItem& item, ItemRead state, const std::string& answer,
                    Store* store);
    const ItemLedger& Ledger() const { return m_ledger; }

    // Ends the program's interest in the run: waits and fetches give up, nothing more is
    // stored. Not a user's stop.
    void Shutdown();
    std::stop_token ShutdownToken() const { return m_shutdown.get_token(); }
    bool ShuttingDown() const { return m_shutdown.stop_requested(); }
    // Sleeps, unless the run is shut down first.
    void Pause(std::chrono::milliseconds duration);

    // The download control thread's loop works on these under the run's lock.
    std::unique_lock<std::mutex> Lock() { return std::unique_lock(m_mutex); }
    void WaitForChange(std::unique_lock<std::mutex>& lock);  // any change of the state below
    bool ReaderRunningLocked() const { return m_readerRunning; }
    bool StopRequestedLocked() const { return m_stopRequested.load(); }
    int RunningDownloadsLocked() const { return m_runningDownloads; }
    bool PendingEmptyLocked() const { return m_pending.empty(); }
    QueuedItem TakeEntryLocked();  // removes the first entry and counts a running download
    // A download that could not be started: the entry goes back to the front, uncounted.
    void UndoTakeLocked(QueuedItem item);

    // The database refused a row for good (the engine's own waiting already gave up): the run
    // stops fetching, as after a user's stop, and ends as a store failure. The first message is
    // kept.
    void FailStore(const std::string& what);
    bool StoreFailed() const { return m_storeFailed.load(); }
    // Whether a failed row ends the run. The file store has waited out any lock before it
    // fails, so what remains (read-only, full, damaged) persists. On a server store, a row the
    // server refused ends only the stage it belongs to.
    bool StoreFailureEndsRun() const;
    // Whether this failure ends the run (StoreErrorEndsRun says when).
    bool StoreFailureEnds(const StoreError& error) const;
    std::string StoreFailure() const;
    // A worker's own connection to the run's store. A server that cannot be reached is tried
    // again for a few seconds (a restart takes that long); after that every further worker
    // would only fail the same way, so the store fails for the run and the error is thrown.
    Store OpenStore();
    // A connection of the run's pool, opened with OpenStore when none is idle: an item's
    // download takes one and gives it back, so the next item goes on with it and its prepared
    // statements. Once the run is complete the idle ones are closed.
    StorePool::Lease TakeStore() { return m_stores.Take(); }
    const StorePool& Stores() const { return m_stores; }

    void SetShopLookup(ShopLookup lookup);
    // Decided from the state now; meaningful once the run is complete.
    RunOutcome Outcome() const;

    // Owner side (its own thread).
    void RequestStop();
    void MarkReaderEnded();
    void MarkDownloadEnded();
    // True once, for the first report that finds the run complete.
    bool CompleteIfDone(bool readerReport);
    bool Completed() const;
    bool ReaderRunning() const;
    std::size_t PendingCount();

    // Counters for the summary; any thread.
    void CountRequest();
    void CountFailedFetch(const FetchError& error);
    void CountItemStored(bool hasTitle, const std::string& itemId);
    void CountBuyers(int n);
    void CountRates(int n);
    void CountError(std::string what);
    // An item whose rows the store refused: the summary names it, and the run is a store
    // failure.
    void CountNotStored(const std::string& itemId);
    std::size_t NotStoredCount() const;
    RunTotals Totals();

    // Run health; any thread. Every answer is recorded once, in the order it arrived. When
    // kBlockStreak blocking answers come in a row the run stops itself (unless told to keep
    // going): no further request is sent and no new download starts.
    void RecordAnswer(PageKind kind, AnswerClass answer);
    bool StoppedForBlock() const { return m_stoppedForBlock.load(); }
    void MarkShopFound() { m_shopFound.store(true); }
    HealthTally HealthSnapshot();
    HealthReport JudgeHealth(const HealthTally& tally) const;
    RunFacts HealthFacts() const;
    // The judgement made when the run was announced complete; owner side.
    void SetFinalHealth(HealthReport report) { m_finalHealth = std::move(report); }
    const std::optional<HealthReport>& FinalHealth() const { return m_finalHealth; }
    // The politeness wait before a request: the per-worker delay, then any pause the
    // marketplace asked for and a token of the run's pace. Gives up early when the run is shut
    // down; false when a stop came during a pause, so the request is not sent.
    bool WaitBeforeRequest();
    // A request goes out; the ticket goes back with its answer below.
    std::uint64_t RequestSent();
    // The marketplace refused a request for our pace. False when the refusals have gone on
    // long enough that the run ends as rate-limited (it stops itself as when blocked).
    bool RateRefused(std::uint64_t ticket, std::optional<std::chrono::seconds> retryAfter);
    void RequestAnswered(std::uint64_t ticket);
    bool StoppedForRateLimit() const { return m_stoppedForRateLimit.load(); }
    // Waits, unless the run is shut down or stopped first; false when it was.
    bool PauseUnlessStopped(std::chrono::nanoseconds duration);

    // What the run read of the shop, for the store: its outcome, counts and listing. Meaningful
    // once the run is complete.
    RunOutcomeRow OutcomeRow(DateTime ended) const;

private:
    void ChangedLocked();
    bool CompleteIfDoneLocked(bool readerReport);
    // The marketplace never gave us what we needed: the IM card or the first list page could
    // not be fetched, or every request failed.
    bool MarketUnreachable() const;

    Settings m_settings;
    RunPort& m_port;
    ThreadGroup& m_threads;
    const Clock& m_clock;
    std::stop_source m_shutdown;

    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::uint64_t m_version = 0;
    std::deque<QueuedItem> m_pending;
    bool m_readerRunning = true;
    int m_runningDownloads = 0;
    std::atomic<bool> m_stopRequested{false};  // by the user or by a store failure
    bool m_userStop = false;
    std::atomic<bool> m_storeFailed{false};
    std::string m_storeFailure;
    ShopLookup m_shopLookup = ShopLookup::Pending;
    bool m_startedAny = false;
    bool m_completed = false;

    // Counted for every request and row by many threads at once: atomics, not a lock.
    std::atomic<int> m_requests{0};
    std::atomic<int> m_buyersStored{0};
    std::atomic<int> m_ratesStored{0};
    mutable std::mutex m_totalsMutex;
    RunTotals m_totals;  // the rest of the figures

    DateTime m_started;
    mutable std::mutex m_healthMutex;
    HealthTally m_health;
    std::atomic<bool> m_stoppedForBlock{false};
    std::atomic<bool> m_shopFound{false};
    RateLimitGate m_gate;
    std::atomic<bool> m_stoppedForRateLimit{false};
    std::optional<HealthReport> m_finalHealth;
    ItemLedger m_ledger;
    mutable std::mutex m_listingMutex;
    ListingProgress m_listing;
    std::vector<std::string> m_notStored;  // under m_totalsMutex
    StorePool m_stores;
};

}  // namespace tarnwick
