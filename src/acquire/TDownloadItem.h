#pragma once

#include <memory>
#include <string>

namespace tarnwick {

class HttpClient;
class Run;
struct ItemJob;

// The worker that reads one item: its page and the two companion answers, its deal records
// and its reviews, and finally the item's row. It reports its end exactly once, whatever
// happened.
class TDownloadItem {
public:
    TDownloadItem(std::shared_ptr<Run> run, std::string itemId);

    void Execute();

private:
    void DoDownload(ItemJob& job);
    void Failed(const std::string& what) noexcept;

    std::shared_ptr<Run> m_run;
    std::string m_itemId;
};

}  // namespace tarnwick
