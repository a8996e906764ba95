#include "acquire/PendingQueue.h"

#include <iterator>

namespace tarnwick {

void PendingQueue::ChangedLocked() {
    ++m_version;
    m_changed.notify_all();
}

void PendingQueue::Append(const std::vector<std::string>& ids) {
    std::lock_guard lock(m_mutex);
    std::vector<QueuedItem> queued = m_ledger.Queue(ids);
    m_pending.insert(m_pending.end(), std::make_move_iterator(queued.begin()),
                     std::make_move_iterator(queued.end()));
    ChangedLocked();
}

bool PendingQueue::Stop(StopCause cause) {
    std::lock_guard lock(m_mutex);
    const unsigned before = m_stopCauses.fetch_or(static_cast<unsigned>(cause));
    ChangedLocked();
    return (before & static_cast<unsigned>(cause)) == 0;
}

bool PendingQueue::StoppedBy(StopCause cause) const {
    return (m_stopCauses.load() & static_cast<unsigned>(cause)) != 0;
}

bool PendingQueue::WaitUnlessStopped(std::chrono::nanoseconds duration, std::stop_token cancel) {
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, cancel, duration, [this] { return StopRequested(); }) &&
           !cancel.stop_requested();
}

void PendingQueue::WaitForChange(std::unique_lock<std::mutex>& lock, std::stop_token cancel) {
    const std::uint64_t seen = m_version;
    m_changed.wait(lock, cancel, [&] { return m_version != seen; });
}

QueuedItem PendingQueue::TakeEntryLocked() {
    QueuedItem item = std::move(m_pending.front());
    m_pending.pop_front();
    ++m_runningDownloads;
    m_startedAny = true;
    ChangedLocked();
    return item;
}

void PendingQueue::UndoTakeLocked(QueuedItem item) {
    m_pending.push_front(std::move(item));
    --m_runningDownloads;
    ChangedLocked();
}

void PendingQueue::MarkReaderEnded() {
    std::lock_guard lock(m_mutex);
    m_readerRunning = false;
    ChangedLocked();
}

void PendingQueue::MarkDownloadEnded() {
    std::lock_guard lock(m_mutex);
    --m_runningDownloads;
    ChangedLocked();
}

bool PendingQueue::CompleteIfDone(bool readerReport) {
    std::lock_guard lock(m_mutex);
    if (m_completed) {
        return false;
    }
    const bool drained = !m_readerRunning && m_pending.empty() && m_runningDownloads <= 0;
    const bool stopped = StopRequested() && m_runningDownloads <= 0;
    // The reader's end report completes a run only once downloads have run and ended before
    // it, so that no later report would: when nothing was started, the control thread's own
    // end report follows and closes the run after its start line. After a stop the ids the
    // reader queued last are never started, so the list need not be empty then.
    const bool done = readerReport ? (drained || stopped) && m_startedAny : drained || stopped;
    if (done) {
        m_completed = true;
    }
    return done;
}

bool PendingQueue::Completed() const {
    std::lock_guard lock(m_mutex);
    return m_completed;
}

bool PendingQueue::ReaderRunning() const {
    std::lock_guard lock(m_mutex);
    return m_readerRunning;
}

std::size_t PendingQueue::PendingCount() const {
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

}  // namespace tarnwick
