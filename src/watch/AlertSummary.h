#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "notify/Notification.h"
#include "watch/AlertRules.h"

namespace tarnwick {

// Group robots take a message of about 2,000 bytes; a summary stays well inside that with its
// title and the closing count.
inline constexpr std::size_t kSummaryBytes = 1500;

// The one message of a watched run: its alerts, most pressing kind first (a failed run, price
// cuts, stock running out ...), as many as fit in `maxBytes`, then one line that counts the
// rest. Nothing to send when there are no alerts.
Notification SummariseAlerts(std::string_view nick, const std::vector<Alert>& alerts,
                             std::size_t maxBytes = kSummaryBytes);

}  // namespace tarnwick
