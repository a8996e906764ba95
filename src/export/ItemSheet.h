#pragma once

#include <string>
#include <variant>
#include <vector>

#include "base/DateTime.h"
#include "store/Rows.h"

namespace tarnwick {

// The columns of the item list, in their order: what the list shows and what the spreadsheet
// export writes.
struct ItemColumn {
    const char* name;     // cxCheck, cxIndex, ...
    const char* caption;  // empty for the check column
    int width;            // pixels
};
const std::vector<ItemColumn>& ItemListColumns();
// Their captions, in order: the spreadsheet's caption row.
std::vector<std::string> ItemListCaptions();

// One cell as a typed value: nothing, a Boolean (the check), a number, a text, a date-time.
using SheetCell = std::variant<std::monostate, bool, double, std::string, DateTime>;

// The ten cells of one item-list row: check, running number, title, price, sold count, stock,
// review count, views, sales total, read time.
std::vector<SheetCell> ItemSheetRow(const ItemRow& item, int number, bool checked);

}  // namespace tarnwick
