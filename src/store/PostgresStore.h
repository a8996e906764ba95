#pragma once

#include <functional>
#include <string>
#include <utility>

#include "store/PgConnection.h"
#include "store/StoreBackend.h"

namespace tarnwick {

// The analyses of a team on a PostgreSQL server, on one connection of one thread. The same
// rows as in the file; many programs on many machines write at once.
class PostgresStore : public StoreBackend {
public:
    explicit PostgresStore(PgConnection connection);

    // Creates the tables in the empty database at `location` from the schema built into the
    // program. Refuses, changing nothing, when any of them is there already: the program never
    // alters a schema it finds. Throws DatabaseError.
    static void CreateSchema(const std::string& location);
    // The text of that schema.
    static const char* SchemaText();

    void AppendShop(const ShopRow& row) override;
    void AppendItem(const ItemRow& row) override;
    void AppendBuyer(const BuyerRow& row) override;
    void AppendRate(const RateRow& row) override;
    void AppendBuyers(std::span<const BuyerRow> rows) override;
    void AppendRates(std::span<const RateRow> rows) override;

    std::vector<ShopRow> ReadShops() override;
    std::vector<ItemRow> ReadItems(std::string_view sid,
                                   std::optional<DateTime> lastSellFrom) override;
    std::vector<BuyerRow> ReadBuyers(std::string_view sid, std::string_view itemid,
                                     std::optional<DateTime> buytimeFrom) override;
    std::vector<RateRow> ReadRates(std::string_view sid, std::string_view itemid,
                                   std::optional<DateTime> rateDateFrom) override;

    void RideOutLostConnections(std::function<bool()> giveUp) override {
        m_connection.RideOutLostConnections(std::move(giveUp));
    }
    void DeleteShop(std::string_view sid) override;
    void CheckItemsTable() override;
    std::map<std::string, int> CountItemsPerRun() override;
    // Atomic across every program using the server: the key goes into RunKeys, whose primary
    // key lets only one of two simultaneous claims through.
    bool ClaimRunKey(std::string_view sid, DateTime claimedAt) override;
    bool HasRunHealthTable() override;
    void AppendRunHealth(const RunHealthRow& row) override;
    std::vector<RunHealthRow> ReadRunHealth(std::optional<std::string_view> sid) override;
    bool HasRunOutcomeTables() override;
    void AppendRunOutcome(const RunOutcomeRow& row) override;
    bool UpdateRunOutcome(const RunOutcomeRow& row) override;
    std::vector<RunOutcomeRow> ReadRunOutcomes(std::optional<std::string_view> sid) override;
    void AppendItemRead(const ItemReadRow& row) override;
    std::vector<ItemReadRow> ReadItemReads(std::string_view sid) override;
    std::vector<BuyerRow> ReadRunBuyersAfter(std::string_view sid, DateTime after) override;

    bool HasWatchTables() override;
    void CreateWatchTables() override;
    std::vector<WatchRow> ReadWatches() override;
    std::optional<WatchRow> ReadWatch(std::int32_t id) override;
    std::int32_t AddWatch(const WatchRow& row) override;
    void UpdateWatchSettings(const WatchRow& row) override;
    void RecordWatchRun(const WatchRow& row) override;
    bool RemoveWatch(std::int32_t id) override;
    bool ClaimWatch(std::int32_t id, std::string_view holder, DateTime now,
                    DateTime until) override;
    bool RenewWatch(std::int32_t id, std::string_view holder, DateTime until) override;
    void ReleaseWatch(std::int32_t id, std::string_view holder) override;
    std::int32_t AppendAlert(const AlertRow& row) override;
    std::vector<AlertRow> ReadAlerts(const AlertFilter& filter) override;
    int MarkAlertsRead(const std::vector<std::int32_t>& ids) override;
    void SetAlertDelivery(std::int32_t id, std::string_view sentTo, std::string_view failure,
                          bool pending) override;
    std::vector<ChannelRow> ReadChannels() override;
    std::int32_t AddChannel(const ChannelRow& row) override;
    bool RemoveChannel(std::int32_t id) override;

private:
    PgConnection m_connection;
};

}  // namespace tarnwick
