#include "Interrupts.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

#include "ExitCodes.h"

namespace tarnwick::cli {

namespace {

std::atomic<int> g_interrupts{0};

extern "C" void OnInterrupt(int) {
    if (g_interrupts.fetch_add(1) >= 1) {
        // End of the signal itself, as a program without a handler would: the shell shows 130,
        // a script running us stops as well, and nothing of the process runs on. SIGINT is
        // blocked while its handler runs, so it is let through first.
        std::signal(SIGINT, SIG_DFL);
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
        raise(SIGINT);
        _exit(kExitSecondInterrupt);  // only if the signal could not end us
    }
}

}  // namespace

void CatchInterrupts() {
    std::signal(SIGINT, OnInterrupt);
}

void DefaultInterrupts() {
    std::signal(SIGINT, SIG_DFL);
}

int InterruptCount() {
    return g_interrupts.load();
}

}  // namespace tarnwick::cli
