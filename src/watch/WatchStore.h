#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "notify/NotifyChannel.h"
#include "watch/AlertRules.h"
#include "watch/Watch.h"
#include "watch/WatchedComparison.h"

namespace tarnwick {

// An alert as it is kept: which watched run raised it against which, and where it went.
struct StoredAlert {
    std::int64_t id = 0;
    DateTime time;
    std::int64_t watchId = 0;
    std::string nick;
    std::string olderSid;  // the baseline it was compared with; empty for a failed first run
    std::string newerSid;
    Alert alert;
    std::string sentTo;    // the channels that took it: "webhook#1, email#2"
    std::string failure;   // the last failure of a channel that did not
    bool pending = false;  // some channel still has to take it
    bool read = false;
};

// What the runner keeps in the store: the watches, their leases, their alerts and the
// channels, and the comparison of two stored runs. One object is one connection: each thread
// of a runner opens its own.
class WatchStore {
public:
    virtual ~WatchStore() = default;

    virtual std::vector<Watch> ReadWatches() = 0;
    virtual std::optional<Watch> ReadWatch(std::int64_t id) = 0;
    // Takes the watch for `holder` until `until` unless another holder's lease lasts past
    // `now`. One claim wins however many runners (processes, machines) try at once.
    virtual bool Claim(std::int64_t id, const std::string& holder, DateTime now,
                       DateTime until) = 0;
    // Pushes the holder's lease on; false when it is no longer the holder's.
    virtual bool Renew(std::int64_t id, const std::string& holder, DateTime until) = 0;
    virtual void Release(std::int64_t id, const std::string& holder) = 0;
    // Stores where the watch's last run left it (last run, outcome, baseline, failures).
    virtual void RecordRun(const Watch& watch) = 0;

    // Returns the stored alert's id.
    virtual std::int64_t AppendAlert(const StoredAlert& alert) = 0;
    virtual void SetDelivery(std::int64_t alertId, const std::string& sentTo,
                             const std::string& failure, bool pending) = 0;
    virtual std::vector<StoredAlert> PendingAlerts() = 0;
    virtual std::vector<ChannelConfig> Channels() = 0;

    // The two runs as the alert rules read them; nothing when either run is not stored (a
    // baseline the user deleted, a run that stopped before its shop row).
    virtual std::optional<WatchedComparison> Compare(const std::string& baselineSid,
                                                     const std::string& newSid,
                                                     bool newComplete) = 0;
};

}  // namespace tarnwick
