#pragma once

#include "store/Database.h"
#include "store/SqlStore.h"

namespace tarnwick {

// The analyses in the database file, on one connection to it.
class SqliteStore : public SqlStore {
public:
    explicit SqliteStore(Database db);

    Database& Connection() { return m_db; }

    void Select(const char* sql, std::span<const SqlValue> params,
                const std::function<void(RowCursor&)>& read) override;
    std::int64_t Execute(const char* sql, std::span<const SqlValue> params) override;
    bool HasTable(std::string_view name) override;

    void DeleteShop(std::string_view sid) override;
    void CheckWritable() override;
    // Atomic across every program using the file: the key goes into RunKeys, whose primary
    // key lets only one of two simultaneous claims through. A file made before RunKeys has no
    // such table and the program never adds one; there a key is free while no stored run
    // carries it.
    bool ClaimRunKey(std::string_view sid, DateTime claimedAt) override;
    void CreateWatchTables() override;

protected:
    // One statement a row, all in one transaction: one lock round and one commit for the page.
    void InsertRows(const std::function<std::string(std::size_t rows)>& sql, std::size_t width,
                    std::span<const SqlValue> values) override;
    std::int32_t InsertNumbered(const std::string& sql, std::span<const SqlValue> params,
                                const char* key) override;

private:
    Database m_db;
};

}  // namespace tarnwick
