#pragma once

#include <string>

#include "base/Clock.h"

namespace tarnwick {

// The time a server says it is, running on at the system clock's pace: a test marketplace's
// clock (marketsim's /_sim/clock), so that the due times of watches can be tested, and the
// demo watch a shop over two days, without waiting a day. Read once; Now() asks nobody.
class RemoteClock : public Clock {
public:
    // Throws FetchError when the server cannot be asked, std::runtime_error when its answer
    // is not a time ("YYYY-MM-DD HH:MM:SS.SSS").
    static RemoteClock Read(const std::string& url);

    DateTime Now() const override;

private:
    explicit RemoteClock(double offsetDays) : m_offsetDays(offsetDays) {}

    double m_offsetDays;
};

}  // namespace tarnwick
