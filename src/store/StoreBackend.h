#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "store/Rows.h"

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
};

}  // namespace tarnwick
