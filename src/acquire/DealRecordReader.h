#pragma once

#include <string>

namespace tarnwick {

struct ItemJob;

// The item's deal records, page by page from `address` (the item page's; empty: none to read),
// one BuyerList row each. Returns how many were stored; the first record of page 1 sets the
// job's LastSellTime.
int ReadDealRecords(ItemJob& job, std::string address);

// Stores the records of one deal-record answer; returns how many. Throws on an impossible deal
// time or a failed append (rows already stored stay).
int SaveBuyerPage(ItemJob& job, int pageNumber, const std::string& text);

}  // namespace tarnwick
