#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "notify/NotifyChannel.h"

namespace tarnwick {

// A channel that fails is tried again a few times, with growing pauses: a mail server that
// greylists, a robot that allows so many messages a minute, a network that comes back.
struct RetryPolicy {
    int attempts = 3;
    std::chrono::milliseconds firstPause{5'000};  // then four times as long each time
};

struct DeliveryResult {
    bool delivered = false;
    int attempts = 0;
    std::string error;  // the last failure's text when not delivered
};

using Pause = std::function<void(std::chrono::milliseconds)>;

// Sends the notice through the channel, trying again after each failure until the policy's
// attempts are used up. `pause` waits between attempts (the tests' does not).
DeliveryResult Deliver(NotifyChannel& channel, const Notification& notice,
                       const RetryPolicy& policy, const Pause& pause);

}  // namespace tarnwick
