#include "export/ComparisonSheet.h"

namespace tarnwick {

const std::vector<ComparisonColumn>& ComparisonColumns() {
    using K = ComparisonValue;
    static const std::vector<ComparisonColumn> columns = {
        {"状态", K::Text, 60},
        {"宝贝ID", K::Text, 100},
        {"宝贝名称", K::Text, 240},
        {"原价格", K::Money, 69},
        {"现价格", K::Money, 69},
        {"价格变化", K::MoneyChange, 69},
        {"原30天售", K::Count, 64},
        {"现30天售", K::Count, 64},
        {"销量变化", K::CountChange, 64},
        {"原库存", K::Count, 56},
        {"现库存", K::Count, 56},
        {"库存推算销量", K::Count, 84},
        {"评论数变化", K::CountChange, 72},
        {"浏览量变化", K::CountChange, 72},
        {"新成交笔数", K::Count, 72},
        {"新成交件数", K::Count, 72},
    };
    return columns;
}

std::vector<std::string> ComparisonCaptions() {
    std::vector<std::string> captions;
    for (const ComparisonColumn& column : ComparisonColumns()) {
        captions.emplace_back(column.caption);
    }
    return captions;
}

std::string ComparisonStatusText(const ItemComparison& item) {
    switch (item.status) {
        case ItemStatus::New:
            return "新上架";
        case ItemStatus::Removed:
            return "已下架";
        case ItemStatus::Unread:
            return kNotReadLabel;
        case ItemStatus::Kept:
            break;
    }
    return item.Changed() ? "有变化" : "无变化";
}

std::vector<SheetCell> ComparisonSheetRow(const ItemComparison& item) {
    auto number = [](auto value) { return SheetCell(static_cast<double>(value)); };
    // The figures of a side that was not read are zeros of ours, not the shop's: left empty.
    const bool known = item.status != ItemStatus::Unread;
    const bool both = known && item.older && item.newer;
    std::vector<SheetCell> cells(ComparisonColumns().size());
    cells[0] = ComparisonStatusText(item);
    cells[1] = item.itemId;
    cells[2] = item.Title();
    if (item.older && item.olderRead) {
        cells[3] = item.older->price;
        cells[6] = number(item.older->sellcount);
        cells[9] = number(item.older->allow_quantity);
    }
    if (item.newer && item.newerRead) {
        cells[4] = item.newer->price;
        cells[7] = number(item.newer->sellcount);
        cells[10] = number(item.newer->allow_quantity);
        if (known) {
            cells[14] = number(item.newDeals.size());
            cells[15] = number(item.NewDealQuantity());
        }
    }
    if (both) {
        cells[5] = item.PriceChange();
        cells[8] = number(item.SellcountChange());
        cells[11] = number(item.ImpliedSales());
        cells[12] = number(item.ReviewChange());
        cells[13] = number(item.ViewChange());
    }
    return cells;
}

}  // namespace tarnwick
