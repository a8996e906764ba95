#pragma once

#include <exception>
#include <functional>

#include "acquire/OwnerThread.h"

class QObject;

namespace tarnwick {

// Hands workers' steps to the thread of a context object through its Qt event queue. Steps
// still queued when the context object is destroyed are dropped with it. The context object
// must outlive every worker that may still call in.
class QtOwnerThread : public OwnerThread {
public:
    // `onError` hears a failure that escapes a step, on the context's thread, so that it does
    // not reach the event loop.
    QtOwnerThread(QObject& context, std::function<void(const std::exception&)> onError);

    void Post(std::function<void()> step) override;
    bool Send(std::function<void()> step, std::stop_token cancel) override;

private:
    QObject& m_context;
    std::function<void(const std::exception&)> m_onError;
};

}  // namespace tarnwick
