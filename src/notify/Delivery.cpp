#include "notify/Delivery.h"

namespace tarnwick {

DeliveryResult Deliver(NotifyChannel& channel, const Notification& notice,
                       const RetryPolicy& policy, const Pause& pause) {
    DeliveryResult result;
    std::chrono::milliseconds wait = policy.firstPause;
    for (int attempt = 1; attempt <= std::max(1, policy.attempts); ++attempt) {
        if (attempt > 1) {
            pause(wait);
            wait *= 4;
        }
        result.attempts = attempt;
        try {
            channel.Send(notice);
            result.delivered = true;
            result.error.clear();
            return result;
        } catch (const std::exception& error) {
            result.error = error.what();
        }
    }
    return result;
}

}  // namespace tarnwick
