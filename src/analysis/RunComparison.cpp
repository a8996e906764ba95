#include "analysis/RunComparison.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

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

// An id listed twice in one run had its deal records stored twice, once per listing; the
// copies agree in everything but the time they were written.
bool SameDeal(const BuyerRow& a, const BuyerRow& b) {
    return a.Buyer == b.Buyer && a.buytime == b.buytime && a.price == b.price &&
           a.amount == b.amount && a.sku == b.sku && a.usertype == b.usertype &&
           a.buyer_credit == b.buyer_credit && a.userclass == b.userclass;
}

// The deal records of the newer run bought after the older run was stored, by item: one
// query for the whole run. A deal counts wherever it stands on its item's pages, so one that
// the marketplace lists below an older one is not lost. An id listed twice had its deal
// records stored twice, once per listing; the copies agree in everything but the time they
// were written, and count once.
std::unordered_map<std::string, std::vector<BuyerRow>> DealsAfter(Store& store,
                                                                  const std::string& sid,
                                                                  DateTime after,
                                                                  const DistinctItems& items) {
    std::unordered_map<std::string, std::vector<BuyerRow>> byItem;
    for (BuyerRow& deal : store.ReadRunBuyersAfter(sid, after)) {
        std::vector<BuyerRow>& deals = byItem[deal.itemid];
        auto listed = items.listed.find(deal.itemid);
        if (listed != items.listed.end() && listed->second > 1 &&
            std::any_of(deals.begin(), deals.end(),
                        [&](const BuyerRow& kept) { return SameDeal(kept, deal); })) {
            continue;
        }
        deals.push_back(std::move(deal));
    }
    return byItem;
}

void AddTo(ShopTotals& totals, const ItemRow& row) {
    ++totals.items;
    totals.sellAmount += row.SellAmount;
    totals.stockValue += row.price * row.allow_quantity;
}

std::int64_t Difference(std::int32_t before, std::int32_t after) {
    return static_cast<std::int64_t>(after) - static_cast<std::int64_t>(before);
}

}  // namespace

const std::string& ItemComparison::Title() const {
    static const std::string none;
    // The zero row of an item the newer run did not read has no title; the older may.
    if (newer && (!newer->title.empty() || !older)) {
        return newer->title;
    }
    return older ? older->title : none;
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
    if (status == ItemStatus::Unread) {
        return false;
    }
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

std::vector<std::string> RunComparison::PartialLines() const {
    std::vector<std::string> lines;
    if (std::string text = olderRecord.PartialText(); !text.empty()) {
        lines.push_back("较早的分析 " + older.SID + " 不完整 - " + text);
    }
    if (std::string text = newerRecord.PartialText(); !text.empty()) {
        lines.push_back("较新的分析 " + newer.SID + " 不完整 - " + text);
    }
    if (!lines.empty()) {
        lines.push_back(std::to_string(Count(ItemStatus::Unread)) +
                        " 个宝贝未读取, 不算作新上架、已下架或有变化, 也不计入合计");
    }
    return lines;
}

RunComparison CompareRuns(Store& store, const ShopRow& older, const ShopRow& newer) {
    RunComparison comparison;
    comparison.older = older;
    comparison.newer = newer;
    comparison.olderRecord = RunRecord::Load(store, older.SID);
    comparison.newerRecord = RunRecord::Load(store, newer.SID);
    const RunRecord& olderRecord = comparison.olderRecord;
    const RunRecord& newerRecord = comparison.newerRecord;
    DistinctItems before = Distinct(store.ReadItems(older.SID));
    DistinctItems after = Distinct(store.ReadItems(newer.SID));
    auto deals = DealsAfter(store, newer.SID, older.AddTime, after);

    // Missing from a run says the shop no longer (or did not yet) list the item only when that
    // run read its whole listing and never queued the item.
    auto absentFrom = [](const RunRecord& record, const std::string& id) {
        return record.ListingComplete() && !record.StateOf(id);
    };

    comparison.items.reserve(after.rows.size() + before.rows.size());
    for (const ItemRow& row : after.rows) {
        ItemComparison& item = comparison.items.emplace_back();
        item.itemId = row.ItemID;
        item.newer = row;
        item.newerRead = newerRecord.ItemWasRead(row.ItemID);
        if (auto found = before.index.find(row.ItemID); found != before.index.end()) {
            item.older = before.rows[found->second];
            item.olderRead = olderRecord.ItemWasRead(row.ItemID);
            item.status = item.olderRead && item.newerRead ? ItemStatus::Kept : ItemStatus::Unread;
        } else {
            item.status = item.newerRead && absentFrom(olderRecord, row.ItemID)
                              ? ItemStatus::New
                              : ItemStatus::Unread;
        }
        if (item.status != ItemStatus::Unread) {
            if (auto found = deals.find(row.ItemID); found != deals.end()) {
                item.newDeals = std::move(found->second);
            }
        }
    }
    for (const ItemRow& row : before.rows) {
        if (after.index.count(row.ItemID) == 0) {
            ItemComparison& item = comparison.items.emplace_back();
            item.itemId = row.ItemID;
            item.older = row;
            item.olderRead = olderRecord.ItemWasRead(row.ItemID);
            item.status = item.olderRead && absentFrom(newerRecord, row.ItemID)
                              ? ItemStatus::Removed
                              : ItemStatus::Unread;
        }
    }
    // Queued in the newer run but never given a row (not started, or not stored): unread.
    for (const std::string& id : newerRecord.NotReadIds()) {
        if (after.index.count(id) == 0 && before.index.count(id) == 0) {
            ItemComparison& item = comparison.items.emplace_back();
            item.itemId = id;
            item.status = ItemStatus::Unread;
        }
    }
    for (const ItemComparison& item : comparison.items) {
        if (item.status == ItemStatus::Unread) {
            continue;
        }
        if (item.older) {
            AddTo(comparison.olderTotals, *item.older);
        }
        if (item.newer) {
            AddTo(comparison.newerTotals, *item.newer);
        }
    }
    return comparison;
}

}  // namespace tarnwick
