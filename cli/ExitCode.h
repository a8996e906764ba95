#pragma once

namespace tarnwick::cli {

// What `tarnwick-cli` hands back to the shell. Scripts branch on these, so a value once given
// keeps its meaning.
enum ExitCode : int {
    kExitComplete = 0,
    kExitStoreFailure = 1,  // also any other failure that is not one of the below
    kExitUsage = 2,
    kExitShopNotFound = 3,
    kExitUnreachable = 4,
    kExitStopped = 5,
    kExitBlocked = 6,
    kExitSecondInterrupt = 130,
};

// The table that --help and the man page print.
const char* ExitCodeHelp();

}  // namespace tarnwick::cli
