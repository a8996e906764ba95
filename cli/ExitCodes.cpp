#include "ExitCodes.h"

namespace tarnwick::cli {

int ExitCodeFor(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Complete:
            return kExitComplete;
        case RunOutcome::StoreFailed:
            return kExitStoreFailure;
        case RunOutcome::ShopNotFound:
            return kExitShopNotFound;
        case RunOutcome::MarketUnreachable:
            return kExitUnreachable;
        case RunOutcome::Stopped:
            return kExitStopped;
        case RunOutcome::Blocked:
            return kExitBlocked;
    }
    return kExitStoreFailure;
}

const char* ExitCodeText() {
    return "Exit status:\n"
           "  0    done (analyse: the run completed)\n"
           "  1    the database failed (missing, read-only, locked, full or damaged) or another "
           "failure\n"
           "  2    bad usage\n"
           "  3    analyse: no shop found for the nick\n"
           "  4    analyse: the marketplace could not be reached (every request failed)\n"
           "  5    analyse: stopped by Ctrl-C; the rows read so far are kept\n"
           "  6    analyse: the marketplace blocked the run (login or verification pages, pages\n"
           "       without their usual shape); the rows read so far are kept\n"
           "  9    watch run: a watched run did not complete (its \"监控失败\" alert is stored)\n"
           "  10   watch run, notify test: a notification channel did not take an alert\n"
           "  130  analyse, watch run: a second Ctrl-C ended the program at once\n";
}

}  // namespace tarnwick::cli
