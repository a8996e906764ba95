#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"

struct pg_conn;
struct pg_result;

namespace tarnwick {

// The answer to one statement sent to the database server.
class PgResult {
public:
    explicit PgResult(pg_result* result) : m_result(result) {}
    PgResult(PgResult&& other) noexcept;
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;
    ~PgResult();

    int Rows() const;
    // The rows a insert, update or delete touched.
    std::int64_t Affected() const;
    int ColumnIndex(std::string_view name) const;  // -1 when absent; compared without case

    // NULL reads as the empty text, 0 or the zero date, as the file's readers do.
    std::string Text(int row, int column) const;
    std::int32_t Int(int row, int column) const;
    double Real(int row, int column) const;
    DateTime Time(int row, int column) const;  // the zero value for what is not a date-time

private:
    friend class PgConnection;
    pg_result* m_result = nullptr;
};

// One connection to a PostgreSQL server, for one thread. Every statement runs by itself in
// autocommit, with its values sent apart from its text. Every failure, a lost connection
// included, is a DatabaseError with the server's own message.
class PgConnection {
public:
    // location: a "postgresql://" address as libpq reads it.
    static PgConnection Open(const std::string& location);

    PgConnection(PgConnection&& other) noexcept;
    PgConnection& operator=(PgConnection&& other) noexcept;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;
    ~PgConnection();

    // Statements without parameters, several allowed, as one transaction.
    void ExecuteScript(std::string_view sql);
    // One statement, prepared once per connection; params[i] is $(i+1), sent as text.
    PgResult Run(const std::string& sql, const std::vector<std::string>& params);

    // Runs `work`'s statements as one transaction: a failure rolls back what `work` did and
    // is thrown again.
    void Transaction(const std::function<void()>& work);

    // The text form in which a value of ours is sent to the server.
    static std::string Param(std::string_view text);
    static std::string Param(std::int32_t value);
    static std::string Param(double value);
    static std::string Param(DateTime value);

private:
    explicit PgConnection(pg_conn* connection);
    void PrepareSession();
    void EnsureConnected();
    PgResult RunPrepared(const std::string& sql, const std::vector<std::string>& params);

    pg_conn* m_conn = nullptr;
    std::map<std::string, std::string, std::less<>> m_prepared;  // SQL text -> statement name
    int m_nextName = 0;
};

}  // namespace tarnwick
