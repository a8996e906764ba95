#pragma once

#include <vector>

#include "export/XlsxExport.h"
#include "store/Rows.h"

namespace tarnwick {

class Store;

// The deal records of the given items as the sheet "买家": item id and title, then the buyer
// list's columns; items in the given order, each item's records newest first.
ExtraSheet BuyersSheet(Store& store, const std::vector<ItemRow>& items);

// Their reviews as the sheet "评价", in the same order.
ExtraSheet ReviewsSheet(Store& store, const std::vector<ItemRow>& items);

}  // namespace tarnwick
