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
    // The file has no table of claimed keys and the program never adds one; a key is free
    // while no stored run carries it.
    bool ClaimRunKey(std::string_view sid, DateTime claimedAt) override;
    bool HasRunHealthTable() override;
    void AppendRunHealth(const RunHealthRow& row) override;
    std::vector<RunHealthRow> ReadRunHealth(std::optional<std::string_view> sid) override;

private:
    Database m_db;
};

}  // namespace tarnwick
