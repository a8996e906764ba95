#pragma once

#include <string>
#include <vector>

#include "analysis/RunComparison.h"
#include "export/ItemSheet.h"

namespace tarnwick {

// What a comparison column holds, which decides how it is written and coloured.
enum class ComparisonValue {
    Text,
    Money,        // a price, two decimals
    MoneyChange,  // a signed price change: a cut shows green, a rise red
    Count,        // a whole number
    CountChange,  // a signed whole number
};

struct ComparisonColumn {
    const char* caption;
    ComparisonValue kind;
    int width;  // pixels in the desktop program's table
};

// The columns of a comparison, in order: what the table, the command line and the exports show.
const std::vector<ComparisonColumn>& ComparisonColumns();
std::vector<std::string> ComparisonCaptions();

// Column positions the views and the exports need by name.
inline constexpr int kComparisonStatusColumn = 0;
inline constexpr int kComparisonItemIdColumn = 1;
inline constexpr int kComparisonTitleColumn = 2;
inline constexpr int kComparisonPriceChangeColumn = 5;

// "新上架", "已下架", "有变化" or "无变化".
std::string ComparisonStatusText(const ItemComparison& item);

// The cells of one item, typed: texts, numbers, or nothing where a side is missing (the older
// figures of a new item, the changes of an item listed in one run only).
std::vector<SheetCell> ComparisonSheetRow(const ItemComparison& item);

}  // namespace tarnwick
