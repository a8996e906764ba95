#pragma once

#include <string>
#include <string_view>

#include "analysis/RunRecord.h"

namespace tarnwick {

// A short English name, for summaries and tests.
std::string_view OutcomeName(RunOutcome outcome);

// The line of our own that the log gets at the run's end, or empty when the run's own lines
// already tell the user everything.
std::string_view OutcomeLogLine(RunOutcome outcome);

// What the box at the end of a run that is not complete tells the user: what happened, how
// much of the shop was read, and what to do about it. Empty for a complete run that read
// every item of its whole listing.
std::string OutcomeNotice(const RunOutcomeRow& record);

}  // namespace tarnwick
