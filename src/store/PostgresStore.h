#pragma once

#include <string>

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

    void DeleteShop(std::string_view sid) override;
    void CheckItemsTable() override;
    std::map<std::string, int> CountItemsPerRun() override;
    // Atomic across every program using the server: the key goes into RunKeys, whose primary
    // key lets only one of two simultaneous claims through.
    bool ClaimRunKey(std::string_view sid, DateTime claimedAt) override;
    bool HasRunHealthTable() override;
    void AppendRunHealth(const RunHealthRow& row) override;
    std::vector<RunHealthRow> ReadRunHealth(std::optional<std::string_view> sid) override;

private:
    PgConnection m_connection;
};

}  // namespace tarnwick
