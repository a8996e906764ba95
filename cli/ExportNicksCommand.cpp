#include "ExportNicksCommand.h"

#include <iostream>
#include <set>
#include <utility>

#include "ExportTarget.h"
#include "export/NickExport.h"

namespace tarnwick::cli {

ExportNicksCommand::ExportNicksCommand()
    : Command("export-nicks", "Export the nicks of the reviewers of items to a GBK text file") {
}

void ExportNicksCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    app.add_option("FILE", m_file, "The file to write; .txt is appended unless the name ends so")
        ->required();
    app.add_option("ITEMID", m_itemIds, "The items whose reviewers to export; all when none");
    MarkPositionalFiles();
    AddDatabaseOption(app);
}

int ExportNicksCommand::Run() {
    if (m_file.empty()) {
        throw UsageError("the file name is empty");
    }
    const std::string path = NickFileName(m_file);
    RefuseUnwritable(path);
    Store store = OpenStore();
    RequireKnownRun(store, m_sid);

    // In the item list's order, whatever the order of the arguments: the same items ticked in
    // the desktop program give the same file.
    const std::set<std::string> chosen(m_itemIds.begin(), m_itemIds.end());
    std::vector<std::pair<std::string, std::string>> items;
    for (const ItemRow& item : store.ReadItems(m_sid)) {
        if (chosen.empty() || chosen.contains(item.ItemID)) {
            items.emplace_back(item.sid, item.ItemID);
        }
    }
    const std::vector<std::string> nicks = CollectReviewerNicks(store, items);
    WriteNickFile(path, nicks);
    std::cout << "成功导出 " << nicks.size() << " 个用户.\n";
    return 0;
}

}  // namespace tarnwick::cli
