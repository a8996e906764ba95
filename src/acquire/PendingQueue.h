#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "acquire/ItemLedger.h"

namespace tarnwick {

// Why a run's workers were told to stop. More than one may hold; the first of the run's own
// (blocked, rate-limited, store failed) decides nothing by itself: the outcome weighs them all.
enum class StopCause : unsigned {
    User = 1,
    Blocked = 2,
    RateLimited = 4,
    StoreFailed = 8,
    Shutdown = 16,  // the program no longer wants the run
};

// The entries waiting for download and what decides when a run is complete: whether the shop
// reader still runs, how many downloads run, whether any was started, and the stop. One lock
// guards it all, and every change wakes the waiters on the one condition variable, so that the
// control thread never misses a start, an end or a stop.
class PendingQueue {
public:
    // The entries are numbered in `ledger`, under the queue's lock, so that the queue's order is
    // the numbers' order.
    explicit PendingQueue(ItemLedger& ledger) : m_ledger(ledger) {}

    void Append(const std::vector<std::string>& ids);  // one step: the whole page

    // Any thread. True when the cause is new. The flags are read without the lock by every
    // worker at its own points.
    bool Stop(StopCause cause);
    bool StopRequested() const { return m_stopCauses.load() != 0; }
    bool StoppedBy(StopCause cause) const;
    // Waits, unless a stop comes or `cancel` fires first; false when one did.
    bool WaitUnlessStopped(std::chrono::nanoseconds duration, std::stop_token cancel);

    // The download control thread's loop works on these under the queue's lock.
    std::unique_lock<std::mutex> Lock() const { return std::unique_lock(m_mutex); }
    // Waits for any change of the state below, or for `cancel`.
    void WaitForChange(std::unique_lock<std::mutex>& lock, std::stop_token cancel);
    bool ReaderRunningLocked() const { return m_readerRunning; }
    int RunningDownloadsLocked() const { return m_runningDownloads; }
    bool PendingEmptyLocked() const { return m_pending.empty(); }
    QueuedItem TakeEntryLocked();  // removes the first entry and counts a running download
    // A download that could not be started: the entry goes back to the front, uncounted.
    void UndoTakeLocked(QueuedItem item);

    // Owner side.
    void MarkReaderEnded();
    void MarkDownloadEnded();
    // True once, for the first report that finds the run complete.
    bool CompleteIfDone(bool readerReport);
    bool Completed() const;
    bool ReaderRunning() const;
    std::size_t PendingCount() const;

private:
    void ChangedLocked();

    ItemLedger& m_ledger;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::uint64_t m_version = 0;
    std::deque<QueuedItem> m_pending;
    bool m_readerRunning = true;
    int m_runningDownloads = 0;
    bool m_startedAny = false;
    bool m_completed = false;
    std::atomic<unsigned> m_stopCauses{0};  // changed under the lock, read without it
};

}  // namespace tarnwick
