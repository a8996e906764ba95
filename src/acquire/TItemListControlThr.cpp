#include "acquire/TItemListControlThr.h"

#include "acquire/Run.h"
#include "acquire/TDownloadItem.h"
#include "acquire/ThreadGroup.h"

namespace tarnwick {

TItemListControlThr::TItemListControlThr(std::shared_ptr<Run> run, int threadCount)
    : m_run(std::move(run)), m_threadCount(threadCount) {
}

void TItemListControlThr::Execute() {
    m_run->Log("控制下载线程启动...");
    m_run->Pause(std::chrono::milliseconds(1000));

    int started = 0;
    {
        auto lock = m_run->Lock();
        // Rather than spinning a processor, wait for the next change of the list, the flags or
        // the running count; the starts happen in the same order and as soon as they would.
        while (!m_run->ShuttingDown() &&
               (m_run->ReaderRunningLocked() || !m_run->PendingEmptyLocked())) {
            if (m_run->StopRequestedLocked()) {
                break;
            }
            if (m_run->PendingEmptyLocked() || m_run->RunningDownloadsLocked() >= m_threadCount) {
                m_run->WaitForChange(lock);
                continue;
            }
            ++started;
            std::string itemId = m_run->TakeEntryLocked();
            lock.unlock();
            auto download = std::make_shared<TDownloadItem>(m_run, std::move(itemId));
            m_run->Threads().Start([download] { download->Execute(); });
            lock.lock();
        }
    }
    if (m_run->ShuttingDown()) {
        return;
    }
    // Every download reports its own end; without any, this report is what closes the run.
    if (started == 0) {
        m_run->ReportDownloadEnded();
    }
    m_run->Pause(std::chrono::milliseconds(1000));
}

}  // namespace tarnwick
