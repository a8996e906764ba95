#include "acquire/PendingQueue.h"

#include <chrono>
#include <stop_token>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

// What the owner and the control thread do to the queue, in the order the owner sees it.
enum class Step { Queue2, Start, DownloadEnds, ReaderEnds, UserStop };

struct CompletionCase {
    const char* name;
    std::vector<Step> steps;
    bool readerReport;  // whose report asks after the last step
    bool complete;
};

TEST(PendingQueueTest, ARunIsCompleteOnlyAtAReportThatFindsItDone) {
    const CompletionCase cases[] = {
        // Its start line has not been logged yet: the control thread's report closes the run.
        {"nothing queued, the reader's report", {Step::ReaderEnds}, true, false},
        {"nothing queued, the control thread's report",
         {Step::ReaderEnds, Step::DownloadEnds},
         false,
         true},
        {"the reader may queue more",
         {Step::Queue2, Step::Start, Step::Start, Step::DownloadEnds, Step::DownloadEnds},
         false,
         false},
        {"the reader ends after the last download",
         {Step::Queue2, Step::Start, Step::Start, Step::DownloadEnds, Step::DownloadEnds,
          Step::ReaderEnds},
         true,
         true},
        {"a download still runs", {Step::Queue2, Step::Start, Step::ReaderEnds}, true, false},
        {"an entry is still queued",
         {Step::Queue2, Step::Start, Step::DownloadEnds, Step::ReaderEnds},
         true,
         false},
        // After a stop the entries queued last are never started.
        {"a stop, at the last running download",
         {Step::Queue2, Step::Start, Step::UserStop, Step::DownloadEnds},
         false,
         true},
        {"a stop with a download running",
         {Step::Queue2, Step::Start, Step::UserStop},
         false,
         false},
    };
    for (const CompletionCase& c : cases) {
        SCOPED_TRACE(c.name);
        ItemLedger ledger;
        PendingQueue queue(ledger);
        for (Step step : c.steps) {
            if (step == Step::Queue2) {
                queue.Append({"1", "2"});
            } else if (step == Step::Start) {
                auto lock = queue.Lock();
                queue.TakeEntryLocked();
            } else if (step == Step::DownloadEnds) {
                queue.MarkDownloadEnded();
            } else if (step == Step::ReaderEnds) {
                queue.MarkReaderEnded();
            } else {
                queue.Stop(StopCause::User);
            }
        }
        EXPECT_EQ(queue.CompleteIfDone(c.readerReport), c.complete);
        EXPECT_EQ(queue.Completed(), c.complete);
        EXPECT_FALSE(queue.CompleteIfDone(c.readerReport));  // never twice
    }
}

TEST(PendingQueueTest, EntriesKeepTheirNumbersAndOneThatCouldNotStartGoesBackToTheFront) {
    ItemLedger ledger;
    PendingQueue queue(ledger);
    queue.Append({"7", "8"});
    queue.Append({"7"});
    auto lock = queue.Lock();
    QueuedItem first = queue.TakeEntryLocked();
    EXPECT_EQ(first.seq, 1);
    EXPECT_EQ(queue.RunningDownloadsLocked(), 1);
    queue.UndoTakeLocked(std::move(first));
    EXPECT_EQ(queue.RunningDownloadsLocked(), 0);
    std::vector<std::string> order;
    while (!queue.PendingEmptyLocked()) {
        const QueuedItem item = queue.TakeEntryLocked();
        order.push_back(std::to_string(item.seq) + ":" + item.itemId);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"1:7", "2:8", "3:7"}));
}

TEST(PendingQueueTest, StopsKeepTheirCausesAndEndAWait) {
    ItemLedger ledger;
    PendingQueue queue(ledger);
    EXPECT_TRUE(queue.WaitUnlessStopped(std::chrono::milliseconds(1), {}));
    std::stop_source cancel;
    cancel.request_stop();
    EXPECT_FALSE(queue.WaitUnlessStopped(std::chrono::hours(1), cancel.get_token()));

    EXPECT_TRUE(queue.Stop(StopCause::RateLimited));
    EXPECT_FALSE(queue.Stop(StopCause::RateLimited));  // its log line is said once
    EXPECT_TRUE(queue.Stop(StopCause::Shutdown));
    EXPECT_TRUE(queue.StopRequested());
    EXPECT_TRUE(queue.StoppedBy(StopCause::RateLimited));
    EXPECT_FALSE(queue.StoppedBy(StopCause::User));
    EXPECT_FALSE(queue.StoppedBy(StopCause::Blocked));
    EXPECT_FALSE(queue.WaitUnlessStopped(std::chrono::hours(1), {}));
}

}  // namespace
}  // namespace tarnwick::test
