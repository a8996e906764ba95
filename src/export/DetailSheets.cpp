#include "export/DetailSheets.h"

#include <set>
#include <string>

#include "store/Store.h"

namespace tarnwick {
namespace {

// The store keeps the zero date where a page gave none; in a sheet that would read as a deal
// on 30 December 1899, so the cell stays empty.
SheetCell TimeCell(DateTime time) {
    if (time == DateTime()) {
        return std::monostate();
    }
    return time;
}

// An item listed twice in one run has two item rows but one set of records under its id; they
// go into the sheet once.
std::vector<const ItemRow*> DistinctItems(const std::vector<ItemRow>& items) {
    std::set<std::string> seen;
    std::vector<const ItemRow*> distinct;
    for (const ItemRow& item : items) {
        if (seen.insert(item.ItemID).second) {
            distinct.push_back(&item);
        }
    }
    return distinct;
}

}  // namespace

ExtraSheet BuyersSheet(Store& store, const std::vector<ItemRow>& items) {
    ExtraSheet sheet{
        "买家", {"宝贝ID", "宝贝名称", "买家", "价格", "数量", "款式", "购买时间"}, {}};
    for (const ItemRow* item : DistinctItems(items)) {
        for (const BuyerRow& buyer : store.ReadBuyers(item->sid, item->ItemID)) {
            sheet.rows.push_back({item->ItemID, item->title, buyer.Buyer, buyer.price,
                                  static_cast<double>(buyer.amount), buyer.sku,
                                  TimeCell(buyer.buytime)});
        }
    }
    return sheet;
}

ExtraSheet ReviewsSheet(Store& store, const std::vector<ItemRow>& items) {
    ExtraSheet sheet{"评价", {"宝贝ID", "宝贝名称", "买家名称", "评论内容", "评论时间"}, {}};
    for (const ItemRow* item : DistinctItems(items)) {
        for (const RateRow& rate : store.ReadRates(item->sid, item->ItemID)) {
            sheet.rows.push_back({item->ItemID, item->title, rate.displayUserNick, rate.rateContent,
                                  TimeCell(rate.rateDate)});
        }
    }
    return sheet;
}

}  // namespace tarnwick
