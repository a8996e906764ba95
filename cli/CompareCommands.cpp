#include "CompareCommands.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <variant>

#include "Commands.h"
#include "TextTable.h"
#include "analysis/ItemHistory.h"
#include "analysis/ShopRuns.h"
#include "export/ComparisonExport.h"
#include "export/ComparisonSheet.h"
#include "export/XlsxExport.h"

namespace tarnwick::cli {
namespace {

std::string Format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string Money(double value) {
    return Format("%.2f", value);
}

std::string SignedMoney(double value) {
    return value == 0.0 ? "0.00" : Format("%+.2f", value);
}

std::string SignedCount(double value) {
    return value == 0.0 ? "0" : Format("%+.0f", value);
}

std::string Cell(const SheetCell& cell, ComparisonValue kind) {
    if (const auto* text = std::get_if<std::string>(&cell)) {
        return *text;
    }
    const auto* number = std::get_if<double>(&cell);
    if (number == nullptr || !std::isfinite(*number)) {
        return {};
    }
    switch (kind) {
        case ComparisonValue::Money:
            return Money(*number);
        case ComparisonValue::MoneyChange:
            return SignedMoney(*number);
        case ComparisonValue::CountChange:
            return SignedCount(*number);
        case ComparisonValue::Count:
        case ComparisonValue::Text:
            break;
    }
    return Format("%.0f", *number);
}

std::string TimeText(DateTime time) {
    return time.ToText().substr(0, 19);
}

ShopRow StoredRun(Store& store, const std::string& sid) {
    std::optional<ShopRow> run = FindRun(store, sid);
    if (!run) {
        throw std::runtime_error("没有这次分析: " + sid);
    }
    return *run;
}

std::string Movement(const std::string& before, const std::string& after,
                     const std::string& change) {
    return before + " → " + after + " (" + change + ")";
}

}  // namespace

CompareResult CompareCommand(Store& store, const std::string& olderSid, const std::string& newerSid,
                             bool changedOnly) {
    const ShopRow older = StoredRun(store, olderSid);
    const ShopRow newer = StoredRun(store, newerSid);
    CompareResult result;
    result.comparison = CompareRuns(store, older, newer);
    const RunComparison& c = result.comparison;
    result.shown = changedOnly ? c.ChangedItems() : c.items;

    result.items.columns = ComparisonCaptions();
    const std::vector<ComparisonColumn>& columns = ComparisonColumns();
    for (const ItemComparison& item : result.shown) {
        const std::vector<SheetCell> cells = ComparisonSheetRow(item);
        std::vector<std::string>& row = result.items.rows.emplace_back();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            row.push_back(Cell(cells[i], columns[i].kind));
        }
    }

    std::vector<std::string>& s = result.summary;
    s.push_back("上次分析 " + older.SID + " " + TimeText(older.AddTime) + " 掌柜 " + older.WWName);
    s.push_back("本次分析 " + newer.SID + " " + TimeText(newer.AddTime) + " 掌柜 " + newer.WWName);
    if (ShopKey(older) != ShopKey(newer)) {
        s.push_back("注意: 两次分析不是同一个店铺");
    }
    const std::size_t kept = c.Count(ItemStatus::Kept);
    const std::size_t changedKept =
        c.ChangedCount() - c.Count(ItemStatus::New) - c.Count(ItemStatus::Removed);
    s.push_back("新上架 " + std::to_string(c.Count(ItemStatus::New)) + ", 已下架 " +
                std::to_string(c.Count(ItemStatus::Removed)) + ", 有变化 " +
                std::to_string(changedKept) + ", 无变化 " + std::to_string(kept - changedKept));
    const double items =
        static_cast<double>(c.newerTotals.items) - static_cast<double>(c.olderTotals.items);
    s.push_back("宝贝数 " + Movement(std::to_string(c.olderTotals.items),
                                     std::to_string(c.newerTotals.items), SignedCount(items)));
    s.push_back("销售总额 " +
                Movement(Money(c.olderTotals.sellAmount), Money(c.newerTotals.sellAmount),
                         SignedMoney(c.newerTotals.sellAmount - c.olderTotals.sellAmount)));
    s.push_back("库存价值 " +
                Movement(Money(c.olderTotals.stockValue), Money(c.newerTotals.stockValue),
                         SignedMoney(c.newerTotals.stockValue - c.olderTotals.stockValue)));
    return result;
}

TextRows HistoryCommand(Store& store, const std::string& sid, const std::string& itemId) {
    const ShopRow run = StoredRun(store, sid);
    TextRows table;
    table.columns = {"分析时间", "SID", "价格", "30天售", "库存", "评论数", "浏览量"};
    for (const HistoryPoint& point : ItemHistory(store, run, itemId)) {
        if (!point.listed) {
            table.rows.push_back({TimeText(point.runTime), point.sid, "未列出", "", "", "", ""});
            continue;
        }
        table.rows.push_back({TimeText(point.runTime), point.sid, Money(point.price),
                              std::to_string(point.sellcount), std::to_string(point.stock),
                              std::to_string(point.reviews), std::to_string(point.views)});
    }
    return table;
}

namespace {

void Print(const TextRows& rows) {
    TextTable table(rows.columns);
    for (const auto& row : rows.rows) {
        table.AddRow(row);
    }
    table.Print(std::cout);
}

}  // namespace

int RunCompare(const CliArgs& args) {
    ExpectPositionals(args, 2,
                      "OLD_SID NEW_SID [--changed-only] [--xlsx FILE] [--csv FILE] [--db FILE]");
    Store store = OpenStore(args);
    CompareResult result =
        CompareCommand(store, args.positionals[0], args.positionals[1], args.Flag("changed-only"));
    Print(result.items);
    for (const std::string& line : result.summary) {
        std::cout << line << '\n';
    }
    try {
        if (auto xlsx = args.Option("xlsx")) {
            ExportComparisonToXlsx(result.shown, *xlsx);
            std::cout << "已导出到 " << *xlsx << '\n';
        }
        if (auto csv = args.Option("csv")) {
            WriteComparisonCsv(result.shown, *csv);
            std::cout << "已导出到 " << *csv << '\n';
        }
    } catch (const ExportError& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n导出失败.\n";
        return 1;
    }
    return 0;
}

int RunHistory(const CliArgs& args) {
    ExpectPositionals(args, 2, "SID ITEMID [--db FILE]");
    Store store = OpenStore(args);
    Print(HistoryCommand(store, args.positionals[0], args.positionals[1]));
    return 0;
}

}  // namespace tarnwick::cli
