#include "acquire/ThreadGroup.h"

namespace tarnwick {

ThreadGroup::~ThreadGroup() {
    JoinAll();
}

void ThreadGroup::Start(std::function<void()> body) {
    std::lock_guard lock(m_mutex);
    JoinFinishedLocked();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::function<void()> guarded = [body = std::move(body), finished] {
        // An exception leaving a thread ends the process; the bodies catch their own, this is
        // the last guard.
        try {
            body();
        } catch (...) {
        }
        finished->store(true);
    };
    std::thread thread =
        m_launcher ? m_launcher(std::move(guarded)) : std::thread(std::move(guarded));
    m_entries.push_back(Entry{std::move(thread), std::move(finished)});
}

void ThreadGroup::SetLauncher(Launcher launcher) {
    std::lock_guard lock(m_mutex);
    m_launcher = std::move(launcher);
}

void ThreadGroup::JoinFinishedLocked() {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
}

void ThreadGroup::JoinFinished() {
    std::lock_guard lock(m_mutex);
    JoinFinishedLocked();
}

void ThreadGroup::JoinAll() {
    // Threads may start further threads while we wait (the control thread starts downloads),
    // so take the list in turns until it stays empty.
    for (;;) {
        std::list<Entry> entries;
        {
            std::lock_guard lock(m_mutex);
            entries.swap(m_entries);
        }
        if (entries.empty()) {
            return;
        }
        for (auto& entry : entries) {
            entry.thread.join();
        }
    }
}

}  // namespace tarnwick
