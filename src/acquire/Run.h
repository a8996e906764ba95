#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "acquire/HealthMonitor.h"
#include "acquire/ItemLedger.h"
#include "acquire/PendingQueue.h"
#include "acquire/RateLimitGate.h"
#include "acquire/RunCounters.h"
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

// How a run treats the marketplace beyond what the dialog asks: all off by default, so a run
// goes as fast as it always did and stops itself once it is plainly shut out.
struct RunOptions {
    bool keepGoing = false;  // read on when blocked
    double maxRate = 0;      // requests a second across the run; 0: no limit
    int delayMs = 0;         // a pause before each request of a worker
};

// One analysis run as its workers and its owner see it: its settings and lifecycle, and the
// parts that keep its state, each with at most one lock of its own: the pending queue (with
// what decides completion and the stop), the counters, the health monitor, the rate limit gate,
// the item ledger and the store pool. It is kept per run so that the threads of an earlier run,
// still working after a new start, can never store rows under the new run's key or count their
// end reports against it.
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
    bool StopRequested() const { return m_queue.StopRequested(); }
    void AppendPending(const std::vector<std::string>& ids);  // one step: the whole page
    // The listing as the reader goes through it.
    void SetListingPages(int promised, int toRead) { m_counters.SetListingPages(promised, toRead); }
    void CountListingPage(bool fetched, int ids) { m_counters.CountListingPage(fetched, ids); }
    void MarkListingEnded() { m_counters.MarkListingEnded(); }
    ListingProgress Listing() const { return m_counters.Listing(); }
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
    std::unique_lock<std::mutex> Lock() { return m_queue.Lock(); }
    // Any change of the state below, or the run's shutdown.
    void WaitForChange(std::unique_lock<std::mutex>& lock) {
        m_queue.WaitForChange(lock, ShutdownToken());
    }
    bool ReaderRunningLocked() const { return m_queue.ReaderRunningLocked(); }
    bool StopRequestedLocked() const { return m_queue.StopRequested(); }
    int RunningDownloadsLocked() const { return m_queue.RunningDownloadsLocked(); }
    bool PendingEmptyLocked() const { return m_queue.PendingEmptyLocked(); }
    QueuedItem TakeEntryLocked() { return m_queue.TakeEntryLocked(); }
    void UndoTakeLocked(QueuedItem item) { m_queue.UndoTakeLocked(std::move(item)); }

    // The database refused a row for good (the engine's own waiting already gave up): the run
    // stops fetching, as after a user's stop, and ends as a store failure. The first message is
    // kept.
    void FailStore(const StoreError& error);
    bool StoreFailed() const { return m_queue.StoppedBy(StopCause::StoreFailed); }
    // Whether a failed row ends the run. The file store has waited out any lock before it
    // fails, so what remains (read-only, full, damaged) persists. On a server store, a row the
    // server refused ends only the stage it belongs to.
    bool StoreFailureEndsRun() const;
    // Whether this failure ends the run (StoreErrorEndsRun says when).
    bool StoreFailureEnds(const StoreError& error) const;
    std::string StoreFailure() const { return m_counters.StoreFailure(); }
    // Whether the run's record is still worth writing at its end.
    bool StoreMayStillRecord() const;
    // A worker's own connection to the run's store. A server that cannot be reached is tried
    // again for a few seconds (a restart takes that long); after that every further worker
    // would only fail the same way, so the store fails for the run and the error is thrown.
    Store OpenStore();
    // A connection of the run's pool, opened with OpenStore when none is idle: an item's
    // download takes one and gives it back, so the next item goes on with it and its prepared
    // statements. Once the run is complete the idle ones are closed.
    StorePool::Lease TakeStore() { return m_stores.Take(); }
    const StorePool& Stores() const { return m_stores; }

    void SetShopLookup(ShopLookup lookup) { m_shopLookup.store(lookup); }
    // Decided from the state now; meaningful once the run is complete.
    RunOutcome Outcome() const;

    // Owner side (its own thread).
    void RequestStop() { m_queue.Stop(StopCause::User); }
    void MarkReaderEnded() { m_queue.MarkReaderEnded(); }
    void MarkDownloadEnded();
    // True once, for the first report that finds the run complete.
    bool CompleteIfDone(bool readerReport);
    bool Completed() const { return m_queue.Completed(); }
    bool ReaderRunning() const { return m_queue.ReaderRunning(); }
    std::size_t PendingCount() const { return m_queue.PendingCount(); }

    // Counters for the summary; any thread.
    void CountRequest() { m_counters.CountRequest(); }
    void CountFailedFetch(const FetchError& error) { m_counters.CountFailedFetch(error); }
    void CountItemStored(bool hasTitle, const std::string& itemId) {
        m_counters.CountItemStored(hasTitle, itemId);
    }
    void CountBuyers(int n) { m_counters.CountBuyers(n); }
    void CountRates(int n) { m_counters.CountRates(n); }
    void CountError(std::string what) { m_counters.CountError(std::move(what)); }
    // An item whose rows the store refused: the summary names it, and the run is a store
    // failure.
    void CountNotStored(const std::string& itemId) { m_counters.CountNotStored(itemId); }
    std::size_t NotStoredCount() const { return m_counters.NotStoredCount(); }
    RunTotals Totals() const;

    // Run health; any thread. Every answer is recorded once, in the order it arrived. When
    // kBlockStreak blocking answers come in a row the run stops itself (unless told to keep
    // going): no further request is sent and no new download starts.
    void RecordAnswer(PageKind kind, AnswerClass answer);
    bool StoppedForBlock() const { return m_queue.StoppedBy(StopCause::Blocked); }
    void MarkShopFound() { m_health.MarkShopFound(); }
    HealthTally HealthSnapshot() const { return m_health.Snapshot(); }
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
    void RequestAnswered(std::uint64_t ticket) { m_gate.Answered(ticket); }
    bool StoppedForRateLimit() const { return m_queue.StoppedBy(StopCause::RateLimited); }
    // Waits, unless the run is shut down or stopped first; false when it was.
    bool PauseUnlessStopped(std::chrono::nanoseconds duration) {
        return m_queue.WaitUnlessStopped(duration, ShutdownToken());
    }

    // What the run read of the shop, for the store: its outcome, counts and listing. Meaningful
    // once the run is complete.
    RunOutcomeRow OutcomeRow(DateTime ended) const;

private:
    // The marketplace never gave us what we needed: the IM card or the first list page could
    // not be fetched, or every request failed.
    bool MarketUnreachable() const;

    Settings m_settings;
    RunPort& m_port;
    ThreadGroup& m_threads;
    const Clock& m_clock;
    const DateTime m_started;
    std::stop_source m_shutdown;
    std::atomic<ShopLookup> m_shopLookup{ShopLookup::Pending};

    ItemLedger m_ledger;
    PendingQueue m_queue{m_ledger};
    RunCounters m_counters;
    HealthMonitor m_health;
    RateLimitGate m_gate;
    std::optional<HealthReport> m_finalHealth;  // owner side only
    StorePool m_stores;
};

}  // namespace tarnwick
