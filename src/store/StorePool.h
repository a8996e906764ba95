#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "store/Store.h"

namespace tarnwick {

// The connections that one run's workers share to its store. Opening a connection costs a
// file's probing and set-up (or a server's log-in) and throws away the prepared statements, so
// a worker takes one from here for its work and gives it back; the next worker goes on with
// it. Only as many are ever open as were in use at once.
class StorePool {
public:
    // Opens a new connection; throws what opening throws.
    using Opener = std::function<Store()>;

    // A connection taken from the pool, for one thread; back in the pool when destroyed.
    class Lease {
    public:
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&&) = delete;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();

        // Throws DatabaseError when a Renew failed and left no connection.
        Store& operator*();
        // False once Discard, or a failed Renew, left it without a connection.
        explicit operator bool() const { return m_store.has_value(); }
        Store* operator->() { return &**this; }
        // Closes this connection, lost or no longer trusted, and opens a new one in its place.
        // A page's rows sent whole may then be sent again on it.
        void Renew();
        // Closes this connection instead of giving it back: one that failed may be lost, and
        // the next worker should open its own and find out there whether the store answers.
        void Discard() { m_store.reset(); }

    private:
        friend class StorePool;
        Lease(StorePool& pool, Store store) : m_pool(&pool), m_store(std::move(store)) {}

        StorePool* m_pool;
        std::optional<Store> m_store;
    };

    explicit StorePool(Opener open);
    StorePool(const StorePool&) = delete;
    StorePool& operator=(const StorePool&) = delete;

    // An idle connection, or a new one when none is idle. Throws what opening throws.
    Lease Take();
    // Closes the idle connections; those given back later are closed too.
    void Close();
    std::size_t IdleCount() const;
    // Connections opened since the pool was made.
    std::size_t OpenedCount() const;

private:
    void GiveBack(Store store);
    Store Open();

    Opener m_open;
    mutable std::mutex m_mutex;
    std::vector<Store> m_idle;
    bool m_closed = false;
    std::size_t m_opened = 0;
};

}  // namespace tarnwick
