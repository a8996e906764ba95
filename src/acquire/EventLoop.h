#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "acquire/OwnerThread.h"

namespace tarnwick {

// An owner thread without a windowing system: steps handed over by workers queue up and run
// on the thread that created the loop whenever that thread calls Run... .
class EventLoop : public OwnerThread {
public:
    EventLoop();

    void Post(std::function<void()> step) override;
    bool Send(std::function<void()> step, std::stop_token cancel) override;

    // Runs steps until `done` holds (tested before waiting and after every step) or the time is
    // up; returns whether `done` held. Only the creating thread may call it.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Runs the steps queued now and those they queue, without waiting for more.
    void RunPending();
    // Wakes a RunUntil so that it re-tests `done` (for owners whose condition changes outside
    // the loop, such as a signal handler's flag).
    void Wake();

private:
    bool RunOne(std::unique_lock<std::mutex>& lock);

    std::thread::id m_owner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_steps;
    bool m_woken = false;
};

}  // namespace tarnwick
