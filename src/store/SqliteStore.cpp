#include "store/SqliteStore.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <span>
#include <utility>
#include <variant>

#include <sqlite3.h>

#include "store/StoreColumns.h"

namespace tarnwick {

namespace {

void BindAll(Statement& statement, std::span<const SqlValue> params) {
    for (std::size_t i = 0; i < params.size(); ++i) {
        std::visit([&](auto value) { statement.Bind(static_cast<int>(i + 1), value); }, params[i]);
    }
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

class StatementCursor : public RowCursor {
public:
    explicit StatementCursor(Statement& statement) : m_statement(statement) {}

    // The engine starts a finished statement over when it is stepped again, which would read
    // its rows a second time; a finished cursor stays finished.
    bool Next() override {
        m_done = m_done || !m_statement.Step();
        return !m_done;
    }
    int ColumnIndex(std::string_view name) const override { return m_statement.ColumnIndex(name); }
    std::string Text(int column) const override { return m_statement.Text(column); }
    std::int32_t Int(int column) const override { return m_statement.Int(column); }
    double Real(int column) const override { return m_statement.Real(column); }
    DateTime Time(int column) const override { return m_statement.Time(column); }

private:
    Statement& m_statement;
    bool m_done = false;
};

#include "store/WatchSchema.inc"

constexpr const char* kWatchTables[] = {"Watches", "WatchLeases", "WatchAlerts", "NotifyChannels"};

}  // namespace

SqliteStore::SqliteStore(Database db) : m_db(std::move(db)) {
}

void SqliteStore::Select(const char* sql, std::span<const SqlValue> params,
                         const std::function<void(RowCursor&)>& read) {
    Statement& query = m_db.Prepared(sql);
    const ResetOnExit reset(query);
    BindAll(query, params);
    StatementCursor cursor(query);
    read(cursor);
}

std::int64_t SqliteStore::Execute(const char* sql, std::span<const SqlValue> params) {
    Statement& statement = m_db.Prepared(sql);
    BindAll(statement, params);
    m_db.Write(statement);
    return sqlite3_changes(m_db.Handle());
}

std::int32_t SqliteStore::InsertNumbered(const std::string& sql, std::span<const SqlValue> params,
                                         const char* /*key*/) {
    Execute(sql.c_str(), params);
    return static_cast<std::int32_t>(sqlite3_last_insert_rowid(m_db.Handle()));
}

bool SqliteStore::HasTable(std::string_view name) {
    bool found = false;
    const SqlValue params[] = {name};
    Select("select count(*) from sqlite_master where type='table' and name=? collate nocase",
           params, [&](RowCursor& cursor) { found = cursor.Next() && cursor.Int(0) > 0; });
    return found;
}

void SqliteStore::InsertRows(const std::function<std::string(std::size_t rows)>& sql,
                             std::size_t width, std::span<const SqlValue> values) {
    if (values.empty()) {
        return;
    }
    Statement& insert = m_db.Prepared(sql(1).c_str());
    m_db.WriteTransaction([&] {
        for (std::size_t at = 0; at < values.size(); at += width) {
            BindAll(insert, values.subspan(at, width));
            m_db.WriteInTransaction(insert);
        }
    });
}

void SqliteStore::DeleteShop(std::string_view sid) {
    // One transaction: a run is gone from every table or from none. Deleting a large run takes
    // seconds, and a kill or a failure in between must not leave its shop row gone while its
    // items, deal records and reviews stay behind where nothing lists them.
    const std::vector<const char*> deletes = DeleteShopStatements();
    // Immediate: the write lock is waited for here, within the busy limits, rather than a
    // delete finding it taken half-way.
    m_db.Write(m_db.Prepared("begin immediate"));
    try {
        const SqlValue key[] = {sid};
        for (const char* sql : deletes) {
            Execute(sql, key);
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

bool SqliteStore::ClaimRunKey(std::string_view sid, DateTime claimedAt) {
    if (HasTable("RunKeys")) {
        // Rows brought in from elsewhere carry keys never claimed here; their ShopList row
        // holds the key as well.
        const SqlValue params[] = {sid, claimedAt};
        return Execute(
                   "insert into RunKeys (SID, ClaimedAt) select ?1, ?2 where not exists "
                   "(select 1 from ShopList where SID = ?1) on conflict (SID) do nothing",
                   params) == 1;
    }
    bool taken = false;
    const SqlValue params[] = {sid};
    Select("select count(*) from ShopList where SID=?", params,
           [&](RowCursor& cursor) { taken = cursor.Next() && cursor.Int(0) > 0; });
    return !taken;
}

void SqliteStore::CreateWatchTables() {
    const std::string found = FoundWatchTables(kWatchTables);
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

}  // namespace tarnwick
