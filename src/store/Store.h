#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/Database.h"
#include "store/Rows.h"
#include "store/StoreBackend.h"
#include "store/StoreSource.h"
#include "store/WatchRows.h"

namespace tarnwick {

// The rows of the five tables as the readers, the views and the exports use them, whichever
// database holds them: the SQLite file or a PostgreSQL server a team shares. Every write is
// committed at once, so rows written before a failure stay: a row by itself, or a page's rows
// together, all of them or none. One Store is one connection, for one thread at a time; a
// run's workers take theirs from a StorePool.
class Store {
public:
    // The file store on an opened file.
    explicit Store(Database db);
    explicit Store(std::unique_ptr<StoreBackend> backend);
    // The shared server store or the database file, as the source says. Throws DatabaseError.
    static Store Open(const StoreSource& source);

    Store(Store&& other) noexcept;
    Store& operator=(Store&& other) noexcept;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    ~Store();

    // The file's connection, for maintenance and tests; a DatabaseError for a server store.
    Database& Connection();

    void AppendShop(const ShopRow& row) { m_backend->AppendShop(row); }
    void AppendItem(const ItemRow& row) { m_backend->AppendItem(row); }
    void AppendBuyer(const BuyerRow& row) { m_backend->AppendBuyer(row); }
    void AppendRate(const RateRow& row) { m_backend->AppendRate(row); }
    // One page's rows in one transaction: every row is stored or none is. The rows are values
    // sent whole, so a batch that failed may be sent again, on another connection too.
    void AppendBuyers(std::span<const BuyerRow> rows) { m_backend->AppendBuyers(rows); }
    void AppendRates(std::span<const RateRow> rows) { m_backend->AppendRates(rows); }

    // Newest first.
    std::vector<ShopRow> ReadShops() { return m_backend->ReadShops(); }
    // All items of a run, or only those whose lastSell is at or after the bound.
    std::vector<ItemRow> ReadItems(std::string_view sid, std::optional<DateTime> lastSellFrom = {});
    // Newest first; only those at or after the bound when one is given.
    std::vector<BuyerRow> ReadBuyers(std::string_view sid, std::string_view itemid,
                                     std::optional<DateTime> buytimeFrom = {});
    std::vector<RateRow> ReadRates(std::string_view sid, std::string_view itemid,
                                   std::optional<DateTime> rateDateFrom = {});

    // Removes a run's rows from ShopList, BuyerList, RateList and ItemList, in that order;
    // Items is left alone. A failing statement stops the sequence.
    void DeleteShop(std::string_view sid) { m_backend->DeleteShop(sid); }
    // Fails when the Items table is missing; returns nothing.
    void CheckItemsTable() { m_backend->CheckItemsTable(); }
    // The number of stored items of every run that has any, by run key.
    std::map<std::string, int> CountItemsPerRun() { return m_backend->CountItemsPerRun(); }
    // A server store tries a lost connection again once at once. From this call on it goes on
    // trying, with growing pauses, for up to 30 s (TARNWICK_RECONNECT_SECONDS) before a
    // statement fails, so that a run's rows outlast a server's restart; true from `giveUp` (a
    // run that is ending, say) ends the pauses at once. For workers, not for a thread a user
    // waits on.
    void RideOutLostConnections(std::function<bool()> giveUp) {
        m_backend->RideOutLostConnections(std::move(giveUp));
    }
    // Throws DatabaseError unless a row could be written now; writes nothing.
    void CheckWritable() { m_backend->CheckWritable(); }
    // Takes a new run's key. False when another run (of this or another program, on this or
    // another machine) already holds it.
    bool ClaimRunKey(std::string_view sid, DateTime claimedAt) {
        return m_backend->ClaimRunKey(sid, claimedAt);
    }

    // Run health lives in a table that older files do not have. Without it nothing is written
    // or read and nothing fails: the program never creates tables.
    bool HasRunHealthTable();
    void AppendRunHealth(const RunHealthRow& row);  // quietly nothing without the table
    std::vector<RunHealthRow> ReadRunHealth();      // every run's; empty without the table
    std::optional<RunHealthRow> ReadRunHealth(std::string_view sid);

    // The watch tables, which older stores lack (HasWatchTables); see StoreBackend.
    bool HasWatchTables() { return m_backend->HasWatchTables(); }
    void CreateWatchTables() { m_backend->CreateWatchTables(); }
    std::vector<WatchRow> ReadWatches() { return m_backend->ReadWatches(); }
    std::optional<WatchRow> ReadWatch(std::int32_t id) { return m_backend->ReadWatch(id); }
    std::int32_t AddWatch(const WatchRow& row) { return m_backend->AddWatch(row); }
    void UpdateWatchSettings(const WatchRow& row) { m_backend->UpdateWatchSettings(row); }
    void RecordWatchRun(const WatchRow& row) { m_backend->RecordWatchRun(row); }
    bool RemoveWatch(std::int32_t id) { return m_backend->RemoveWatch(id); }
    bool ClaimWatch(std::int32_t id, std::string_view holder, DateTime now, DateTime until) {
        return m_backend->ClaimWatch(id, holder, now, until);
    }
    bool RenewWatch(std::int32_t id, std::string_view holder, DateTime until) {
        return m_backend->RenewWatch(id, holder, until);
    }
    void ReleaseWatch(std::int32_t id, std::string_view holder) {
        m_backend->ReleaseWatch(id, holder);
    }
    std::int32_t AppendAlert(const AlertRow& row) { return m_backend->AppendAlert(row); }
    std::vector<AlertRow> ReadAlerts(const AlertFilter& filter) {
        return m_backend->ReadAlerts(filter);
    }
    int MarkAlertsRead(const std::vector<std::int32_t>& ids) {
        return m_backend->MarkAlertsRead(ids);
    }
    void SetAlertDelivery(std::int32_t id, std::string_view sentTo, std::string_view failure,
                          bool pending) {
        m_backend->SetAlertDelivery(id, sentTo, failure, pending);
    }
    std::vector<ChannelRow> ReadChannels() { return m_backend->ReadChannels(); }
    std::int32_t AddChannel(const ChannelRow& row) { return m_backend->AddChannel(row); }
    bool RemoveChannel(std::int32_t id) { return m_backend->RemoveChannel(id); }

    // What each run read of the shop, in tables that older stores lack. Without them nothing
    // is written or read and nothing fails, as with RunHealth.
    bool HasRunOutcomeTables() { return m_backend->HasRunOutcomeTables(); }
    // The run's row when it begins; quietly nothing without the tables.
    void BeginRunOutcome(const RunOutcomeRow& row);
    // The run's row when it ends, replacing the one it began with (or added when that is
    // missing); quietly nothing without the tables.
    void EndRunOutcome(const RunOutcomeRow& row);
    std::vector<RunOutcomeRow> ReadRunOutcomes();  // every run's; empty without the tables
    std::optional<RunOutcomeRow> ReadRunOutcome(std::string_view sid);
    void AppendItemRead(const ItemReadRow& row);  // quietly nothing without the tables
    std::vector<ItemReadRow> ReadItemReads(std::string_view sid);  // in queue order
    // Every deal record of the run bought after `after`, newest first.
    std::vector<BuyerRow> ReadRunBuyersAfter(std::string_view sid, DateTime after) {
        return m_backend->ReadRunBuyersAfter(sid, after);
    }

private:
    // Whether the run-outcome tables are there, asked once per Store: a run asks for every
    // item it reads.
    bool OutcomeTables();

    std::unique_ptr<StoreBackend> m_backend;
    std::optional<bool> m_outcomeTables;
};

}  // namespace tarnwick
