#pragma once

#include <optional>
#include <string>

#include "store/Store.h"
#include "store/WatchRows.h"
#include "watch/WatchStore.h"

namespace tarnwick {

// The runner's store over the analyses' own store (the file or the team's server), whose
// watch tables it uses; the comparison is that of the stored runs.
class StoreWatchStore : public WatchStore {
public:
    explicit StoreWatchStore(Store store);

    std::vector<Watch> ReadWatches() override;
    std::optional<Watch> ReadWatch(std::int64_t id) override;
    bool Claim(std::int64_t id, const std::string& holder, DateTime now, DateTime until) override;
    bool Renew(std::int64_t id, const std::string& holder, DateTime until) override;
    void Release(std::int64_t id, const std::string& holder) override;
    void RecordRun(const Watch& watch) override;
    std::int64_t AppendAlert(const StoredAlert& alert) override;
    void SetDelivery(std::int64_t alertId, const std::string& sentTo, const std::string& failure,
                     bool pending) override;
    std::vector<StoredAlert> PendingAlerts() override;
    std::vector<ChannelConfig> Channels() override;
    std::optional<WatchedComparison> Compare(const std::string& baselineSid,
                                             const std::string& newSid, bool newComplete) override;

    Store& GetStore() { return m_store; }

private:
    Store m_store;
};

// The rows and what the runner works with, both ways. A schedule that does not read (a row
// written by hand) is daily, the default.
Watch WatchFromRow(const WatchRow& row);
WatchRow RowFromWatch(const Watch& watch);
ChannelConfig ChannelFromRow(const ChannelRow& row);
StoredAlert AlertFromRow(const AlertRow& row);
AlertRow RowFromAlert(const StoredAlert& alert);
// The watch of that nick, compared as typed.
std::optional<WatchRow> FindWatchRow(Store& store, const std::string& nick);

}  // namespace tarnwick
