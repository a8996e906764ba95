#include "analysis/ShopRuns.h"

#include <algorithm>

#include "store/Store.h"

namespace tarnwick {

std::string ShopKey(const ShopRow& run) {
    // Prefixed so that a nick made of digits cannot pass for an owner id.
    return run.OwnerID.empty() ? "nick:" + run.WWName : "owner:" + run.OwnerID;
}

std::vector<ShopRow> RunsOfShop(const std::vector<ShopRow>& shops, const ShopRow& run) {
    const std::string key = ShopKey(run);
    std::vector<ShopRow> runs;
    for (const ShopRow& shop : shops) {
        if (ShopKey(shop) == key) {
            runs.push_back(shop);
        }
    }
    std::stable_sort(runs.begin(), runs.end(), [](const ShopRow& a, const ShopRow& b) {
        return a.AddTime != b.AddTime ? a.AddTime < b.AddTime : a.SID < b.SID;
    });
    return runs;
}

namespace {

std::optional<ShopRow> Find(const std::vector<ShopRow>& shops, std::string_view sid) {
    auto found = std::find_if(shops.begin(), shops.end(),
                              [&](const ShopRow& shop) { return shop.SID == sid; });
    if (found == shops.end()) {
        return std::nullopt;
    }
    return *found;
}

}  // namespace

std::optional<ShopRow> FindRun(Store& store, std::string_view sid) {
    return Find(store.ReadShops(), sid);
}

std::vector<ShopRow> RunsOfShop(Store& store, std::string_view sid) {
    const std::vector<ShopRow> shops = store.ReadShops();
    std::optional<ShopRow> run = Find(shops, sid);
    if (!run) {
        return {};
    }
    return RunsOfShop(shops, *run);
}

std::optional<ShopRow> PreviousRun(Store& store, std::string_view sid) {
    const std::vector<ShopRow> runs = RunsOfShop(store, sid);
    for (std::size_t i = 1; i < runs.size(); ++i) {
        if (runs[i].SID == sid) {
            return runs[i - 1];
        }
    }
    return std::nullopt;
}

}  // namespace tarnwick
