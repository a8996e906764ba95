#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/RowCursor.h"
#include "store/StoreBackend.h"

namespace tarnwick {

// Every table's reads and writes, written once in the SQL both engines speak. An engine adds
// how a statement runs and how its rows come back, and keeps what it does its own way: a
// page's rows, a run's removal, a new key, a new table. In the statements a parameter is "?",
// or "?N" for the N-th where one is used twice.
class SqlStore : public StoreBackend {
public:
    // Runs a query and hands its rows to `read`, which must not keep the cursor.
    virtual void Select(const char* sql, std::span<const SqlValue> params,
                        const std::function<void(RowCursor&)>& read) = 0;
    // Runs a statement that writes; returns the number of rows it changed.
    virtual std::int64_t Execute(const char* sql, std::span<const SqlValue> params) = 0;
    // True when the table is there, its name compared without case.
    virtual bool HasTable(std::string_view name) = 0;

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
    std::vector<BuyerRow> ReadRunBuyersAfter(std::string_view sid, DateTime after) override;

    void CheckItemsTable() override;
    std::map<std::string, int> CountItemsPerRun() override;

    bool HasRunHealthTable() override;
    void AppendRunHealth(const RunHealthRow& row) override;
    std::vector<RunHealthRow> ReadRunHealth(std::optional<std::string_view> sid) override;
    bool HasRunOutcomeTables() override;
    void AppendRunOutcome(const RunOutcomeRow& row) override;
    bool UpdateRunOutcome(const RunOutcomeRow& row) override;
    std::vector<RunOutcomeRow> ReadRunOutcomes(std::optional<std::string_view> sid) override;
    void AppendItemRead(const ItemReadRow& row) override;
    std::vector<ItemReadRow> ReadItemReads(std::string_view sid) override;

    bool HasWatchTables() override;
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

protected:
    // A page's rows in one transaction, all of them stored or none: `values` holds `width`
    // values a row, row after row, and `sql(n)` is the insert of n rows. The engine chooses how
    // many rows go in one statement.
    virtual void InsertRows(const std::function<std::string(std::size_t rows)>& sql,
                            std::size_t width, std::span<const SqlValue> values) = 0;
    // Inserts a row whose key column `key` the engine numbers, and returns that number.
    virtual std::int32_t InsertNumbered(const std::string& sql, std::span<const SqlValue> params,
                                        const char* key) = 0;
    // The statements that remove a run from every table it has rows in, each taking the run's
    // key as its one parameter; the engine runs them in one transaction.
    std::vector<const char*> DeleteShopStatements();
    // The watch tables of the four that are there, by the names given, for the refusal to
    // create them.
    std::string FoundWatchTables(std::span<const char* const> names);
};

}  // namespace tarnwick
