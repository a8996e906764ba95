#include "store/PostgresStore.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "store/Database.h"
#include "store/StoreColumns.h"
#include "store/WatchColumns.h"

namespace tarnwick {

namespace {

#include "store/PostgresSchema.inc"
#include "store/WatchSchema.inc"

template <typename Row, std::size_t N>
std::vector<std::string> ParamsWithoutKey(const std::array<Column<Row>, N>& columns,
                                          const Row& row) {
    std::vector<std::string> params;
    params.reserve(N - 1);
    for (std::size_t i = 1; i < N; ++i) {
        std::visit([&](auto member) { params.push_back(PgConnection::Param(row.*member)); },
                   columns[i].member);
    }
    return params;
}

constexpr const char* kWatchTables[] = {"watches", "watchleases", "watchalerts", "notifychannels"};

std::string Param(std::int32_t value) {
    return PgConnection::Param(value);
}

std::string Dollar(int n) {
    return "$" + std::to_string(n);
}

template <typename Row, std::size_t N>
std::vector<std::string> ParamsOf(const std::array<Column<Row>, N>& columns, const Row& row) {
    std::vector<std::string> params;
    params.reserve(N);
    for (const Column<Row>& column : columns) {
        std::visit([&](auto member) { params.push_back(PgConnection::Param(row.*member)); },
                   column.member);
    }
    return params;
}

// A page's rows as one insert of many rows: one statement is one transaction on the server, and
// one round trip instead of one a row. A page longer than one statement should carry goes in
// several, inside one transaction.
template <typename Row, std::size_t N>
void AppendRows(PgConnection& connection, const char* table,
                const std::array<Column<Row>, N>& columns, std::span<const Row> rows) {
    constexpr std::size_t kRowsPerStatement = 50;
    const auto insert = [&](std::span<const Row> part) {
        std::vector<std::string> params;
        params.reserve(part.size() * N);
        for (const Row& row : part) {
            std::vector<std::string> values = ParamsOf(columns, row);
            params.insert(params.end(), std::make_move_iterator(values.begin()),
                          std::make_move_iterator(values.end()));
        }
        connection.Run(InsertSql(table, columns, Dollar, part.size()), params);
    };
    if (rows.empty()) {
        return;
    }
    if (rows.size() <= kRowsPerStatement) {
        insert(rows);
        return;
    }
    connection.Transaction([&] {
        for (std::size_t at = 0; at < rows.size(); at += kRowsPerStatement) {
            insert(rows.subspan(at, std::min(kRowsPerStatement, rows.size() - at)));
        }
    });
}

// Columns are found by name without regard to case, as in the file: the server folds the
// names of the schema to lower case.
template <typename Row, std::size_t N>
std::vector<Row> ReadRows(const PgResult& result, const std::array<Column<Row>, N>& columns) {
    std::vector<Row> rows;
    const int count = result.Rows();
    if (count == 0) {
        return rows;
    }
    std::array<int, N> index{};
    for (std::size_t i = 0; i < N; ++i) {
        index[i] = result.ColumnIndex(columns[i].name);
        if (index[i] < 0) {
            throw DatabaseError(std::string("no such column: ") + columns[i].name);
        }
    }
    rows.reserve(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
        Row& row = rows.emplace_back();
        for (std::size_t i = 0; i < N; ++i) {
            std::visit(
                [&](auto member) {
                    using Value = std::remove_reference_t<decltype(row.*member)>;
                    if constexpr (std::is_same_v<Value, std::string>) {
                        row.*member = result.Text(r, index[i]);
                    } else if constexpr (std::is_same_v<Value, std::int32_t>) {
                        row.*member = result.Int(r, index[i]);
                    } else if constexpr (std::is_same_v<Value, double>) {
                        row.*member = result.Real(r, index[i]);
                    } else {
                        row.*member = result.Time(r, index[i]);
                    }
                },
                columns[i].member);
        }
    }
    return rows;
}

}  // namespace

PostgresStore::PostgresStore(PgConnection connection) : m_connection(std::move(connection)) {
}

const char* PostgresStore::SchemaText() {
    return kPostgresSchema;
}

void PostgresStore::CreateSchema(const std::string& location) {
    PgConnection connection = PgConnection::Open(location);
    static const char* const kTables[] = {"shoplist",      "itemlist", "buyerlist",   "ratelist",
                                          "items",         "runkeys",  "runhealth",   "runoutcome",
                                          "itemreads",     "watches",  "watchleases", "watchalerts",
                                          "notifychannels"};
    std::string found;
    for (const char* table : kTables) {
        // Where unqualified names would create it: the first schema of the search path.
        const PgResult result = connection.Run(
            "select 1 from pg_catalog.pg_tables where schemaname = current_schema() and "
            "tablename = $1",
            {table});
        if (result.Rows() > 0) {
            found += found.empty() ? table : std::string(", ") + table;
        }
    }
    if (!found.empty()) {
        throw DatabaseError("the database already holds " + found +
                            "; init-db creates the tables only in an empty database and "
                            "changed nothing");
    }
    // All tables or none: a failure half-way leaves the database as it was.
    connection.ExecuteScript(std::string("begin;\n") + kPostgresSchema + "\ncommit;");
}

void PostgresStore::AppendShop(const ShopRow& row) {
    static const std::string sql = InsertSql("ShopList", kShopColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kShopColumns, row));
}

void PostgresStore::AppendItem(const ItemRow& row) {
    static const std::string sql = InsertSql("ItemList", kItemColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kItemColumns, row));
}

void PostgresStore::AppendBuyer(const BuyerRow& row) {
    static const std::string sql = InsertSql("BuyerList", kBuyerColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kBuyerColumns, row));
}

void PostgresStore::AppendRate(const RateRow& row) {
    static const std::string sql = InsertSql("RateList", kRateColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kRateColumns, row));
}

void PostgresStore::AppendBuyers(std::span<const BuyerRow> rows) {
    AppendRows(m_connection, "BuyerList", kBuyerColumns, rows);
}

void PostgresStore::AppendRates(std::span<const RateRow> rows) {
    AppendRows(m_connection, "RateList", kRateColumns, rows);
}

std::vector<ShopRow> PostgresStore::ReadShops() {
    return ReadRows(m_connection.Run("select * from ShopList order by AddTime desc", {}),
                    kShopColumns);
}

std::vector<ItemRow> PostgresStore::ReadItems(std::string_view sid,
                                              std::optional<DateTime> lastSellFrom) {
    if (!lastSellFrom) {
        return ReadRows(
            m_connection.Run("select * from ItemList where sid=$1", {PgConnection::Param(sid)}),
            kItemColumns);
    }
    return ReadRows(
        m_connection.Run("select * from ItemList where sid=$1 and lastSell>=$2",
                         {PgConnection::Param(sid), PgConnection::Param(*lastSellFrom)}),
        kItemColumns);
}

std::vector<BuyerRow> PostgresStore::ReadBuyers(std::string_view sid, std::string_view itemid,
                                                std::optional<DateTime> buytimeFrom) {
    if (!buytimeFrom) {
        return ReadRows(
            m_connection.Run(
                "select * from BuyerList where sid=$1 and itemid=$2 order by buytime desc",
                {PgConnection::Param(sid), PgConnection::Param(itemid)}),
            kBuyerColumns);
    }
    return ReadRows(m_connection.Run("select * from BuyerList where sid=$1 and itemid=$2 and "
                                     "buytime>=$3 order by buytime desc",
                                     {PgConnection::Param(sid), PgConnection::Param(itemid),
                                      PgConnection::Param(*buytimeFrom)}),
                    kBuyerColumns);
}

std::vector<RateRow> PostgresStore::ReadRates(std::string_view sid, std::string_view itemid,
                                              std::optional<DateTime> rateDateFrom) {
    if (!rateDateFrom) {
        return ReadRows(
            m_connection.Run(
                "select * from RateList where sid=$1 and itemid=$2 order by rateDate desc",
                {PgConnection::Param(sid), PgConnection::Param(itemid)}),
            kRateColumns);
    }
    return ReadRows(m_connection.Run("select * from RateList where sid=$1 and itemid=$2 and "
                                     "rateDate>=$3 order by rateDate desc",
                                     {PgConnection::Param(sid), PgConnection::Param(itemid),
                                      PgConnection::Param(*rateDateFrom)}),
                    kRateColumns);
}

void PostgresStore::DeleteShop(std::string_view sid) {
    // One transaction, as in the file: a run is gone from every table or from none.
    static const std::string kDeletes[] = {
        "delete from ShopList where SID=$1",
        "delete from BuyerList where SID=$1",
        "delete from RateList where SID=$1",
        "delete from ItemList where SID=$1",
    };
    const bool withHealth = HasRunHealthTable();
    const bool withRecord = HasRunOutcomeTables();
    m_connection.Transaction([&] {
        for (const std::string& sql : kDeletes) {
            m_connection.Run(sql, {PgConnection::Param(sid)});
        }
        if (withHealth) {
            m_connection.Run("delete from RunHealth where sid=$1", {PgConnection::Param(sid)});
        }
        if (withRecord) {
            m_connection.Run("delete from ItemReads where sid=$1", {PgConnection::Param(sid)});
            m_connection.Run("delete from RunOutcome where sid=$1", {PgConnection::Param(sid)});
        }
    });
}

void PostgresStore::CheckItemsTable() {
    m_connection.Run("select * from Items where 1=2", {});
}

std::map<std::string, int> PostgresStore::CountItemsPerRun() {
    const PgResult result =
        m_connection.Run("select sid, count(*)::int from ItemList group by sid", {});
    std::map<std::string, int> counts;
    for (int row = 0; row < result.Rows(); ++row) {
        counts[result.Text(row, 0)] = result.Int(row, 1);
    }
    return counts;
}

bool PostgresStore::ClaimRunKey(std::string_view sid, DateTime claimedAt) {
    // Rows brought in from elsewhere (a file store's, say) carry keys never claimed here;
    // their ShopList row holds the key as well.
    const PgResult result = m_connection.Run(
        "insert into RunKeys (SID, ClaimedAt) select $1::text, $2::timestamp "
        "where not exists (select 1 from ShopList where SID = $1::text) "
        "on conflict (SID) do nothing",
        {PgConnection::Param(sid), PgConnection::Param(claimedAt)});
    return result.Affected() == 1;
}

bool PostgresStore::HasRunHealthTable() {
    // A server store set up before the table existed has none; unqualified names resolve along
    // the search path, so that is where to look.
    const PgResult result = m_connection.Run("select to_regclass('runhealth') is not null", {});
    return result.Rows() > 0 && result.Text(0, 0) == "t";
}

void PostgresStore::AppendRunHealth(const RunHealthRow& row) {
    static const std::string sql = InsertSql("RunHealth", kRunHealthColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kRunHealthColumns, row));
}

std::vector<RunHealthRow> PostgresStore::ReadRunHealth(std::optional<std::string_view> sid) {
    if (!sid) {
        return ReadRows(m_connection.Run("select * from RunHealth", {}), kRunHealthColumns);
    }
    return ReadRows(
        m_connection.Run("select * from RunHealth where sid=$1", {PgConnection::Param(*sid)}),
        kRunHealthColumns);
}

bool PostgresStore::HasWatchTables() {
    const PgResult result = m_connection.Run(
        "select to_regclass('watches') is not null and to_regclass('watchleases') is not null "
        "and to_regclass('watchalerts') is not null and to_regclass('notifychannels') is not "
        "null",
        {});
    return result.Rows() > 0 && result.Text(0, 0) == "t";
}

void PostgresStore::CreateWatchTables() {
    std::string found;
    for (const char* table : kWatchTables) {
        const PgResult result = m_connection.Run("select to_regclass($1) is not null", {table});
        if (result.Rows() > 0 && result.Text(0, 0) == "t") {
            found += (found.empty() ? "" : ", ") + std::string(table);
        }
    }
    if (!found.empty()) {
        throw DatabaseError("the database already holds " + found + "; nothing was changed");
    }
    m_connection.ExecuteScript(std::string("begin;\n") + kPostgresWatchSchema + "\ncommit;");
}

std::vector<WatchRow> PostgresStore::ReadWatches() {
    return ReadRows(m_connection.Run("select * from Watches order by WatchID", {}), kWatchColumns);
}

std::optional<WatchRow> PostgresStore::ReadWatch(std::int32_t id) {
    std::vector<WatchRow> rows = ReadRows(
        m_connection.Run("select * from Watches where WatchID=$1", {Param(id)}), kWatchColumns);
    return rows.empty() ? std::nullopt : std::optional<WatchRow>(std::move(rows.front()));
}

std::int32_t PostgresStore::AddWatch(const WatchRow& row) {
    static const std::string sql =
        InsertWithoutKeySql("Watches", kWatchColumns, Dollar) + " returning WatchID";
    return m_connection.Run(sql, ParamsWithoutKey(kWatchColumns, row)).Int(0, 0);
}

void PostgresStore::UpdateWatchSettings(const WatchRow& row) {
    m_connection.Run(
        "update Watches set Schedule=$1, Threads=$2, MaxRate=$3, DelayMs=$4, PriceChange=$5, "
        "PriceDown=$6, PriceUp=$7, NewItems=$8, RemovedItems=$9, Stock=$10, SalesJump=$11 "
        "where WatchID=$12",
        {PgConnection::Param(row.Schedule), Param(row.Threads), PgConnection::Param(row.MaxRate),
         Param(row.DelayMs), PgConnection::Param(row.PriceChange), Param(row.PriceDown),
         Param(row.PriceUp), Param(row.NewItems), Param(row.RemovedItems), Param(row.Stock),
         Param(row.SalesJump), Param(row.WatchID)});
}

void PostgresStore::RecordWatchRun(const WatchRow& row) {
    m_connection.Run(
        "update Watches set LastStarted=$1, LastFinished=$2, LastOutcome=$3, LastSID=$4, "
        "BaselineSID=$5, Failures=$6 where WatchID=$7",
        {PgConnection::Param(row.LastStarted), PgConnection::Param(row.LastFinished),
         PgConnection::Param(row.LastOutcome), PgConnection::Param(row.LastSID),
         PgConnection::Param(row.BaselineSID), Param(row.Failures), Param(row.WatchID)});
}

bool PostgresStore::RemoveWatch(std::int32_t id) {
    m_connection.Run("delete from WatchLeases where WatchID=$1", {Param(id)});
    return m_connection.Run("delete from Watches where WatchID=$1", {Param(id)}).Affected() > 0;
}

bool PostgresStore::ClaimWatch(std::int32_t id, std::string_view holder, DateTime now,
                               DateTime until) {
    // One statement: the row's lock on the server lets one of two claims through, and the
    // other finds the lease taken.
    const PgResult result = m_connection.Run(
        "insert into WatchLeases (WatchID, Holder, Expires) values ($1, $2, $4) "
        "on conflict (WatchID) do update set Holder=excluded.Holder, Expires=excluded.Expires "
        "where WatchLeases.Expires<=$3 or WatchLeases.Holder=excluded.Holder",
        {Param(id), PgConnection::Param(holder), PgConnection::Param(now),
         PgConnection::Param(until)});
    return result.Affected() == 1;
}

bool PostgresStore::RenewWatch(std::int32_t id, std::string_view holder, DateTime until) {
    return m_connection
               .Run("update WatchLeases set Expires=$1 where WatchID=$2 and Holder=$3",
                    {PgConnection::Param(until), Param(id), PgConnection::Param(holder)})
               .Affected() == 1;
}

void PostgresStore::ReleaseWatch(std::int32_t id, std::string_view holder) {
    m_connection.Run("delete from WatchLeases where WatchID=$1 and Holder=$2",
                     {Param(id), PgConnection::Param(holder)});
}

std::int32_t PostgresStore::AppendAlert(const AlertRow& row) {
    static const std::string sql =
        InsertWithoutKeySql("WatchAlerts", kAlertColumns, Dollar) + " returning AlertID";
    return m_connection.Run(sql, ParamsWithoutKey(kAlertColumns, row)).Int(0, 0);
}

std::vector<AlertRow> PostgresStore::ReadAlerts(const AlertFilter& filter) {
    std::string sql = "select * from WatchAlerts where 1=1";
    sql += filter.unreadOnly ? " and IsRead=0" : "";
    sql += filter.pendingOnly ? " and Pending=1" : "";
    sql += filter.since ? " and AddTime>=$1" : "";
    sql += " order by AlertID";
    std::vector<std::string> params;
    if (filter.since) {
        params.push_back(PgConnection::Param(*filter.since));
    }
    return ReadRows(m_connection.Run(sql, params), kAlertColumns);
}

int PostgresStore::MarkAlertsRead(const std::vector<std::int32_t>& ids) {
    if (ids.empty()) {
        return static_cast<int>(
            m_connection.Run("update WatchAlerts set IsRead=1 where IsRead=0", {}).Affected());
    }
    int marked = 0;
    for (std::int32_t id : ids) {
        marked += static_cast<int>(
            m_connection
                .Run("update WatchAlerts set IsRead=1 where AlertID=$1 and IsRead=0", {Param(id)})
                .Affected());
    }
    return marked;
}

void PostgresStore::SetAlertDelivery(std::int32_t id, std::string_view sentTo,
                                     std::string_view failure, bool pending) {
    m_connection.Run(
        "update WatchAlerts set SentTo=$1, SendFailure=$2, Pending=$3 where AlertID=$4",
        {PgConnection::Param(sentTo), PgConnection::Param(failure), Param(pending ? 1 : 0),
         Param(id)});
}

std::vector<ChannelRow> PostgresStore::ReadChannels() {
    return ReadRows(m_connection.Run("select * from NotifyChannels order by ChannelID", {}),
                    kChannelColumns);
}

std::int32_t PostgresStore::AddChannel(const ChannelRow& row) {
    static const std::string sql =
        InsertWithoutKeySql("NotifyChannels", kChannelColumns, Dollar) + " returning ChannelID";
    return m_connection.Run(sql, ParamsWithoutKey(kChannelColumns, row)).Int(0, 0);
}

bool PostgresStore::RemoveChannel(std::int32_t id) {
    return m_connection.Run("delete from NotifyChannels where ChannelID=$1", {Param(id)})
               .Affected() > 0;
}

}  // namespace tarnwick

namespace tarnwick {

bool PostgresStore::HasRunOutcomeTables() {
    const PgResult result = m_connection.Run(
        "select to_regclass('runoutcome') is not null and to_regclass('itemreads') is not null",
        {});
    return result.Rows() > 0 && result.Text(0, 0) == "t";
}

void PostgresStore::AppendRunOutcome(const RunOutcomeRow& row) {
    static const std::string sql = InsertSql("RunOutcome", kRunOutcomeColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kRunOutcomeColumns, row));
}

bool PostgresStore::UpdateRunOutcome(const RunOutcomeRow& row) {
    static const std::string sql = UpdateByFirstSql("RunOutcome", kRunOutcomeColumns, Dollar);
    std::vector<std::string> params = ParamsOf(kRunOutcomeColumns, row);
    // The key, first among the columns, goes last, where the where clause wants it.
    std::rotate(params.begin(), params.begin() + 1, params.end());
    return m_connection.Run(sql, params).Affected() > 0;
}

std::vector<RunOutcomeRow> PostgresStore::ReadRunOutcomes(std::optional<std::string_view> sid) {
    if (!sid) {
        return ReadRows(m_connection.Run("select * from RunOutcome", {}), kRunOutcomeColumns);
    }
    return ReadRows(
        m_connection.Run("select * from RunOutcome where sid=$1", {PgConnection::Param(*sid)}),
        kRunOutcomeColumns);
}

void PostgresStore::AppendItemRead(const ItemReadRow& row) {
    static const std::string sql = InsertSql("ItemReads", kItemReadColumns, Dollar);
    m_connection.Run(sql, ParamsOf(kItemReadColumns, row));
}

std::vector<ItemReadRow> PostgresStore::ReadItemReads(std::string_view sid) {
    return ReadRows(m_connection.Run("select * from ItemReads where sid=$1 order by seq",
                                     {PgConnection::Param(sid)}),
                    kItemReadColumns);
}

std::vector<BuyerRow> PostgresStore::ReadRunBuyersAfter(std::string_view sid, DateTime after) {
    return ReadRows(m_connection.Run(
                        "select * from BuyerList where sid=$1 and buytime>$2 order by buytime desc",
                        {PgConnection::Param(sid), PgConnection::Param(after)}),
                    kBuyerColumns);
}

}  // namespace tarnwick
