#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {

// The two kinds of store every store test and the acquisition's end-to-end tests run against.
enum class StoreKind { File, Server };

std::string KindName(StoreKind kind);  // "File", "Server": test name suffixes
void PrintTo(StoreKind kind, std::ostream* os);

// A fresh, empty store of either kind, gone with everything in it when the object goes: a
// copy of the empty database file, or a schema of its own on the test cluster's server
// (TARNWICK_TEST_PG, or the address the build gives) created as init-db creates one.
class TempStore {
public:
    explicit TempStore(StoreKind kind);
    ~TempStore();
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    StoreKind Kind() const { return m_kind; }
    // What --db takes: the file's path or the server's address.
    const std::string& Location() const { return m_location; }
    StoreSource Source() const { return StoreSource::Parse(m_location); }
    // The server store's schema; its connections carry it as their application name, so a
    // test can find them on the server.
    const std::string& SchemaName() const { return m_schema; }
    Store Open() const;

    // Statements of the test's own, on a connection of their own, in the engine's dialect.
    void Execute(const std::string& sql) const;
    // The first column of the first row, as a number.
    int Count(const std::string& sql) const;
    // From now on the store refuses every BuyerList row for this buyer, as a full disk or a
    // lost connection would refuse a row.
    void RefuseBuyer(const std::string& buyer) const;

    // The address of the test cluster's server, and one for a schema of the given name on it.
    static std::string ServerAddress();
    static std::string SchemaAddress(const std::string& schema);

private:
    StoreKind m_kind;
    std::optional<TempDatabase> m_file;
    std::string m_schema;
    std::string m_location;
};

// A login role of the test's own on the test cluster, which the test can shut out, as a server
// that restarts or stops does.
class ServerRole {
public:
    ServerRole();
    ~ServerRole();
    ServerRole(const ServerRole&) = delete;
    ServerRole& operator=(const ServerRole&) = delete;

    const std::string& Name() const { return m_name; }
    void MayUse(const std::string& schema);
    // Connections already open go on; every new one is refused until LetIn.
    void ShutOut();
    void LetIn();
    // Ends every connection of the role, as a server's restart does; returns how many.
    int EndConnections();
    // The address of `location` with this role as its user.
    std::string Address(std::string location) const;

private:
    std::string m_name;
};

// An environment variable set for as long as the object lives, then as it was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_before;
};

}  // namespace tarnwick::test
