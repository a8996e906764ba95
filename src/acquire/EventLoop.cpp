#include "acquire/EventLoop.h"

namespace tarnwick {

EventLoop::EventLoop() : m_owner(std::this_thread::get_id()) {
}

void EventLoop::Post(std::function<void()> step) {
    {
        std::lock_guard lock(m_mutex);
        m_steps.push_back(std::move(step));
    }
    m_changed.notify_all();
}

bool EventLoop::Send(std::function<void()> step, std::stop_token cancel) {
    if (std::this_thread::get_id() == m_owner) {
        step();  // already on the owner's thread: waiting for ourselves would never end
        return true;
    }
    return PostAndWait(std::move(step), std::move(cancel));
}

bool EventLoop::RunOne(std::unique_lock<std::mutex>& lock) {
    if (m_steps.empty()) {
        return false;
    }
    auto step = std::move(m_steps.front());
    m_steps.pop_front();
    lock.unlock();
    step();
    lock.lock();
    return true;
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;) {
        lock.unlock();
        bool finished = done();
        lock.lock();
        if (finished) {
            return true;
        }
        if (RunOne(lock)) {
            continue;
        }
        if (!m_changed.wait_until(lock, deadline, [&] { return !m_steps.empty() || m_woken; })) {
            lock.unlock();
            return done();
        }
        m_woken = false;
    }
}

void EventLoop::RunPending() {
    std::unique_lock lock(m_mutex);
    while (RunOne(lock)) {
    }
}

void EventLoop::Wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_changed.notify_all();
}

}  // namespace tarnwick
