#include "analysis/ItemHistory.h"

#include <algorithm>

#include "analysis/ShopRuns.h"
#include "store/Store.h"

namespace tarnwick {

std::vector<HistoryPoint> ItemHistory(Store& store, const ShopRow& shop, std::string_view itemId) {
    std::vector<HistoryPoint> points;
    for (const ShopRow& run : RunsOfShop(store.ReadShops(), shop)) {
        HistoryPoint& point = points.emplace_back();
        point.sid = run.SID;
        point.runTime = run.AddTime;
        const std::vector<ItemRow> items = store.ReadItems(run.SID);
        auto found = std::find_if(items.begin(), items.end(),
                                  [&](const ItemRow& item) { return item.ItemID == itemId; });
        if (found == items.end()) {
            continue;
        }
        point.listed = true;
        point.title = found->title;
        point.price = found->price;
        point.sellcount = found->sellcount;
        point.stock = found->allow_quantity;
        point.reviews = found->Commentcount;
        point.views = found->pv;
    }
    return points;
}

}  // namespace tarnwick
