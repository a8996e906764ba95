#pragma once

#include "base/DateTime.h"

namespace tarnwick {

// The local date and time, behind an interface so that code that depends on "now" (run keys,
// log times, time windows) can be tested with a fixed clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() const = 0;
};

class SystemClock : public Clock {
public:
    DateTime Now() const override { return DateTime::Now(); }
    static const SystemClock& Instance() {
        static const SystemClock clock;
        return clock;
    }
};

}  // namespace tarnwick
