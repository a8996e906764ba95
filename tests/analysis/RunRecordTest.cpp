// What a stored run is worth, and what comparisons make of runs that did not read everything.
#include "analysis/RunRecord.h"

#include <gtest/gtest.h>

#include "analysis/RunComparison.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

RunOutcomeRow Outcome(const std::string& sid, RunOutcome outcome, bool listComplete = true,
                      int queued = 3, int read = 3) {
    RunOutcomeRow row;
    row.sid = sid;
    row.outcome = OutcomeKey(outcome);
    row.listComplete = listComplete ? 1 : 0;
    row.itemsQueued = queued;
    row.itemsRead = read;
    row.itemsNotRead = queued - read;
    return row;
}

ItemReadRow Read(const std::string& sid, int seq, const std::string& id, ItemRead state) {
    return ItemReadRow{sid, seq, id, ItemReadKey(state), state == ItemRead::Read ? "" : "http"};
}

TEST(RunRecordTest, OldRunsAreCompleteAndStatesDecideEachItem) {
    const RunRecord old;
    EXPECT_FALSE(old.Known());
    EXPECT_TRUE(old.Complete());
    EXPECT_TRUE(old.ItemWasRead("1"));
    EXPECT_TRUE(old.PartialText().empty());

    // An id listed twice is read when either of its downloads read it.
    const RunRecord stopped(
        Outcome("s", RunOutcome::Stopped, true, 4, 2),
        {Read("s", 1, "1", ItemRead::Read), Read("s", 2, "2", ItemRead::Failed),
         Read("s", 3, "2", ItemRead::Read), Read("s", 4, "3", ItemRead::NotStarted)});
    EXPECT_FALSE(stopped.Complete());
    EXPECT_TRUE(stopped.ItemWasRead("2"));
    EXPECT_FALSE(stopped.ItemWasRead("3"));
    EXPECT_EQ(stopped.StateOf("3"), ItemRead::NotStarted);
    EXPECT_EQ(stopped.StateOf("9"), std::nullopt);
    EXPECT_TRUE(stopped.ItemWasRead("9"));  // no state: read, as an old run's items
    EXPECT_EQ(stopped.NotReadIds(), std::vector<std::string>{"3"});
    EXPECT_EQ(stopped.PartialText(), "已停止: 读取 2 / 4 个宝贝");

    struct Case {
        RunOutcomeRow row;
        bool complete;
    };
    const Case cases[] = {
        {Outcome("a", RunOutcome::Complete), true},
        {Outcome("b", RunOutcome::Complete, false), false},  // a listing page was skipped
        {Outcome("c", RunOutcome::Complete, true, 3, 2), false},
        {Outcome("d", RunOutcome::Truncated), false},
        {Outcome("e", RunOutcome::Running), false},
        {[] {
             RunOutcomeRow later = Outcome("f", RunOutcome::Complete);
             later.outcome = "some-later-outcome";
             return later;
         }(),
         false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunRecord(c.row, {}).Complete(), c.complete) << c.row.sid;
    }
    for (RunOutcome outcome : {RunOutcome::Complete, RunOutcome::RateLimited,
                               RunOutcome::ChangedPages, RunOutcome::Running}) {
        EXPECT_EQ(OutcomeFromKey(OutcomeKey(outcome)), outcome);
    }
}

DateTime At(int day, int hour, int minute = 0) {
    return DateTime::FromParts({2026, 3, day, hour, minute, 0, 0});
}

class PartialCompareTest : public ::testing::Test {
protected:
    ShopRow Run(const std::string& sid, DateTime added) {
        ShopRow run;
        run.SID = sid;
        run.OwnerID = "880";
        run.WWName = "小店";
        run.AddTime = added;
        store.AppendShop(run);
        return run;
    }
    void Item(const std::string& sid, const std::string& id, double price, int stock) {
        ItemRow item;
        item.sid = sid;
        item.ItemID = id;
        item.title = "宝贝" + id;
        item.price = price;
        item.sellcount = 1;
        item.SellAmount = price;
        item.allow_quantity = stock;
        store.AppendItem(item);
    }

    TempDatabase temp;
    Store store{Database::Open(temp.Path())};
};

TEST_F(PartialCompareTest, ItemsNotReadInEitherRunAreUnreadAndLeftOutOfTheTotals) {
    const ShopRow older = Run("1", At(1, 9));
    const ShopRow newer = Run("2", At(2, 9));
    for (const char* id : {"a", "b", "c", "d"}) {
        Item("1", id, 10, 5);
    }
    Item("2", "a", 12, 5);  // read, its price moved
    Item("2", "b", 0, 0);   // the zero row of a blocked item page
    // c was never started; d is missing from the newer run, whose listing was cut short, so it
    // is not removed; e is new, for the older run read its whole listing; f is queued only in
    // the newer run and never started.
    Item("2", "e", 10, 5);
    store.EndRunOutcome(Outcome("1", RunOutcome::Complete, true, 4, 4));
    store.EndRunOutcome(Outcome("2", RunOutcome::Truncated, false, 4, 2));
    for (const ItemReadRow& row :
         {Read("2", 1, "a", ItemRead::Read), Read("2", 2, "b", ItemRead::Blocked),
          Read("2", 3, "c", ItemRead::NotStarted), Read("2", 4, "e", ItemRead::Read),
          Read("2", 5, "f", ItemRead::NotStarted)}) {
        store.AppendItemRead(row);
    }

    const RunComparison c = CompareRuns(store, older, newer);
    EXPECT_TRUE(c.Partial());
    EXPECT_EQ(c.Count(ItemStatus::Kept), 1u);
    EXPECT_EQ(c.Count(ItemStatus::New), 1u);
    EXPECT_EQ(c.Count(ItemStatus::Removed), 0u);
    EXPECT_EQ(c.Count(ItemStatus::Unread), 4u);  // b, c, d, f
    ASSERT_EQ(c.ChangedItems().size(), 2u);
    EXPECT_EQ(c.ChangedItems()[0].itemId, "a");
    EXPECT_EQ(c.ChangedItems()[1].itemId, "e");
    // a on both sides and e on the newer: the zeros of b and the figures of c and d count in
    // neither total.
    EXPECT_EQ(c.olderTotals.items, 1u);
    EXPECT_EQ(c.newerTotals.items, 2u);
    EXPECT_DOUBLE_EQ(c.olderTotals.stockValue, 50.0);
    EXPECT_DOUBLE_EQ(c.newerTotals.stockValue, 60.0 + 50.0);
    EXPECT_EQ(c.items.back().itemId, "f");
    EXPECT_EQ(c.items.back().Title(), "");
    const std::vector<std::string> lines = c.PartialLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "较新的分析 2 不完整 - 被截断: 读取 2 / 4 个宝贝, 宝贝列表未读完");
}

TEST_F(PartialCompareTest, RemovedAndNewNeedTheOtherRunsWholeListing) {
    const ShopRow older = Run("1", At(1, 9));
    const ShopRow newer = Run("2", At(2, 9));
    Item("1", "gone", 10, 5);
    Item("2", "fresh", 10, 5);
    store.EndRunOutcome(Outcome("1", RunOutcome::Complete, true, 1, 1));
    store.EndRunOutcome(Outcome("2", RunOutcome::Complete, true, 1, 1));
    const RunComparison c = CompareRuns(store, older, newer);
    EXPECT_FALSE(c.Partial());
    EXPECT_TRUE(c.PartialLines().empty());
    EXPECT_EQ(c.Count(ItemStatus::Removed), 1u);
    EXPECT_EQ(c.Count(ItemStatus::New), 1u);
}

// 9: the deals since the older run are every deal newer than it, wherever the marketplace
// listed it on the item's pages.
TEST_F(PartialCompareTest, ADealNewerThanTheOlderRunBelowAnOlderOneIsCounted) {
    const ShopRow older = Run("1", At(2, 9));
    const ShopRow newer = Run("2", At(3, 9));
    Item("1", "a", 10, 5);
    ItemRow item;
    item.sid = "2";
    item.ItemID = "a";
    item.price = 10;
    item.allow_quantity = 5;
    item.BuyerCount = 2;
    item.lastSell = At(1, 12);  // the first record on page 1 is older than the older run
    store.AppendItem(item);
    for (DateTime when : {At(1, 12), At(2, 18)}) {
        BuyerRow deal;
        deal.sid = "2";
        deal.itemid = "a";
        deal.Buyer = "买家";
        deal.buytime = when;
        deal.amount = 3;
        store.AppendBuyer(deal);
    }
    const RunComparison c = CompareRuns(store, older, newer);
    ASSERT_EQ(c.items.size(), 1u);
    ASSERT_EQ(c.items[0].newDeals.size(), 1u);
    EXPECT_EQ(c.items[0].newDeals[0].buytime, At(2, 18));
    EXPECT_EQ(c.items[0].NewDealQuantity(), 3);
    EXPECT_TRUE(c.items[0].Changed());
}

}  // namespace
}  // namespace tarnwick::test
