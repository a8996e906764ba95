#pragma once

#include <chrono>
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

// One connection to a PostgreSQL server, for one thread, with every value sent apart from its
// statement's text. A connection lost to a server's restart or a dropped network is taken up
// again: a statement, or a whole transaction, that the loss cut short runs again on a new
// connection, and a write whose commit may or may not have reached the server is asked about,
// never sent twice. That is tried once at once, and for a while longer on a connection told to
// ride out lost connections. Every failure that remains is a DatabaseError with the server's
// own message; a connection still lost at the end is ConnectionLost.
class PgConnection {
public:
    // location: a "postgresql://" address as libpq reads it.
    static PgConnection Open(const std::string& location);

    PgConnection(PgConnection&& other) noexcept;
    PgConnection& operator=(PgConnection&& other) noexcept;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;
    ~PgConnection();

    // Statements without parameters, several allowed, as one transaction. Sent once: a script
    // that lost its connection may have run, so it is not sent again.
    void ExecuteScript(std::string_view sql);
    // One statement, prepared once per connection; params[i] is $(i+1), sent as text. Outside
    // Transaction, a "select" runs by itself and any other statement as a transaction of its
    // own. Never "begin" or "commit": Transaction does that.
    PgResult Run(const std::string& sql, const std::vector<std::string>& params);
    // The statements `work` runs, as one transaction: all are stored or none. On a lost
    // connection `work` runs again from its start, so it must only send statements (it may run
    // more than once); any other failure rolls back and is thrown again.
    void Transaction(const std::function<void()>& work);

    // From now on a lost connection is tried again, with growing pauses, for ReconnectBound
    // before the failure stands: a worker that would lose rows otherwise. `giveUp` is asked
    // during the pauses; true ends them at once (the program is ending, say). A connection a
    // user waits on keeps to the one attempt at once.
    void RideOutLostConnections(std::function<bool()> giveUp);
    // 30 s, or TARNWICK_RECONNECT_SECONDS from the environment when it holds a number of
    // seconds.
    static std::chrono::milliseconds ReconnectBound();

    // The text form in which a value of ours is sent to the server.
    static std::string Param(std::string_view text);
    static std::string Param(std::int32_t value);
    static std::string Param(double value);
    static std::string Param(DateTime value);

private:
    explicit PgConnection(pg_conn* connection);
    void PrepareSession();
    void EnsureConnected();
    PgResult RunOnce(const std::string& sql, const std::vector<std::string>& params);
    PgResult RunPrepared(const std::string& sql, const std::vector<std::string>& params);
    // `attempt` until it passes, or fails otherwise than by a lost connection, or the second
    // attempt has failed and the bound has passed.
    void WithReconnects(const std::function<void()>& attempt);
    bool PauseBefore(std::chrono::steady_clock::time_point deadline,
                     std::chrono::milliseconds pause) const;
    PgResult Simple(const char* sql);
    std::string Begin();  // the transaction's number, or nothing when the server gives none
    // What became of a transaction whose commit went unanswered: true when it was committed,
    // false when it was rolled back; a ConnectionLost StoreError while it is still open.
    bool WasCommitted(const std::string& xid);
    void EndFailedTransaction() noexcept;

    pg_conn* m_conn = nullptr;
    std::map<std::string, std::string, std::less<>> m_prepared;  // SQL text -> statement name
    int m_nextName = 0;
    std::chrono::milliseconds m_reconnectFor{0};
    std::function<bool()> m_giveUp;
    bool m_inTransaction = false;
};

}  // namespace tarnwick
