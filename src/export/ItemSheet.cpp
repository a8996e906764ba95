#include "export/ItemSheet.h"

namespace tarnwick {

const std::vector<ItemColumn>& ItemListColumns() {
    static const std::vector<ItemColumn> columns = {
        {"cxCheck", "", 35},
        {"cxIndex", "序号", 51},
        {"cxTitle", "宝贝名称", 265},
        {"cxPrice", "价格", 69},
        {"cxSellCount", "30天售", 50},
        {"cxallow_quantity", "库存", 39},
        {"cxCommentCount", "评论数", 58},
        {"cxpv", "浏览量", 50},
        {"cxSellAmount", "销售总额", 78},
        {"cxDataTime", "读取数据时间", 155},
    };
    return columns;
}

std::vector<std::string> ItemListCaptions() {
    std::vector<std::string> captions;
    for (const ItemColumn& column : ItemListColumns()) {
        captions.emplace_back(column.caption);
    }
    return captions;
}

std::vector<SheetCell> ItemSheetRow(const ItemRow& item, int number, bool checked) {
    return {
        checked,
        static_cast<double>(number),
        item.title,
        item.price,
        static_cast<double>(item.sellcount),
        static_cast<double>(item.allow_quantity),
        static_cast<double>(item.Commentcount),
        static_cast<double>(item.pv),
        item.SellAmount,
        item.UpdateTime,
    };
}

}  // namespace tarnwick
