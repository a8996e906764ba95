#pragma once

#include <span>

#include "store/Rows.h"
#include "views/RowTableModel.h"

namespace tarnwick {

// The columns of the buyer grid and of the review grid, in their order.
std::span<const GridColumn<BuyerRow>> BuyerColumns();
std::span<const GridColumn<RateRow>> RateColumns();

}  // namespace tarnwick
