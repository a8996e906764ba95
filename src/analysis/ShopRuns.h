#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Rows.h"

namespace tarnwick {

class Store;

// What makes two stored runs the same shop: the owner id the marketplace gave, or, for a run
// that stored none, the nick the user typed. The two kinds never match each other.
std::string ShopKey(const ShopRow& run);

// The runs among `shops` that belong to the shop of `run`, oldest first (by AddTime, then by
// key, so that two runs stored in the same millisecond still come in one fixed order).
std::vector<ShopRow> RunsOfShop(const std::vector<ShopRow>& shops, const ShopRow& run);

// The stored run under that key; nothing when there is none.
std::optional<ShopRow> FindRun(Store& store, std::string_view sid);
// Every run of the shop that the run `sid` belongs to, oldest first; empty when `sid` is not
// stored.
std::vector<ShopRow> RunsOfShop(Store& store, std::string_view sid);
// The run of the same shop stored just before `sid`; nothing for a shop's first run.
std::optional<ShopRow> PreviousRun(Store& store, std::string_view sid);

}  // namespace tarnwick
