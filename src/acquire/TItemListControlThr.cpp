#include "acquire/TItemListControlThr.h"

#include <exception>
#include <memory>

#include "acquire/Run.h"
#include "acquire/TDownloadItem.h"
#include "acquire/ThreadGroup.h"
#include "acquire/WorkerTop.h"

namespace tarnwick {

TItemListControlThr::TItemListControlThr(std::shared_ptr<Run> run, int threadCount)
    : m_run(std::move(run)), m_threadCount(threadCount) {
}

void TItemListControlThr::Execute() {
    // The run's end is only ever seen in a report: without this one a stop that came after the
    // last download's report would never complete the run. Without any download, this report
    // counts as the download that never was. Its failures are the summary's, not the user's.
    const WorkerEnd end{
        "download control", "", nullptr,
        [this] { return m_started == 0 ? &Run::ReportDownloadEnded : &Run::ReportControlEnded; },
        std::chrono::milliseconds(1000)};
    RunWorker(*m_run, end, [this] { Control(); });
}

void TItemListControlThr::Control() {
    m_run->Log("控制下载线程启动...");
    m_run->Pause(std::chrono::milliseconds(1000));

    auto lock = m_run->Lock();
    // Rather than spinning a processor, wait for the next change of the list, the flags or the
    // running count; the starts happen in the same order and as soon as they would.
    while (!m_run->ShuttingDown() &&
           (m_run->ReaderRunningLocked() || !m_run->PendingEmptyLocked())) {
        if (m_run->StopRequestedLocked()) {
            break;
        }
        if (m_run->PendingEmptyLocked() || m_run->RunningDownloadsLocked() >= m_threadCount) {
            m_run->WaitForChange(lock);
            continue;
        }
        QueuedItem item = m_run->TakeEntryLocked();
        lock.unlock();
        try {
            auto download = std::make_shared<TDownloadItem>(m_run, item);
            m_run->Threads().Start([download] { download->Execute(); });
        } catch (const std::exception& error) {
            // No thread, so no end report would ever count this download down: give the entry
            // back and try again once the system has had a moment.
            lock.lock();
            m_run->UndoTakeLocked(std::move(item));
            lock.unlock();
            m_run->CountError(std::string("starting a download: ") + error.what());
            m_run->Pause(std::chrono::milliseconds(1000));
            lock.lock();
            continue;
        }
        ++m_started;
        lock.lock();
    }
}

}  // namespace tarnwick
