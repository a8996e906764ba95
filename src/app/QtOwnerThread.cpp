#include "app/QtOwnerThread.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace tarnwick {

QtOwnerThread::QtOwnerThread(QObject& context, std::function<void(const std::exception&)> onError)
    : m_context(context), m_onError(std::move(onError)) {
}

namespace {

void RunStep(const std::function<void()>& step,
             const std::function<void(const std::exception&)>& onError) {
    try {
        step();
    } catch (const std::exception& error) {
        if (onError) {
            onError(error);
        }
    } catch (...) {
        if (onError) {
            onError(std::runtime_error("未知错误"));
        }
    }
}

}  // namespace

void QtOwnerThread::Post(std::function<void()> step) {
    // The queued step holds its own copy of the error handler, not this object, so it never
    // reaches back into an owner that is already being torn down.
    QMetaObject::invokeMethod(
        &m_context, [onError = m_onError, step = std::move(step)] { RunStep(step, onError); },
        Qt::QueuedConnection);
}

bool QtOwnerThread::Send(std::function<void()> step, std::stop_token cancel) {
    if (QThread::currentThread() == m_context.thread()) {
        RunStep(step,
                m_onError);  // already on the owner's thread: waiting for ourselves would never end
        return true;
    }
    struct Handshake {
        std::mutex mutex;
        std::condition_variable_any done;
        bool ran = false;
    };
    auto handshake = std::make_shared<Handshake>();
    Post([handshake, step = std::move(step)] {
        // Marked as run even when the step failed: the sender must not wait for ever.
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
