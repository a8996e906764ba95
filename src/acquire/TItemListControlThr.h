#pragma once

#include <memory>

namespace tarnwick {

class Run;

// The worker that turns the pending download list into item downloads, keeping at most the
// run's thread count of them alive, in list order, until the reader has ended and the list is
// empty or the user stops the run.
class TItemListControlThr {
public:
    TItemListControlThr(std::shared_ptr<Run> run, int threadCount);

    void Execute();  // the thread body; always ends with one report unless the run shut down

private:
    void Control();

    std::shared_ptr<Run> m_run;
    int m_threadCount;
    int m_started = 0;  // downloads started, kept should the loop fail part-way
};

}  // namespace tarnwick
