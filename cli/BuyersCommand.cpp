#include "BuyersCommand.h"

#include <cstdio>

namespace tarnwick::cli {

BuyersCommand::BuyersCommand()
    : ViewCommand("buyers", "List one item's deal records, newest first, with their total") {
}

void BuyersCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    app.add_option("ITEMID", m_itemId, "The item, as tarnwick-cli items lists it")->required();
    AddFormatOptions(app);
    AddWindowOption(app);
}

int BuyersCommand::Run() {
    const auto bound = WindowBound();
    Store store = OpenStore();
    RequireKnownRun(store, m_sid);
    ViewTable table({{"Buyer", "买家"},
                     {"price", "价格"},
                     {"amount", "数量"},
                     {"sku", "款式"},
                     {"buytime", "购买时间"}});
    double sum = 0;
    const auto buyers = store.ReadBuyers(m_sid, m_itemId, bound);
    for (const BuyerRow& buyer : buyers) {
        sum += buyer.price;
        table.AddRow(
            {buyer.Buyer, buyer.price, std::int64_t{buyer.amount}, buyer.sku, buyer.buytime});
    }
    char total[64];
    std::snprintf(total, sizeof total, "%.2f", sum);
    Emit(table, "共有 " + std::to_string(buyers.size()) + " 条记录. 总额 " + total + " 元。");
    return 0;
}

}  // namespace tarnwick::cli
