#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/OwnerThread.h"
#include "acquire/Run.h"
#include "acquire/RunLog.h"
#include "acquire/RunObserver.h"
#include "acquire/ThreadGroup.h"
#include "fetch/Endpoints.h"
#include "store/StoreSource.h"

namespace tarnwick {

class Clock;

// The analyse-shop dialog without its widgets: the run state, the log, starting and stopping
// runs, and the handling of the workers' reports. Everything here runs on the owner's thread.
class AcquisitionController : private RunPort {
public:
    static constexpr int kMinThreads = 1;
    static constexpr int kMaxThreads = 30;
    static constexpr int kDefaultThreads = 6;
    static constexpr const char* kIntroLine =
        "请输入您要分析的同行的掌柜名,再点同行分析! 要分析的同行必须要在同行,且有在售中的宝贝.";
    static constexpr const char* kBlankInputNotice = "请先输入要分析的同行旺旺名或地址!";
    // The nick goes out in GBK; one that does not survive the trip would be asked for as
    // question marks while its rows carry the nick as typed.
    static constexpr const char* kUnencodableNickNotice =
        "掌柜名含有无法发送的字符(非 UTF-8 或 GBK 中没有的字符), 请检查后重新输入.";

    AcquisitionController(OwnerThread& owner, RunObserver& observer, StoreSource store,
                          Endpoints endpoints, const Clock& clock);
    // Shuts every run down and waits for its threads (about a second at most: fetches and
    // pauses give up); rows not yet written are not stored.
    ~AcquisitionController() override;
    AcquisitionController(const AcquisitionController&) = delete;
    AcquisitionController& operator=(const AcquisitionController&) = delete;

    // The dialog is shown: an empty log with the intro line, buttons idle. Runs go on.
    void Reset();

    enum class StartResult { Started, BlankInput, UnencodableNick };
    // `input` as typed; the run uses it trimmed. threadCount is clamped to 1..30.
    StartResult Start(std::string_view input, int threadCount);
    void Stop();
    // For the runs started from now on.
    void SetLimits(const RunLimits& limits) { m_limits = limits; }

    // Politeness and the blocked-run stop for the runs started from now on.
    void SetRunOptions(RunOptions options) { m_options = options; }

    bool Running() const { return m_running; }
    const RunLog& Log() const { return m_log; }
    // The run started last, or null.
    std::shared_ptr<Run> CurrentRun() const { return m_current; }
    void AddLogLine(std::string_view text);
    // The threads of every run; a test changes how they start.
    ThreadGroup& Threads() { return m_threads; }

private:
    void Log(const std::shared_ptr<Run>& run, std::string text) override;
    void ReaderEnded(const std::shared_ptr<Run>& run) override;
    void DownloadEnded(const std::shared_ptr<Run>& run) override;
    void ControlEnded(const std::shared_ptr<Run>& run) override;

    void OnReaderEnded(const std::shared_ptr<Run>& run);
    void OnDownloadEnded(const std::shared_ptr<Run>& run);
    void OnControlEnded(const std::shared_ptr<Run>& run);
    void Complete(const std::shared_ptr<Run>& run);
    void SetRunning(bool running);
    std::string NextRunId();
    // Judges the run, logs the verdict (when asked and not healthy) and stores it where the
    // database has room for it.
    void RecordHealth(const std::shared_ptr<Run>& run, bool logVerdict);
    // The run's record as it begins: "running" until its end replaces it.
    void BeginRecord(const Run& run);

    OwnerThread& m_owner;
    RunObserver& m_observer;
    StoreSource m_store;
    Endpoints m_endpoints;
    const Clock& m_clock;
    RunOptions m_options;

    RunLog m_log;
    bool m_running = false;
    RunLimits m_limits;
    std::string m_lastRunId;
    DateTime m_lastRunTime;
    std::shared_ptr<Run> m_current;
    std::vector<std::shared_ptr<Run>> m_runs;
    // Steps handed over by workers may still wait in the owner's queue after this object is
    // gone; they check this first.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    ThreadGroup m_threads;  // last: its threads end before anything they use goes
};

}  // namespace tarnwick
