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
        case RunOutcome::ChangedPages:
            return kExitBlocked;
        case RunOutcome::RateLimited:
            return kExitRateLimited;
        case RunOutcome::Truncated:
            return kExitTruncated;
        case RunOutcome::Running:
            break;
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
           "       without their usual shape, a listing that promises items and yields none);\n"
           "       the rows read so far are kept\n"
           "  7    analyse: the marketplace kept refusing the run's pace (HTTP 429 or 503 with\n"
           "       Retry-After, three pauses in a row without an answer between them)\n"
           "  8    analyse: the listing had more pages than --max-list-pages; the rest was not\n"
           "       read\n"
           "  9    watch run: a watched run did not complete (its \"监控失败\" alert is stored)\n"
           "  10   watch run, notify test: a notification channel did not take an alert\n"
           "  130  analyse, watch run: a second Ctrl-C ended the program at once\n";
}

}  // namespace tarnwick::cli
