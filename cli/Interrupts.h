#pragma once

namespace tarnwick::cli {

// Ctrl-C for a command that runs analyses: the first asks the command to stop (it looks at
// InterruptCount() between its waits, since a signal handler can safely do nothing more); a
// second ends the program at once, by the signal itself, so the shell sees 130.
void CatchInterrupts();
void DefaultInterrupts();
int InterruptCount();

}  // namespace tarnwick::cli
