#pragma once

#include <memory>
#include <optional>
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
    // Each false or empty answer has set the run's shop lookup to say why.
    bool FindShop(HttpClient& client);
    std::optional<std::string> ReadFirstListingPage(HttpClient& client);
    void StoreShop(Store& store);
    void ReadListing(HttpClient& client, const std::string& firstPage);
    bool YieldsIds(const std::string& text, int promised) const;
    void ParsePage(const std::string& page);

    std::shared_ptr<Run> m_run;
    std::string m_nick;
    std::string m_shopAddress;
    std::string m_ownerId;
};

}  // namespace tarnwick
