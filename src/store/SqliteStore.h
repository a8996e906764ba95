#pragma once

#include "store/Database.h"
#include "store/StoreBackend.h"

namespace tarnwick {

// The analyses in the database file, on one connection to it.
class SqliteStore : public StoreBackend {
public:
    explicit SqliteStore(Database db);

    Database& Connection() { return m_db; }

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

    void DeleteShop(std::string_view sid) override;
    void CheckItemsTable() override;
    std::map<std::string, int> CountItemsPerRun() override;
    void CheckWritable() override;
    // Atomic across every program using the file: the key goes into RunKeys, whose primary
    // key lets only one of two simultaneous claims through. A file made before RunKeys has no
    // such table and the program never adds one; there a key is free while no stored run
    // carries it.
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
    bool HasTable(const char* name);

    Database m_db;
};

}  // namespace tarnwick
