#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <string>

#include "store/StoreError.h"

namespace tarnwick {

class Run;

// What a failure thrown out of a worker's body comes to.
enum class WorkerFailure {
    None,        // the body ended by itself
    Shutdown,    // the program is ending: nothing more is told, stored or reported
    StoreEnded,  // the store failed for the run: the owner says so once, not once per worker
    Store,       // the store refused this worker's rows; the run goes on without them
    Other,       // anything else that ended the worker's work early
};

// Whether a store error ends the run rather than the work it came from. The file store has
// waited out any lock before it fails, so what remains (read-only, full, damaged) persists. On
// a server a refused row ends only its stage, but a connection still lost after the store's own
// attempts to take it up again ends the run: every further statement would wait as long again.
// Once the store has failed for the run, every later failure is that failure's echo.
bool StoreErrorEndsRun(StoreErrorKind kind, bool serverStore, bool storeFailed);

// How one worker thread ends, whatever its body did.
struct WorkerEnd {
    // The worker in the summary's error list: "item 7001", "shop reader".
    std::string name;
    // The log's words before a failure's message; empty: the failure is counted, not logged.
    std::string failureLine;
    // The worker's last step once its body has ended (not after a shutdown): it keeps its record
    // of the work and chooses the end report. What it throws is dropped; the report still goes.
    std::function<void(WorkerFailure)> finish;
    // Which report to send, asked after `finish`; required, and must not throw.
    std::function<void (Run::*())()> report;
    // How long the thread lingers after its report, so that the owner's handling of it is not
    // raced by the thread's own end.
    std::chrono::milliseconds linger{0};
};

// The top of every worker thread: runs `body`, and nothing it throws goes further. A store error
// that ends the run fails the run's store; any other failure is counted for the summary and
// logged as the worker's own line. Then the end report goes out, unless the run is shut down or
// its owner is gone.
void RunWorker(Run& run, const WorkerEnd& end, const std::function<void()>& body) noexcept;

}  // namespace tarnwick
