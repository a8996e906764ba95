#pragma once

#include <stdexcept>
#include <string>

namespace tarnwick {

// What went wrong with the store, in the terms its callers act on: a run waits out nothing
// more once the wait for a lock has failed, stops at once on a full, read-only or damaged
// store, and may try again on a server connection that was lost.
enum class StoreErrorKind {
    Busy,            // locked by another writer past the wait, or a conflict the server refused
    Full,            // no room left: the disk, the quota or the server's resources
    ReadOnly,        // the store may be read but not written (file, folder, user or server)
    Corrupt,         // not a database, or a damaged one
    ConnectionLost,  // the server could not be reached or went away
    Constraint,      // a row broke a rule of the schema
    Other,
};

// "busy", "full", "read-only", "corrupt", "connection lost", "constraint", "other".
const char* StoreErrorKindName(StoreErrorKind kind);

// A failure of the store, from either engine; the message is the engine's own text.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& message, StoreErrorKind kind = StoreErrorKind::Other)
        : std::runtime_error(message), m_kind(kind) {}

    StoreErrorKind Kind() const { return m_kind; }

private:
    StoreErrorKind m_kind;
};

// The name these failures had before they carried a kind: the same type, kept while branches
// written against it are merged.
using DatabaseError = StoreError;

}  // namespace tarnwick
