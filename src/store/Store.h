#pragma once

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/Database.h"
#include "store/Rows.h"
#include "store/StoreBackend.h"

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
    // A "postgresql://" (or "postgres://") address opens the shared server store, anything
    // else is the path of a database file. Throws DatabaseError.
    static Store Open(const std::string& location);

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

private:
    std::unique_ptr<StoreBackend> m_backend;
};

// True for the address of a PostgreSQL server rather than a file path.
bool IsServerLocation(std::string_view location);
// The location as the user may be shown it: a password in a server address is hidden.
std::string ShownLocation(const std::string& location);

}  // namespace tarnwick
