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
    // Likewise for the outcome: a run from before it was kept has none, and neither counts.
    std::map<std::string, RunOutcomeRow> outcomes;
    for (RunOutcomeRow& row : store.ReadRunOutcomes()) {
        outcomes[row.sid] = std::move(row);
    }
    ViewTable table({{"SID", "SID"},
                     {"WWName", "掌柜"},
                     {"ShopURL", "店铺地址"},
                     {"AddTime", "分析时间"},
                     {"Verdict", "运行状况"},
                     {"Outcome", "结果"},
                     {"ItemsRead", "已读取"},
                     {"ItemsQueued", "入队"}});
    for (const ShopRow& shop : store.ReadShops()) {
        auto found = health.find(shop.SID);
        ViewCell verdict;
        if (found != health.end()) {
            verdict = found->second;
        }
        ViewCell outcome;
        ViewCell read;
        ViewCell queued;
        if (auto row = outcomes.find(shop.SID); row != outcomes.end()) {
            outcome = row->second.outcome;
            read = std::int64_t{row->second.itemsRead};
            queued = std::int64_t{row->second.itemsQueued};
        }
        table.AddRow({shop.SID, shop.WWName, Trim(shop.ShopURL), shop.AddTime, verdict, outcome,
                      read, queued});
    }
    Emit(table);
    return 0;
}

}  // namespace tarnwick::cli
