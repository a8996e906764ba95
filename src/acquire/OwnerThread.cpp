#include "acquire/OwnerThread.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace tarnwick {

bool OwnerThread::PostAndWait(std::function<void()> step, std::stop_token cancel) {
    struct Handshake {
        std::mutex mutex;
        std::condition_variable_any done;
        bool ran = false;
    };
    auto handshake = std::make_shared<Handshake>();
    Post([handshake, step = std::move(step)] {
        // Marked as run even when the step fails: the sender must not wait for ever.
        struct MarkRan {
            Handshake& h;
            ~MarkRan() {
                std::lock_guard lock(h.mutex);
                h.ran = true;
                h.done.notify_all();
            }
        } mark{*handshake};
        step();
    });
    std::unique_lock lock(handshake->mutex);
    return handshake->done.wait(lock, cancel, [&] { return handshake->ran; });
}

}  // namespace tarnwick
