#include "acquire/WorkerTop.h"

#include "acquire/PageFetch.h"
#include "acquire/Run.h"

namespace tarnwick {
namespace {

void Told(Run& run, const WorkerEnd& end, const std::string& what) noexcept {
    try {
        run.CountError(end.name + ": " + what);
        if (!end.failureLine.empty()) {
            run.Log(end.failureLine + what);
        }
    } catch (...) {
        // Telling about a failure must not keep the end report from being sent.
    }
}

// Runs the body and tells what ended it.
WorkerFailure RunBody(Run& run, const WorkerEnd& end, const std::function<void()>& body) noexcept {
    try {
        body();
        return WorkerFailure::None;
    } catch (const RunAborted&) {
        return WorkerFailure::Shutdown;
    } catch (const StoreError& error) {
        if (run.StoreFailureEnds(error)) {
            try {
                run.FailStore(error);
            } catch (...) {
                // Only memory running out for the message gets here; the end report still goes.
            }
            return WorkerFailure::StoreEnded;
        }
        Told(run, end, error.what());
        return WorkerFailure::Store;
    } catch (const std::exception& error) {
        Told(run, end, error.what());
    } catch (...) {
        Told(run, end, "unknown failure");
    }
    return WorkerFailure::Other;
}

}  // namespace

bool StoreErrorEndsRun(StoreErrorKind kind, bool serverStore, bool storeFailed) {
    return !serverStore || storeFailed || kind == StoreErrorKind::ConnectionLost;
}

void RunWorker(Run& run, const WorkerEnd& end, const std::function<void()>& body) noexcept {
    const WorkerFailure failure = RunBody(run, end, body);
    if (failure == WorkerFailure::Shutdown) {
        return;
    }
    try {
        if (end.finish) {
            end.finish(failure);
        }
    } catch (...) {
        // The worker's record is the run's to keep; the end report must still go.
    }
    if (!run.ReportEnd(end.report())) {
        return;  // the owner is gone; nobody is left to count this worker's end
    }
    run.Pause(end.linger);
}

}  // namespace tarnwick
