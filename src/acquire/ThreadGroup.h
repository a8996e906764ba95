#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tarnwick {

// Owns the threads of one run. Threads that have finished are joined the next time one is
// started, so a run of thousands of items never holds more than its live threads' stacks.
class ThreadGroup {
public:
    ThreadGroup() = default;
    ~ThreadGroup();  // joins every thread
    ThreadGroup(const ThreadGroup&) = delete;
    ThreadGroup& operator=(const ThreadGroup&) = delete;

    void Start(std::function<void()> body);
    void JoinFinished();
    void JoinAll();

private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    void JoinFinishedLocked();

    std::mutex m_mutex;
    std::list<Entry> m_entries;
};

}  // namespace tarnwick
