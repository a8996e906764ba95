#include "ShopsCommand.h"

#include <map>

#include "base/Text.h"

namespace tarnwick::cli {

ShopsCommand::ShopsCommand() : ViewCommand("shops", "List the stored analyses, newest first") {
}

void ShopsCommand::Declare(CLI::App& app) {
    AddFormatOptions(app);
}

int ShopsCommand::Run() {
    Store store = OpenStore();
    // A database without the health table, or a run from before it, has no verdict: an empty
    // cell in the table and in CSV, null in JSON.
    std::map<std::string, std::string> health;
    for (const RunHealthRow& row : store.ReadRunHealth()) {
        health[row.sid] = row.verdict;
    }
    ViewTable table({{"SID", "SID"},
                     {"WWName", "掌柜"},
                     {"ShopURL", "店铺地址"},
                     {"AddTime", "分析时间"},
                     {"Verdict", "运行状况"}});
    for (const ShopRow& shop : store.ReadShops()) {
        auto found = health.find(shop.SID);
        ViewCell verdict;
        if (found != health.end()) {
            verdict = found->second;
        }
        table.AddRow({shop.SID, shop.WWName, Trim(shop.ShopURL), shop.AddTime, verdict});
    }
    Emit(table);
    return 0;
}

}  // namespace tarnwick::cli
