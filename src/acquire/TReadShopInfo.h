#pragma once

#include <memory>
#include <string>

namespace tarnwick {

class HttpClient;
class Run;
class Store;

// The worker that opens every run: resolves the shopkeeper nick into the shop, stores the
// shop's row and queues the item ids of every item-list page.
class TReadShopInfo {
public:
    explicit TReadShopInfo(std::shared_ptr<Run> run);

    void Execute();  // the thread body; ends with exactly one reader-ended report

    static std::string ListPageAddress(const std::string& shopAddress, int pageNumber);

private:
    void Read(Store& store, HttpClient& client);
    void ParsePage(const std::string& page);

    std::shared_ptr<Run> m_run;
    std::string m_nick;
    std::string m_shopAddress;
    std::string m_ownerId;
};

}  // namespace tarnwick
