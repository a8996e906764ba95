#include "support/TempStore.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "store/Database.h"
#include "store/PgConnection.h"
#include "store/PostgresStore.h"

namespace tarnwick::test {

std::string KindName(StoreKind kind) {
    return kind == StoreKind::File ? "File" : "Server";
}

void PrintTo(StoreKind kind, std::ostream* os) {
    *os << KindName(kind);
}

std::string TempStore::ServerAddress() {
    if (const char* address = std::getenv("TARNWICK_TEST_PG"); address != nullptr && *address) {
        return address;
    }
    return TARNWICK_TEST_PG;
}

std::string TempStore::SchemaAddress(const std::string& schema) {
    const std::string server = ServerAddress();
    // Unqualified names then land in the test's own schema, as in a database of its own.
    return server + (server.find('?') == std::string::npos ? "?" : "&") +
           "options=-csearch_path%3D" + schema + "&application_name=" + schema;
}

TempStore::TempStore(StoreKind kind) : m_kind(kind) {
    if (kind == StoreKind::File) {
        m_file.emplace();
        m_location = m_file->Path();
        return;
    }
    static std::atomic<int> counter{0};
    std::random_device random;
    m_schema = "t" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" +
               std::to_string(random() % 100000);
    try {
        PgConnection admin = PgConnection::Open(ServerAddress());
        admin.ExecuteScript("create schema " + m_schema);
    } catch (const DatabaseError& error) {
        throw std::runtime_error(
            std::string("the test cluster's server cannot be reached (ctest starts it; by hand: "
                        "scripts/pg-test-cluster start DIR and TARNWICK_TEST_PG): ") +
            error.what());
    }
    m_location = SchemaAddress(m_schema);
    PostgresStore::CreateSchema(m_location);
}

TempStore::~TempStore() {
    if (m_schema.empty()) {
        return;
    }
    try {
        PgConnection admin = PgConnection::Open(ServerAddress());
        admin.ExecuteScript("drop schema " + m_schema + " cascade");
    } catch (const DatabaseError&) {
        // The cluster is thrown away at the end anyway.
    }
}

void TempStore::RefuseBuyer(const std::string& buyer) const {
    if (m_kind == StoreKind::File) {
        Execute("create trigger refuse before insert on BuyerList when new.Buyer = '" + buyer +
                "' begin select raise(abort, 'refused'); end");
        return;
    }
    Execute(
        "create function refuse() returns trigger language plpgsql as $$ begin if new.buyer "
        "= '" +
        buyer +
        "' then raise exception 'refused'; end if; return new; end $$; create trigger refuse "
        "before insert on BuyerList for each row execute function refuse()");
}

Store TempStore::Open() const {
    return Store::Open(Source());
}

void TempStore::Execute(const std::string& sql) const {
    if (m_kind == StoreKind::File) {
        Database::Open(m_location).Execute(sql);
    } else {
        PgConnection::Open(m_location).ExecuteScript(sql);
    }
}

int TempStore::Count(const std::string& sql) const {
    if (m_kind == StoreKind::File) {
        Database db = Database::Open(m_location);
        Statement query(db.Handle(), sql);
        if (!query.Step()) {
            throw std::runtime_error("no row from " + sql);
        }
        return query.Int(0);
    }
    PgConnection connection = PgConnection::Open(m_location);
    const PgResult result = connection.Run(sql, {});
    if (result.Rows() == 0) {
        throw std::runtime_error("no row from " + sql);
    }
    return result.Int(0, 0);
}

namespace {

PgConnection Admin() {
    return PgConnection::Open(TempStore::ServerAddress());
}

}  // namespace

ServerRole::ServerRole()
    : m_name("tw_role_" + std::to_string(getpid()) + "_" + std::to_string(std::rand())) {
    Admin().ExecuteScript("create role " + m_name + " login");
}

ServerRole::~ServerRole() {
    try {
        PgConnection admin = Admin();
        admin.Run("select pg_terminate_backend(pid) from pg_stat_activity where usename = $1",
                  {m_name});
        admin.ExecuteScript("drop owned by " + m_name + "; drop role " + m_name);
    } catch (const std::exception&) {
    }
}

void ServerRole::MayUse(const std::string& schema) {
    Admin().ExecuteScript("grant usage on schema " + schema + " to " + m_name +
                          "; grant all on all tables in schema " + schema + " to " + m_name);
}

void ServerRole::ShutOut() {
    Admin().ExecuteScript("alter role " + m_name + " nologin");
}

void ServerRole::LetIn() {
    Admin().ExecuteScript("alter role " + m_name + " login");
}

int ServerRole::EndConnections() {
    return Admin()
        .Run("select pg_terminate_backend(pid) from pg_stat_activity where usename = $1", {m_name})
        .Rows();
}

std::string ServerRole::Address(std::string location) const {
    const std::string user = "user=";
    if (auto at = location.find(user); at != std::string::npos) {
        const auto end = location.find('&', at);
        location.replace(at, (end == std::string::npos ? location.size() : end) - at,
                         user + m_name);
        return location;
    }
    return location + (location.find('?') == std::string::npos ? "?" : "&") + user + m_name;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* before = std::getenv(name)) {
        m_before = before;
    }
    setenv(name, value, 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_before) {
        setenv(m_name, m_before->c_str(), 1);
    } else {
        unsetenv(m_name);
    }
}

}  // namespace tarnwick::test
