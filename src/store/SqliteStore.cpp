#include "store/SqliteStore.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <span>
#include <type_traits>
#include <utility>
#include <variant>

#include "store/StoreColumns.h"

namespace tarnwick {

namespace {

const char* Question(int) {
    return "?";
}

// Each row is one statement in autocommit, so it is stored the moment it is written and a
// failure later on loses nothing written before it.
template <typename Row, std::size_t N>
void AppendRow(Database& db, const std::string& sql, const std::array<Column<Row>, N>& columns,
               const Row& row) {
    Statement& insert = db.Prepared(sql.c_str());
    for (std::size_t i = 0; i < N; ++i) {
        std::visit([&](auto member) { insert.Bind(static_cast<int>(i + 1), row.*member); },
                   columns[i].member);
    }
    db.Write(insert);
}

// Many rows in one transaction: one lock round and one commit for all of them instead of one
// each, and none of them stored unless all are.
template <typename Row, std::size_t N>
void AppendRows(Database& db, const std::string& sql, const std::array<Column<Row>, N>& columns,
                std::span<const Row> rows) {
    if (rows.empty()) {
        return;
    }
    Statement& insert = db.Prepared(sql.c_str());
    db.WriteTransaction([&] {
        for (const Row& row : rows) {
            for (std::size_t i = 0; i < N; ++i) {
                std::visit([&](auto member) { insert.Bind(static_cast<int>(i + 1), row.*member); },
                           columns[i].member);
            }
            db.WriteInTransaction(insert);
        }
    });
}

// A cached statement left part-way through a result would keep its read snapshot open, which
// holds back the engine's checkpoints; so every way out of a read resets it.
class ResetOnExit {
public:
    explicit ResetOnExit(Statement& statement) : m_statement(statement) {}
    ~ResetOnExit() { m_statement.Reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    Statement& m_statement;
};

// Columns are found by name, without regard to case, so a file whose columns stand in another
// order still reads right; a missing one fails like the engine's own complaint about it.
template <typename Row, std::size_t N>
std::vector<Row> ReadRows(Statement& query, const std::array<Column<Row>, N>& columns) {
    const ResetOnExit reset(query);
    std::vector<Row> rows;
    std::array<int, N> index{};
    bool located = false;
    while (query.Step()) {
        if (!located) {
            for (std::size_t i = 0; i < N; ++i) {
                index[i] = query.ColumnIndex(columns[i].name);
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
                        row.*member = query.Text(index[i]);
                    } else if constexpr (std::is_same_v<Value, std::int32_t>) {
                        row.*member = query.Int(index[i]);
                    } else if constexpr (std::is_same_v<Value, double>) {
                        row.*member = query.Real(index[i]);
                    } else {
                        row.*member = query.Time(index[i]);
                    }
                },
                columns[i].member);
        }
    }
    return rows;
}

}  // namespace

SqliteStore::SqliteStore(Database db) : m_db(std::move(db)) {
}

void SqliteStore::AppendShop(const ShopRow& row) {
    static const std::string sql = InsertSql("ShopList", kShopColumns, Question);
    AppendRow(m_db, sql, kShopColumns, row);
}

void SqliteStore::AppendItem(const ItemRow& row) {
    static const std::string sql = InsertSql("ItemList", kItemColumns, Question);
    AppendRow(m_db, sql, kItemColumns, row);
}

void SqliteStore::AppendBuyer(const BuyerRow& row) {
    static const std::string sql = InsertSql("BuyerList", kBuyerColumns, Question);
    AppendRow(m_db, sql, kBuyerColumns, row);
}

void SqliteStore::AppendRate(const RateRow& row) {
    static const std::string sql = InsertSql("RateList", kRateColumns, Question);
    AppendRow(m_db, sql, kRateColumns, row);
}

void SqliteStore::AppendBuyers(std::span<const BuyerRow> rows) {
    static const std::string sql = InsertSql("BuyerList", kBuyerColumns, Question);
    AppendRows(m_db, sql, kBuyerColumns, rows);
}

void SqliteStore::AppendRates(std::span<const RateRow> rows) {
    static const std::string sql = InsertSql("RateList", kRateColumns, Question);
    AppendRows(m_db, sql, kRateColumns, rows);
}

std::vector<ShopRow> SqliteStore::ReadShops() {
    return ReadRows(m_db.Prepared("select * from ShopList order by AddTime desc"), kShopColumns);
}

std::vector<ItemRow> SqliteStore::ReadItems(std::string_view sid,
                                            std::optional<DateTime> lastSellFrom) {
    if (!lastSellFrom) {
        Statement& query = m_db.Prepared("select * from ItemList where sid=?");
        query.Bind(1, sid);
        return ReadRows(query, kItemColumns);
    }
    Statement& query = m_db.Prepared("select * from ItemList where sid=? and lastSell>=?");
    query.Bind(1, sid).Bind(2, *lastSellFrom);
    return ReadRows(query, kItemColumns);
}

std::vector<BuyerRow> SqliteStore::ReadBuyers(std::string_view sid, std::string_view itemid,
                                              std::optional<DateTime> buytimeFrom) {
    if (!buytimeFrom) {
        Statement& query =
            m_db.Prepared("select * from BuyerList where sid=? and itemid=? order by buytime desc");
        query.Bind(1, sid).Bind(2, itemid);
        return ReadRows(query, kBuyerColumns);
    }
    Statement& query = m_db.Prepared(
        "select * from BuyerList where sid=? and itemid=? and buytime>=? order by buytime desc");
    query.Bind(1, sid).Bind(2, itemid).Bind(3, *buytimeFrom);
    return ReadRows(query, kBuyerColumns);
}

std::vector<RateRow> SqliteStore::ReadRates(std::string_view sid, std::string_view itemid,
                                            std::optional<DateTime> rateDateFrom) {
    if (!rateDateFrom) {
        Statement& query =
            m_db.Prepared("select * from RateList where sid=? and itemid=? order by rateDate desc");
        query.Bind(1, sid).Bind(2, itemid);
        return ReadRows(query, kRateColumns);
    }
    Statement& query = m_db.Prepared(
        "select * from RateList where sid=? and itemid=? and rateDate>=? order by rateDate desc");
    query.Bind(1, sid).Bind(2, itemid).Bind(3, *rateDateFrom);
    return ReadRows(query, kRateColumns);
}

void SqliteStore::DeleteShop(std::string_view sid) {
    // One transaction: a run is gone from every table or from none. Deleting a large run takes
    // seconds, and a kill or a failure in between must not leave its shop row gone while its
    // items, deal records and reviews stay behind where nothing lists them.
    static constexpr const char* kDeletes[] = {
        "delete from ShopList where SID=?",
        "delete from BuyerList where SID=?",
        "delete from RateList where SID=?",
        "delete from ItemList where SID=?",
    };
    const bool withHealth = HasRunHealthTable();
    // Immediate: the write lock is waited for here, within the busy limits, rather than a
    // delete finding it taken half-way.
    m_db.Write(m_db.Prepared("begin immediate"));
    try {
        for (const char* sql : kDeletes) {
            Statement& statement = m_db.Prepared(sql);
            statement.Bind(1, sid);
            m_db.Write(statement);
        }
        if (withHealth) {
            Statement& statement = m_db.Prepared("delete from RunHealth where sid=?");
            statement.Bind(1, sid);
            m_db.Write(statement);
        }
        m_db.Write(m_db.Prepared("commit"));
    } catch (...) {
        try {
            m_db.Execute("rollback");
        } catch (...) {
            // The engine may have rolled back by itself (a full disk); the first failure is
            // the one to report.
        }
        throw;
    }
}

void SqliteStore::CheckWritable() {
    m_db.CheckWritable();
}

void SqliteStore::CheckItemsTable() {
    Statement query(m_db.Handle(), "select * from Items where 1=2");
    query.Run();
}

std::map<std::string, int> SqliteStore::CountItemsPerRun() {
    Statement& query = m_db.Prepared("select sid, count(*) from ItemList group by sid");
    const ResetOnExit reset(query);
    std::map<std::string, int> counts;
    while (query.Step()) {
        counts[query.Text(0)] = query.Int(1);
    }
    return counts;
}

bool SqliteStore::ClaimRunKey(std::string_view sid, DateTime) {
    Statement& query = m_db.Prepared("select count(*) from ShopList where SID=?");
    const ResetOnExit reset(query);
    query.Bind(1, sid);
    return !(query.Step() && query.Int(0) > 0);
}

bool SqliteStore::HasRunHealthTable() {
    Statement& query = m_db.Prepared(
        "select count(*) from sqlite_master where type='table' and name='RunHealth' collate "
        "nocase");
    const ResetOnExit reset(query);
    return query.Step() && query.Int(0) > 0;
}

void SqliteStore::AppendRunHealth(const RunHealthRow& row) {
    static const std::string sql = InsertSql("RunHealth", kRunHealthColumns, Question);
    AppendRow(m_db, sql, kRunHealthColumns, row);
}

std::vector<RunHealthRow> SqliteStore::ReadRunHealth(std::optional<std::string_view> sid) {
    if (!sid) {
        return ReadRows(m_db.Prepared("select * from RunHealth"), kRunHealthColumns);
    }
    Statement& query = m_db.Prepared("select * from RunHealth where sid=?");
    query.Bind(1, *sid);
    return ReadRows(query, kRunHealthColumns);
}

}  // namespace tarnwick
