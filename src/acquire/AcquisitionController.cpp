#include "acquire/AcquisitionController.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "acquire/TItemListControlThr.h"
#include "acquire/TReadShopInfo.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "fetch/Gbk.h"
#include "store/Store.h"

namespace tarnwick {

namespace {

bool ClaimedInStore(std::optional<Store>& store, const std::string& id, DateTime now) {
    if (!store) {
        return true;
    }
    try {
        return store->ClaimRunKey(id, now);
    } catch (const DatabaseError&) {
        store.reset();
        return true;
    }
}

}  // namespace

AcquisitionController::AcquisitionController(OwnerThread& owner, RunObserver& observer,
                                             std::string databasePath, Endpoints endpoints,
                                             const Clock& clock)
    : m_owner(owner),
      m_observer(observer),
      m_databasePath(std::move(databasePath)),
      m_endpoints(std::move(endpoints)),
      m_clock(clock) {
}

AcquisitionController::~AcquisitionController() {
    for (auto& run : m_runs) {
        run->Shutdown();
    }
    m_threads.JoinAll();
}

void AcquisitionController::Reset() {
    m_log.Clear();
    m_observer.LogCleared();
    m_log.AddRaw(kIntroLine);
    m_observer.LogLineAdded(kIntroLine);
    SetRunning(false);
}

void AcquisitionController::SetRunning(bool running) {
    m_running = running;
    m_observer.RunningChanged(running);
}

void AcquisitionController::AddLogLine(std::string_view text) {
    try {
        bool emptied = false;
        std::string line = m_log.Add(text, m_clock.Now(), &emptied);
        if (emptied) {
            m_observer.LogCleared();
        }
        m_observer.LogLineAdded(line);
    } catch (const std::exception&) {
        // A log line that cannot be shown must not end the run.
    }
}

namespace {

std::string RunIdOf(DateTime time) {
    DateTime::Parts p = time.Split();
    char id[32];
    std::snprintf(id, sizeof id, "%04d%02d%02d%02d%02d%02d%03d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second, p.millisecond);
    return id;
}

}  // namespace

std::string AcquisitionController::NextRunId() {
    // Other programs may write to the same store, on a team's server even from other machines
    // starting in the same millisecond: the store must agree that the key is new. When it
    // cannot be reached the run goes ahead and its workers report the failure.
    std::optional<Store> store;
    try {
        store.emplace(Store::Open(m_databasePath));
    } catch (const DatabaseError&) {
    }
    // Two starts within one millisecond would share a key and mix their rows, and so would a
    // start after the clock was set back: such a start begins at the millisecond after the last
    // key's, found from that key's time rather than by counting up from the clock. A key that
    // another program holds moves on by a millisecond.
    constexpr double kMillisecond = 1.0 / 86400000.0;
    DateTime now = m_clock.Now();
    if (!m_lastRunId.empty() && RunIdOf(now) <= m_lastRunId) {
        now = DateTime(m_lastRunTime.Days() + kMillisecond);
    }
    for (;;) {
        std::string id = RunIdOf(now);
        if (id > m_lastRunId && ClaimedInStore(store, id, now)) {
            m_lastRunId = id;
            m_lastRunTime = now;
            return id;
        }
        now = DateTime(now.Days() + kMillisecond);
    }
}

AcquisitionController::StartResult AcquisitionController::Start(std::string_view input,
                                                                int threadCount) {
    std::string nick = Trim(input);
    if (nick.empty()) {
        return StartResult::BlankInput;
    }
    if (GbkToUtf8(Utf8ToGbk(nick)) != nick) {
        return StartResult::UnencodableNick;
    }
    threadCount = std::clamp(threadCount, kMinThreads, kMaxThreads);

    // Forget runs whose threads have all ended.
    m_threads.JoinFinished();
    std::erase_if(m_runs, [this](const std::shared_ptr<Run>& run) {
        return run != m_current && run->Completed() && run.use_count() == 1;
    });

    Run::Settings settings{NextRunId(), nick,     threadCount, m_databasePath,
                           m_endpoints, m_limits, m_options};
    RunPort& port = *this;
    auto run = std::make_shared<Run>(std::move(settings), port, m_threads, m_clock);
    BeginRecord(*run);
    m_current = run;
    m_runs.push_back(run);

    m_threads.Start([reader = std::make_shared<TReadShopInfo>(run)] { reader->Execute(); });
    SetRunning(true);
    AddLogLine("开始读 " + std::string(input) + " 的数据...");
    m_threads.Start([control = std::make_shared<TItemListControlThr>(run, threadCount)] {
        control->Execute();
    });
    return StartResult::Started;
}

void AcquisitionController::Stop() {
    if (m_current) {
        m_current->RequestStop();
    }
    AddLogLine("正在终止程序,此过程可能需要几分钟时间,请稍候...");
}

void AcquisitionController::Log(const std::shared_ptr<Run>& run, std::string text) {
    std::weak_ptr<int> alive = m_alive;
    m_owner.Send(
        [this, alive, text = std::move(text)] {
            if (alive.lock()) {
                AddLogLine(text);
            }
        },
        run->ShutdownToken());
}

void AcquisitionController::ReaderEnded(const std::shared_ptr<Run>& run) {
    std::weak_ptr<int> alive = m_alive;
    m_owner.Send(
        [this, alive, run] {
            if (alive.lock()) {
                OnReaderEnded(run);
            }
        },
        run->ShutdownToken());
}

void AcquisitionController::DownloadEnded(const std::shared_ptr<Run>& run) {
    std::weak_ptr<int> alive = m_alive;
    m_owner.Post([this, alive, run] {
        if (alive.lock()) {
            OnDownloadEnded(run);
        }
    });
}

void AcquisitionController::ControlEnded(const std::shared_ptr<Run>& run) {
    std::weak_ptr<int> alive = m_alive;
    m_owner.Post([this, alive, run] {
        if (alive.lock()) {
            OnControlEnded(run);
        }
    });
}

void AcquisitionController::OnControlEnded(const std::shared_ptr<Run>& run) {
    if (run->CompleteIfDone(false)) {
        Complete(run);
    }
}

void AcquisitionController::OnReaderEnded(const std::shared_ptr<Run>& run) {
    run->MarkReaderEnded();
    if (run->CompleteIfDone(true)) {
        Complete(run);
    }
}

void AcquisitionController::OnDownloadEnded(const std::shared_ptr<Run>& run) {
    run->MarkDownloadEnded();
    if (run->CompleteIfDone(false)) {
        Complete(run);
    }
}

void AcquisitionController::Complete(const std::shared_ptr<Run>& run) {
    // An earlier run that ends after a new start has nothing more to say to the dialog.
    if (run != m_current) {
        return;
    }
    // Why the run ended as it did comes before the closing line, so that the user's last line
    // is still that one and nothing reads as done before the reason is said.
    std::string_view why = OutcomeLogLine(run->Outcome());
    if (!why.empty()) {
        AddLogLine(why);
    }
    AddLogLine("程序执行完成!");
    // Where the outcome's line already says why, the verdict would only repeat it.
    RecordHealth(run, why.empty());
    SetRunning(false);
    m_observer.RunCompleted();
}

void AcquisitionController::RecordHealth(const std::shared_ptr<Run>& run, bool logVerdict) {
    HealthTally tally = run->HealthSnapshot();
    HealthReport report = run->JudgeHealth(tally);
    // A healthy run ends on its completion line as it always did; only a run whose figures
    // cannot all be trusted says so.
    if (logVerdict && report.verdict != Verdict::Healthy) {
        AddLogLine(HealthLine(report));
    }
    // The run's record is written even after a store failure, so that the run does not read as
    // still running; only a file locked by another program is not waited for once more.
    if (!run->StoreMayStillRecord()) {
        run->SetFinalHealth(std::move(report));
        return;
    }
    try {
        Store store = Store::Open(m_databasePath);
        const DateTime ended = m_clock.Now();
        store.AppendRunHealth(MakeRunHealthRow(run->RunId(), tally, report, run->Started(), ended));
        // The states the downloads could not store, and those of the entries never started,
        // then the outcome that counts them all.
        for (const ItemLedger::Entry& entry : run->Ledger().Entries()) {
            if (!entry.stored) {
                store.AppendItemRead(ItemReadRow{run->RunId(), entry.item.seq, entry.item.itemId,
                                                 ItemReadKey(entry.state), entry.answer});
            }
        }
        store.EndRunOutcome(run->OutcomeRow(ended));
    } catch (const std::exception& error) {
        // The rows of the run are stored; only its health is not.
        AddLogLine(std::string("运行状况未能保存: ") + error.what());
    }
    run->SetFinalHealth(std::move(report));
}

void AcquisitionController::BeginRecord(const Run& run) {
    // Stored before the first request, so that a run that never ends (the program killed, the
    // machine off) still says it did not read the shop.
    try {
        Store store = Store::Open(m_databasePath);
        RunOutcomeRow row;
        row.sid = run.RunId();
        row.outcome = OutcomeKey(RunOutcome::Running);
        row.started = run.Started();
        store.BeginRunOutcome(row);
    } catch (const std::exception&) {
        // The workers find the store failing and say so; the run's end writes the record.
    }
}

}  // namespace tarnwick
