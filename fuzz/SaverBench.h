#pragma once

#include <memory>
#include <string>

#include "acquire/ItemJob.h"
#include "acquire/Run.h"
#include "acquire/ThreadGroup.h"
#include "fetch/HttpClient.h"
#include "fetch/RecordMatcher.h"
#include "store/Store.h"

namespace tarnwick::fuzz {

// What the page savers store into: a private copy of the empty database, one run whose reports
// go nowhere, and the job of one item. Made once per process; each input starts from an empty
// run (ClearRun).
class SaverBench {
public:
    static SaverBench& Instance();

    ItemJob& Job() { return m_job; }
    Store& GetStore() { return m_store; }
    const std::string& RunId() const { return m_run->RunId(); }
    const std::string& ItemId() const { return m_job.ItemId; }
    void ClearRun();
    // Stores one answer as page 1 into an empty run with a page saver (SaveBuyerPage,
    // SaveRatePage); the rows it says it stored, or -1 when it refused the answer the one way a
    // saver may: an impossible date or a search the matcher gave up on.
    int SaveIntoEmptyRun(int (*saver)(ItemJob&, int, const std::string&), const std::string& text);

private:
    SaverBench();

    std::string m_databasePath;
    Store m_store;
    ThreadGroup m_threads;
    std::unique_ptr<RunPort> m_port;
    std::shared_ptr<Run> m_run;
    HttpClient m_client;
    RecordMatcher m_matcher;
    ItemJob m_job;
};

}  // namespace tarnwick::fuzz
