#include "export/ComparisonExport.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <type_traits>

#include <xlsxwriter.h>

#include "export/AtomicFile.h"
#include "export/ComparisonSheet.h"
#include "export/CsvWriter.h"
#include "export/XlsxExport.h"
#include "export/XlsxWorkbook.h"

namespace tarnwick {
namespace {

constexpr const char* kSheetName = "对比";

// The fills and fonts spreadsheet programs offer as their own "good" and "bad" styles, so the
// sheet reads like any other marked-up sheet.
constexpr lxw_color_t kGoodFill = 0xC6EFCE;
constexpr lxw_color_t kGoodFont = 0x006100;
constexpr lxw_color_t kBadFill = 0xFFC7CE;
constexpr lxw_color_t kBadFont = 0x9C0006;
constexpr lxw_color_t kNewFill = 0xDDEBF7;
constexpr lxw_color_t kRemovedFont = 0x808080;

const char* NumberFormat(ComparisonValue kind) {
    switch (kind) {
        case ComparisonValue::Money:
            return "0.00";
        case ComparisonValue::MoneyChange:
            return "+0.00;-0.00;0.00";
        case ComparisonValue::Count:
            return "0";
        case ComparisonValue::CountChange:
            return "+0;-0;0";
        case ComparisonValue::Text:
            break;
    }
    return nullptr;
}

std::string ColumnLetters(lxw_col_t col) {
    std::string letters;
    for (unsigned n = col + 1u; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

void Check(XlsxWorkbook& book, lxw_error error, const std::string& what) {
    if (error != LXW_NO_ERROR) {
        book.Fail(what, error);
    }
}

lxw_format* ColourFormat(XlsxWorkbook& book, lxw_color_t fill, lxw_color_t font) {
    lxw_format* format = book.AddFormat();
    if (fill != LXW_COLOR_UNSET) {
        format_set_bg_color(format, fill);
    }
    if (font != LXW_COLOR_UNSET) {
        format_set_font_color(format, font);
    }
    return format;
}

void AddRule(XlsxWorkbook& book, lxw_worksheet* sheet, lxw_row_t lastRow, lxw_col_t firstCol,
             lxw_col_t lastCol, lxw_conditional_format rule) {
    Check(book, worksheet_conditional_format_range(sheet, 1, firstCol, lastRow, lastCol, &rule),
          "无法添加条件格式");
}

void AddColourRules(XlsxWorkbook& book, lxw_worksheet* sheet, std::size_t rows) {
    if (rows == 0) {
        return;
    }
    const auto lastRow = static_cast<lxw_row_t>(rows);
    const auto lastCol = static_cast<lxw_col_t>(ComparisonColumns().size() - 1);
    const auto priceCol = static_cast<lxw_col_t>(kComparisonPriceChangeColumn);

    // The row rules go first: where both apply, the first listed wins, and a removed item has
    // no price change to colour anyway.
    const std::string status = "$" + ColumnLetters(kComparisonStatusColumn) + "2";
    std::string removed = "=" + status + "=\"已下架\"";
    std::string added = "=" + status + "=\"新上架\"";
    lxw_conditional_format rule{};
    rule.type = LXW_CONDITIONAL_TYPE_FORMULA;
    rule.value_string = removed.data();
    rule.format = ColourFormat(book, LXW_COLOR_UNSET, kRemovedFont);
    AddRule(book, sheet, lastRow, 0, lastCol, rule);
    rule.value_string = added.data();
    rule.format = ColourFormat(book, kNewFill, LXW_COLOR_UNSET);
    AddRule(book, sheet, lastRow, 0, lastCol, rule);

    lxw_conditional_format cut{};
    cut.type = LXW_CONDITIONAL_TYPE_CELL;
    cut.criteria = LXW_CONDITIONAL_CRITERIA_LESS_THAN;
    cut.value = 0;
    cut.format = ColourFormat(book, kGoodFill, kGoodFont);
    AddRule(book, sheet, lastRow, priceCol, priceCol, cut);
    lxw_conditional_format rise = cut;
    rise.criteria = LXW_CONDITIONAL_CRITERIA_GREATER_THAN;
    rise.format = ColourFormat(book, kBadFill, kBadFont);
    AddRule(book, sheet, lastRow, priceCol, priceCol, rise);
}

std::string CsvNumber(double value, ComparisonValue kind) {
    if (!std::isfinite(value)) {
        return {};
    }
    char text[64];
    const bool money = kind == ComparisonValue::Money || kind == ComparisonValue::MoneyChange;
    std::snprintf(text, sizeof text, money ? "%.2f" : "%.0f", value);
    return text;
}

}  // namespace

std::size_t ExportComparisonToXlsx(const std::vector<ItemComparison>& items,
                                   const std::string& path) {
    XlsxWorkbook book(path);
    lxw_worksheet* sheet = book.AddWorksheet(kSheetName);
    const std::vector<ComparisonColumn>& columns = ComparisonColumns();
    std::vector<lxw_format*> formats;
    for (const ComparisonColumn& column : columns) {
        const char* numberFormat = NumberFormat(column.kind);
        formats.push_back(numberFormat ? book.AddNumberFormat(numberFormat) : nullptr);
    }
    lxw_format* captionFormat = book.AddFormat();
    format_set_bold(captionFormat);

    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto col = static_cast<lxw_col_t>(c);
        Check(book,
              static_cast<lxw_error>(
                  book.WriteText(sheet, 0, col, columns[c].caption, captionFormat)),
              "无法写入标题行");
        // About seven pixels to a character of the default font.
        Check(book, worksheet_set_column(sheet, col, col, columns[c].width / 7.0, nullptr),
              "无法设置列宽");
    }
    for (std::size_t r = 0; r < items.size(); ++r) {
        const std::vector<SheetCell> cells = ComparisonSheetRow(items[r]);
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            const std::string where =
                "无法写入单元格 " + ColumnLetters(col) + std::to_string(row + 1);
            if (const auto* number = std::get_if<double>(&cells[c])) {
                if (std::isfinite(*number)) {
                    Check(book, worksheet_write_number(sheet, row, col, *number, formats[c]),
                          where);
                }
            } else if (const auto* text = std::get_if<std::string>(&cells[c])) {
                Check(book, static_cast<lxw_error>(book.WriteText(sheet, row, col, *text, nullptr)),
                      where);
            }
        }
    }
    worksheet_freeze_panes(sheet, 1, 0);
    Check(book,
          worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(items.size()),
                               static_cast<lxw_col_t>(columns.size() - 1)),
          "无法添加筛选");
    AddColourRules(book, sheet, items.size());
    const std::size_t cut = book.CutCells();
    book.Close();
    return cut;
}

std::string ComparisonCsv(const std::vector<ItemComparison>& items) {
    const std::vector<ComparisonColumn>& columns = ComparisonColumns();
    std::ostringstream out;
    CsvWriter csv(out);
    csv.ByteOrderMark();
    csv.TextRecord(ComparisonCaptions());
    for (const ItemComparison& item : items) {
        const std::vector<SheetCell> cells = ComparisonSheetRow(item);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (const auto* number = std::get_if<double>(&cells[c])) {
                csv.Number(CsvNumber(*number, columns[c].kind));
            } else if (const auto* text = std::get_if<std::string>(&cells[c])) {
                csv.Text(*text);
            } else {
                csv.Empty();
            }
        }
        csv.EndRecord();
    }
    return out.str();
}

void WriteComparisonCsv(const std::vector<ItemComparison>& items, const std::string& path) {
    WriteFileAtomically(path, ComparisonCsv(items));
}

}  // namespace tarnwick
