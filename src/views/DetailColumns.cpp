#include "views/DetailColumns.h"

#include <array>

#include <QCoreApplication>

#include "views/CellText.h"

namespace tarnwick {

namespace {

const std::array<GridColumn<BuyerRow>, 5> kBuyerColumns = {{
    {"Buyer", QT_TRANSLATE_NOOP("GridColumn", "买家"), 80,
     [](const BuyerRow& r) { return Utf8Text(r.Buyer); }, false},
    {"price", QT_TRANSLATE_NOOP("GridColumn", "价格"), 50,
     [](const BuyerRow& r) { return DecimalText(r.price); }, true},
    {"amount", QT_TRANSLATE_NOOP("GridColumn", "数量"), 45,
     [](const BuyerRow& r) { return QString::number(r.amount); }, true},
    {"sku", QT_TRANSLATE_NOOP("GridColumn", "款式"), 80,
     [](const BuyerRow& r) { return Utf8Text(r.sku); }, false},
    {"buytime", QT_TRANSLATE_NOOP("GridColumn", "购买时间"), 130,
     [](const BuyerRow& r) { return DateTimeText(r.buytime); }, false},
}};

const std::array<GridColumn<RateRow>, 3> kRateColumns = {{
    {"displayUserNick", QT_TRANSLATE_NOOP("GridColumn", "买家名称"), 90,
     [](const RateRow& r) { return Utf8Text(r.displayUserNick); }, false},
    {"rateContent", QT_TRANSLATE_NOOP("GridColumn", "评论内容"), 130,
     [](const RateRow& r) { return Utf8Text(r.rateContent); }, false},
    {"rateDate", QT_TRANSLATE_NOOP("GridColumn", "评论时间"), 130,
     [](const RateRow& r) { return DateTimeText(r.rateDate); }, false},
}};

}  // namespace

std::span<const GridColumn<BuyerRow>> BuyerColumns() {
    return kBuyerColumns;
}
std::span<const GridColumn<RateRow>> RateColumns() {
    return kRateColumns;
}

}  // namespace tarnwick
