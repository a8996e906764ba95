// The alert rules over hand-made comparisons: which changes raise which alert, and which
// never may.
#include <gtest/gtest.h>

#include "watch/AlertRules.h"

namespace tarnwick {
namespace {

using Figures = WatchedItem::Figures;

WatchedItem Kept(const char* id, Figures before, Figures after, std::int64_t sold = 0) {
    WatchedItem item;
    item.itemId = id;
    item.title = std::string("宝贝") + id;
    item.listedBefore = item.listedAfter = true;
    item.before = before;
    item.after = after;
    item.soldBetween = sold;
    return item;
}

WatchedItem Added(const char* id, std::optional<Figures> after) {
    WatchedItem item = Kept(id, {}, {});
    item.listedBefore = false;
    item.before.reset();
    item.after = after;
    return item;
}

WatchedItem Dropped(const char* id, std::optional<Figures> before) {
    WatchedItem item = Kept(id, {}, {});
    item.listedAfter = false;
    item.after.reset();
    item.before = before;
    return item;
}

struct RuleCase {
    const char* name;
    WatchedItem item;
    AlertRules rules;
    bool olderComplete;
    bool newerComplete;
    std::vector<AlertKind> expected;
};

AlertRules Rules(void (*change)(AlertRules&) = nullptr) {
    AlertRules rules;
    if (change != nullptr) {
        change(rules);
    }
    return rules;
}

std::vector<RuleCase> Cases() {
    using K = AlertKind;
    return {
        {"cut of exactly the threshold",
         Kept("1", {99.90, 5}, {89.91, 5}),
         Rules(),
         true,
         true,
         {K::PriceDown}},
        {"cut just short of it", Kept("2", {99.90, 5}, {89.92, 5}), Rules(), true, true, {}},
        {"rise past it", Kept("3", {50.00, 5}, {55.50, 5}), Rules(), true, true, {K::PriceUp}},
        {"rise just short", Kept("4", {50.00, 5}, {54.99, 5}), Rules(), true, true, {}},
        {"rise at a lower threshold",
         Kept("5", {50.00, 5}, {51.00, 5}),
         Rules([](AlertRules& r) { r.priceChangePercent = 2; }),
         true,
         true,
         {K::PriceUp}},
        {"rises not wanted",
         Kept("6", {50.00, 5}, {80.00, 5}),
         Rules([](AlertRules& r) { r.priceUp = false; }),
         true,
         true,
         {}},
        {"price alerts off",
         Kept("7", {50.00, 5}, {10.00, 5}),
         Rules([](AlertRules& r) { r.priceChangePercent = 0; }),
         true,
         true,
         {}},
        {"no price on the older page", Kept("8", {0.0, 5}, {50.00, 5}), Rules(), true, true, {}},
        {"no price on the newer page", Kept("9", {50.0, 5}, {0.0, 5}), Rules(), true, true, {}},
        {"sold out", Kept("10", {20.0, 7}, {20.0, 0}), Rules(), true, true, {K::StockOut}},
        {"back in stock", Kept("11", {20.0, 0}, {20.0, 40}), Rules(), true, true, {K::Restock}},
        {"still out", Kept("12", {20.0, 0}, {20.0, 0}), Rules(), true, true, {}},
        {"stock alerts off",
         Kept("13", {20.0, 7}, {20.0, 0}),
         Rules([](AlertRules& r) { r.stock = false; }),
         true,
         true,
         {}},
        {"cut and sold out together",
         Kept("14", {100.0, 3}, {80.0, 0}),
         Rules(),
         true,
         true,
         {K::PriceDown, K::StockOut}},
        {"sales jump at the threshold",
         Kept("15", {20.0, 50}, {20.0, 30}, 20),
         Rules(),
         true,
         true,
         {K::SalesJump}},
        {"sales one short", Kept("16", {20.0, 50}, {20.0, 31}, 19), Rules(), true, true, {}},
        {"sales jumps off",
         Kept("17", {20.0, 50}, {20.0, 0}, 50),
         Rules([](AlertRules& r) { r.salesJumpPieces = 0; }),
         true,
         true,
         {K::StockOut}},
        {"new item", Added("18", Figures{59.0, 10}), Rules(), true, true, {K::New}},
        {"new item, older listing cut short",
         Added("19", Figures{59.0, 10}),
         Rules(),
         false,
         true,
         {}},
        {"new item whose page was not read", Added("20", std::nullopt), Rules(), true, true, {}},
        {"new items not wanted",
         Added("21", Figures{59.0, 10}),
         Rules([](AlertRules& r) { r.newItems = false; }),
         true,
         true,
         {}},
        {"removed item", Dropped("22", Figures{30.0, 1}), Rules(), true, true, {K::Removed}},
        {"removed, newer listing cut short",
         Dropped("23", Figures{30.0, 1}),
         Rules(),
         true,
         false,
         {}},
        {"removed, older listing cut short",
         Dropped("24", Figures{30.0, 1}),
         Rules(),
         false,
         true,
         {}},
        // Listed in the older run but its page never read there: its row is no evidence that it
        // was on sale. Once runs store each item's read state, an item whose state is failed or
        // never started must come here as not read, whatever figures its row holds.
        {"removed, but never read in the older run",
         Dropped("25", std::nullopt),
         Rules(),
         true,
         true,
         {}},
        {"removals not wanted",
         Dropped("26", Figures{30.0, 1}),
         Rules([](AlertRules& r) { r.removedItems = false; }),
         true,
         true,
         {}},
        {"kept, not read in the newer run",
         [] {
             WatchedItem item = Kept("27", {100.0, 5}, {}, 40);
             item.after.reset();
             return item;
         }(),
         Rules(),
         true,
         true,
         {}},
        {"kept, not read in the older run",
         [] {
             WatchedItem item = Kept("28", {}, {10.0, 0}, 40);
             item.before.reset();
             return item;
         }(),
         Rules(),
         true,
         true,
         {}},
    };
}

TEST(AlertRulesTest, EachChangeRaisesItsAlertAndNothingElse) {
    for (const RuleCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        WatchedComparison comparison;
        comparison.olderListingComplete = c.olderComplete;
        comparison.newerListingComplete = c.newerComplete;
        comparison.items.push_back(c.item);
        std::vector<AlertKind> kinds;
        for (const Alert& alert : EvaluateAlerts(comparison, c.rules)) {
            kinds.push_back(alert.kind);
            EXPECT_EQ(alert.itemId, c.item.itemId);
        }
        EXPECT_EQ(kinds, c.expected);
    }
}

TEST(AlertRulesTest, AlertsCarryTheirFiguresAndOneLineOfText) {
    WatchedComparison comparison;
    comparison.olderListingComplete = comparison.newerListingComplete = true;
    comparison.items = {Dropped("9", Figures{30.0, 1}), Kept("1", {99.9, 5}, {89.91, 0}),
                        Added("2", Figures{59.0, 10}), Kept("3", {20.0, 0}, {20.0, 7}, 25)};
    comparison.items[1].title = "夏季\n新款\x1b[31m 连衣裙\xe2\x80\xae";
    const std::vector<Alert> alerts = EvaluateAlerts(comparison, AlertRules{});
    ASSERT_EQ(alerts.size(), 6u);
    // The newer run's order, then the removed item last.
    EXPECT_EQ(alerts[0].kind, AlertKind::PriceDown);
    EXPECT_EQ(alerts[0].before, "99.90");
    EXPECT_EQ(alerts[0].after, "89.91");
    EXPECT_EQ(alerts[0].text, "降价 10.0% (99.90 → 89.91): 夏季 新款 [31m 连衣裙 ");
    EXPECT_EQ(alerts[0].title, comparison.items[1].title) << "the stored title stays whole";
    EXPECT_EQ(alerts[1].kind, AlertKind::StockOut);
    EXPECT_EQ(alerts[1].before, "5");
    EXPECT_EQ(alerts[1].after, "0");
    EXPECT_EQ(alerts[2].kind, AlertKind::New);
    EXPECT_EQ(alerts[2].text, "新上架 (59.00): 宝贝2");
    EXPECT_EQ(alerts[3].kind, AlertKind::Restock);
    EXPECT_EQ(alerts[3].text, "补货 (库存 0 → 7): 宝贝3");
    EXPECT_EQ(alerts[4].kind, AlertKind::SalesJump);
    EXPECT_EQ(alerts[4].after, "25");
    EXPECT_EQ(alerts[5].kind, AlertKind::Removed);
    EXPECT_EQ(alerts[5].text, "已下架: 宝贝9");
    EXPECT_EQ(alerts[5].before, "30.00");

    const Alert failed = WatchFailedAlert("被拦截 (blocked)");
    EXPECT_EQ(failed.kind, AlertKind::WatchFailed);
    EXPECT_EQ(failed.text, "监控失败: 被拦截 (blocked)");
    EXPECT_TRUE(failed.itemId.empty());
}

TEST(AlertRulesTest, KindsHaveTheirScriptNamesBothWays) {
    for (AlertKind kind :
         {AlertKind::PriceDown, AlertKind::PriceUp, AlertKind::New, AlertKind::Removed,
          AlertKind::StockOut, AlertKind::Restock, AlertKind::SalesJump, AlertKind::WatchFailed}) {
        EXPECT_EQ(ParseAlertKind(AlertKindName(kind)), kind);
    }
    EXPECT_EQ(AlertKindName(AlertKind::PriceDown), "price_down");
    EXPECT_EQ(AlertKindName(AlertKind::WatchFailed), "watch_failed");
    EXPECT_FALSE(ParseAlertKind("price-down").has_value());
}

TEST(AlertLineTextTest, CutsLongTextAtACharacterAndNeverPassesControls) {
    const std::string title = "连衣裙连衣裙连衣裙";  // 27 bytes
    EXPECT_EQ(AlertLineText(title, 27), title);
    EXPECT_EQ(AlertLineText(title, 26), "连衣裙连衣裙连衣…");
    EXPECT_EQ(AlertLineText(title, 10), "连衣裙…");
    EXPECT_EQ(AlertLineText("a\r\nb\tc\x7f"
                            "d\xc2\x85"
                            "e\xe2\x80\xa8"
                            "f\xe2\x81\xa6"),
              "a  b c d e f ");
    // A sequence cut short by the page stays a sequence cut short, never one that swallows what
    // follows it past the end.
    EXPECT_EQ(AlertLineText("ab\xe8"), "ab\xe8");
}

}  // namespace
}  // namespace tarnwick
