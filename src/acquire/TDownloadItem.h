#pragma once

#include <memory>
#include <string>

#include "acquire/ItemLedger.h"
#include "analysis/AnswerClassifier.h"

namespace tarnwick {

class HttpClient;
class Run;
class Store;
struct ItemJob;
enum class WorkerFailure;

// The worker that reads one item: its page and the two companion answers, its deal records
// and its reviews, and finally the item's row. It reports its end exactly once, whatever
// happened.
class TDownloadItem {
public:
    TDownloadItem(std::shared_ptr<Run> run, QueuedItem item);

    void Execute();

private:
    void DoDownload(ItemJob& job);
    // The item's read state once its work has ended, in the run's record and the store.
    void Finish(WorkerFailure failure, Store* store) noexcept;
    // The item page's fate decides what the item's row is worth.
    void ReadStateFrom(AnswerClass answer);

    std::shared_ptr<Run> m_run;
    QueuedItem m_item;
    std::string m_itemId;
    ItemRead m_state = ItemRead::NotStarted;
    std::string m_answer;  // the answer class's name, or "store" for rows the store refused
};

}  // namespace tarnwick
