#include "store/SqlStore.h"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <type_traits>
#include <variant>

#include "store/StoreColumns.h"
#include "store/StoreError.h"
#include "store/WatchColumns.h"

namespace tarnwick {

namespace {

// Columns are found by name, without regard to case: a file whose columns stand in another
// order still reads right, and the server folds the schema's names to lower case. A missing
// one fails like the engine's own complaint about it, but only once there is a row to fill.
template <typename Row, std::size_t N>
std::vector<Row> ReadRows(RowCursor& cursor, const std::array<Column<Row>, N>& columns) {
    std::vector<Row> rows;
    std::array<int, N> index{};
    bool located = false;
    while (cursor.Next()) {
        if (!located) {
            for (std::size_t i = 0; i < N; ++i) {
                index[i] = cursor.ColumnIndex(columns[i].name);
                if (index[i] < 0) {
                    throw DatabaseError(std::string("no such column: ") + columns[i].name);
                }
            }
            located = true;
        }
        Row& row = rows.emplace_back();
        for (std::size_t i = 0; i < N; ++i) {
            std::visit(
                [&](auto member) {
                    using Value = std::remove_reference_t<decltype(row.*member)>;
                    if constexpr (std::is_same_v<Value, std::string>) {
                        row.*member = cursor.Text(index[i]);
                    } else if constexpr (std::is_same_v<Value, std::int32_t>) {
                        row.*member = cursor.Int(index[i]);
                    } else if constexpr (std::is_same_v<Value, double>) {
                        row.*member = cursor.Real(index[i]);
                    } else {
                        row.*member = cursor.Time(index[i]);
                    }
                },
                columns[i].member);
        }
    }
    return rows;
}

template <typename Row, std::size_t N>
std::vector<Row> Query(SqlStore& store, const char* sql, std::span<const SqlValue> params,
                       const std::array<Column<Row>, N>& columns) {
    std::vector<Row> rows;
    store.Select(sql, params, [&](RowCursor& cursor) { rows = ReadRows(cursor, columns); });
    return rows;
}

template <typename Row, std::size_t N>
std::vector<Row> Query(SqlStore& store, const char* sql, std::initializer_list<SqlValue> params,
                       const std::array<Column<Row>, N>& columns) {
    return Query(store, sql, std::span<const SqlValue>(params.begin(), params.size()), columns);
}

// A single-row write in a statement of its own, so it is stored the moment it is written and a
// failure later on loses nothing written before it.
template <typename Row, std::size_t N>
void AppendRow(SqlStore& store, const std::string& sql, const std::array<Column<Row>, N>& columns,
               const Row& row) {
    store.Execute(sql.c_str(), ValuesOf(columns, row));
}

template <typename Row, std::size_t N>
std::vector<SqlValue> ValuesOfRows(const std::array<Column<Row>, N>& columns,
                                   std::span<const Row> rows) {
    std::vector<SqlValue> values;
    values.reserve(rows.size() * N);
    for (const Row& row : rows) {
        AppendValues(values, columns, row);
    }
    return values;
}

std::int64_t Run(SqlStore& store, const char* sql, std::initializer_list<SqlValue> params) {
    return store.Execute(sql, std::span<const SqlValue>(params.begin(), params.size()));
}

}  // namespace

void SqlStore::AppendShop(const ShopRow& row) {
    static const std::string sql = InsertSql("ShopList", kShopColumns, Question);
    AppendRow(*this, sql, kShopColumns, row);
}

void SqlStore::AppendItem(const ItemRow& row) {
    static const std::string sql = InsertSql("ItemList", kItemColumns, Question);
    AppendRow(*this, sql, kItemColumns, row);
}

void SqlStore::AppendBuyer(const BuyerRow& row) {
    static const std::string sql = InsertSql("BuyerList", kBuyerColumns, Question);
    AppendRow(*this, sql, kBuyerColumns, row);
}

void SqlStore::AppendRate(const RateRow& row) {
    static const std::string sql = InsertSql("RateList", kRateColumns, Question);
    AppendRow(*this, sql, kRateColumns, row);
}

void SqlStore::AppendBuyers(std::span<const BuyerRow> rows) {
    InsertRows([](std::size_t n) { return InsertSql("BuyerList", kBuyerColumns, Question, n); },
               kBuyerColumns.size(), ValuesOfRows(kBuyerColumns, rows));
}

void SqlStore::AppendRates(std::span<const RateRow> rows) {
    InsertRows([](std::size_t n) { return InsertSql("RateList", kRateColumns, Question, n); },
               kRateColumns.size(), ValuesOfRows(kRateColumns, rows));
}

std::vector<ShopRow> SqlStore::ReadShops() {
    return Query(*this, "select * from ShopList order by AddTime desc", {}, kShopColumns);
}

std::vector<ItemRow> SqlStore::ReadItems(std::string_view sid,
                                         std::optional<DateTime> lastSellFrom) {
    if (!lastSellFrom) {
        return Query(*this, "select * from ItemList where sid=?", {sid}, kItemColumns);
    }
    return Query(*this, "select * from ItemList where sid=? and lastSell>=?", {sid, *lastSellFrom},
                 kItemColumns);
}

std::vector<BuyerRow> SqlStore::ReadBuyers(std::string_view sid, std::string_view itemid,
                                           std::optional<DateTime> buytimeFrom) {
    if (!buytimeFrom) {
        return Query(*this,
                     "select * from BuyerList where sid=? and itemid=? order by buytime desc",
                     {sid, itemid}, kBuyerColumns);
    }
    return Query(
        *this,
        "select * from BuyerList where sid=? and itemid=? and buytime>=? order by buytime desc",
        {sid, itemid, *buytimeFrom}, kBuyerColumns);
}

std::vector<RateRow> SqlStore::ReadRates(std::string_view sid, std::string_view itemid,
                                         std::optional<DateTime> rateDateFrom) {
    if (!rateDateFrom) {
        return Query(*this,
                     "select * from RateList where sid=? and itemid=? order by rateDate desc",
                     {sid, itemid}, kRateColumns);
    }
    return Query(
        *this,
        "select * from RateList where sid=? and itemid=? and rateDate>=? order by rateDate desc",
        {sid, itemid, *rateDateFrom}, kRateColumns);
}

std::vector<BuyerRow> SqlStore::ReadRunBuyersAfter(std::string_view sid, DateTime after) {
    return Query(*this, "select * from BuyerList where sid=? and buytime>? order by buytime desc",
                 {sid, after}, kBuyerColumns);
}

void SqlStore::CheckItemsTable() {
    // Stepped, not only prepared: a statement prepared before the table went finds out only
    // when it runs.
    Select("select * from Items where 1=2", {}, [](RowCursor& cursor) { cursor.Next(); });
}

std::map<std::string, int> SqlStore::CountItemsPerRun() {
    std::map<std::string, int> counts;
    Select("select sid, cast(count(*) as integer) from ItemList group by sid", {},
           [&](RowCursor& cursor) {
               while (cursor.Next()) {
                   counts[cursor.Text(0)] = cursor.Int(1);
               }
           });
    return counts;
}

std::vector<const char*> SqlStore::DeleteShopStatements() {
    std::vector<const char*> deletes = {
        "delete from ShopList where SID=?",
        "delete from BuyerList where SID=?",
        "delete from RateList where SID=?",
        "delete from ItemList where SID=?",
    };
    if (HasRunHealthTable()) {
        deletes.push_back("delete from RunHealth where sid=?");
    }
    if (HasRunOutcomeTables()) {
        deletes.push_back("delete from ItemReads where sid=?");
        deletes.push_back("delete from RunOutcome where sid=?");
    }
    return deletes;
}

bool SqlStore::HasRunHealthTable() {
    return HasTable("RunHealth");
}

void SqlStore::AppendRunHealth(const RunHealthRow& row) {
    static const std::string sql = InsertSql("RunHealth", kRunHealthColumns, Question);
    AppendRow(*this, sql, kRunHealthColumns, row);
}

std::vector<RunHealthRow> SqlStore::ReadRunHealth(std::optional<std::string_view> sid) {
    if (!sid) {
        return Query(*this, "select * from RunHealth", {}, kRunHealthColumns);
    }
    return Query(*this, "select * from RunHealth where sid=?", {*sid}, kRunHealthColumns);
}

bool SqlStore::HasRunOutcomeTables() {
    return HasTable("RunOutcome") && HasTable("ItemReads");
}

void SqlStore::AppendRunOutcome(const RunOutcomeRow& row) {
    static const std::string sql = InsertSql("RunOutcome", kRunOutcomeColumns, Question);
    AppendRow(*this, sql, kRunOutcomeColumns, row);
}

bool SqlStore::UpdateRunOutcome(const RunOutcomeRow& row) {
    static const std::string sql = UpdateByFirstSql("RunOutcome", kRunOutcomeColumns, Question);
    // The key, first among the columns, goes last, where the where clause wants it.
    std::vector<SqlValue> values = ValuesOf(kRunOutcomeColumns, row, 1);
    values.emplace_back(std::string_view(row.sid));
    return Execute(sql.c_str(), values) > 0;
}

std::vector<RunOutcomeRow> SqlStore::ReadRunOutcomes(std::optional<std::string_view> sid) {
    if (!sid) {
        return Query(*this, "select * from RunOutcome", {}, kRunOutcomeColumns);
    }
    return Query(*this, "select * from RunOutcome where sid=?", {*sid}, kRunOutcomeColumns);
}

void SqlStore::AppendItemRead(const ItemReadRow& row) {
    static const std::string sql = InsertSql("ItemReads", kItemReadColumns, Question);
    AppendRow(*this, sql, kItemReadColumns, row);
}

std::vector<ItemReadRow> SqlStore::ReadItemReads(std::string_view sid) {
    return Query(*this, "select * from ItemReads where sid=? order by seq", {sid},
                 kItemReadColumns);
}

bool SqlStore::HasWatchTables() {
    return HasTable("Watches") && HasTable("WatchLeases") && HasTable("WatchAlerts") &&
           HasTable("NotifyChannels");
}

std::string SqlStore::FoundWatchTables(std::span<const char* const> names) {
    std::string found;
    for (const char* table : names) {
        if (HasTable(table)) {
            found += (found.empty() ? "" : ", ") + std::string(table);
        }
    }
    return found;
}

std::vector<WatchRow> SqlStore::ReadWatches() {
    return Query(*this, "select * from Watches order by WatchID", {}, kWatchColumns);
}

std::optional<WatchRow> SqlStore::ReadWatch(std::int32_t id) {
    std::vector<WatchRow> rows =
        Query(*this, "select * from Watches where WatchID=?", {id}, kWatchColumns);
    return rows.empty() ? std::nullopt : std::optional<WatchRow>(std::move(rows.front()));
}

std::int32_t SqlStore::AddWatch(const WatchRow& row) {
    static const std::string sql = InsertWithoutKeySql("Watches", kWatchColumns, Question);
    return InsertNumbered(sql, ValuesOf(kWatchColumns, row, 1), "WatchID");
}

void SqlStore::UpdateWatchSettings(const WatchRow& row) {
    Run(*this,
        "update Watches set Schedule=?, Threads=?, MaxRate=?, DelayMs=?, PriceChange=?, "
        "PriceDown=?, PriceUp=?, NewItems=?, RemovedItems=?, Stock=?, SalesJump=? where "
        "WatchID=?",
        {row.Schedule, row.Threads, row.MaxRate, row.DelayMs, row.PriceChange, row.PriceDown,
         row.PriceUp, row.NewItems, row.RemovedItems, row.Stock, row.SalesJump, row.WatchID});
}

void SqlStore::RecordWatchRun(const WatchRow& row) {
    Run(*this,
        "update Watches set LastStarted=?, LastFinished=?, LastOutcome=?, LastSID=?, "
        "BaselineSID=?, Failures=? where WatchID=?",
        {row.LastStarted, row.LastFinished, row.LastOutcome, row.LastSID, row.BaselineSID,
         row.Failures, row.WatchID});
}

bool SqlStore::RemoveWatch(std::int32_t id) {
    Run(*this, "delete from WatchLeases where WatchID=?", {id});
    return Run(*this, "delete from Watches where WatchID=?", {id}) > 0;
}

bool SqlStore::ClaimWatch(std::int32_t id, std::string_view holder, DateTime now, DateTime until) {
    // One statement: the file's write lock or the server's row lock lets one of two claims
    // through, and the other finds the lease taken. A lease that has not run out (and is not
    // ours) leaves the row as it is, and no row changes.
    return Run(*this,
               "insert into WatchLeases (WatchID, Holder, Expires) values (?1, ?2, ?4) "
               "on conflict (WatchID) do update set Holder=excluded.Holder, "
               "Expires=excluded.Expires "
               "where WatchLeases.Expires<=?3 or WatchLeases.Holder=excluded.Holder",
               {id, holder, now, until}) == 1;
}

bool SqlStore::RenewWatch(std::int32_t id, std::string_view holder, DateTime until) {
    return Run(*this, "update WatchLeases set Expires=? where WatchID=? and Holder=?",
               {until, id, holder}) == 1;
}

void SqlStore::ReleaseWatch(std::int32_t id, std::string_view holder) {
    Run(*this, "delete from WatchLeases where WatchID=? and Holder=?", {id, holder});
}

std::int32_t SqlStore::AppendAlert(const AlertRow& row) {
    static const std::string sql = InsertWithoutKeySql("WatchAlerts", kAlertColumns, Question);
    return InsertNumbered(sql, ValuesOf(kAlertColumns, row, 1), "AlertID");
}

std::vector<AlertRow> SqlStore::ReadAlerts(const AlertFilter& filter) {
    std::string sql = "select * from WatchAlerts where 1=1";
    sql += filter.unreadOnly ? " and IsRead=0" : "";
    sql += filter.pendingOnly ? " and Pending=1" : "";
    sql += filter.since ? " and AddTime>=?" : "";
    sql += " order by AlertID";
    std::vector<SqlValue> params;
    if (filter.since) {
        params.emplace_back(*filter.since);
    }
    return Query(*this, sql.c_str(), std::span<const SqlValue>(params), kAlertColumns);
}

int SqlStore::MarkAlertsRead(const std::vector<std::int32_t>& ids) {
    if (ids.empty()) {
        return static_cast<int>(Run(*this, "update WatchAlerts set IsRead=1 where IsRead=0", {}));
    }
    int marked = 0;
    for (std::int32_t id : ids) {
        marked += static_cast<int>(
            Run(*this, "update WatchAlerts set IsRead=1 where AlertID=? and IsRead=0", {id}));
    }
    return marked;
}

void SqlStore::SetAlertDelivery(std::int32_t id, std::string_view sentTo, std::string_view failure,
                                bool pending) {
    Run(*this, "update WatchAlerts set SentTo=?, SendFailure=?, Pending=? where AlertID=?",
        {sentTo, failure, std::int32_t{pending ? 1 : 0}, id});
}

std::vector<ChannelRow> SqlStore::ReadChannels() {
    return Query(*this, "select * from NotifyChannels order by ChannelID", {}, kChannelColumns);
}

std::int32_t SqlStore::AddChannel(const ChannelRow& row) {
    static const std::string sql = InsertWithoutKeySql("NotifyChannels", kChannelColumns, Question);
    return InsertNumbered(sql, ValuesOf(kChannelColumns, row, 1), "ChannelID");
}

bool SqlStore::RemoveChannel(std::int32_t id) {
    return Run(*this, "delete from NotifyChannels where ChannelID=?", {id}) > 0;
}

}  // namespace tarnwick
