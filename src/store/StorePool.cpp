#include "store/StorePool.h"

#include <utility>

namespace tarnwick {

StorePool::Lease::Lease(Lease&& other) noexcept
    : m_pool(std::exchange(other.m_pool, nullptr)), m_store(std::move(other.m_store)) {
    other.m_store.reset();
}

StorePool::Lease::~Lease() {
    if (m_pool != nullptr && m_store) {
        m_pool->GiveBack(std::move(*m_store));
    }
}

Store& StorePool::Lease::operator*() {
    if (!m_store) {
        throw DatabaseError("no connection to the store: opening a new one failed");
    }
    return *m_store;
}

void StorePool::Lease::Renew() {
    m_store.reset();
    m_store.emplace(m_pool->Open());
}

StorePool::StorePool(Opener open) : m_open(std::move(open)) {
}

StorePool::Lease StorePool::Take() {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            Store store = std::move(m_idle.back());
            m_idle.pop_back();
            return Lease(*this, std::move(store));
        }
    }
    // Opened outside the lock: a server's log-in takes a while, and other workers may give
    // back or take idle connections meanwhile.
    return Lease(*this, Open());
}

Store StorePool::Open() {
    Store store = m_open();
    const std::lock_guard lock(m_mutex);
    ++m_opened;
    return store;
}

void StorePool::GiveBack(Store store) {
    std::unique_lock lock(m_mutex);
    if (m_closed) {
        lock.unlock();
        return;  // closed as it goes out of scope, outside the lock
    }
    m_idle.push_back(std::move(store));
}

void StorePool::Close() {
    std::vector<Store> idle;
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        idle.swap(m_idle);
    }
}

std::size_t StorePool::OpenedCount() const {
    const std::lock_guard lock(m_mutex);
    return m_opened;
}

std::size_t StorePool::IdleCount() const {
    const std::lock_guard lock(m_mutex);
    return m_idle.size();
}

}  // namespace tarnwick
