// The runner's own decisions over a store in memory and a stand-in analysis: who runs what,
// what is stored, what is sent, what is sent again. The same runner over the real stores and
// real runs is tested in the command line's watch tests.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

#include "base/Clock.h"
#include "watch/WatchRunner.h"

namespace tarnwick {
namespace {

class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime now) : m_now(now) {}
    DateTime Now() const override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    void Set(DateTime now) {
        std::lock_guard lock(m_mutex);
        m_now = now;
    }

private:
    mutable std::mutex m_mutex;
    DateTime m_now;
};

// The tables in memory, shared by every "connection" the runner opens.
struct MemoryTables {
    std::mutex mutex;
    std::map<std::int64_t, Watch> watches;
    std::map<std::int64_t, Lease> leases;
    std::vector<StoredAlert> alerts;
    std::vector<ChannelConfig> channels;
    std::map<std::string, WatchedComparison> comparisons;  // by the newer run's key
    int renewals = 0;
};

class MemoryWatchStore : public WatchStore {
public:
    explicit MemoryWatchStore(MemoryTables& tables) : m_t(tables) {}

    std::vector<Watch> ReadWatches() override {
        std::lock_guard lock(m_t.mutex);
        std::vector<Watch> all;
        for (const auto& [id, watch] : m_t.watches) {
            all.push_back(watch);
        }
        return all;
    }
    std::optional<Watch> ReadWatch(std::int64_t id) override {
        std::lock_guard lock(m_t.mutex);
        auto found = m_t.watches.find(id);
        return found == m_t.watches.end() ? std::nullopt : std::optional<Watch>(found->second);
    }
    bool Claim(std::int64_t id, const std::string& holder, DateTime now, DateTime until) override {
        std::lock_guard lock(m_t.mutex);
        auto found = m_t.leases.find(id);
        if (!LeaseFree(found == m_t.leases.end() ? std::nullopt : std::optional(found->second),
                       holder, now)) {
            return false;
        }
        m_t.leases[id] = Lease{holder, until};
        return true;
    }
    bool Renew(std::int64_t id, const std::string& holder, DateTime until) override {
        std::lock_guard lock(m_t.mutex);
        auto found = m_t.leases.find(id);
        if (found == m_t.leases.end() || found->second.holder != holder) {
            return false;
        }
        found->second.expires = until;
        ++m_t.renewals;
        return true;
    }
    void Release(std::int64_t id, const std::string& holder) override {
        std::lock_guard lock(m_t.mutex);
        auto found = m_t.leases.find(id);
        if (found != m_t.leases.end() && found->second.holder == holder) {
            m_t.leases.erase(found);
        }
    }
    void RecordRun(const Watch& watch) override {
        std::lock_guard lock(m_t.mutex);
        m_t.watches[watch.id] = watch;
    }
    std::int64_t AppendAlert(const StoredAlert& alert) override {
        std::lock_guard lock(m_t.mutex);
        m_t.alerts.push_back(alert);
        m_t.alerts.back().id = static_cast<std::int64_t>(m_t.alerts.size());
        return m_t.alerts.back().id;
    }
    void SetDelivery(std::int64_t id, const std::string& sentTo, const std::string& failure,
                     bool pending) override {
        std::lock_guard lock(m_t.mutex);
        StoredAlert& alert = m_t.alerts.at(static_cast<std::size_t>(id - 1));
        alert.sentTo = sentTo;
        alert.failure = failure;
        alert.pending = pending;
    }
    std::vector<StoredAlert> PendingAlerts() override {
        std::lock_guard lock(m_t.mutex);
        std::vector<StoredAlert> pending;
        for (const StoredAlert& alert : m_t.alerts) {
            if (alert.pending) {
                pending.push_back(alert);
            }
        }
        return pending;
    }
    std::vector<ChannelConfig> Channels() override {
        std::lock_guard lock(m_t.mutex);
        return m_t.channels;
    }
    std::optional<WatchedComparison> Compare(const std::string&, const std::string& newSid,
                                             bool) override {
        std::lock_guard lock(m_t.mutex);
        auto found = m_t.comparisons.find(newSid);
        return found == m_t.comparisons.end() ? std::nullopt : std::optional(found->second);
    }

private:
    MemoryTables& m_t;
};

class QuietObserver : public RunnerObserver {
public:
    void Line(const std::string& line) override {
        std::lock_guard lock(mutex);
        lines.push_back(line);
    }
    void WatchEnded(const WatchRunReport& report) override {
        std::lock_guard lock(mutex);
        reports.push_back(report);
    }
    std::mutex mutex;
    std::vector<std::string> lines;
    std::vector<WatchRunReport> reports;
};

// A channel that keeps what it was given, or refuses a number of times first.
struct ChannelLog {
    std::mutex mutex;
    std::map<std::int64_t, int> refusalsLeft;
    std::map<std::int64_t, std::vector<Notification>> received;
    std::map<std::int64_t, int> attempts;
};

class LoggingChannel : public NotifyChannel {
public:
    LoggingChannel(ChannelLog& log, std::int64_t id) : m_log(log), m_id(id) {}
    void Send(const Notification& notice) override {
        std::lock_guard lock(m_log.mutex);
        ++m_log.attempts[m_id];
        if (m_log.refusalsLeft[m_id] > 0) {
            --m_log.refusalsLeft[m_id];
            throw NotifyError("HTTP 503");
        }
        m_log.received[m_id].push_back(notice);
    }

private:
    ChannelLog& m_log;
    std::int64_t m_id;
};

const DateTime kNow = DateTime::FromText("2026-03-02 09:00:00.000");

class WatchRunnerTest : public ::testing::Test {
protected:
    Watch& AddWatch(std::int64_t id, const char* nick) {
        Watch watch;
        watch.id = id;
        watch.nick = nick;
        watch.created = DateTime(kNow.Days() - 1);
        return tables.watches[id] = watch;
    }
    void AddChannel(std::int64_t id) {
        ChannelConfig channel;
        channel.id = id;
        channel.address = "http://127.0.0.1:9/hook" + std::to_string(id);
        tables.channels.push_back(channel);
    }

    // Every run completes under a key of its own, unless the nick says otherwise.
    WatchedRun Analyse(const Watch& watch, std::stop_token stop) {
        {
            std::lock_guard lock(analysedMutex);
            ++analysed[watch.nick];
        }
        if (analysisPause.count() > 0) {
            std::this_thread::sleep_for(analysisPause);
        }
        WatchedRun run;
        run.sid = watch.nick + "-" + std::to_string(++runCounter);
        run.outcome = watch.nick == "blocked" ? RunOutcome::Blocked
                      : stop.stop_requested() ? RunOutcome::Stopped
                                              : RunOutcome::Complete;
        run.started = run.finished = clock.Now();
        return run;
    }

    WatchRunner MakeRunner(RunnerSettings settings = {}) {
        return WatchRunner(
            settings, [this] { return std::make_unique<MemoryWatchStore>(tables); },
            [this](const Watch& w, std::stop_token stop, const RunLogSink&) {
                return Analyse(w, stop);
            },
            clock, observer, [this](std::chrono::milliseconds d) { pauses.push_back(d); },
            [this](const ChannelConfig& c) {
                return std::make_unique<LoggingChannel>(channelLog, c.id);
            });
    }

    MemoryTables tables;
    FixedClock clock{kNow};
    QuietObserver observer;
    ChannelLog channelLog;
    std::vector<std::chrono::milliseconds> pauses;
    std::mutex analysedMutex;
    std::map<std::string, int> analysed;
    std::atomic<int> runCounter{0};
    std::chrono::milliseconds analysisPause{0};
};

TEST_F(WatchRunnerTest, RunnersStartedTogetherAnalyseEachDueWatchOnce) {
    for (std::int64_t id = 1; id <= 8; ++id) {
        AddWatch(id, ("shop" + std::to_string(id)).c_str());
    }
    // One already ran an hour ago: not due.
    tables.watches[8].lastStarted = DateTime(kNow.Days() - 1.0 / 24);
    analysisPause = std::chrono::milliseconds(20);
    RunnerSettings two;
    two.parallel = 2;
    WatchRunner first = MakeRunner(two);
    WatchRunner second = MakeRunner(two);
    RunnerReport a;
    RunnerReport b;
    {
        std::jthread one([&] { a = first.RunDue({}); });
        std::jthread other([&] { b = second.RunDue({}); });
    }
    EXPECT_EQ(analysed.size(), 7u);
    for (const auto& [nick, count] : analysed) {
        EXPECT_EQ(count, 1) << nick;
    }
    EXPECT_EQ(a.ran + b.ran, 7);
    EXPECT_TRUE(tables.leases.empty()) << "every lease released";
    for (std::int64_t id = 1; id <= 7; ++id) {
        EXPECT_EQ(tables.watches[id].lastStarted, kNow);
        EXPECT_FALSE(tables.watches[id].baselineSid.empty());
    }
}

TEST_F(WatchRunnerTest, AWatchHeldByADeadRunnerWaitsForItsLeaseThenRuns) {
    AddWatch(1, "shop");
    tables.leases[1] = Lease{"dead:1:1", AddDuration(kNow, std::chrono::minutes(15))};
    RunnerReport report = MakeRunner().RunDue({});
    EXPECT_EQ(report.busy, 1);
    EXPECT_EQ(report.ran, 0);
    EXPECT_TRUE(analysed.empty());

    clock.Set(AddDuration(kNow, std::chrono::minutes(15)));  // the lease ends now
    report = MakeRunner().RunDue({});
    EXPECT_EQ(report.ran, 1);
    EXPECT_EQ(analysed["shop"], 1);
    EXPECT_TRUE(tables.leases.empty());
}

TEST_F(WatchRunnerTest, TheLeaseIsRenewedWhileARunLasts) {
    AddWatch(1, "shop");
    RunnerSettings settings;
    settings.lease.renewEvery = std::chrono::milliseconds(5);
    analysisPause = std::chrono::milliseconds(200);
    MakeRunner(settings).RunDue({});
    EXPECT_GE(tables.renewals, 3);
}

TEST_F(WatchRunnerTest, ALostLeaseStopsTheRunAndRecordsNothing) {
    AddWatch(1, "shop");
    RunnerSettings settings;
    settings.lease.renewEvery = std::chrono::milliseconds(5);
    analysisPause = std::chrono::milliseconds(100);
    // Another runner takes the watch over while ours is busy (ours slept past its lease).
    std::jthread thief([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard lock(tables.mutex);
        tables.leases[1] = Lease{"other:2:2", AddDuration(kNow, std::chrono::hours(1))};
    });
    MakeRunner(settings).RunDue({});
    thief.join();
    EXPECT_FALSE(tables.watches[1].lastStarted.has_value());
    EXPECT_TRUE(tables.alerts.empty());
    ASSERT_EQ(observer.reports.size(), 1u);
    EXPECT_TRUE(observer.reports[0].leaseLost);
    EXPECT_EQ(tables.leases[1].holder, "other:2:2") << "ours does not free the other's lease";
}

TEST_F(WatchRunnerTest, AlertsAreStoredAndSentAsOneNoticeAndARefusingChannelIsTriedAgainLater) {
    Watch& watch = AddWatch(1, "shop");
    watch.baselineSid = "base";
    watch.lastStarted = DateTime(kNow.Days() - 1.01);
    AddChannel(1);
    AddChannel(2);
    channelLog.refusalsLeft[2] = 5;  // refuses this run's three tries, and two more
    WatchedItem added;
    added.itemId = "9";
    added.title = "新款";
    added.listedAfter = true;
    added.after = WatchedItem::Figures{59.0, 3};
    WatchedItem gone = added;
    gone.itemId = "8";
    gone.listedAfter = false;
    gone.listedBefore = true;
    gone.before = gone.after;
    gone.after.reset();
    tables.comparisons["shop-1"] = WatchedComparison{true, true, {added, gone}};

    RunnerReport report = MakeRunner().RunDue({});
    EXPECT_EQ(report.failedRuns, 0);
    EXPECT_EQ(report.failedDeliveries, 1);
    ASSERT_EQ(tables.alerts.size(), 2u);
    EXPECT_EQ(tables.alerts[0].alert.kind, AlertKind::New);
    EXPECT_EQ(tables.alerts[0].olderSid, "base");
    EXPECT_EQ(tables.alerts[0].newerSid, "shop-1");
    ASSERT_EQ(channelLog.received[1].size(), 1u) << "one notice for the run, not one per alert";
    EXPECT_EQ(channelLog.received[1][0].lines.size(), 2u);
    EXPECT_EQ(channelLog.attempts[2], 3);
    for (const StoredAlert& alert : tables.alerts) {
        EXPECT_EQ(alert.sentTo, "webhook#1");
        EXPECT_TRUE(alert.pending);
        EXPECT_NE(alert.failure.find("webhook#2: HTTP 503"), std::string::npos) << alert.failure;
    }
    EXPECT_EQ(tables.watches[1].baselineSid, "shop-1");

    // The next runner, with nothing due, tries the refusing channel again, and only it.
    report = MakeRunner().RunDue({});
    EXPECT_EQ(report.ran, 0);
    EXPECT_EQ(channelLog.received[1].size(), 1u);
    ASSERT_EQ(channelLog.received[2].size(), 1u);
    EXPECT_EQ(channelLog.received[2][0].lines, channelLog.received[1][0].lines);
    for (const StoredAlert& alert : tables.alerts) {
        EXPECT_EQ(alert.sentTo, "webhook#1, webhook#2");
        EXPECT_FALSE(alert.pending);
        EXPECT_TRUE(alert.failure.empty());
    }
    MakeRunner().RunDue({});
    EXPECT_EQ(channelLog.received[2].size(), 1u) << "sent once";
}

TEST_F(WatchRunnerTest, ANoticeThatCannotBeSentForADayIsGivenUpAndMarked) {
    AddChannel(1);
    channelLog.refusalsLeft[1] = 1000;
    StoredAlert old;
    old.time = DateTime(kNow.Days() - 1.5);
    old.watchId = 1;
    old.nick = "shop";
    old.newerSid = "x";
    old.alert = WatchFailedAlert("被拦截 (blocked)");
    old.pending = true;
    old.failure = "webhook#1: HTTP 503";
    tables.alerts.push_back(old);
    tables.alerts.back().id = 1;
    MakeRunner().RunDue({});
    EXPECT_EQ(channelLog.attempts[1], 0);
    EXPECT_FALSE(tables.alerts[0].pending);
    EXPECT_EQ(tables.alerts[0].failure, "webhook#1: HTTP 503 (已放弃重发)");
}

TEST_F(WatchRunnerTest, AFailedRunIsSentOnceAStoppedOneNotAtAll) {
    Watch& blocked = AddWatch(1, "blocked");
    blocked.baselineSid = "base";
    AddChannel(1);
    RunnerReport report = MakeRunner().RunDue({});
    EXPECT_EQ(report.failedRuns, 1);
    ASSERT_EQ(channelLog.received[1].size(), 1u);
    EXPECT_EQ(channelLog.received[1][0].title, "监控 blocked: 监控失败");
    EXPECT_EQ(tables.watches[1].failures, 1);
    EXPECT_EQ(tables.watches[1].baselineSid, "base");

    // Due again after its back-off; still failing: stored, not sent again.
    clock.Set(AddDuration(kNow, std::chrono::minutes(11)));
    report = MakeRunner().RunDue({});
    EXPECT_EQ(report.ran, 1);
    EXPECT_EQ(tables.alerts.size(), 2u);
    EXPECT_EQ(channelLog.received[1].size(), 1u);

    // A run the runner is told to stop is a failed run, kept but not sent.
    AddWatch(2, "shop");
    tables.watches[2].baselineSid = "base";
    std::stop_source stop;
    analysisPause = std::chrono::milliseconds(100);
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    });
    report = MakeRunner().RunWatch(2, stop.get_token());
    EXPECT_EQ(tables.watches[2].lastOutcome, "stopped");
    EXPECT_EQ(tables.alerts.back().alert.text, "监控失败: 已停止 (stopped)");
    EXPECT_EQ(channelLog.received[1].size(), 1u);
}

}  // namespace
}  // namespace tarnwick
