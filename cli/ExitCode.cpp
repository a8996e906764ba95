#include "ExitCode.h"

namespace tarnwick::cli {

const char* ExitCodeHelp() {
    return "Exit status:\n"
           "  0    complete\n"
           "  1    store failure (the database cannot be opened, read or written), or another "
           "failure named on standard error\n"
           "  2    bad usage: an unknown command or option, a missing or malformed value\n"
           "  3    analyse: the shop was not found\n"
           "  4    analyse: the marketplace could not be reached\n"
           "  5    analyse: stopped by the user (Ctrl-C); what was read is stored\n"
           "  6    analyse: the marketplace blocked the run\n"
           "  130  analyse: a second Ctrl-C ended the program at once\n";
}

}  // namespace tarnwick::cli
