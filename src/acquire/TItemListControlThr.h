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

    void Execute();

private:
    std::shared_ptr<Run> m_run;
    int m_threadCount;
};

}  // namespace tarnwick
