#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "store/StoreError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tarnwick {

// A prepared statement. Values are always bound, never pasted into the SQL text.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Parameters count from 1, as in the SQL text's "?" order.
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::int32_t value) { return Bind(index, std::int64_t{value}); }
    Statement& Bind(int index, double value);
    Statement& Bind(int index, DateTime value);  // stored in its text form

    // True while a row is available. A locked database is waited for, within the busy limits,
    // only before the first row: stepping again after a reset would repeat rows already read.
    bool Step();
    void Run();    // steps a statement that returns no rows to its end
    void Reset();  // ready to run again; bindings cleared

    enum class StepResult { Row, Done, Busy };
    // One step without waiting for a lock. Busy (the statement already reset) lets the caller
    // wait without holding anything; every other failure resets the statement and throws.
    StepResult TryStep();

    std::string Text(int column) const;
    // Values beyond 32 bits are held at the nearest 32-bit bound rather than wrapped into
    // another, plausible number.
    std::int32_t Int(int column) const;
    std::int64_t Int64(int column) const;
    double Real(int column) const;
    DateTime Time(int column) const;               // the zero value for NULL or unreadable text
    int ColumnIndex(std::string_view name) const;  // -1 when absent; compared without case

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_midResult = false;  // a row was returned since the last reset
};

// How long a locked database is waited for. Another program (or a checkpoint) may hold the
// write lock; we wait in short engine waits and back-off sleeps, never holding a lock of our
// own meanwhile, and give up after `total`, which then fails the statement.
struct BusyLimits {
    std::chrono::milliseconds total{30'000};
    std::chrono::milliseconds engineWait{50};  // the engine's own wait inside one step
    std::chrono::milliseconds firstBackoff{5};
    std::chrono::milliseconds maxBackoff{500};
};

// One connection to the database file. Not shared between threads: every thread that touches
// the database opens its own connection to the same file.
class Database {
public:
    // Opens an existing file read-write (never creates one) and runs one statement, so that a
    // file that is not a database fails here and not later. A file that can be read but whose
    // journal cannot be written opens read-only. Throws DatabaseError.
    static Database Open(const std::string& path);

    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // Process-wide, for the connections opened from now on and every wait that starts later.
    static void SetBusyLimits(const BusyLimits& limits);
    static BusyLimits GetBusyLimits();

    const std::string& Path() const { return m_path; }
    void Execute(std::string_view sql);
    // Runs a statement that writes, queued behind this process's other writers to the file and
    // waiting out another program's lock within the busy limits.
    void Write(Statement& statement);
    // Runs `work` as one write transaction, queued behind this process's other writers like
    // Write. `work` only binds and runs its statements through WriteInTransaction. A lock that
    // another program holds is waited out with nothing held: the transaction is rolled back,
    // and `work` runs again from its start after the back-off. Any other failure rolls back
    // and throws, so either every row of `work` is stored or none.
    void WriteTransaction(const std::function<void()>& work);
    // Steps a statement that writes to its end, inside WriteTransaction's work.
    void WriteInTransaction(Statement& statement);
    // Throws DatabaseError unless a row could be written now: a read-only file or folder, a lock
    // held past the busy limits, a damaged file. Writes nothing.
    void CheckWritable();
    // A statement prepared once per connection and reset for every use.
    Statement& Prepared(const char* sql);
    sqlite3* Handle() const { return m_db; }
    // Shared by every connection of this process to the same file. Held around each single-row
    // write so that writers queue here instead of sleeping in the engine's busy handler; reads
    // never take it.
    std::mutex& WriteMutex() const;

private:
    Database(sqlite3* db, std::string path);
    static Database OpenIn(const std::string& path, int mode);

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::map<std::string, std::unique_ptr<Statement>, std::less<>> m_prepared;
    std::shared_ptr<std::mutex> m_writeMutex;
};

}  // namespace tarnwick
