#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Market.h"

namespace marketsim {

// The shops the server answers for, and their pages in GBK. Pages are rendered on first use
// and kept, so that the benchmarks' thousands of requests a second cost a lookup each. Safe to
// use from every connection thread while shops are being added.
class ShopCatalog {
public:
    struct Page {
        std::shared_ptr<const std::string> body;  // GBK bytes
        const char* contentType = "text/html; charset=gbk";
        std::string cookie;  // for Set-Cookie, or empty
    };

    // A shop with the key or the nick of an earlier one replaces it.
    void AddShop(Shop shop);
    // The address every host-bearing marker carries; pages kept so far are dropped.
    void SetBaseUrl(std::string baseUrl);

    Page Card(std::string_view nick) const;  // an unknown nick gets a card without a shop
    std::optional<Page> ItemList(std::string_view path, int page) const;
    std::optional<Page> ItemPage(std::string_view itemId) const;
    std::optional<Page> DealQuantity(std::string_view itemId) const;
    std::optional<Page> ItemViews(std::string_view itemId) const;
    std::optional<Page> DealRecords(std::string_view itemId, int page) const;
    std::optional<Page> Reviews(std::string_view itemId, int page) const;

    // The shop a request is about, or null: by the IM card's nick, the listing's path, an
    // item id.
    std::shared_ptr<const Shop> ShopOfCard(std::string_view nick) const;
    std::shared_ptr<const Shop> ShopOfListing(std::string_view path) const;
    std::shared_ptr<const Shop> ShopOfItem(std::string_view itemId) const;
    // The pages of a shop that blocks us by changing its design (never kept: they are rare).
    std::optional<Page> ItemPageNewDesign(std::string_view itemId) const;
    std::optional<Page> ItemListWithoutSection(std::string_view path, int page) const;

private:
    struct ItemRef {
        std::shared_ptr<const Shop> shop;
        const Item* item = nullptr;
    };
    struct Snapshot {
        std::string base;
        std::uint64_t generation = 0;
    };

    std::shared_ptr<const Shop> FindShopByKey(std::string_view key) const;
    std::optional<ItemRef> FindItem(std::string_view itemId) const;
    Snapshot Current() const;
    // The page kept under `key`, or `render`'s output converted to GBK (kept when `keep`).
    template <typename Render>
    std::shared_ptr<const std::string> Cached(const std::string& key, bool keep,
                                              const Snapshot& snapshot, Render&& render) const;
    // One of an item's answers: nothing for an unknown item, else `render(item, base)` kept
    // under the kind and page while the page is one the item has (`pagesKept`, or always).
    template <typename Render>
    std::optional<Page> ItemAnswer(std::string_view itemId, const char* kind, int page,
                                   const char* contentType, int (*pagesKept)(const Item&),
                                   Render&& render) const;

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<const Shop>> m_shops;
    std::unordered_map<std::string, ItemRef> m_items;  // by id; the newest shop wins
    std::string m_base;
    // Bumped whenever shops or the base change, so a page rendered from the old state while
    // the change happened is not kept.
    std::uint64_t m_generation = 0;
    mutable std::unordered_map<std::string, std::shared_ptr<const std::string>> m_cache;
};

}  // namespace marketsim
