#pragma once

#include <string_view>

namespace tarnwick {

// How a run ended, decided once its workers have ended. Callers switch over it, so a new way to
// end (a marketplace that blocks us, say) is one more value here and one more case there.
enum class RunOutcome {
    Complete,           // every queued item was read
    ShopNotFound,       // the IM card answered, but without a shop for the nick
    MarketUnreachable,  // the marketplace never gave us what we needed: every request failed
    Stopped,            // the user stopped the run
    StoreFailed,        // the database refused a row for good; the run ended early
    Blocked,            // the marketplace answered with login, verification or changed pages
};

// A short English name, for summaries and tests.
std::string_view OutcomeName(RunOutcome outcome);

// The line of our own that the log gets after the run's last line, or empty when the run's own
// lines already tell the user everything.
std::string_view OutcomeLogLine(RunOutcome outcome);

}  // namespace tarnwick
