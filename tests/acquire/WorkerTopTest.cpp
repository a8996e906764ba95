#include "acquire/WorkerTop.h"

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquire/PageFetch.h"
#include "acquire/Run.h"
#include "acquire/ThreadGroup.h"
#include "base/Clock.h"

namespace tarnwick::test {
namespace {

constexpr const char* kFileStore = "x.qdb";
constexpr const char* kServerStore = "postgresql:///postgres?host=/nonexistent-tarnwick";

// Hears the reports at once, on the worker's own thread; the first `refusals` hand-overs of an
// end report fail as a full queue would.
class RecordingPort : public RunPort {
public:
    void Log(const std::shared_ptr<Run>&, std::string text) override { lines.push_back(text); }
    void ReaderEnded(const std::shared_ptr<Run>&) override { Report("reader"); }
    void DownloadEnded(const std::shared_ptr<Run>&) override { Report("download"); }
    void ControlEnded(const std::shared_ptr<Run>&) override { Report("control"); }

    int refusals = 0;
    std::vector<std::string> lines;
    std::vector<std::string> reports;

private:
    void Report(const char* name) {
        if (refusals > 0) {
            --refusals;
            throw std::runtime_error("queue full");
        }
        reports.emplace_back(name);
    }
};

std::shared_ptr<Run> MakeRun(const char* store, RunPort& port, ThreadGroup& threads) {
    Run::Settings settings;
    settings.databasePath = store;
    return std::make_shared<Run>(settings, port, threads, SystemClock::Instance());
}

TEST(WorkerTopTest, AStoreErrorEndsTheRunOnAFileAndOnAServerOnlyWhenTheConnectionStaysLost) {
    const StoreErrorKind kinds[] = {StoreErrorKind::Busy,           StoreErrorKind::Full,
                                    StoreErrorKind::ReadOnly,       StoreErrorKind::Corrupt,
                                    StoreErrorKind::ConnectionLost, StoreErrorKind::Constraint,
                                    StoreErrorKind::Other};
    for (StoreErrorKind kind : kinds) {
        SCOPED_TRACE(StoreErrorKindName(kind));
        EXPECT_TRUE(StoreErrorEndsRun(kind, false, false));
        EXPECT_EQ(StoreErrorEndsRun(kind, true, false), kind == StoreErrorKind::ConnectionLost);
        // Once the store failed for the run, a later failure is its echo, whatever its kind.
        EXPECT_TRUE(StoreErrorEndsRun(kind, true, true));
    }
}

struct WorkerCase {
    const char* name;
    const char* store;
    std::function<void()> body;
    std::optional<WorkerFailure> finished;  // what `finish` heard; none: not called
    std::vector<std::string> reports;
    std::vector<std::string> errors;  // in the run's summary
    std::vector<std::string> lines;   // in the log
    bool storeFailed;
};

TEST(WorkerTopTest, EveryWayOutOfABodyIsToldOnceAndReported) {
    const auto throwing = [](auto error) { return [error] { throw error; }; };
    const StoreError full("disk full", StoreErrorKind::Full);
    const StoreError refused("row refused", StoreErrorKind::Constraint);
    const StoreError lost("server gone", StoreErrorKind::ConnectionLost);
    const WorkerCase cases[] = {
        {"a body that ends", kFileStore, [] {}, WorkerFailure::None, {"download"}, {}, {}, false},
        {"a failure of its own",
         kFileStore,
         throwing(std::runtime_error("no title")),
         WorkerFailure::Other,
         {"download"},
         {"item 7: no title"},
         {"宝贝 7 保存失败: no title"},
         false},
        {"not even a std::exception",
         kFileStore,
         [] { throw 42; },
         WorkerFailure::Other,
         {"download"},
         {"item 7: unknown failure"},
         {"宝贝 7 保存失败: unknown failure"},
         false},
        // The owner says once that nothing more could be stored, rather than every item.
        {"the file store refuses",
         kFileStore,
         throwing(full),
         WorkerFailure::StoreEnded,
         {"download"},
         {"database: disk full"},
         {},
         true},
        {"a server refuses the item's row",
         kServerStore,
         throwing(refused),
         WorkerFailure::Store,
         {"download"},
         {"item 7: row refused"},
         {"宝贝 7 保存失败: row refused"},
         false},
        {"a server stays away",
         kServerStore,
         throwing(lost),
         WorkerFailure::StoreEnded,
         {"download"},
         {"database: server gone"},
         {},
         true},
        // The program is ending: nobody is left to hear a report.
        {"the run shut down", kFileStore, throwing(RunAborted()), std::nullopt, {}, {}, {}, false},
    };
    for (const WorkerCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPort port;
        ThreadGroup threads;
        auto run = MakeRun(c.store, port, threads);
        std::optional<WorkerFailure> finished;
        const WorkerEnd end{"item 7",
                            "宝贝 7 保存失败: ", [&](WorkerFailure failure) { finished = failure; },
                            [] { return &Run::ReportDownloadEnded; }, std::chrono::milliseconds(0)};
        RunWorker(*run, end, c.body);
        EXPECT_EQ(finished, c.finished);
        EXPECT_EQ(port.reports, c.reports);
        EXPECT_EQ(run->Totals().errors, c.errors);
        EXPECT_EQ(port.lines, c.lines);
        EXPECT_EQ(run->StoreFailed(), c.storeFailed);
        EXPECT_EQ(run->StopRequested(), c.storeFailed);
    }
}

TEST(WorkerTopTest, TheReportIsChosenAfterAFailingFinishAndSentAgainWhenTheHandOverFails) {
    RecordingPort port;
    port.refusals = 2;
    ThreadGroup threads;
    auto run = MakeRun(kFileStore, port, threads);
    bool started = false;
    const WorkerEnd end{
        "download control", "", [](WorkerFailure) { throw std::runtime_error("record lost"); },
        [&] { return started ? &Run::ReportControlEnded : &Run::ReportDownloadEnded; },
        std::chrono::milliseconds(0)};
    RunWorker(*run, end, [&] {
        started = true;
        throw std::runtime_error("lost");
    });
    EXPECT_EQ(port.reports, std::vector<std::string>{"control"});
    EXPECT_EQ(port.refusals, 0);
    EXPECT_EQ(run->Totals().errors, std::vector<std::string>{"download control: lost"});
    EXPECT_TRUE(port.lines.empty());  // the control thread's failures are counted, not logged
}

}  // namespace
}  // namespace tarnwick::test
