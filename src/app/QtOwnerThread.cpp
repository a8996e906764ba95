#include "app/QtOwnerThread.h"

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
        // Already on the owner's thread: waiting for ourselves would never end.
        RunStep(step, m_onError);
        return true;
    }
    return PostAndWait(std::move(step), std::move(cancel));
}

}  // namespace tarnwick
