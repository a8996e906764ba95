#pragma once

#include <functional>
#include <string>
#include <utility>

#include "store/PgConnection.h"
#include "store/SqlStore.h"

namespace tarnwick {

// The analyses of a team on a PostgreSQL server, on one connection of one thread. The same
// rows as in the file; many programs on many machines write at once.
class PostgresStore : public SqlStore {
public:
    explicit PostgresStore(PgConnection connection);

    // Creates the tables in the empty database at `location` from the schema built into the
    // program. Refuses, changing nothing, when any of them is there already: the program never
    // alters a schema it finds. Throws DatabaseError.
    static void CreateSchema(const std::string& location);
    // The text of that schema.
    static const char* SchemaText();

    void Select(const char* sql, std::span<const SqlValue> params,
                const std::function<void(RowCursor&)>& read) override;
    std::int64_t Execute(const char* sql, std::span<const SqlValue> params) override;
    // Along the search path, where unqualified names resolve.
    bool HasTable(std::string_view name) override;

    void RideOutLostConnections(std::function<bool()> giveUp) override {
        m_connection.RideOutLostConnections(std::move(giveUp));
    }
    void DeleteShop(std::string_view sid) override;
    // Atomic across every program using the server: the key goes into RunKeys, whose primary
    // key lets only one of two simultaneous claims through.
    bool ClaimRunKey(std::string_view sid, DateTime claimedAt) override;
    void CreateWatchTables() override;

protected:
    // As many rows a statement as one should carry: one statement is one transaction on the
    // server, and one round trip instead of one a row. A longer page goes in several
    // statements, inside one transaction.
    void InsertRows(const std::function<std::string(std::size_t rows)>& sql, std::size_t width,
                    std::span<const SqlValue> values) override;
    std::int32_t InsertNumbered(const std::string& sql, std::span<const SqlValue> params,
                                const char* key) override;

private:
    PgConnection m_connection;
};

}  // namespace tarnwick
