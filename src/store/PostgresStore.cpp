#include "store/PostgresStore.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <variant>

#include "store/Database.h"
#include "store/StoreColumns.h"
#include "store/WatchColumns.h"

namespace tarnwick {

namespace {

#include "store/PostgresSchema.inc"
#include "store/WatchSchema.inc"

constexpr const char* kWatchTables[] = {"watches", "watchleases", "watchalerts", "notifychannels"};

// The shared statements' "?" and "?N" in the server's spelling, "$N"; a bare "?" takes the
// next number. Quoted text is left as it is.
std::string DollarParameters(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int next = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        quoted = c == '\'' ? !quoted : quoted;
        if (c != '?' || quoted) {
            out += c;
            continue;
        }
        std::size_t digits = i + 1;
        while (digits < sql.size() && sql[digits] >= '0' && sql[digits] <= '9') {
            ++digits;
        }
        out += '$';
        if (digits == i + 1) {
            out += std::to_string(++next);
        } else {
            out.append(sql.substr(i + 1, digits - i - 1));
            i = digits - 1;
        }
    }
    return out;
}

std::vector<std::string> TextParams(std::span<const SqlValue> params) {
    std::vector<std::string> texts;
    texts.reserve(params.size());
    for (const SqlValue& value : params) {
        texts.push_back(std::visit([](auto v) { return PgConnection::Param(v); }, value));
    }
    return texts;
}

class ResultCursor : public RowCursor {
public:
    explicit ResultCursor(const PgResult& result) : m_result(result) {}

    bool Next() override { return ++m_row < m_result.Rows(); }
    int ColumnIndex(std::string_view name) const override { return m_result.ColumnIndex(name); }
    std::string Text(int column) const override { return m_result.Text(m_row, column); }
    std::int32_t Int(int column) const override { return m_result.Int(m_row, column); }
    double Real(int column) const override { return m_result.Real(m_row, column); }
    DateTime Time(int column) const override { return m_result.Time(m_row, column); }

private:
    const PgResult& m_result;
    int m_row = -1;
};

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

void PostgresStore::Select(const char* sql, std::span<const SqlValue> params,
                           const std::function<void(RowCursor&)>& read) {
    const PgResult result = m_connection.Run(DollarParameters(sql), TextParams(params));
    ResultCursor cursor(result);
    read(cursor);
}

std::int64_t PostgresStore::Execute(const char* sql, std::span<const SqlValue> params) {
    return m_connection.Run(DollarParameters(sql), TextParams(params)).Affected();
}

std::int32_t PostgresStore::InsertNumbered(const std::string& sql, std::span<const SqlValue> params,
                                           const char* key) {
    return m_connection.Run(DollarParameters(sql + " returning " + key), TextParams(params))
        .Int(0, 0);
}

bool PostgresStore::HasTable(std::string_view name) {
    // A server store set up before a table existed lacks it; unqualified names resolve along
    // the search path, so that is where to look.
    const PgResult result =
        m_connection.Run("select to_regclass($1) is not null", {PgConnection::Param(name)});
    return result.Rows() > 0 && result.Text(0, 0) == "t";
}

void PostgresStore::InsertRows(const std::function<std::string(std::size_t rows)>& sql,
                               std::size_t width, std::span<const SqlValue> values) {
    constexpr std::size_t kRowsPerStatement = 50;
    const std::size_t rows = values.size() / width;
    const auto insert = [&](std::size_t first, std::size_t count) {
        Execute(sql(count).c_str(), values.subspan(first * width, count * width));
    };
    if (rows == 0) {
        return;
    }
    if (rows <= kRowsPerStatement) {
        insert(0, rows);
        return;
    }
    m_connection.Transaction([&] {
        for (std::size_t at = 0; at < rows; at += kRowsPerStatement) {
            insert(at, std::min(kRowsPerStatement, rows - at));
        }
    });
}

void PostgresStore::DeleteShop(std::string_view sid) {
    // One transaction, as in the file: a run is gone from every table or from none.
    const std::vector<const char*> deletes = DeleteShopStatements();
    const SqlValue key[] = {sid};
    m_connection.Transaction([&] {
        for (const char* sql : deletes) {
            Execute(sql, key);
        }
    });
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

void PostgresStore::CreateWatchTables() {
    const std::string found = FoundWatchTables(kWatchTables);
    if (!found.empty()) {
        throw DatabaseError("the database already holds " + found + "; nothing was changed");
    }
    m_connection.ExecuteScript(std::string("begin;\n") + kPostgresWatchSchema + "\ncommit;");
}

}  // namespace tarnwick
