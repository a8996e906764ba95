#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Database.h"
#include "store/Rows.h"

namespace tarnwick {

// The rows of the five tables as the readers, the views and the exports use them. Every row
// is stored by itself and committed at once, so rows written before a failure stay.
class Store {
public:
    explicit Store(Database db);

    Database& Connection() { return m_db; }

    void AppendShop(const ShopRow& row);
    void AppendItem(const ItemRow& row);
    void AppendBuyer(const BuyerRow& row);
    void AppendRate(const RateRow& row);

    // Newest first.
    std::vector<ShopRow> ReadShops();
    // All items of a run, or only those whose lastSell is at or after the bound.
    std::vector<ItemRow> ReadItems(std::string_view sid, std::optional<DateTime> lastSellFrom = {});
    // Newest first; only those at or after the bound when one is given.
    std::vector<BuyerRow> ReadBuyers(std::string_view sid, std::string_view itemid,
                                     std::optional<DateTime> buytimeFrom = {});
    std::vector<RateRow> ReadRates(std::string_view sid, std::string_view itemid,
                                   std::optional<DateTime> rateDateFrom = {});

    // Removes a run's rows from ShopList, BuyerList, RateList and ItemList, in that order;
    // Items is left alone. A failing statement stops the sequence.
    void DeleteShop(std::string_view sid);
    // Fails when the Items table is missing; returns nothing.
    void CheckItemsTable();

    // Run health lives in a table that older files do not have. Without it nothing is written
    // or read and nothing fails: the program never creates tables.
    bool HasRunHealthTable();
    void AppendRunHealth(const RunHealthRow& row);  // quietly nothing without the table
    std::vector<RunHealthRow> ReadRunHealth();      // every run's; empty without the table
    std::optional<RunHealthRow> ReadRunHealth(std::string_view sid);

private:
    Database m_db;
};

}  // namespace tarnwick
