#include "store/Database.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <sqlite3.h>

#include "base/Text.h"

namespace tarnwick {

namespace {

std::mutex g_busyMutex;
BusyLimits g_busyLimits;

bool IsBusy(int rc) {
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

StoreErrorKind SqliteErrorKind(int rc) {
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return StoreErrorKind::Busy;
        case SQLITE_FULL:
            return StoreErrorKind::Full;
        case SQLITE_READONLY:
        case SQLITE_PERM:  // the file or its folder may not be written by this user
            return StoreErrorKind::ReadOnly;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return StoreErrorKind::Corrupt;
        case SQLITE_CONSTRAINT:
            return StoreErrorKind::Constraint;
        default:
            return StoreErrorKind::Other;
    }
}

// Waits out a locked database: back-off sleeps that double up to a bound, until the total is
// spent. Holds nothing while it sleeps.
class BusyWait {
public:
    BusyWait() : m_limits(Database::GetBusyLimits()) {
        m_deadline = std::chrono::steady_clock::now() + m_limits.total;
        m_backoff = m_limits.firstBackoff;
    }
    // False once the total is spent.
    bool Sleep() {
        auto now = std::chrono::steady_clock::now();
        if (now >= m_deadline) {
            return false;
        }
        auto wait = std::min<std::chrono::steady_clock::duration>(m_backoff, m_deadline - now);
        std::this_thread::sleep_for(wait);
        m_backoff = std::min(m_backoff * 2, m_limits.maxBackoff);
        return true;
    }

private:
    BusyLimits m_limits;
    std::chrono::steady_clock::time_point m_deadline;
    std::chrono::milliseconds m_backoff;
};

[[noreturn]] void ThrowEngineError(sqlite3* db, int rc) {
    // The connection's message describes the failed call in detail ("no such table: Items");
    // the code's text is all there is when no connection exists.
    if (db != nullptr && sqlite3_errcode(db) == rc) {
        throw StoreError(sqlite3_errmsg(db), SqliteErrorKind(rc));
    }
    throw StoreError(sqlite3_errstr(rc), SqliteErrorKind(rc));
}

// The engine's own text for a code, with the kind the code names.
[[noreturn]] void ThrowCode(int rc) {
    throw StoreError(sqlite3_errstr(rc), SqliteErrorKind(rc));
}

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        ThrowCode(SQLITE_TOOBIG);
    }
    return static_cast<int>(size);
}

// Two connections of this process to one file must not write at the same moment: the engine
// would make the loser sleep in its busy handler for whole milliseconds. One mutex per file,
// shared by every connection to it, lets writers queue instead. The key is the canonical
// path, so two spellings of one file share a mutex.
std::shared_ptr<std::mutex> WriteMutexFor(const std::string& path) {
    static std::mutex registryMutex;
    static std::map<std::string, std::weak_ptr<std::mutex>> registry;

    std::error_code error;
    std::string key = std::filesystem::canonical(path, error).string();
    if (error) {
        key = std::filesystem::absolute(path, error).lexically_normal().string();
    }
    const std::lock_guard lock(registryMutex);
    for (auto it = registry.begin(); it != registry.end();) {
        it = it->second.expired() ? registry.erase(it) : std::next(it);
    }
    std::weak_ptr<std::mutex>& slot = registry[key];
    std::shared_ptr<std::mutex> mutex = slot.lock();
    if (!mutex) {
        mutex = std::make_shared<std::mutex>();
        slot = mutex;
    }
    return mutex;
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : m_db(db) {
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), CheckedLength(sql.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        ThrowEngineError(db, rc);
    }
    if (m_stmt == nullptr) {
        throw StoreError("not an SQL statement: " + std::string(sql));
    }
    // A second statement after the first would silently never run.
    for (const char* p = tail; p != nullptr && p < sql.data() + sql.size(); ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw StoreError("more than one SQL statement: " + std::string(sql));
        }
    }
}

Statement::Statement(Statement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr)) {
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

Statement::~Statement() {
    // The result code repeats the last step's failure, which that step already reported.
    sqlite3_finalize(m_stmt);
}

Statement& Statement::Bind(int index, std::string_view text) {
    // A null pointer would bind SQL NULL, and an empty key would then match no row.
    const char* data = text.data() != nullptr ? text.data() : "";
    const int rc =
        sqlite3_bind_text(m_stmt, index, data, CheckedLength(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) {
        ThrowEngineError(m_db, rc);
    }
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    if (rc != SQLITE_OK) {
        ThrowEngineError(m_db, rc);
    }
    return *this;
}

Statement& Statement::Bind(int index, double value) {
    const int rc = sqlite3_bind_double(m_stmt, index, value);
    if (rc != SQLITE_OK) {
        ThrowEngineError(m_db, rc);
    }
    return *this;
}

Statement& Statement::Bind(int index, DateTime value) {
    return Bind(index, std::string_view(value.ToText()));
}

Statement::StepResult Statement::TryStep() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_midResult = true;
        return StepResult::Row;
    }
    if (rc == SQLITE_DONE) {
        m_midResult = false;
        return StepResult::Done;
    }
    // A failed statement left active keeps its transaction, and with it the file's write lock
    // or an old snapshot, for as long as the connection lives: every later write of the
    // connection would then "succeed" into a transaction that never commits. So reset it now.
    // The message is taken first; the reset repeats the code, which is not news.
    const std::string message =
        sqlite3_errcode(m_db) == rc ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    const bool midResult = m_midResult;
    sqlite3_reset(m_stmt);
    m_midResult = false;
    if (IsBusy(rc) && !midResult) {
        return StepResult::Busy;
    }
    throw StoreError(message, SqliteErrorKind(rc));
}

bool Statement::Step() {
    if (m_midResult) {
        return TryStep() == StepResult::Row;
    }
    BusyWait wait;
    for (;;) {
        switch (TryStep()) {
            case StepResult::Row:
                return true;
            case StepResult::Done:
                return false;
            case StepResult::Busy:
                if (!wait.Sleep()) {
                    ThrowCode(SQLITE_BUSY);
                }
                break;
        }
    }
}

void Statement::Run() {
    while (Step()) {
    }
}

void Statement::Reset() {
    // sqlite3_reset only repeats the last step's result, already reported by Step;
    // sqlite3_clear_bindings cannot fail.
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_midResult = false;
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    if (text == nullptr) {
        if (sqlite3_column_type(m_stmt, column) != SQLITE_NULL) {
            ThrowCode(SQLITE_NOMEM);
        }
        return {};
    }
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
}

std::int32_t Statement::Int(int column) const {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(Int64(column), INT32_MIN, INT32_MAX));
}

std::int64_t Statement::Int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::Real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

DateTime Statement::Time(int column) const {
    if (sqlite3_column_type(m_stmt, column) != SQLITE_TEXT) {
        return DateTime();
    }
    try {
        return DateTime::FromText(Text(column));
    } catch (const InvalidDateTime&) {
        return DateTime();
    }
}

int Statement::ColumnIndex(std::string_view name) const {
    const int count = sqlite3_column_count(m_stmt);
    for (int i = 0; i < count; ++i) {
        const char* columnName = sqlite3_column_name(m_stmt, i);
        if (columnName == nullptr) {
            ThrowCode(SQLITE_NOMEM);
        }
        if (EqualsIgnoringAsciiCase(columnName, name)) {
            return i;
        }
    }
    return -1;
}

namespace {

enum class OpenMode { ReadWrite, ReadOnly, Immutable };

// A file URI for the path: the characters a URI gives meaning to are escaped.
std::string FileUri(const std::string& path, const char* query) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + query;
}

// A failure to open or to read the first page, with the engine's code, so that Open can tell
// a file it may only read from one that is no database at all.
struct OpenFailure {
    int code;
    std::string message;
    StoreErrorKind kind;
};

}  // namespace

Database Database::OpenIn(const std::string& path, int mode) {
    const auto openMode = static_cast<OpenMode>(mode);
    sqlite3* handle = nullptr;
    // Never SQLITE_OPEN_CREATE: a missing file must fail, not turn into an empty database.
    int flags = SQLITE_OPEN_NOMUTEX;
    flags |= openMode == OpenMode::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    std::string name = path;
    if (openMode == OpenMode::Immutable) {
        flags |= SQLITE_OPEN_URI;
        name = FileUri(path, "?immutable=1");
    }
    const int rc = sqlite3_open_v2(name.c_str(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        OpenFailure failure{rc, handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc),
                            SqliteErrorKind(rc)};
        sqlite3_close_v2(handle);
        throw failure;
    }
    Database db(handle, path);
    try {
        const int timeoutRc =
            sqlite3_busy_timeout(handle, static_cast<int>(GetBusyLimits().engineWait.count()));
        if (timeoutRc != SQLITE_OK) {
            ThrowEngineError(handle, timeoutRc);
        }
        // Opening reads nothing; the first statement does, so a file that is not a database
        // fails here instead of at the first view.
        db.Execute("select count(*) from sqlite_master");
        {
            // A file of zero bytes passes for an empty database, and the journal mode below
            // would write a database into it.
            Statement pageCount(handle, "pragma page_count");
            if (!pageCount.Step() || pageCount.Int(0) == 0) {
                ThrowCode(SQLITE_NOTADB);
            }
        }
        if (openMode == OpenMode::ReadWrite) {
            db.Execute("pragma journal_mode=WAL");
            // In WAL mode NORMAL loses no committed row on a crash of the program, only on a
            // crash of the machine, and spares a sync per appended row.
            db.Execute("pragma synchronous=NORMAL");
        }
    } catch (const StoreError& error) {
        throw OpenFailure{sqlite3_errcode(handle), error.what(), error.Kind()};
    }
    db.m_writeMutex = WriteMutexFor(path);
    return db;
}

Database Database::Open(const std::string& path) {
    try {
        return OpenIn(path, static_cast<int>(OpenMode::ReadWrite));
    } catch (const OpenFailure& failure) {
        // A database whose folder, journal or lock file we may not write can still be read:
        // the views and exports need nothing more, and a run finds out before its first
        // request (CheckWritable). Without a journal that can even be opened there is none
        // with rows in it, so reading the file as it stands loses nothing.
        const int code = failure.code & 0xff;
        if (code != SQLITE_CANTOPEN && code != SQLITE_READONLY && code != SQLITE_IOERR &&
            code != SQLITE_PERM) {
            throw StoreError(failure.message, failure.kind);
        }
        for (OpenMode fallback : {OpenMode::ReadOnly, OpenMode::Immutable}) {
            try {
                return OpenIn(path, static_cast<int>(fallback));
            } catch (const OpenFailure&) {
                // The first failure is the one worth telling.
            }
        }
        throw StoreError(failure.message, failure.kind);
    }
}

void Database::SetBusyLimits(const BusyLimits& limits) {
    std::lock_guard lock(g_busyMutex);
    g_busyLimits = limits;
}

BusyLimits Database::GetBusyLimits() {
    std::lock_guard lock(g_busyMutex);
    return g_busyLimits;
}

Database::Database(sqlite3* db, std::string path) : m_db(db), m_path(std::move(path)) {
}

Database::Database(Database&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)),
      m_path(std::move(other.m_path)),
      m_prepared(std::move(other.m_prepared)),
      m_writeMutex(std::move(other.m_writeMutex)) {
}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        m_prepared.clear();
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
        m_path = std::move(other.m_path);
        m_prepared = std::move(other.m_prepared);
        m_writeMutex = std::move(other.m_writeMutex);
    }
    return *this;
}

Database::~Database() {
    // Statements first: a connection with live statements would stay open.
    m_prepared.clear();
    sqlite3_close_v2(m_db);
}

void Database::Execute(std::string_view sql) {
    Statement statement(m_db, sql);
    statement.Run();
}

Statement& Database::Prepared(const char* sql) {
    auto it = m_prepared.find(std::string_view(sql));
    if (it == m_prepared.end()) {
        it = m_prepared.emplace(sql, std::make_unique<Statement>(m_db, sql)).first;
    }
    it->second->Reset();
    return *it->second;
}

std::mutex& Database::WriteMutex() const {
    return *m_writeMutex;
}

void Database::Write(Statement& statement) {
    BusyWait wait;
    for (;;) {
        {
            // Writers of this process queue here rather than in the engine; the lock is let go
            // before any back-off, so a writer that waits for another program blocks nobody.
            const std::lock_guard lock(*m_writeMutex);
            Statement::StepResult result;
            while ((result = statement.TryStep()) == Statement::StepResult::Row) {
            }
            if (result == Statement::StepResult::Done) {
                return;
            }
        }
        if (!wait.Sleep()) {
            ThrowCode(SQLITE_BUSY);
        }
    }
}

namespace {

// A statement of a write transaction found the file locked: the transaction is rolled back and
// tried again once the lock may have been let go.
struct TransactionBusy {};

}  // namespace

void Database::WriteInTransaction(Statement& statement) {
    Statement::StepResult result;
    while ((result = statement.TryStep()) == Statement::StepResult::Row) {
    }
    if (result == Statement::StepResult::Busy) {
        throw TransactionBusy{};
    }
    statement.Reset();
}

void Database::WriteTransaction(const std::function<void()>& work) {
    Statement& begin = Prepared("begin immediate");
    Statement& commit = Prepared("commit");
    const auto rollBack = [this] {
        // A failure such as a full disk may already have ended the transaction.
        if (sqlite3_get_autocommit(m_db) == 0) {
            sqlite3_exec(m_db, "rollback", nullptr, nullptr, nullptr);
        }
    };
    BusyWait wait;
    for (;;) {
        {
            // Immediate: the write lock is taken, or found taken, before any row, and the
            // statements after it wait for nothing while our lock is held.
            const std::lock_guard lock(*m_writeMutex);
            try {
                WriteInTransaction(begin);
                work();
                WriteInTransaction(commit);
                return;
            } catch (const TransactionBusy&) {
                rollBack();
            } catch (...) {
                rollBack();
                throw;
            }
        }
        if (!wait.Sleep()) {
            throw DatabaseError(sqlite3_errstr(SQLITE_BUSY));
        }
    }
}

void Database::CheckWritable() {
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        ThrowCode(SQLITE_READONLY);
    }
    // Taking the write lock touches the journal files and waits out another writer; a file
    // that cannot be written or a lock that is never let go fails here.
    Execute("begin immediate");
    try {
        Execute("rollback");
    } catch (const StoreError&) {
        // Nothing was written; the transaction ends with the connection at worst.
    }
}

}  // namespace tarnwick
