#include "ShopCatalog.h"

#include <algorithm>

#include "MarketPages.h"
#include "fetch/Gbk.h"

namespace marketsim {
namespace {

std::string CacheKey(std::string_view kind, std::string_view name, int page) {
    std::string key(kind);
    key += '\x1f';
    key += name;
    key += '\x1f';
    key += std::to_string(page);
    return key;
}

}  // namespace

void ShopCatalog::AddShop(Shop shop) {
    auto added = std::make_shared<const Shop>(std::move(shop));
    std::lock_guard lock(m_mutex);
    std::erase_if(m_shops, [&](const std::shared_ptr<const Shop>& s) {
        return s->key == added->key || s->nick == added->nick;
    });
    m_shops.push_back(added);
    m_items.clear();
    for (const auto& s : m_shops) {
        for (const Item& item : s->items) {
            m_items[item.id] = ItemRef{s, &item};
        }
    }
    ++m_generation;
    m_cache.clear();
}

void ShopCatalog::SetBaseUrl(std::string baseUrl) {
    std::lock_guard lock(m_mutex);
    m_base = std::move(baseUrl);
    ++m_generation;
    m_cache.clear();
}

ShopCatalog::Snapshot ShopCatalog::Current() const {
    std::lock_guard lock(m_mutex);
    return Snapshot{m_base, m_generation};
}

std::shared_ptr<const Shop> ShopCatalog::FindShopByKey(std::string_view key) const {
    std::lock_guard lock(m_mutex);
    for (const auto& s : m_shops) {
        if (s->key == key) {
            return s;
        }
    }
    return nullptr;
}

std::optional<ShopCatalog::ItemRef> ShopCatalog::FindItem(std::string_view itemId) const {
    std::string id(itemId);
    std::lock_guard lock(m_mutex);
    auto found = m_items.find(id);
    if (found == m_items.end() &&
        std::any_of(id.begin(), id.end(), [](char c) { return c & 0x80; })) {
        // An odd id with Chinese in it comes back the way the list page sent it: in GBK.
        found = m_items.find(tarnwick::GbkToUtf8(id));
    }
    if (found == m_items.end()) {
        return std::nullopt;
    }
    return found->second;
}

template <typename Render>
std::shared_ptr<const std::string> ShopCatalog::Cached(const std::string& key, bool keep,
                                                       const Snapshot& snapshot,
                                                       Render&& render) const {
    if (keep) {
        std::lock_guard lock(m_mutex);
        auto found = m_cache.find(key);
        if (found != m_cache.end() && snapshot.generation == m_generation) {
            return found->second;
        }
    }
    // Rendered outside the lock: a long page must not hold up every other connection.
    auto body = std::make_shared<const std::string>(tarnwick::Utf8ToGbk(render()));
    if (keep) {
        std::lock_guard lock(m_mutex);
        if (snapshot.generation == m_generation) {
            m_cache.emplace(key, body);
        }
    }
    return body;
}

ShopCatalog::Page ShopCatalog::Card(std::string_view nick) const {
    Snapshot snapshot = Current();
    std::shared_ptr<const Shop> shop;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& s : m_shops) {
            if (s->nick == nick) {
                shop = s;
            }
        }
    }
    Page page;
    page.body = Cached(CacheKey(shop ? "card" : "unknown-card", shop ? shop->nick : "", 0), true,
                       snapshot, [&] { return pages::ImCard(shop.get(), snapshot.base); });
    return page;
}

namespace {

// "/shop/<key>/" at the end of the path, whatever stands before it: the old mall address
// reaches us as "/tmall.com/shop/<key>/" once the reader has rewritten it.
std::optional<std::string_view> ListingKey(std::string_view path) {
    if (path.size() < 2 || path.back() != '/') {
        return std::nullopt;
    }
    std::string_view rest = path.substr(0, path.size() - 1);
    std::size_t slash = rest.rfind('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view key = rest.substr(slash + 1);
    std::string_view before = rest.substr(0, slash);
    constexpr std::string_view kShop = "/shop";
    if (key.empty() || before.size() < kShop.size() ||
        before.substr(before.size() - kShop.size()) != kShop) {
        return std::nullopt;
    }
    return key;
}

}  // namespace

std::shared_ptr<const Shop> ShopCatalog::ShopOfCard(std::string_view nick) const {
    std::lock_guard lock(m_mutex);
    std::shared_ptr<const Shop> found;
    for (const auto& s : m_shops) {
        if (s->nick == nick) {
            found = s;
        }
    }
    return found;
}

std::shared_ptr<const Shop> ShopCatalog::ShopOfListing(std::string_view path) const {
    auto key = ListingKey(path);
    return key ? FindShopByKey(*key) : nullptr;
}

std::shared_ptr<const Shop> ShopCatalog::ShopOfItem(std::string_view itemId) const {
    auto ref = FindItem(itemId);
    return ref ? ref->shop : nullptr;
}

std::optional<ShopCatalog::Page> ShopCatalog::ItemPageNewDesign(std::string_view itemId) const {
    Snapshot snapshot = Current();
    auto ref = FindItem(itemId);
    if (!ref) {
        return std::nullopt;
    }
    Page page;
    page.body = std::make_shared<const std::string>(
        tarnwick::Utf8ToGbk(pages::ItemPageNewDesign(*ref->shop, *ref->item, snapshot.base)));
    return page;
}

std::optional<ShopCatalog::Page> ShopCatalog::ItemListWithoutSection(std::string_view path,
                                                                     int page) const {
    Snapshot snapshot = Current();
    std::shared_ptr<const Shop> shop = ShopOfListing(path);
    if (!shop) {
        return std::nullopt;
    }
    Page answer;
    answer.body = std::make_shared<const std::string>(
        tarnwick::Utf8ToGbk(pages::ItemListWithoutSection(*shop, page, snapshot.base)));
    return answer;
}

std::optional<ShopCatalog::Page> ShopCatalog::ItemList(std::string_view path, int page) const {
    auto key = ListingKey(path);
    if (!key) {
        return std::nullopt;
    }
    Snapshot snapshot = Current();
    std::shared_ptr<const Shop> shop = FindShopByKey(*key);
    if (!shop) {
        return std::nullopt;
    }
    // Pages past the items are all but empty and cheap; keeping them would let a reader that
    // pages on for ever fill the memory.
    bool keep = page <= pages::ItemListPageCount(*shop);
    Page answer;
    answer.body = Cached(CacheKey("list", shop->key, page), keep, snapshot,
                         [&] { return pages::ItemList(*shop, page, snapshot.base); });
    return answer;
}

template <typename Render>
std::optional<ShopCatalog::Page> ShopCatalog::ItemAnswer(std::string_view itemId, const char* kind,
                                                         int page, const char* contentType,
                                                         int (*pagesKept)(const Item&),
                                                         Render&& render) const {
    Snapshot snapshot = Current();
    std::optional<ItemRef> ref = FindItem(itemId);
    if (!ref) {
        return std::nullopt;
    }
    // Pages past the item's own are cheap to render again; keeping them would let a reader
    // that pages on for ever fill the memory.
    bool keep = pagesKept == nullptr || page <= pagesKept(*ref->item);
    Page answer;
    answer.contentType = contentType;
    answer.body = Cached(CacheKey(kind, itemId, page), keep, snapshot,
                         [&] { return render(*ref, snapshot.base); });
    return answer;
}

std::optional<ShopCatalog::Page> ShopCatalog::ItemPage(std::string_view itemId) const {
    auto answer = ItemAnswer(itemId, "item", 0, "text/html; charset=gbk", nullptr,
                             [](const ItemRef& ref, const std::string& base) {
                                 return pages::ItemPage(*ref.shop, *ref.item, base);
                             });
    if (auto ref = FindItem(itemId); answer && ref) {
        answer->cookie = ref->item->cookie;
    }
    return answer;
}

std::optional<ShopCatalog::Page> ShopCatalog::DealQuantity(std::string_view itemId) const {
    return ItemAnswer(
        itemId, "sold", 0, "text/javascript; charset=gbk", nullptr,
        [](const ItemRef& ref, const std::string&) { return pages::DealQuantity(*ref.item); });
}

std::optional<ShopCatalog::Page> ShopCatalog::ItemViews(std::string_view itemId) const {
    return ItemAnswer(
        itemId, "views", 0, "application/json; charset=gbk", nullptr,
        [](const ItemRef& ref, const std::string&) { return pages::ItemViews(*ref.item); });
}

std::optional<ShopCatalog::Page> ShopCatalog::DealRecords(std::string_view itemId, int page) const {
    return ItemAnswer(itemId, "deals", page, "text/javascript; charset=gbk", pages::DealPageCount,
                      [page](const ItemRef& ref, const std::string& base) {
                          return pages::DealRecords(*ref.item, page, base);
                      });
}

std::optional<ShopCatalog::Page> ShopCatalog::Reviews(std::string_view itemId, int page) const {
    return ItemAnswer(
        itemId, "reviews", page, "application/json; charset=gbk", pages::ReviewPageCount,
        [page](const ItemRef& ref, const std::string&) { return pages::Reviews(*ref.item, page); });
}

}  // namespace marketsim
