#include "Commands.h"

#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "export/ItemSheet.h"
#include "export/NickExport.h"
#include "export/TCheckUpdate.h"
#include "export/XlsxExport.h"
#include "fetch/HttpClient.h"

namespace tarnwick::cli {

int RunExportXlsx(const CliArgs& args) {
    ExpectPositionals(args, 2, "SID FILE [--db FILE]");
    const std::string& sid = args.positionals[0];
    Store store = OpenStore(args);

    // As the list shows a freshly loaded shop: every item, in read order, all checked.
    std::vector<std::vector<SheetCell>> rows;
    int number = 0;
    for (const ItemRow& item : store.ReadItems(sid)) {
        rows.push_back(ItemSheetRow(item, ++number, true));
    }
    try {
        ExportItemListToXlsx(ItemListCaptions(), rows, args.positionals[1]);
    } catch (const ExportError& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n导出失败.\n";
        return 1;
    }
    std::cout << "导出成功.\n";
    return 0;
}

int RunExportNicks(const CliArgs& args) {
    if (args.positionals.size() < 2) {
        throw UsageError("usage: tarnwick-cli export-nicks SID FILE [ITEMID...] [--db FILE]");
    }
    const std::string& sid = args.positionals[0];
    Store store = OpenStore(args);

    std::vector<std::pair<std::string, std::string>> items;
    if (args.positionals.size() > 2) {
        for (std::size_t i = 2; i < args.positionals.size(); ++i) {
            items.emplace_back(sid, args.positionals[i]);
        }
    } else {
        for (const ItemRow& item : store.ReadItems(sid)) {
            items.emplace_back(item.sid, item.ItemID);
        }
    }
    std::vector<std::string> nicks = CollectReviewerNicks(store, items);
    WriteNickFile(NickFileName(args.positionals[1]), nicks);
    std::cout << "成功导出 " << nicks.size() << " 个用户.\n";
    return 0;
}

int RunCheckVersion(const CliArgs& args) {
    ExpectPositionals(args, 0, "[--version-url URL]");
    HttpClient client;
    const std::int32_t latest =
        CheckLatestVersion(client, EndpointsFrom(args).versionEndpoint, kProductName);
    std::cout << latest << '\n';
    if (latest > kProgramVersion) {
        std::cout << "有新版本 (本程序 " << kProgramVersion << ")\n";
    } else {
        std::cout << "没有更新的版本 (本程序 " << kProgramVersion << ")\n";
    }
    return 0;
}

}  // namespace tarnwick::cli
