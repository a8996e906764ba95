#include "analysis/RunComparison.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "store/Store.h"

namespace tarnwick {

namespace {

// The first row of every id, in read order, and how often each id was listed.
struct DistinctItems {
    std::vector<ItemRow> rows;
    std::unordered_map<std::string, std::size_t> index;  // id -> position in rows
    std::unordered_map<std::string, int> listed;
};

DistinctItems Distinct(std::vector<ItemRow> items) {
    DistinctItems distinct;
    distinct.rows.reserve(items.size());
    for (ItemRow& item : items) {
        if (++distinct.listed[item.ItemID] > 1) {
            continue;
        }
        distinct.index.emplace(item.ItemID, distinct.rows.size());
        distinct.rows.push_back(std::move(item));
    }
    return distinct;
}

ShopTotals Totals(const std::vector<ItemRow>& rows) {
    ShopTotals totals;
    totals.items = rows.size();
    for (const ItemRow& row : rows) {
        totals.sellAmount += row.SellAmount;
        totals.stockValue += row.price * row.allow_quantity;
    }
    return totals;
}

// An id listed twice in one run had its deal records stored twice, once per listing; the
// copies agree in everything but the time they were written.
bool SameDeal(const BuyerRow& a, const BuyerRow& b) {
    return a.Buyer == b.Buyer && a.buytime == b.buytime && a.price == b.price &&
           a.amount == b.amount && a.sku == b.sku && a.usertype == b.usertype &&
           a.buyer_credit == b.buyer_credit && a.userclass == b.userclass;
}

std::vector<BuyerRow> DealsAfter(Store& store, const std::string& sid, const std::string& itemId,
                                 DateTime after, bool listedTwice) {
    std::vector<BuyerRow> deals = store.ReadBuyers(sid, itemId, after);
    // The reader's bound includes the moment itself; a deal at the very time the older run was
    // stored is one that run could already have seen.
    std::erase_if(deals, [&](const BuyerRow& deal) { return !(after < deal.buytime); });
    if (listedTwice) {
        std::vector<BuyerRow> kept;
        for (BuyerRow& deal : deals) {
            if (std::none_of(kept.begin(), kept.end(),
                             [&](const BuyerRow& k) { return SameDeal(k, deal); })) {
                kept.push_back(std::move(deal));
            }
        }
        deals = std::move(kept);
    }
    return deals;
}

// Whether the item can hold deal records bought after `since`, going by its own row: one query
// per item is most of a comparison's time, and in a day most items of a shop sell nothing. The
// row counts the deal records stored with it, and lastSell is the time of the first of them,
// the top of the marketplace's newest-first list, so no stored deal is later; an item whose
// deals gave no time is asked all the same.
bool MaySoldSince(const ItemRow& item, DateTime since) {
    if (item.BuyerCount == 0) {
        return false;
    }
    return item.lastSell == DateTime() || since < item.lastSell;
}

std::int64_t Difference(std::int32_t before, std::int32_t after) {
    return static_cast<std::int64_t>(after) - static_cast<std::int64_t>(before);
}

}  // namespace

const std::string& ItemComparison::Title() const {
    return newer ? newer->title : older->title;
}

double ItemComparison::PriceChange() const {
    if (!older || !newer) {
        return 0.0;
    }
    const double change = std::round((newer->price - older->price) * 100.0) / 100.0;
    return change == 0.0 ? 0.0 : change;  // never a negative zero
}

std::int64_t ItemComparison::SellcountChange() const {
    return older && newer ? Difference(older->sellcount, newer->sellcount) : 0;
}

std::int64_t ItemComparison::StockChange() const {
    return older && newer ? Difference(older->allow_quantity, newer->allow_quantity) : 0;
}

std::int64_t ItemComparison::ImpliedSales() const {
    return std::max<std::int64_t>(0, -StockChange());
}

std::int64_t ItemComparison::ReviewChange() const {
    return older && newer ? Difference(older->Commentcount, newer->Commentcount) : 0;
}

std::int64_t ItemComparison::ViewChange() const {
    return older && newer ? Difference(older->pv, newer->pv) : 0;
}

std::int64_t ItemComparison::NewDealQuantity() const {
    std::int64_t pieces = 0;
    for (const BuyerRow& deal : newDeals) {
        pieces += deal.amount;
    }
    return pieces;
}

bool ItemComparison::Changed() const {
    return status != ItemStatus::Kept || PriceChange() != 0.0 || SellcountChange() != 0 ||
           StockChange() != 0 || ReviewChange() != 0 || ViewChange() != 0 || !newDeals.empty();
}

std::size_t RunComparison::Count(ItemStatus status) const {
    return static_cast<std::size_t>(std::count_if(
        items.begin(), items.end(), [&](const ItemComparison& c) { return c.status == status; }));
}

std::size_t RunComparison::ChangedCount() const {
    return static_cast<std::size_t>(std::count_if(
        items.begin(), items.end(), [](const ItemComparison& c) { return c.Changed(); }));
}

std::vector<ItemComparison> RunComparison::ChangedItems() const {
    std::vector<ItemComparison> changed;
    std::copy_if(items.begin(), items.end(), std::back_inserter(changed),
                 [](const ItemComparison& c) { return c.Changed(); });
    return changed;
}

RunComparison CompareRuns(Store& store, const ShopRow& older, const ShopRow& newer) {
    RunComparison comparison;
    comparison.older = older;
    comparison.newer = newer;
    DistinctItems before = Distinct(store.ReadItems(older.SID));
    DistinctItems after = Distinct(store.ReadItems(newer.SID));
    comparison.olderTotals = Totals(before.rows);
    comparison.newerTotals = Totals(after.rows);

    comparison.items.reserve(after.rows.size() + before.rows.size());
    for (const ItemRow& row : after.rows) {
        ItemComparison& item = comparison.items.emplace_back();
        item.itemId = row.ItemID;
        item.newer = row;
        if (auto found = before.index.find(row.ItemID); found != before.index.end()) {
            item.status = ItemStatus::Kept;
            item.older = before.rows[found->second];
        } else {
            item.status = ItemStatus::New;
        }
        if (MaySoldSince(row, older.AddTime)) {
            item.newDeals = DealsAfter(store, newer.SID, row.ItemID, older.AddTime,
                                       after.listed[row.ItemID] > 1);
        }
    }
    for (const ItemRow& row : before.rows) {
        if (after.index.count(row.ItemID) == 0) {
            ItemComparison& item = comparison.items.emplace_back();
            item.itemId = row.ItemID;
            item.status = ItemStatus::Removed;
            item.older = row;
        }
    }
    return comparison;
}

}  // namespace tarnwick
