#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tarnwick {

// Where the analyses are kept: a database file, or a team's PostgreSQL server. Made once from
// what the user gave (--db, the data folder's choice) and handed to everything that opens the
// store, so that nobody looks at the text again to guess its kind.
class StoreSource {
public:
    enum class Backend { File, Server };

    // A "postgresql://" or "postgres://" address (libpq takes both spellings) is a server;
    // anything else is the path of a database file.
    static StoreSource Parse(std::string_view text);
    static StoreSource File(std::string path);

    StoreSource() = default;  // no store: an empty file path

    Backend GetBackend() const { return m_backend; }
    bool IsServer() const { return m_backend == Backend::Server; }
    // The text as given, a password included: for opening the store, never for showing.
    const std::string& Location() const { return m_location; }
    // The text as the user may be shown it: a server address's password is hidden.
    std::string Shown() const;

    friend bool operator==(const StoreSource&, const StoreSource&) = default;

private:
    StoreSource(Backend backend, std::string location)
        : m_backend(backend), m_location(std::move(location)) {}

    Backend m_backend = Backend::File;
    std::string m_location;
};

}  // namespace tarnwick
