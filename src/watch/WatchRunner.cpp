#include "watch/WatchRunner.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "base/Clock.h"
#include "watch/AlertSummary.h"

namespace tarnwick {

namespace {

bool ListsTag(const std::string& sentTo, const std::string& tag) {
    std::size_t at = 0;
    while ((at = sentTo.find(tag, at)) != std::string::npos) {
        const std::size_t end = at + tag.size();
        if ((at == 0 || sentTo[at - 1] == ' ') && (end == sentTo.size() || sentTo[end] == ',')) {
            return true;
        }
        at = end;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : separator) + line;
    }
    return text;
}

// Renews a claimed watch's lease while its run goes on, on a connection of its own; says so
// when the lease was lost (this machine slept past it and another runner took the watch).
class LeaseKeeper {
public:
    LeaseKeeper(const WatchStoreOpener& open, std::int64_t id, const RunnerSettings& settings,
                const Clock& clock, std::stop_source& lost)
        : m_open(open),
          m_id(id),
          m_settings(settings),
          m_clock(clock),
          m_lost(lost),
          m_thread([this](std::stop_token stop) { Keep(stop); }) {}

private:
    void Keep(std::stop_token stop) {
        std::unique_ptr<WatchStore> store;
        std::mutex mutex;
        std::condition_variable_any wake;
        for (;;) {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, stop, m_settings.lease.renewEvery, [] { return false; });
            if (stop.stop_requested()) {
                return;
            }
            try {
                if (!store) {
                    store = m_open();
                }
                if (!store->Renew(m_id, m_settings.holder,
                                  AddDuration(m_clock.Now(), m_settings.lease.duration))) {
                    m_lost.request_stop();
                    return;
                }
            } catch (const std::exception&) {
                // A store away for a moment: the lease has time left, and the next renewal
                // opens a new connection.
                store.reset();
            }
        }
    }

    const WatchStoreOpener& m_open;
    std::int64_t m_id;
    const RunnerSettings& m_settings;
    const Clock& m_clock;
    std::stop_source& m_lost;
    std::jthread m_thread;  // last: it uses the members above
};

}  // namespace

std::string ChannelTag(const ChannelConfig& channel) {
    return std::string(KindName(channel.kind)) + "#" + std::to_string(channel.id);
}

WatchRunner::WatchRunner(RunnerSettings settings, WatchStoreOpener open, ShopAnalyser analyse,
                         const Clock& clock, RunnerObserver& observer, Pause pause,
                         ChannelMaker makeChannel)
    : m_settings(std::move(settings)),
      m_open(std::move(open)),
      m_analyse(std::move(analyse)),
      m_clock(clock),
      m_observer(observer),
      m_pause(std::move(pause)),
      m_makeChannel(std::move(makeChannel)) {
    if (m_settings.holder.empty()) {
        m_settings.holder = NewLeaseHolder();
    }
    m_settings.parallel = std::max(1, m_settings.parallel);
}

RunnerReport WatchRunner::RunDue(std::stop_token stop) {
    RunnerReport report;
    std::unique_ptr<WatchStore> store = m_open();
    ResendPending(*store, stop, report);
    const std::vector<Watch> watches = store->ReadWatches();
    std::vector<std::int64_t> ids;
    if (m_settings.all) {
        for (const Watch& watch : watches) {
            ids.push_back(watch.id);
        }
    } else {
        for (std::size_t position : PickDue(watches, m_clock.Now())) {
            ids.push_back(watches[position].id);
        }
    }
    report.due = static_cast<int>(ids.size());
    RunQueue(ids, !m_settings.all, stop, report);
    return report;
}

RunnerReport WatchRunner::RunWatch(std::int64_t id, std::stop_token stop) {
    RunnerReport report;
    report.due = 1;
    RunQueue({id}, false, stop, report);
    return report;
}

void WatchRunner::RunQueue(const std::vector<std::int64_t>& ids, bool checkDue,
                           std::stop_token stop, RunnerReport& report) {
    std::atomic<std::size_t> next{0};
    std::mutex reportMutex;
    auto work = [&] {
        RunnerReport mine;
        try {
            std::unique_ptr<WatchStore> store = m_open();
            for (std::size_t i = next++; i < ids.size() && !stop.stop_requested(); i = next++) {
                RunClaimed(*store, ids[i], checkDue, stop, mine);
            }
        } catch (const std::exception& error) {
            m_observer.Line(std::string("监控: ") + error.what());
            ++mine.failedRuns;
        }
        std::lock_guard lock(reportMutex);
        report.ran += mine.ran;
        report.busy += mine.busy;
        report.failedRuns += mine.failedRuns;
        report.failedDeliveries += mine.failedDeliveries;
    };
    const std::size_t threads =
        std::min<std::size_t>(static_cast<std::size_t>(m_settings.parallel), ids.size());
    if (threads <= 1) {
        work();
        return;
    }
    std::vector<std::jthread> workers;
    for (std::size_t t = 0; t < threads; ++t) {
        workers.emplace_back(work);
    }
}

void WatchRunner::RunClaimed(WatchStore& store, std::int64_t id, bool checkDue,
                             std::stop_token stop, RunnerReport& report) {
    const DateTime now = m_clock.Now();
    if (!store.Claim(id, m_settings.holder, now, AddDuration(now, m_settings.lease.duration))) {
        ++report.busy;
        m_observer.Line("监控 #" + std::to_string(id) + ": 另一个监控进程正在分析, 跳过");
        return;
    }
    struct Release {
        WatchStore& store;
        std::int64_t id;
        const std::string& holder;
        ~Release() {
            try {
                store.Release(id, holder);
            } catch (const std::exception&) {
                // The lease runs out by itself.
            }
        }
    } release{store, id, m_settings.holder};

    // Read again under the lease: another runner may have run it since the list was read.
    const std::optional<Watch> watch = store.ReadWatch(id);
    if (!watch || (checkDue && !IsDue(*watch, now))) {
        return;
    }
    ++report.ran;
    m_observer.WatchStarted(*watch);
    m_observer.Line("监控 " + watch->nick + ": 开始分析");

    std::stop_source runStop;
    std::stop_callback forward(stop, [&runStop] { runStop.request_stop(); });
    std::stop_source lost;
    std::stop_callback onLost(lost.get_token(), [&runStop] { runStop.request_stop(); });
    WatchRunReport outcome;
    {
        LeaseKeeper keeper(m_open, id, m_settings, m_clock, lost);
        const std::string prefix = "  [" + watch->nick + "] ";
        outcome.run = m_analyse(*watch, runStop.get_token(),
                                [&](const std::string& line) { m_observer.Line(prefix + line); });
    }
    if (lost.stop_requested()) {
        outcome.leaseLost = true;
        outcome.watch = *watch;
        m_observer.Line("监控 " + watch->nick + ": 租约已被另一个监控进程接管, 本次结果不记录");
        m_observer.WatchEnded(outcome);
        return;
    }

    std::optional<WatchedComparison> comparison;
    if (outcome.run.failure.empty() && outcome.run.outcome == RunOutcome::Complete &&
        !watch->baselineSid.empty()) {
        comparison = store.Compare(watch->baselineSid, outcome.run.sid, true);
    }
    WatchedRunResult result = ConcludeWatchedRun(*watch, outcome.run, comparison);
    // A run the runner itself stopped (Ctrl-C, the program closing) is kept as failed, but
    // nobody needs telling about what they did themselves.
    if (stop.stop_requested()) {
        result.notify = false;
    }
    const std::vector<ChannelConfig> channels =
        result.notify ? store.Channels() : std::vector<ChannelConfig>{};
    for (const Alert& alert : result.alerts) {
        StoredAlert stored;
        stored.time = outcome.run.finished;
        stored.watchId = id;
        stored.nick = watch->nick;
        stored.olderSid = watch->baselineSid;
        stored.newerSid = outcome.run.sid;
        stored.alert = alert;
        stored.pending = !channels.empty();
        stored.id = store.AppendAlert(stored);
        outcome.alerts.push_back(std::move(stored));
    }
    // After the alerts: a runner that dies in between runs the watch again and raises them
    // once more, rather than losing them.
    store.RecordRun(result.updated);
    outcome.watch = result.updated;
    const bool complete =
        outcome.run.failure.empty() && outcome.run.outcome == RunOutcome::Complete;
    if (!complete) {
        ++report.failedRuns;
    }
    m_observer.Line("监控 " + watch->nick + ": " +
                    (result.baseline ? std::string("首次分析完成, 作为今后对比的基准")
                     : complete      ? std::to_string(result.alerts.size()) + " 条提醒"
                                     : "监控失败: " + FailureReason(outcome.run)));

    // The notice is made whether or not a channel is configured: the desktop program's tray
    // shows it from the report.
    if (result.notify && !result.alerts.empty()) {
        std::vector<Alert> alerts;
        for (const StoredAlert& stored : outcome.alerts) {
            alerts.push_back(stored.alert);
        }
        outcome.notice = SummariseAlerts(watch->nick, alerts);
    }
    if (!channels.empty() && !result.alerts.empty()) {
        auto [sentTo, failures] = Send(outcome.notice, channels, "", stop);
        outcome.deliveryFailures = failures;
        report.failedDeliveries += static_cast<int>(failures.size());
        for (const StoredAlert& stored : outcome.alerts) {
            store.SetDelivery(stored.id, sentTo, Joined(failures, "; "), !failures.empty());
        }
    }
    m_observer.WatchEnded(outcome);
}

std::pair<std::string, std::vector<std::string>> WatchRunner::Send(
    const Notification& notice, const std::vector<ChannelConfig>& channels,
    const std::string& sentTo, std::stop_token stop) {
    std::string sent = sentTo;
    std::vector<std::string> failures;
    for (const ChannelConfig& channel : channels) {
        const std::string tag = ChannelTag(channel);
        if (ListsTag(sent, tag)) {
            continue;
        }
        DeliveryResult result;
        try {
            std::unique_ptr<NotifyChannel> sender = m_makeChannel(channel);
            result = Deliver(*sender, notice, m_settings.retry, [&](std::chrono::milliseconds d) {
                if (!stop.stop_requested()) {
                    m_pause(d);
                }
            });
        } catch (const std::exception& error) {
            result.error = error.what();
        }
        if (result.delivered) {
            sent += (sent.empty() ? "" : ", ") + tag;
            m_observer.Line("  已发送到 " + tag + " " + ShownChannel(channel));
        } else {
            failures.push_back(tag + ": " + result.error);
            m_observer.Line("  发送失败 (" + std::to_string(result.attempts) + " 次尝试) " + tag +
                            ": " + result.error);
        }
    }
    return {sent, failures};
}

void WatchRunner::ResendPending(WatchStore& store, std::stop_token stop, RunnerReport& report) {
    const std::vector<StoredAlert> pending = store.PendingAlerts();
    if (pending.empty()) {
        return;
    }
    const std::vector<ChannelConfig> channels = store.Channels();
    // One notice per watched run, as when it was first sent.
    std::map<std::pair<std::int64_t, std::string>, std::vector<const StoredAlert*>> runs;
    for (const StoredAlert& alert : pending) {
        runs[{alert.watchId, alert.newerSid}].push_back(&alert);
    }
    const DateTime giveUpBefore(m_clock.Now().Days() - kResendDays);
    for (const auto& [key, alerts] : runs) {
        const StoredAlert& first = *alerts.front();
        if (first.time < giveUpBefore || channels.empty()) {
            for (const StoredAlert* alert : alerts) {
                store.SetDelivery(alert->id, alert->sentTo, alert->failure + " (已放弃重发)",
                                  false);
            }
            continue;
        }
        std::vector<Alert> texts;
        for (const StoredAlert* alert : alerts) {
            texts.push_back(alert->alert);
        }
        m_observer.Line("监控 " + first.nick + ": 重发上次未送达的提醒");
        auto [sentTo, failures] =
            Send(SummariseAlerts(first.nick, texts), channels, first.sentTo, stop);
        report.failedDeliveries += static_cast<int>(failures.size());
        for (const StoredAlert* alert : alerts) {
            store.SetDelivery(alert->id, sentTo,
                              failures.empty() ? std::string() : Joined(failures, "; "),
                              !failures.empty());
        }
    }
}

}  // namespace tarnwick
