#include "CompareCommands.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <variant>

#include "ExitCodes.h"
#include "ExportTarget.h"
#include "TextTable.h"
#include "analysis/ItemHistory.h"
#include "analysis/RunRecord.h"
#include "analysis/ShopRuns.h"
#include "export/ComparisonExport.h"
#include "export/ComparisonSheet.h"
#include "export/TerminalText.h"
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

ComparedRuns CompareStoredRuns(Store& store, const std::string& olderSid,
                               const std::string& newerSid, bool changedOnly) {
    const ShopRow older = StoredRun(store, olderSid);
    const ShopRow newer = StoredRun(store, newerSid);
    ComparedRuns result;
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
    std::string counts = "新上架 " + std::to_string(c.Count(ItemStatus::New)) + ", 已下架 " +
                         std::to_string(c.Count(ItemStatus::Removed)) + ", 有变化 " +
                         std::to_string(changedKept) + ", 无变化 " +
                         std::to_string(kept - changedKept);
    if (const std::size_t unread = c.Count(ItemStatus::Unread); unread > 0) {
        counts += ", 未读取 " + std::to_string(unread);
    }
    s.push_back(counts);
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

TextRows ItemHistoryRows(Store& store, const std::string& sid, const std::string& itemId) {
    const ShopRow run = StoredRun(store, sid);
    TextRows table;
    table.columns = {"分析时间", "SID", "价格", "30天售", "库存", "评论数", "浏览量"};
    for (const HistoryPoint& point : ItemHistory(store, run, itemId)) {
        // A run that did not read its whole shop may have missed the item: that says nothing.
        if (!point.read) {
            const char* what = point.listed || !point.runComplete ? kNotReadLabel : "未列出";
            table.rows.push_back({TimeText(point.runTime), point.sid, what, "", "", "", ""});
            continue;
        }
        table.rows.push_back({TimeText(point.runTime), point.sid, Money(point.price),
                              std::to_string(point.sellcount), std::to_string(point.stock),
                              std::to_string(point.reviews), std::to_string(point.views)});
    }
    return table;
}

ViewTable ComparisonView(const std::vector<ItemComparison>& items) {
    static const char* const kNames[] = {"status",
                                         "ItemID",
                                         "title",
                                         "old_price",
                                         "new_price",
                                         "price_change",
                                         "old_sellcount",
                                         "new_sellcount",
                                         "sellcount_change",
                                         "old_stock",
                                         "new_stock",
                                         "sold_by_stock",
                                         "Commentcount_change",
                                         "pv_change",
                                         "new_deals",
                                         "new_deal_pieces"};
    const std::vector<ComparisonColumn>& kinds = ComparisonColumns();
    const std::vector<std::string> captions = ComparisonCaptions();
    std::vector<ViewTable::Column> columns;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        columns.push_back({kNames[i], captions[i]});
    }
    ViewTable table(std::move(columns));
    for (const ItemComparison& item : items) {
        std::vector<ViewCell> row;
        const std::vector<SheetCell> cells = ComparisonSheetRow(item);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (const auto* text = std::get_if<std::string>(&cells[i])) {
                row.emplace_back(*text);
                continue;
            }
            const auto* number = std::get_if<double>(&cells[i]);
            if (number == nullptr || !std::isfinite(*number)) {
                row.emplace_back(std::monostate{});
            } else if (kinds[i].kind == ComparisonValue::Money ||
                       kinds[i].kind == ComparisonValue::MoneyChange) {
                row.emplace_back(*number);
            } else {
                row.emplace_back(static_cast<std::int64_t>(std::llround(*number)));
            }
        }
        table.AddRow(std::move(row));
    }
    return table;
}

ViewTable ItemHistoryView(Store& store, const std::string& sid, const std::string& itemId) {
    const ShopRow run = StoredRun(store, sid);
    ViewTable table({{"AddTime", "分析时间"},
                     {"SID", "SID"},
                     {"listed", "已列出"},
                     {"price", "价格"},
                     {"sellcount", "30天售"},
                     {"allow_quantity", "库存"},
                     {"Commentcount", "评论数"},
                     {"pv", "浏览量"},
                     {"read", "已读取"}});
    for (const HistoryPoint& point : ItemHistory(store, run, itemId)) {
        if (!point.read) {
            table.AddRow({point.runTime, point.sid, std::int64_t{point.listed ? 1 : 0},
                          std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{},
                          std::monostate{}, std::int64_t{0}});
            continue;
        }
        table.AddRow({point.runTime, point.sid, std::int64_t{1}, point.price,
                      std::int64_t{point.sellcount}, std::int64_t{point.stock},
                      std::int64_t{point.reviews}, std::int64_t{point.views}, std::int64_t{1}});
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

CompareCommand::CompareCommand()
    : ViewCommand("compare",
                  "Compare two analyses of a shop: new and removed items, price, sales, stock "
                  "and the shop's totals") {
}

void CompareCommand::Declare(CLI::App& app) {
    app.add_option("OLD_SID", m_older, "The earlier analysis, as tarnwick-cli shops lists it")
        ->required();
    app.add_option("NEW_SID", m_newer, "The later analysis")->required();
    app.add_flag("--changed-only", m_changedOnly, "Leave out the items that did not change");
    app.add_option("--xlsx", m_xlsx, "Also write the compared items to this xlsx file")
        ->type_name("FILE");
    app.add_option("--csv", m_csv, "Also write the compared items to this CSV file")
        ->type_name("FILE");
    MarkFileOption("--xlsx");
    MarkFileOption("--csv");
    AddFormatOptions(app);
}

int CompareCommand::Run() {
    // Refused before the comparison is read, which on a large shop takes a while.
    for (const std::string* file : {&m_xlsx, &m_csv}) {
        if (!file->empty()) {
            RefuseUnwritable(*file);
        }
    }
    Store store = OpenStore();
    const ComparedRuns result = CompareStoredRuns(store, m_older, m_newer, m_changedOnly);
    // Before anything else, and where it cannot spoil CSV or JSON: what the figures below
    // cannot say.
    for (const std::string& line : result.comparison.PartialLines()) {
        std::cerr << "注意: " << line << '\n';
    }
    std::cerr.flush();
    if (Format() == OutputFormat::Table) {
        Print(result.items);
        for (const std::string& line : result.summary) {
            std::cout << TerminalText(line) << '\n';  // the nicks are the shops' own
        }
    } else {
        Emit(ComparisonView(result.shown));
    }
    // The export messages go where they cannot spoil CSV or JSON on standard output.
    std::ostream& said = Format() == OutputFormat::Table ? std::cout : std::cerr;
    try {
        if (!m_xlsx.empty()) {
            const std::size_t cut = ExportComparisonToXlsx(result.shown, m_xlsx);
            said << "已导出到 " << m_xlsx << '\n';
            if (cut > 0) {
                said << CutCellsMessage(cut) << '\n';
            }
        }
        if (!m_csv.empty()) {
            WriteComparisonCsv(result.shown, m_csv);
            said << "已导出到 " << m_csv << '\n';
        }
    } catch (const ExportError& error) {
        std::cout.flush();
        std::cerr << "tarnwick-cli: " << error.what() << "\n导出失败.\n";
        return kExitStoreFailure;
    }
    return kExitComplete;
}

HistoryCommand::HistoryCommand()
    : ViewCommand("history", "One item's figures in every analysis of its shop, oldest first") {
}

void HistoryCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "Any analysis of the shop, as tarnwick-cli shops lists it")
        ->required();
    app.add_option("ITEMID", m_itemId, "The item, as tarnwick-cli items lists it")->required();
    AddFormatOptions(app);
}

int HistoryCommand::Run() {
    Store store = OpenStore();
    if (Format() == OutputFormat::Table) {
        Print(ItemHistoryRows(store, m_sid, m_itemId));
    } else {
        Emit(ItemHistoryView(store, m_sid, m_itemId));
    }
    return kExitComplete;
}

}  // namespace tarnwick::cli
