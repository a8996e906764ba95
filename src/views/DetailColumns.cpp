#include "views/DetailColumns.h"

#include <array>

#include "views/CellText.h"

namespace tarnwick {

namespace {

const std::array<GridColumn<BuyerRow>, 5> kBuyerColumns = {{
    {"Buyer", "买家", 80, [](const BuyerRow& r) { return Utf8Text(r.Buyer); }, false},
    {"price", "价格", 50, [](const BuyerRow& r) { return DecimalText(r.price); }, true},
    {"amount", "数量", 45, [](const BuyerRow& r) { return QString::number(r.amount); }, true},
    {"sku", "款式", 80, [](const BuyerRow& r) { return Utf8Text(r.sku); }, false},
    {"buytime", "购买时间", 130, [](const BuyerRow& r) { return DateTimeText(r.buytime); }, false},
}};

const std::array<GridColumn<RateRow>, 3> kRateColumns = {{
    {"displayUserNick", "买家名称", 90,
     [](const RateRow& r) { return Utf8Text(r.displayUserNick); }, false},
    {"rateContent", "评论内容", 130, [](const RateRow& r) { return Utf8Text(r.rateContent); },
     false},
    {"rateDate", "评论时间", 130, [](const RateRow& r) { return DateTimeText(r.rateDate); }, false},
}};

}  // namespace

std::span<const GridColumn<BuyerRow>> BuyerColumns() {
    return kBuyerColumns;
}
std::span<const GridColumn<RateRow>> RateColumns() {
    return kRateColumns;
}

}  // namespace tarnwick
