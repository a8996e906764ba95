#include "store/SqliteStore.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <span>
#include <type_traits>
#include <utility>
#include <variant>

#include <sqlite3.h>

#include "store/StoreColumns.h"
#include "store/WatchColumns.h"

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

// Binds every column but the key, as InsertWithoutKeySql numbers them.
template <typename Row, std::size_t N>
void BindWithoutKey(Statement& statement, const std::array<Column<Row>, N>& columns,
                    const Row& row) {
    for (std::size_t i = 1; i < N; ++i) {
        std::visit([&](auto member) { statement.Bind(static_cast<int>(i), row.*member); },
                   columns[i].member);
    }
}

#include "store/WatchSchema.inc"

constexpr const char* kWatchTables[] = {"Watches", "WatchLeases", "WatchAlerts", "NotifyChannels"};

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
    const bool withRecord = HasRunOutcomeTables();
    // Immediate: the write lock is waited for here, within the busy limits, rather than a
    // delete finding it taken half-way.
    m_db.Write(m_db.Prepared("begin immediate"));
    try {
        std::vector<const char*> deletes(std::begin(kDeletes), std::end(kDeletes));
        if (withHealth) {
            deletes.push_back("delete from RunHealth where sid=?");
        }
        if (withRecord) {
            deletes.push_back("delete from ItemReads where sid=?");
            deletes.push_back("delete from RunOutcome where sid=?");
        }
        for (const char* sql : deletes) {
            Statement& statement = m_db.Prepared(sql);
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

bool SqliteStore::ClaimRunKey(std::string_view sid, DateTime claimedAt) {
    if (HasTable("RunKeys")) {
        // Rows brought in from elsewhere carry keys never claimed here; their ShopList row
        // holds the key as well.
        Statement& claim = m_db.Prepared(
            "insert into RunKeys (SID, ClaimedAt) select ?1, ?2 where not exists (select 1 from "
            "ShopList where SID = ?1) on conflict (SID) do nothing");
        claim.Bind(1, sid).Bind(2, claimedAt);
        m_db.Write(claim);
        return sqlite3_changes(m_db.Handle()) == 1;
    }
    Statement& query = m_db.Prepared("select count(*) from ShopList where SID=?");
    const ResetOnExit reset(query);
    query.Bind(1, sid);
    return !(query.Step() && query.Int(0) > 0);
}

bool SqliteStore::HasTable(const char* name) {
    Statement& query = m_db.Prepared(
        "select count(*) from sqlite_master where type='table' and name=? collate nocase");
    const ResetOnExit reset(query);
    query.Bind(1, std::string_view(name));
    return query.Step() && query.Int(0) > 0;
}

bool SqliteStore::HasRunHealthTable() {
    return HasTable("RunHealth");
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

bool SqliteStore::HasWatchTables() {
    Statement& query = m_db.Prepared(
        "select count(*) from sqlite_master where type='table' and name in ('Watches', "
        "'WatchLeases', 'WatchAlerts', 'NotifyChannels') collate nocase");
    const ResetOnExit reset(query);
    return query.Step() && query.Int(0) == 4;
}

void SqliteStore::CreateWatchTables() {
    std::string found;
    for (const char* table : kWatchTables) {
        Statement query(m_db.Handle(),
                        "select count(*) from sqlite_master where type='table' and name=? "
                        "collate nocase");
        query.Bind(1, std::string_view(table));
        if (query.Step() && query.Int(0) > 0) {
            found += (found.empty() ? "" : ", ") + std::string(table);
        }
    }
    if (!found.empty()) {
        throw DatabaseError("the database already holds " + found + "; nothing was changed");
    }
    // All four or none; queued behind this process's other writers like any write.
    const std::string script = std::string("begin immediate;\n") + kSqliteWatchSchema + "\ncommit;";
    const std::lock_guard lock(m_db.WriteMutex());
    char* error = nullptr;
    if (sqlite3_exec(m_db.Handle(), script.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : "cannot create the watch tables";
        sqlite3_free(error);
        sqlite3_exec(m_db.Handle(), "rollback", nullptr, nullptr, nullptr);
        throw DatabaseError(message);
    }
}

std::vector<WatchRow> SqliteStore::ReadWatches() {
    return ReadRows(m_db.Prepared("select * from Watches order by WatchID"), kWatchColumns);
}

std::optional<WatchRow> SqliteStore::ReadWatch(std::int32_t id) {
    Statement& query = m_db.Prepared("select * from Watches where WatchID=?");
    query.Bind(1, id);
    std::vector<WatchRow> rows = ReadRows(query, kWatchColumns);
    return rows.empty() ? std::nullopt : std::optional<WatchRow>(std::move(rows.front()));
}

std::int32_t SqliteStore::AddWatch(const WatchRow& row) {
    static const std::string sql = InsertWithoutKeySql("Watches", kWatchColumns, Question);
    Statement& insert = m_db.Prepared(sql.c_str());
    BindWithoutKey(insert, kWatchColumns, row);
    m_db.Write(insert);
    return static_cast<std::int32_t>(sqlite3_last_insert_rowid(m_db.Handle()));
}

void SqliteStore::UpdateWatchSettings(const WatchRow& row) {
    Statement& update = m_db.Prepared(
        "update Watches set Schedule=?, Threads=?, MaxRate=?, DelayMs=?, PriceChange=?, "
        "PriceDown=?, PriceUp=?, NewItems=?, RemovedItems=?, Stock=?, SalesJump=? where "
        "WatchID=?");
    update.Bind(1, row.Schedule).Bind(2, row.Threads).Bind(3, row.MaxRate).Bind(4, row.DelayMs);
    update.Bind(5, row.PriceChange).Bind(6, row.PriceDown).Bind(7, row.PriceUp);
    update.Bind(8, row.NewItems).Bind(9, row.RemovedItems).Bind(10, row.Stock);
    update.Bind(11, row.SalesJump).Bind(12, row.WatchID);
    m_db.Write(update);
}

void SqliteStore::RecordWatchRun(const WatchRow& row) {
    Statement& update = m_db.Prepared(
        "update Watches set LastStarted=?, LastFinished=?, LastOutcome=?, LastSID=?, "
        "BaselineSID=?, Failures=? where WatchID=?");
    update.Bind(1, row.LastStarted).Bind(2, row.LastFinished).Bind(3, row.LastOutcome);
    update.Bind(4, row.LastSID).Bind(5, row.BaselineSID).Bind(6, row.Failures);
    update.Bind(7, row.WatchID);
    m_db.Write(update);
}

bool SqliteStore::RemoveWatch(std::int32_t id) {
    Statement& lease = m_db.Prepared("delete from WatchLeases where WatchID=?");
    lease.Bind(1, id);
    m_db.Write(lease);
    Statement& watch = m_db.Prepared("delete from Watches where WatchID=?");
    watch.Bind(1, id);
    m_db.Write(watch);
    return sqlite3_changes(m_db.Handle()) > 0;
}

bool SqliteStore::ClaimWatch(std::int32_t id, std::string_view holder, DateTime now,
                             DateTime until) {
    // One statement under the file's write lock: a lease that has not run out (and is not
    // ours) leaves the row as it is, and no row changes.
    Statement& claim = m_db.Prepared(
        "insert into WatchLeases (WatchID, Holder, Expires) values (?1, ?2, ?4) "
        "on conflict (WatchID) do update set Holder=excluded.Holder, Expires=excluded.Expires "
        "where WatchLeases.Expires<=?3 or WatchLeases.Holder=excluded.Holder");
    claim.Bind(1, id).Bind(2, holder).Bind(3, now).Bind(4, until);
    m_db.Write(claim);
    return sqlite3_changes(m_db.Handle()) == 1;
}

bool SqliteStore::RenewWatch(std::int32_t id, std::string_view holder, DateTime until) {
    Statement& renew =
        m_db.Prepared("update WatchLeases set Expires=? where WatchID=? and Holder=?");
    renew.Bind(1, until).Bind(2, id).Bind(3, holder);
    m_db.Write(renew);
    return sqlite3_changes(m_db.Handle()) == 1;
}

void SqliteStore::ReleaseWatch(std::int32_t id, std::string_view holder) {
    Statement& release = m_db.Prepared("delete from WatchLeases where WatchID=? and Holder=?");
    release.Bind(1, id).Bind(2, holder);
    m_db.Write(release);
}

std::int32_t SqliteStore::AppendAlert(const AlertRow& row) {
    static const std::string sql = InsertWithoutKeySql("WatchAlerts", kAlertColumns, Question);
    Statement& insert = m_db.Prepared(sql.c_str());
    BindWithoutKey(insert, kAlertColumns, row);
    m_db.Write(insert);
    return static_cast<std::int32_t>(sqlite3_last_insert_rowid(m_db.Handle()));
}

std::vector<AlertRow> SqliteStore::ReadAlerts(const AlertFilter& filter) {
    std::string sql = "select * from WatchAlerts where 1=1";
    sql += filter.unreadOnly ? " and IsRead=0" : "";
    sql += filter.pendingOnly ? " and Pending=1" : "";
    sql += filter.since ? " and AddTime>=?" : "";
    sql += " order by AlertID";
    Statement& query = m_db.Prepared(sql.c_str());
    if (filter.since) {
        query.Bind(1, *filter.since);
    }
    return ReadRows(query, kAlertColumns);
}

int SqliteStore::MarkAlertsRead(const std::vector<std::int32_t>& ids) {
    if (ids.empty()) {
        m_db.Write(m_db.Prepared("update WatchAlerts set IsRead=1 where IsRead=0"));
        return sqlite3_changes(m_db.Handle());
    }
    int marked = 0;
    for (std::int32_t id : ids) {
        Statement& mark =
            m_db.Prepared("update WatchAlerts set IsRead=1 where AlertID=? and IsRead=0");
        mark.Bind(1, id);
        m_db.Write(mark);
        marked += sqlite3_changes(m_db.Handle());
    }
    return marked;
}

void SqliteStore::SetAlertDelivery(std::int32_t id, std::string_view sentTo,
                                   std::string_view failure, bool pending) {
    Statement& update =
        m_db.Prepared("update WatchAlerts set SentTo=?, SendFailure=?, Pending=? where AlertID=?");
    update.Bind(1, sentTo).Bind(2, failure).Bind(3, std::int32_t{pending ? 1 : 0}).Bind(4, id);
    m_db.Write(update);
}

std::vector<ChannelRow> SqliteStore::ReadChannels() {
    return ReadRows(m_db.Prepared("select * from NotifyChannels order by ChannelID"),
                    kChannelColumns);
}

std::int32_t SqliteStore::AddChannel(const ChannelRow& row) {
    static const std::string sql = InsertWithoutKeySql("NotifyChannels", kChannelColumns, Question);
    Statement& insert = m_db.Prepared(sql.c_str());
    BindWithoutKey(insert, kChannelColumns, row);
    m_db.Write(insert);
    return static_cast<std::int32_t>(sqlite3_last_insert_rowid(m_db.Handle()));
}

bool SqliteStore::RemoveChannel(std::int32_t id) {
    Statement& remove = m_db.Prepared("delete from NotifyChannels where ChannelID=?");
    remove.Bind(1, id);
    m_db.Write(remove);
    return sqlite3_changes(m_db.Handle()) > 0;
}

}  // namespace tarnwick

namespace tarnwick {

bool SqliteStore::HasRunOutcomeTables() {
    return HasTable("RunOutcome") && HasTable("ItemReads");
}

void SqliteStore::AppendRunOutcome(const RunOutcomeRow& row) {
    static const std::string sql = InsertSql("RunOutcome", kRunOutcomeColumns, Question);
    AppendRow(m_db, sql, kRunOutcomeColumns, row);
}

bool SqliteStore::UpdateRunOutcome(const RunOutcomeRow& row) {
    static const std::string sql = UpdateByFirstSql("RunOutcome", kRunOutcomeColumns, Question);
    Statement& update = m_db.Prepared(sql.c_str());
    // The key, first among the columns, goes last, where the where clause wants it.
    for (std::size_t i = 1; i < kRunOutcomeColumns.size(); ++i) {
        std::visit([&](auto member) { update.Bind(static_cast<int>(i), row.*member); },
                   kRunOutcomeColumns[i].member);
    }
    update.Bind(static_cast<int>(kRunOutcomeColumns.size()), row.sid);
    m_db.Write(update);
    return sqlite3_changes(m_db.Handle()) > 0;
}

std::vector<RunOutcomeRow> SqliteStore::ReadRunOutcomes(std::optional<std::string_view> sid) {
    if (!sid) {
        return ReadRows(m_db.Prepared("select * from RunOutcome"), kRunOutcomeColumns);
    }
    Statement& query = m_db.Prepared("select * from RunOutcome where sid=?");
    query.Bind(1, *sid);
    return ReadRows(query, kRunOutcomeColumns);
}

void SqliteStore::AppendItemRead(const ItemReadRow& row) {
    static const std::string sql = InsertSql("ItemReads", kItemReadColumns, Question);
    AppendRow(m_db, sql, kItemReadColumns, row);
}

std::vector<ItemReadRow> SqliteStore::ReadItemReads(std::string_view sid) {
    Statement& query = m_db.Prepared("select * from ItemReads where sid=? order by seq");
    query.Bind(1, sid);
    return ReadRows(query, kItemReadColumns);
}

std::vector<BuyerRow> SqliteStore::ReadRunBuyersAfter(std::string_view sid, DateTime after) {
    Statement& query =
        m_db.Prepared("select * from BuyerList where sid=? and buytime>? order by buytime desc");
    query.Bind(1, sid).Bind(2, after);
    return ReadRows(query, kBuyerColumns);
}

}  // namespace tarnwick
