#include "store/PgConnection.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <thread>
#include <utility>

#include <libpq-fe.h>

#include "base/Text.h"
#include "store/Database.h"

namespace tarnwick {

namespace {

// The server's messages end in a newline and may run over several lines; the user sees one.
std::string OneLine(const char* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n' || c == '\t') {
            c = ' ';
        }
    }
    return text.empty() ? "unknown failure of the database server" : text;
}

// The kind of a server's failure by its SQLSTATE (PostgreSQL's error codes, appendix A).
StoreErrorKind KindOfState(std::string_view state) {
    // Connection exceptions, and the server shutting down or not yet accepting.
    if (state.starts_with("08") || state == "57P01" || state == "57P02" || state == "57P03") {
        return StoreErrorKind::ConnectionLost;
    }
    // Serialisation failure, deadlock, a lock not granted in time, no connection slot free:
    // all pass if tried again later.
    if (state == "40001" || state == "40P01" || state == "55P03" || state == "53300") {
        return StoreErrorKind::Busy;
    }
    if (state.starts_with("53")) {  // disk full, out of memory, a configured limit
        return StoreErrorKind::Full;
    }
    // A read-only transaction (a hot standby, a read-only default) or a user without the
    // right to write.
    if (state == "25006" || state == "42501") {
        return StoreErrorKind::ReadOnly;
    }
    if (state == "XX001" || state == "XX002") {
        return StoreErrorKind::Corrupt;
    }
    if (state.starts_with("23")) {
        return StoreErrorKind::Constraint;
    }
    return StoreErrorKind::Other;
}

// Without an answer to read, the connection's state is all there is: a connection that is
// gone (or never came up) is a lost one.
[[noreturn]] void ThrowConnectionError(PGconn* conn) {
    const StoreErrorKind kind =
        PQstatus(conn) == CONNECTION_BAD ? StoreErrorKind::ConnectionLost : StoreErrorKind::Other;
    throw StoreError(OneLine(PQerrorMessage(conn)), kind);
}

// The primary message ("relation \"ratelist\" does not exist"), without the "ERROR:" prefix
// and the position lines the full text adds.
[[noreturn]] void ThrowResultError(PGconn* conn, const PGresult* result) {
    const char* primary =
        result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (primary == nullptr) {
        ThrowConnectionError(conn);
    }
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const StoreErrorKind kind = PQstatus(conn) == CONNECTION_BAD ? StoreErrorKind::ConnectionLost
                                : state != nullptr               ? KindOfState(state)
                                                                 : StoreErrorKind::Other;
    throw StoreError(OneLine(primary), kind);
}

bool IsError(const PGresult* result) {
    const ExecStatusType status = PQresultStatus(result);
    return result == nullptr ||
           (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY);
}

// A table changed under a prepared statement ("cached plan must not change result type").
// Nothing ran, so the statement may be prepared anew and sent again.
class PlanChanged : public StoreError {
public:
    using StoreError::StoreError;
};

// A server restarts in seconds; the first pauses are short so that a dropped connection to a
// server that is up costs little, the later ones long so that a server that is down is not
// asked many times a second by every worker.
constexpr std::chrono::milliseconds kFirstPause{100};
constexpr std::chrono::milliseconds kLongestPause{2000};
constexpr std::chrono::seconds kReconnectFor{30};

bool IsRead(std::string_view sql) {
    const std::size_t start = sql.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos &&
           EqualsIgnoringAsciiCase(sql.substr(start, 6), "select");
}

}  // namespace

// ---- PgResult ----

PgResult::PgResult(PgResult&& other) noexcept : m_result(std::exchange(other.m_result, nullptr)) {
}

PgResult& PgResult::operator=(PgResult&& other) noexcept {
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

PgResult::~PgResult() {
    PQclear(m_result);
}

int PgResult::Rows() const {
    return PQntuples(m_result);
}

std::int64_t PgResult::Affected() const {
    const char* text = PQcmdTuples(m_result);
    std::int64_t count = 0;
    std::from_chars(text, text + std::strlen(text), count);
    return count;
}

int PgResult::ColumnIndex(std::string_view name) const {
    const int count = PQnfields(m_result);
    for (int i = 0; i < count; ++i) {
        const char* columnName = PQfname(m_result, i);
        if (columnName != nullptr && EqualsIgnoringAsciiCase(columnName, name)) {
            return i;
        }
    }
    return -1;
}

std::string PgResult::Text(int row, int column) const {
    if (PQgetisnull(m_result, row, column)) {
        return {};
    }
    return std::string(PQgetvalue(m_result, row, column),
                       static_cast<std::size_t>(PQgetlength(m_result, row, column)));
}

std::int32_t PgResult::Int(int row, int column) const {
    const std::string text = Text(row, column);
    std::int64_t value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) {
        // Text where a number belongs reads as 0, as the file does; a wider number than the
        // row holds is held at the nearest end rather than wrapped into a wrong figure.
        double real = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), real);
        value = real >= 9.2e18    ? std::numeric_limits<std::int64_t>::max()
                : real <= -9.2e18 ? std::numeric_limits<std::int64_t>::min()
                                  : static_cast<std::int64_t>(real);
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

double PgResult::Real(int row, int column) const {
    const std::string text = Text(row, column);
    double value = 0.0;
    const char* begin = text.data();
    // "Infinity" comes with a sign only when negative; from_chars takes no "+".
    if (!text.empty() && text.front() == '+') {
        ++begin;
    }
    if (std::from_chars(begin, text.data() + text.size(), value).ec != std::errc()) {
        return 0.0;
    }
    return value;
}

DateTime PgResult::Time(int row, int column) const {
    // "2012-04-05 10:20:33", "2012-04-05 10:20:33.5" or "2012-04-05 10:20:33.123456": the
    // server drops trailing zeros of the fraction and keeps microseconds. Ours have three
    // digits.
    const std::string text = Text(row, column);
    if (text.size() < 19 || (text.size() > 19 && text[19] != '.')) {
        return DateTime();
    }
    std::string fraction = text.size() > 20 ? text.substr(20, 3) : "";
    fraction.resize(3, '0');
    try {
        return DateTime::FromText(text.substr(0, 19) + "." + fraction);
    } catch (const InvalidDateTime&) {
        return DateTime();
    }
}

// ---- PgConnection ----

PgConnection PgConnection::Open(const std::string& location) {
    // Defaults first, so that the address can override them; the encoding last, because every
    // text of ours is UTF-8 whatever the address says.
    const char* const keywords[] = {"connect_timeout", "application_name", "dbname",
                                    "client_encoding", nullptr};
    const char* const values[] = {"10", "tarnwick", location.c_str(), "UTF8", nullptr};
    PGconn* conn = PQconnectdbParams(keywords, values, 1);
    if (conn == nullptr) {
        throw StoreError("out of memory while connecting to the database server");
    }
    PgConnection connection(conn);
    if (PQstatus(conn) != CONNECTION_OK) {
        ThrowConnectionError(conn);
    }
    // The server's notices ("drop cascades to ...") would land on standard error of a
    // desktop program; nothing in them needs the user.
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    connection.PrepareSession();
    return connection;
}

PgConnection::PgConnection(pg_conn* connection) : m_conn(connection) {
}

PgConnection::PgConnection(PgConnection&& other) noexcept
    : m_conn(std::exchange(other.m_conn, nullptr)),
      m_prepared(std::move(other.m_prepared)),
      m_nextName(other.m_nextName),
      m_reconnectFor(other.m_reconnectFor),
      m_giveUp(std::move(other.m_giveUp)),
      m_inTransaction(other.m_inTransaction) {
}

PgConnection& PgConnection::operator=(PgConnection&& other) noexcept {
    if (this != &other) {
        PQfinish(m_conn);
        m_conn = std::exchange(other.m_conn, nullptr);
        m_prepared = std::move(other.m_prepared);
        m_nextName = other.m_nextName;
        m_reconnectFor = other.m_reconnectFor;
        m_giveUp = std::move(other.m_giveUp);
        m_inTransaction = other.m_inTransaction;
    }
    return *this;
}

std::chrono::milliseconds PgConnection::ReconnectBound() {
    const char* text = std::getenv("TARNWICK_RECONNECT_SECONDS");
    if (text == nullptr || *text == '\0') {
        return kReconnectFor;
    }
    double seconds = -1.0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, seconds);
    // An hour is more than any restart takes; a value beyond it is a typing error.
    if (error != std::errc() || stop != end || !(seconds >= 0.0 && seconds <= 3600.0)) {
        return kReconnectFor;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000.0));
}

PgConnection::~PgConnection() {
    PQfinish(m_conn);
}

void PgConnection::PrepareSession() {
    // The readers take dates in ISO form and need every digit of a double back; a server
    // configured otherwise must not change what we read.
    PgResult result(PQexec(m_conn, "set datestyle to 'ISO, YMD'; set extra_float_digits to 3"));
    if (IsError(result.m_result)) {
        ThrowResultError(m_conn, result.m_result);
    }
}

void PgConnection::EnsureConnected() {
    if (PQstatus(m_conn) == CONNECTION_OK) {
        return;
    }
    // The server went away (restart, network, an administrator's kill). The statement that
    // found out has failed; the next attempt needs a new connection, and the statements
    // prepared on the old one are gone with it.
    PQreset(m_conn);
    m_prepared.clear();
    if (PQstatus(m_conn) != CONNECTION_OK) {
        ThrowConnectionError(m_conn);
    }
    PrepareSession();
}

bool PgConnection::PauseBefore(std::chrono::steady_clock::time_point deadline,
                               std::chrono::milliseconds pause) const {
    // In short steps, so that a program that is ending is not held up by a server that is
    // down.
    constexpr std::chrono::milliseconds kStep{100};
    const auto until = std::min(deadline, std::chrono::steady_clock::now() + pause);
    for (;;) {
        if (m_giveUp && m_giveUp()) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) {
            return true;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(until - now, kStep));
    }
}

void PgConnection::RideOutLostConnections(std::function<bool()> giveUp) {
    m_reconnectFor = ReconnectBound();
    m_giveUp = std::move(giveUp);
}

void PgConnection::WithReconnects(const std::function<void()>& attempt) {
    const auto deadline = std::chrono::steady_clock::now() + m_reconnectFor;
    std::chrono::milliseconds pause{0};
    for (;;) {
        try {
            EnsureConnected();
            attempt();
            return;
        } catch (const StoreError& error) {
            if (error.Kind() != StoreErrorKind::ConnectionLost) {
                throw;
            }
            // The second attempt follows at once: a connection that dropped while it was idle,
            // to a server that is up again, needs no wait.
            if (pause.count() > 0 &&
                (std::chrono::steady_clock::now() >= deadline || !PauseBefore(deadline, pause))) {
                throw;
            }
        }
        pause = pause.count() == 0 ? kFirstPause : std::min(pause * 2, kLongestPause);
    }
}

PgResult PgConnection::Simple(const char* sql) {
    PgResult result(PQexec(m_conn, sql));
    if (IsError(result.m_result)) {
        ThrowResultError(m_conn, result.m_result);
    }
    return result;
}

void PgConnection::ExecuteScript(std::string_view sql) {
    // One simple query is one transaction however many statements it holds.
    const std::string text(sql);
    WithReconnects([] {});
    Simple(text.c_str());
}

PgResult PgConnection::Run(const std::string& sql, const std::vector<std::string>& params) {
    if (m_inTransaction) {
        // A lost connection took the whole transaction with it: Transaction starts it again,
        // not this statement.
        return RunOnce(sql, params);
    }
    std::optional<PgResult> result;
    const auto attempt = [&] { result.emplace(RunOnce(sql, params)); };
    if (IsRead(sql)) {
        WithReconnects(attempt);
    } else {
        Transaction(attempt);
    }
    return std::move(*result);
}

void PgConnection::Transaction(const std::function<void()>& work) {
    if (m_inTransaction) {
        work();  // part of the transaction under way
        return;
    }
    // The transaction whose commit was sent but never answered: it is asked about before
    // anything is sent again.
    std::string unsettled;
    bool planRenewed = false;
    WithReconnects([&] {
        if (!unsettled.empty()) {
            if (WasCommitted(unsettled)) {
                return;
            }
            unsettled.clear();  // rolled back: it is written again
        }
        for (;;) {
            std::string xid;
            m_inTransaction = true;
            try {
                xid = Begin();
                work();
            } catch (const PlanChanged&) {
                EndFailedTransaction();
                if (planRenewed) {
                    throw;
                }
                // The failed statement is prepared anew; nothing was stored.
                planRenewed = true;
                continue;
            } catch (...) {
                EndFailedTransaction();
                throw;
            }
            m_inTransaction = false;
            try {
                Simple("commit");
            } catch (const StoreError& error) {
                if (error.Kind() == StoreErrorKind::ConnectionLost && xid.empty()) {
                    // Nothing to ask about: sending it again might store it twice.
                    throw StoreError(std::string(error.what()) +
                                     " (whether the last write was stored is not known)");
                }
                if (error.Kind() == StoreErrorKind::ConnectionLost) {
                    unsettled = xid;
                }
                throw;
            }
            return;
        }
    });
}

bool PgConnection::WasCommitted(const std::string& xid) {
    std::string status;
    try {
        const PgResult answer = RunOnce("select pg_xact_status($1::xid8)", {xid});
        status = answer.Rows() > 0 ? answer.Text(0, 0) : "";
    } catch (const StoreError& error) {
        if (error.Kind() == StoreErrorKind::ConnectionLost) {
            throw;
        }
        // "transaction ID ... is in the future": a server that crashed lost it.
        status = "aborted";
    }
    if (status == "in progress") {
        // The old connection's server process has not yet seen that its client is gone; the
        // commit may still arrive there.
        throw StoreError("a write sent before the connection was lost is still open on the server",
                         StoreErrorKind::ConnectionLost);
    }
    return status == "committed";
}

std::string PgConnection::Begin() {
    // The transaction's number is taken at its start, so that it can be asked about on a new
    // connection should the answer to its commit be lost.
    try {
        return Simple("begin; select pg_current_xact_id()").Text(0, 0);
    } catch (const StoreError& error) {
        if (error.Kind() == StoreErrorKind::ConnectionLost) {
            throw;
        }
    }
    // A server that gives no number (a standby, one older than PostgreSQL 13): the statements
    // go on without it, so that their own failure is the one the user reads.
    Simple("rollback; begin");
    return {};
}

void PgConnection::EndFailedTransaction() noexcept {
    m_inTransaction = false;
    // A connection that is gone has rolled back on the server already; one that failed a
    // statement waits in an aborted transaction until it is ended here.
    if (PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) != PQTRANS_IDLE) {
        PgResult ended(PQexec(m_conn, "rollback"));
    }
}

PgResult PgConnection::RunOnce(const std::string& sql, const std::vector<std::string>& params) {
    try {
        return RunPrepared(sql, params);
    } catch (const PlanChanged&) {
        auto it = m_prepared.find(sql);
        if (m_inTransaction) {
            // The failure aborted the transaction, which takes no more statements: it is
            // prepared anew when the transaction runs again.
            m_prepared.erase(it);
            throw;
        }
        PgResult dropped(PQexec(m_conn, ("deallocate " + it->second).c_str()));
        m_prepared.erase(it);
        if (IsError(dropped.m_result)) {
            ThrowResultError(m_conn, dropped.m_result);
        }
        return RunPrepared(sql, params);
    }
}

PgResult PgConnection::RunPrepared(const std::string& sql, const std::vector<std::string>& params) {
    auto it = m_prepared.find(sql);
    if (it == m_prepared.end()) {
        std::string name = "tarnwick_" + std::to_string(++m_nextName);
        PgResult prepared(PQprepare(m_conn, name.c_str(), sql.c_str(), 0, nullptr));
        if (IsError(prepared.m_result)) {
            ThrowResultError(m_conn, prepared.m_result);
        }
        it = m_prepared.emplace(sql, std::move(name)).first;
    }
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const std::string& param : params) {
        values.push_back(param.c_str());
    }
    PgResult result(PQexecPrepared(m_conn, it->second.c_str(), static_cast<int>(values.size()),
                                   values.data(), nullptr, nullptr, 0));
    if (IsError(result.m_result)) {
        const char* state = result.m_result != nullptr
                                ? PQresultErrorField(result.m_result, PG_DIAG_SQLSTATE)
                                : nullptr;
        if (state != nullptr && std::strcmp(state, "0A000") == 0) {
            throw PlanChanged(
                OneLine(PQresultErrorField(result.m_result, PG_DIAG_MESSAGE_PRIMARY)));
        }
        ThrowResultError(m_conn, result.m_result);
    }
    return result;
}

std::string PgConnection::Param(std::string_view text) {
    // The server's text holds no NUL byte and libpq would cut the value there; a NUL never
    // means anything in a page's text, so it is left out rather than losing the rest.
    std::string value(text);
    std::erase(value, '\0');
    return value;
}

std::string PgConnection::Param(std::int32_t value) {
    return std::to_string(value);
}

std::string PgConnection::Param(double value) {
    // The shortest text that reads back as the same double.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string PgConnection::Param(DateTime value) {
    return value.ToText();
}

}  // namespace tarnwick
