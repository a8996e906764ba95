#include "ShopsCommand.h"

#include "fetch/TextTools.h"

namespace tarnwick::cli {

ShopsCommand::ShopsCommand() : ViewCommand("shops", "List the stored analyses, newest first") {
}

void ShopsCommand::Declare(CLI::App& app) {
    AddFormatOptions(app);
}

int ShopsCommand::Run() {
    Store store = OpenStore();
    ViewTable table(
        {{"SID", "SID"}, {"WWName", "掌柜"}, {"ShopURL", "店铺地址"}, {"AddTime", "分析时间"}});
    for (const ShopRow& shop : store.ReadShops()) {
        table.AddRow({shop.SID, shop.WWName, Trim(shop.ShopURL), shop.AddTime});
    }
    Emit(table);
    return 0;
}

}  // namespace tarnwick::cli
