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

namespace tarnwick {

namespace {

#include "store/PostgresSchema.inc"

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
    static const char* const kTables[] = {"shoplist", "itemlist", "buyerlist", "ratelist",
                                          "items",    "runkeys",  "runhealth"};
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
    // One transaction, as in the file: a run is gone from every table or from none. A lost
    // connection rolls back on the server; the statement that found out throws, so nothing
    // after it runs outside the transaction.
    static const std::string kDeletes[] = {
        "delete from ShopList where SID=$1",
        "delete from BuyerList where SID=$1",
        "delete from RateList where SID=$1",
        "delete from ItemList where SID=$1",
    };
    const bool withHealth = HasRunHealthTable();
    m_connection.Run("begin", {});
    try {
        for (const std::string& sql : kDeletes) {
            m_connection.Run(sql, {PgConnection::Param(sid)});
        }
        if (withHealth) {
            m_connection.Run("delete from RunHealth where sid=$1", {PgConnection::Param(sid)});
        }
        m_connection.Run("commit", {});
    } catch (...) {
        try {
            m_connection.Run("rollback", {});
        } catch (...) {
            // A connection that is gone has rolled back already.
        }
        throw;
    }
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

}  // namespace tarnwick
