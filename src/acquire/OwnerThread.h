#pragma once

#include <functional>
#include <stop_token>

namespace tarnwick {

// The thread that owns a run's state (the dialog's user-interface thread, or the command
// line's main thread). Workers never change that state themselves: they hand the step over.
class OwnerThread {
public:
    virtual ~OwnerThread() = default;

    // Runs the step on the owner's thread later and returns at once.
    virtual void Post(std::function<void()> step) = 0;

    // Runs the step on the owner's thread and waits until it has run. Returns false, without
    // waiting any longer, once a stop is requested on `cancel`; the step may then still run
    // later or never, so it must hold everything it uses by value.
    virtual bool Send(std::function<void()> step, std::stop_token cancel) = 0;

protected:
    // Send from another thread: posts the step and waits until it has run (or failed) or a
    // stop is requested on `cancel`.
    bool PostAndWait(std::function<void()> step, std::stop_token cancel);
};

}  // namespace tarnwick
