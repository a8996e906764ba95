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

    // Throws what starting a thread throws (std::system_error when the system has no thread to
    // give); nothing is then added.
    void Start(std::function<void()> body);

    // Starts a thread running its argument. A test puts in one that fails as the system may.
    using Launcher = std::function<std::thread(std::function<void()>)>;
    void SetLauncher(Launcher launcher);
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
    Launcher m_launcher;
};

}  // namespace tarnwick
