#include "acquire/TReadShopInfo.h"

#include <cstdint>
#include <optional>

#include "acquire/PageFetch.h"
#include "acquire/Run.h"
#include "acquire/WorkerTop.h"
#include "base/Clock.h"
#include "fetch/HttpClient.h"
#include "pages/ListingPage.h"
#include "pages/ShopIdentity.h"
#include "store/Store.h"

namespace tarnwick {

TReadShopInfo::TReadShopInfo(std::shared_ptr<Run> run)
    : m_run(std::move(run)), m_nick(m_run->Nick()) {
}

std::string TReadShopInfo::ListPageAddress(const std::string& shopAddress, int pageNumber) {
    return shopAddress + "?search=y&pageNum=" + std::to_string(pageNumber);
}

void TReadShopInfo::Execute() {
    const WorkerEnd end{"shop reader", "读取同行资料出错: ", nullptr,
                        [] { return &Run::ReportReaderEnded; }, std::chrono::milliseconds(1000)};
    RunWorker(*m_run, end, [this] {
        Store store = m_run->OpenStore();
        HttpClient client;
        PrepareClient(*m_run, client);
        Read(store, client);
    });
}

void TReadShopInfo::Read(Store& store, HttpClient& client) {
    if (!FindShop(client)) {
        return;
    }
    const std::optional<std::string> first = ReadFirstListingPage(client);
    if (!first) {
        return;
    }
    StoreShop(store);
    ReadListing(client, *first);
}

bool TReadShopInfo::FindShop(HttpClient& client) {
    // The IM card is fetched here rather than inside the lookup so that its answer counts for
    // the run's health: a card that sends us to a login page is a blocked run, not a shop
    // that does not exist.
    ShopIdentity identity;
    FetchedPage card;
    try {
        card = FetchGbkAddress(*m_run, client, ImCardAddress(m_run->GetEndpoints(), m_nick),
                               PageKind::Card);
    } catch (const FetchError&) {
        m_run->SetShopLookup(Run::ShopLookup::Unreachable);
        return false;
    }
    if (!ResolveShopIdentityFromCard(card.text, m_run->GetEndpoints(), identity)) {
        m_run->SetShopLookup(Run::ShopLookup::NotFound);
        return false;
    }
    m_run->MarkShopFound();
    m_shopAddress = identity.shopAddress;
    m_ownerId = identity.ownerId;
    return true;
}

// A page of a listing that promises pages and has not yet given one id, that gives no id
// either: the links have changed their form, and the page is no page we can read.
bool TReadShopInfo::YieldsIds(const std::string& text, int promised) const {
    return promised <= 0 || m_run->Listing().ids > 0 || !ListingItemIds(text).empty();
}

std::optional<std::string> TReadShopInfo::ReadFirstListingPage(HttpClient& client) {
    m_run->Log("正在读第1页宝贝列表...");
    // The identity lookup must not follow redirects; the listing pages do.
    client.SetFollowRedirects(true);
    FetchedPage first;
    try {
        first =
            FetchPage(*m_run, client, ListPageAddress(m_shopAddress, 1), PageKind::Listing,
                      [&](const std::string& text) {
                          const int promised = ListingPageCount(text);
                          return ListingHasShape(text, 1, promised) && YieldsIds(text, promised);
                      });
    } catch (const FetchError&) {
        m_run->SetShopLookup(Run::ShopLookup::Unreachable);
        return std::nullopt;
    }
    m_run->SetShopLookup(Run::ShopLookup::Found);
    return std::move(first.text);
}

void TReadShopInfo::StoreShop(Store& store) {
    ShopRow shop;
    shop.SID = m_run->RunId();
    shop.OwnerID = m_ownerId;
    shop.ShopURL = m_shopAddress;
    shop.WWName = m_nick;
    shop.AddTime = m_run->GetClock().Now();
    store.AppendShop(shop);
    m_run->Log("保存同行资料成功.");
}

void TReadShopInfo::ReadListing(HttpClient& client, const std::string& firstPage) {
    const int promised = ListingPageCount(firstPage);
    int pageCount = promised;
    if (pageCount > m_run->Limits().maxListPages) {
        m_run->Log("宝贝列表共" + std::to_string(pageCount) + "页, 只读前" +
                   std::to_string(m_run->Limits().maxListPages) + "页.");
        pageCount = m_run->Limits().maxListPages;
    }
    m_run->SetListingPages(promised, pageCount);
    ParsePage(firstPage);
    for (std::int64_t page = 2; page <= pageCount; ++page) {
        if (m_run->StopRequested()) {
            return;
        }
        m_run->Log("正在读第" + std::to_string(page) + "页宝贝列表...");
        try {
            const int number = static_cast<int>(page);
            ParsePage(FetchPage(*m_run, client, ListPageAddress(m_shopAddress, number),
                                PageKind::Listing,
                                [&](const std::string& text) {
                                    return ListingHasShape(text, number, pageCount) &&
                                           YieldsIds(text, promised);
                                })
                          .text);
        } catch (const RunAborted&) {
            throw;
        } catch (const std::exception&) {
            // A page that cannot be fetched or cut is skipped; the next one may well work.
            m_run->CountListingPage(false, 0);
        }
    }
    m_run->MarkListingEnded();
}

void TReadShopInfo::ParsePage(const std::string& page) {
    std::vector<std::string> ids = ListingItemIds(page);
    m_run->CountListingPage(true, static_cast<int>(ids.size()));
    m_run->AppendPending(ids);
    m_run->Log("待下载列表增加" + std::to_string(ids.size()) + "个宝贝...");
}

}  // namespace tarnwick
