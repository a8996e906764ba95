#include "watch/WatchAnalysis.h"

#include "acquire/AcquisitionController.h"
#include "acquire/EventLoop.h"
#include "base/Clock.h"

namespace tarnwick {

namespace {

class LogObserver : public RunObserver {
public:
    explicit LogObserver(const RunLogSink& log) : m_log(log) {}
    void LogLineAdded(const std::string& line) override {
        if (m_log) {
            m_log(line);
        }
    }
    void LogCleared() override {}
    void RunningChanged(bool) override {}
    void RunCompleted() override { m_completed = true; }
    bool Completed() const { return m_completed; }

private:
    const RunLogSink& m_log;
    bool m_completed = false;
};

}  // namespace

WatchedRun AnalyseWatchedShop(const Watch& watch, const StoreSource& store,
                              const Endpoints& endpoints, const Clock& clock, std::stop_token stop,
                              const RunLogSink& log) {
    WatchedRun result;
    result.started = clock.Now();
    EventLoop loop;
    LogObserver observer(log);
    std::shared_ptr<Run> run;
    {
        AcquisitionController controller(loop, observer, store, endpoints, clock);
        controller.Reset();
        RunOptions options;
        options.maxRate = watch.maxRate;
        options.delayMs = watch.delayMs;
        controller.SetRunOptions(options);
        switch (controller.Start(watch.nick, watch.threads)) {
            case AcquisitionController::StartResult::Started:
                break;
            case AcquisitionController::StartResult::BlankInput:
                result.failure = AcquisitionController::kBlankInputNotice;
                result.finished = clock.Now();
                return result;
            case AcquisitionController::StartResult::UnencodableNick:
                result.failure = AcquisitionController::kUnencodableNickNotice;
                result.finished = clock.Now();
                return result;
        }
        run = controller.CurrentRun();
        // Woken by every report, and by a stop request so that it is seen at once.
        std::stop_callback wakeOnStop(stop, [&loop] { loop.Wake(); });
        bool stopAsked = false;
        auto over = [&] { return observer.Completed() && !run->ReaderRunning(); };
        while (!over()) {
            loop.RunUntil([&] { return over() || (stop.stop_requested() && !stopAsked); },
                          std::chrono::seconds(1));
            if (stop.stop_requested() && !stopAsked) {
                stopAsked = true;
                controller.Stop();
            }
        }
    }
    result.sid = run->RunId();
    result.outcome = run->Outcome();
    result.health =
        run->FinalHealth() ? *run->FinalHealth() : run->JudgeHealth(run->HealthSnapshot());
    result.totals = run->Totals();
    result.finished = clock.Now();
    return result;
}

}  // namespace tarnwick
