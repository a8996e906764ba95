#pragma once

#include <string>

namespace tarnwick {

// What the owner of an acquisition (the dialog, the command line, a test) hears from it. Every
// call arrives on the owner's thread.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void LogLineAdded(const std::string& line) = 0;
    virtual void LogCleared() = 0;
    // Running: start disabled, stop enabled; idle: the other way round.
    virtual void RunningChanged(bool running) = 0;
    virtual void RunCompleted() {}
};

}  // namespace tarnwick
