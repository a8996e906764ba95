#include "app/WatchService.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>

#include "store/Store.h"
#include "watch/StoreWatchStore.h"
#include "watch/WatchAnalysis.h"
#include "watch/WatchRunner.h"

namespace tarnwick {

namespace {

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The runner's reports, from its threads, queued to the service's thread; anything still
// queued when the service goes is dropped with it.
class QueuedObserver : public RunnerObserver {
public:
    explicit QueuedObserver(WatchService& service) : m_service(service) {}

    void Line(const std::string& text) override {
        QMetaObject::invokeMethod(
            &m_service, [service = &m_service, text] { emit service->line(Utf8(text)); },
            Qt::QueuedConnection);
    }

    void WatchStarted(const Watch& watch) override {
        QMetaObject::invokeMethod(
            &m_service,
            [service = &m_service, nick = watch.nick] { emit service->watchStarted(Utf8(nick)); },
            Qt::QueuedConnection);
    }

    void WatchEnded(const WatchRunReport& report) override {
        if (report.leaseLost) {
            return;
        }
        const auto id = static_cast<std::int32_t>(report.watch.id);
        const QString nick = Utf8(report.watch.nick);
        const QString title = Utf8(report.notice.title);
        QString text;
        for (const std::string& one : report.notice.lines) {
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + Utf8(one);
        }
        const int alerts = static_cast<int>(report.alerts.size());
        const bool failed = report.run.outcome != RunOutcome::Complete;
        QMetaObject::invokeMethod(
            &m_service,
            [service = &m_service, id, nick, title, text, alerts, failed] {
                emit service->watchEnded(id, nick, title, text, alerts, failed);
            },
            Qt::QueuedConnection);
    }

private:
    WatchService& m_service;
};

}  // namespace

struct WatchService::Turn {
    Turn(WatchService& service, std::uint64_t number) : number(number), observer(service) {}

    const std::uint64_t number;  // a turn that was stopped must not end the one after it
    std::stop_source stop;
    std::mutex pauseMutex;
    std::condition_variable_any pauseWake;
    QueuedObserver observer;
    std::jthread thread;  // last: joined before the rest goes
};

WatchService::WatchService(StoreSource location, Endpoints endpoints, const Clock& clock,
                           QObject* parent)
    : QObject(parent),
      m_location(std::move(location)),
      m_endpoints(std::move(endpoints)),
      m_clock(clock) {
    connect(&m_timer, &QTimer::timeout, this, &WatchService::RunDue);
}

WatchService::~WatchService() {
    Stop();
}

void WatchService::Start(std::chrono::milliseconds period) {
    m_timer.start(period);
    RunDue();
}

void WatchService::RunDue() {
    if (!Busy()) {
        Begin(0);
    }
}

bool WatchService::RunNow(std::int32_t watchId) {
    if (Busy()) {
        return false;
    }
    Begin(watchId);
    return true;
}

void WatchService::Stop() {
    if (!m_turn) {
        return;
    }
    m_turn->stop.request_stop();
    m_turn->pauseWake.notify_all();
    m_turn->thread = std::jthread();
    m_turn.reset();
    emit busyChanged(false);
}

void WatchService::Begin(std::int64_t watchId) {
    m_turn = std::make_unique<Turn>(*this, ++m_turns);
    Turn& turn = *m_turn;
    emit busyChanged(true);
    turn.thread = std::jthread([this, &turn, watchId, number = turn.number] {
        QString failure;
        try {
            // A store without the watch tables has nothing to watch; it is left as it is
            // until the user adds a watch.
            if (Store::Open(m_location).HasWatchTables()) {
                RunnerSettings settings;
                WatchRunner runner(
                    settings,
                    [this] { return std::make_unique<StoreWatchStore>(Store::Open(m_location)); },
                    [this](const Watch& watch, std::stop_token token, const RunLogSink& log) {
                        return AnalyseWatchedShop(watch, m_location, m_endpoints, m_clock, token,
                                                  log);
                    },
                    m_clock, turn.observer,
                    [&turn](std::chrono::milliseconds pause) {
                        std::unique_lock lock(turn.pauseMutex);
                        turn.pauseWake.wait_for(lock, turn.stop.get_token(), pause,
                                                [] { return false; });
                    });
                if (watchId != 0) {
                    runner.RunWatch(watchId, turn.stop.get_token());
                } else {
                    runner.RunDue(turn.stop.get_token());
                }
            }
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        } catch (...) {
            failure = QStringLiteral("unknown failure");
        }
        QMetaObject::invokeMethod(
            this,
            [this, failure, number] {
                if (!failure.isEmpty()) {
                    emit failed(failure);
                }
                Finish(number);
            },
            Qt::QueuedConnection);
    });
}

void WatchService::Finish(std::uint64_t number) {
    if (!m_turn || m_turn->number != number) {
        return;
    }
    // The thread has nothing left to do but return.
    m_turn->thread = std::jthread();
    m_turn.reset();
    emit busyChanged(false);
}

}  // namespace tarnwick
