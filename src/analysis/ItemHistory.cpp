#include "analysis/ItemHistory.h"

#include <algorithm>

#include "analysis/RunRecord.h"
#include "analysis/ShopRuns.h"
#include "store/Store.h"

namespace tarnwick {

std::vector<HistoryPoint> ItemHistory(Store& store, const ShopRow& shop, std::string_view itemId) {
    std::vector<HistoryPoint> points;
    for (const ShopRow& run : RunsOfShop(store.ReadShops(), shop)) {
        HistoryPoint& point = points.emplace_back();
        point.sid = run.SID;
        point.runTime = run.AddTime;
        const RunRecord record = RunRecord::Load(store, run.SID);
        point.runComplete = record.Complete();
        const std::vector<ItemRow> items = store.ReadItems(run.SID);
        auto found = std::find_if(items.begin(), items.end(),
                                  [&](const ItemRow& item) { return item.ItemID == itemId; });
        if (found == items.end()) {
            // Queued but never given a row: listed, not read.
            point.listed = record.StateOf(itemId).has_value();
            continue;
        }
        point.listed = true;
        point.read = record.ItemWasRead(itemId);
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
