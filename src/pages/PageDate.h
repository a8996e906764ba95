#pragma once

#include <string_view>

#include "base/DateTime.h"

namespace tarnwick {

// Reads a date-time that a page shows as "year-month-day hour:minute:second" by character
// position: year 1-4 (1900 when not a number), month 6-7 (1), day 9-10 (1), hour 12-13,
// minute 15-16, second 18-19 (0 each); positions past the end give the default. Throws
// InvalidDateTime when the parts do not form a real date and time.
DateTime ReadPageDateTime(std::string_view text);

}  // namespace tarnwick
