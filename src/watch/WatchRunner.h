#pragma once

#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "notify/Delivery.h"
#include "notify/Notification.h"
#include "watch/WatchAnalysis.h"
#include "watch/WatchLease.h"
#include "watch/WatchStore.h"
#include "watch/WatchedRunRules.h"

namespace tarnwick {

class Clock;

struct RunnerSettings {
    bool all = false;  // every watch, due or not
    int parallel = 1;  // watches analysed at once
    LeasePolicy lease;
    RetryPolicy retry;
    std::string holder;  // this runner's name in the leases; made up when empty
};

// What one watch's turn came to.
struct WatchRunReport {
    Watch watch;  // as the run left it
    WatchedRun run;
    std::vector<StoredAlert> alerts;
    Notification notice;                        // empty title when there was nothing to tell
    std::vector<std::string> deliveryFailures;  // one line per channel that did not take it
    bool leaseLost = false;  // another runner took the watch over; nothing was recorded
};

struct RunnerReport {
    int due = 0;
    int ran = 0;
    int busy = 0;              // held by another runner
    int failedRuns = 0;        // watched runs that did not complete
    int failedDeliveries = 0;  // channels that did not take a notice after their retries
};

// What a runner tells its owner, from its worker threads: each implementation takes care of
// its own locking.
class RunnerObserver {
public:
    virtual ~RunnerObserver() = default;
    virtual void Line(const std::string& line) = 0;
    virtual void WatchStarted(const Watch&) {}
    virtual void WatchEnded(const WatchRunReport&) {}
};

using WatchStoreOpener = std::function<std::unique_ptr<WatchStore>()>;
using ShopAnalyser =
    std::function<WatchedRun(const Watch&, std::stop_token, const RunLogSink& log)>;
using ChannelMaker = std::function<std::unique_ptr<NotifyChannel>(const ChannelConfig&)>;

// Analyses the watches that are due, each as an ordinary run, compares it with the watch's
// last complete run, stores the alerts and sends one notice per run, then returns. Each watch
// is claimed first, so that runners started together (a timer and the desktop program, two
// machines on one server) analyse it once.
class WatchRunner {
public:
    WatchRunner(RunnerSettings settings, WatchStoreOpener open, ShopAnalyser analyse,
                const Clock& clock, RunnerObserver& observer, Pause pause,
                ChannelMaker makeChannel = MakeChannel);

    // Sends what earlier runs could not, then runs every due watch (or all of them).
    RunnerReport RunDue(std::stop_token stop);
    // One watch now, due or not ("run now"); claimed as any other.
    RunnerReport RunWatch(std::int64_t id, std::stop_token stop);

    // Notices that a channel could not take are kept and tried again at later runs for this
    // long, then given up (and marked so).
    static constexpr double kResendDays = 1.0;

private:
    void RunQueue(const std::vector<std::int64_t>& ids, bool checkDue, std::stop_token stop,
                  RunnerReport& report);
    void RunClaimed(WatchStore& store, std::int64_t id, bool checkDue, std::stop_token stop,
                    RunnerReport& report);
    // Sends the notice to every channel not already in `sentTo`; returns the new sentTo and
    // the failures.
    std::pair<std::string, std::vector<std::string>> Send(
        const Notification& notice, const std::vector<ChannelConfig>& channels,
        const std::string& sentTo, std::stop_token stop);
    void ResendPending(WatchStore& store, std::stop_token stop, RunnerReport& report);

    RunnerSettings m_settings;
    WatchStoreOpener m_open;
    ShopAnalyser m_analyse;
    const Clock& m_clock;
    RunnerObserver& m_observer;
    Pause m_pause;
    ChannelMaker m_makeChannel;
};

// "webhook#3": how a channel is named in an alert's sentTo.
std::string ChannelTag(const ChannelConfig& channel);

}  // namespace tarnwick
