#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/DateTime.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tarnwick {

// A failure of the database engine; the message is the engine's own text.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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

    bool Step();   // true while a row is available
    void Run();    // steps a statement that returns no rows to its end
    void Reset();  // ready to run again; bindings cleared

    std::string Text(int column) const;
    std::int32_t Int(int column) const;
    double Real(int column) const;
    DateTime Time(int column) const;               // the zero value for NULL or unreadable text
    int ColumnIndex(std::string_view name) const;  // -1 when absent; compared without case

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// One connection to the database file. Not shared between threads: every thread that touches
// the database opens its own connection to the same file.
class Database {
public:
    // Opens an existing file read-write (never creates one) and runs one statement, so that a
    // file that is not a database fails here and not later. Throws DatabaseError.
    static Database Open(const std::string& path);

    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    const std::string& Path() const { return m_path; }
    void Execute(std::string_view sql);
    // A statement prepared once per connection and reset for every use.
    Statement& Prepared(const char* sql);
    sqlite3* Handle() const { return m_db; }
    // Shared by every connection of this process to the same file. Held around each single-row
    // write so that writers queue here instead of sleeping in the engine's busy handler; reads
    // never take it.
    std::mutex& WriteMutex() const;

private:
    Database(sqlite3* db, std::string path);

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::map<std::string, std::unique_ptr<Statement>, std::less<>> m_prepared;
    std::shared_ptr<std::mutex> m_writeMutex;
};

}  // namespace tarnwick
