#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "store/Rows.h"
#include "store/WatchRows.h"

namespace tarnwick {

// What a database engine must do to hold the analyses. Store puts one of these behind the
// names every caller uses, so nothing above the store knows which engine it talks to. Every
// failure is a DatabaseError.
class StoreBackend {
public:
    virtual ~StoreBackend() = default;

    virtual void AppendShop(const ShopRow& row) = 0;
    virtual void AppendItem(const ItemRow& row) = 0;
    virtual void AppendBuyer(const BuyerRow& row) = 0;
    virtual void AppendRate(const RateRow& row) = 0;
    // The rows of one page in one transaction: all of them are stored, or none. Being values
    // sent whole, a batch that failed may be sent again, on a new connection too.
    virtual void AppendBuyers(std::span<const BuyerRow> rows) = 0;
    virtual void AppendRates(std::span<const RateRow> rows) = 0;

    virtual std::vector<ShopRow> ReadShops() = 0;
    virtual std::vector<ItemRow> ReadItems(std::string_view sid,
                                           std::optional<DateTime> lastSellFrom) = 0;
    virtual std::vector<BuyerRow> ReadBuyers(std::string_view sid, std::string_view itemid,
                                             std::optional<DateTime> buytimeFrom) = 0;
    virtual std::vector<RateRow> ReadRates(std::string_view sid, std::string_view itemid,
                                           std::optional<DateTime> rateDateFrom) = 0;

    virtual void DeleteShop(std::string_view sid) = 0;
    virtual void CheckItemsTable() = 0;
    virtual std::map<std::string, int> CountItemsPerRun() = 0;
    // A server connection lost from now on is tried again for a while (see Store); the file has
    // no connection to lose.
    virtual void RideOutLostConnections(std::function<bool()> /*giveUp*/) {}
    // Fails unless a row could be written now, writing none. An engine that cannot tell
    // beforehand finds out at the first row instead.
    virtual void CheckWritable() {}

    // Takes the run key for a new run unless some run already holds it. False when taken.
    virtual bool ClaimRunKey(std::string_view sid, DateTime claimedAt) = 0;

    // Run health, in a table that stores made before it lack; the program never creates it.
    // The others are called only when this says the table is there.
    virtual bool HasRunHealthTable() = 0;
    virtual void AppendRunHealth(const RunHealthRow& row) = 0;
    // One run's (when `sid` is given) or every run's.
    virtual std::vector<RunHealthRow> ReadRunHealth(std::optional<std::string_view> sid) = 0;

    // The watch tables (Watches, WatchLeases, WatchAlerts, NotifyChannels), which stores made
    // before them lack. The others are called only when this says they are all there.
    virtual bool HasWatchTables() = 0;
    // Adds them to a store that has none of them; refuses, changing nothing, otherwise.
    virtual void CreateWatchTables() = 0;
    virtual std::vector<WatchRow> ReadWatches() = 0;
    virtual std::optional<WatchRow> ReadWatch(std::int32_t id) = 0;
    // Returns the new watch's number. A nick watched already fails.
    virtual std::int32_t AddWatch(const WatchRow& row) = 0;
    // The schedule, the runs' settings and the rules; not what the runs left.
    virtual void UpdateWatchSettings(const WatchRow& row) = 0;
    // What the last run left: its times, outcome and key, the baseline, the failures.
    virtual void RecordWatchRun(const WatchRow& row) = 0;
    virtual bool RemoveWatch(std::int32_t id) = 0;  // its lease too; its alerts stay
    // One statement each, so that of two runners only one can take a watch.
    virtual bool ClaimWatch(std::int32_t id, std::string_view holder, DateTime now,
                            DateTime until) = 0;
    virtual bool RenewWatch(std::int32_t id, std::string_view holder, DateTime until) = 0;
    virtual void ReleaseWatch(std::int32_t id, std::string_view holder) = 0;
    virtual std::int32_t AppendAlert(const AlertRow& row) = 0;  // returns its number
    virtual std::vector<AlertRow> ReadAlerts(const AlertFilter& filter) = 0;
    // The alerts given, or every unread one when none is; returns how many it marked.
    virtual int MarkAlertsRead(const std::vector<std::int32_t>& ids) = 0;
    virtual void SetAlertDelivery(std::int32_t id, std::string_view sentTo,
                                  std::string_view failure, bool pending) = 0;
    virtual std::vector<ChannelRow> ReadChannels() = 0;
    virtual std::int32_t AddChannel(const ChannelRow& row) = 0;
    virtual bool RemoveChannel(std::int32_t id) = 0;

    // What each run read of the shop: RunOutcome and ItemReads, which stores made before them
    // lack; the program never creates them. The others are called only when this says both
    // tables are there.
    virtual bool HasRunOutcomeTables() = 0;
    virtual void AppendRunOutcome(const RunOutcomeRow& row) = 0;
    // Replaces the run's row (by sid); false when there was none.
    virtual bool UpdateRunOutcome(const RunOutcomeRow& row) = 0;
    virtual std::vector<RunOutcomeRow> ReadRunOutcomes(std::optional<std::string_view> sid) = 0;
    virtual void AppendItemRead(const ItemReadRow& row) = 0;
    virtual std::vector<ItemReadRow> ReadItemReads(std::string_view sid) = 0;

    // Every deal record of a run bought after `after` (not at it), for all its items at once.
    virtual std::vector<BuyerRow> ReadRunBuyersAfter(std::string_view sid, DateTime after) = 0;
};

}  // namespace tarnwick
