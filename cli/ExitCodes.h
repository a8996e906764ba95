#pragma once

#include "acquire/RunOutcome.h"

namespace tarnwick::cli {

// The process's exit codes. Scripts that drive the command line act on these, so a code once
// given keeps its meaning.
enum ExitCode : int {
    kExitComplete = 0,
    kExitStoreFailure = 1,  // also any other failure that ends a command
    kExitUsage = 2,
    kExitShopNotFound = 3,
    kExitUnreachable = 4,
    kExitStopped = 5,
    kExitBlocked = 6,  // also a listing whose pages changed their shape
    kExitRateLimited = 7,
    kExitTruncated = 8,
    kExitWatchFailed = 9,        // watch run: a watched run did not complete
    kExitNotifyFailed = 10,      // watch run, notify test: a channel did not take an alert
    kExitSecondInterrupt = 130,  // the shell's code for a process ended by SIGINT
};

int ExitCodeFor(RunOutcome outcome);

// The table for --help.
const char* ExitCodeText();

}  // namespace tarnwick::cli
