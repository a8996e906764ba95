// The shop tree, the item list and the detail lists, driven through the main window as a user
// would, over shops a marketsim served and the acquisition core stored.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "TestShops.h"
#include "app/TFmReadData.h"
#include "store/Store.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

// Three items: one with deals and reviews, one with nothing, one with a single deal.
marketsim::Shop FashionShop() {
    const DateTime today = TodayMidnight();
    marketsim::Item dress = Item("5001", "春季新款连衣裙", "128.00", 3, 40, 900);
    dress.deals = {Deal("买家甲", "120.00", 2, DateTime(today.Days() - 0.5)),
                   Deal("买家乙", "118.50", 1, today.AddDays(-2)),
                   Deal("买家丙", "99.90", 5, today.AddDays(-3), "尺码:XL")};
    dress.reviews = {Review("小明", "质量很好", today.AddDays(-1), "9001"),
                     Review("小红", "还不错", today.AddDays(-5), "9002")};
    marketsim::Item shirt = Item("5002", "纯棉T恤", "39.90", 0, 12, 50);
    marketsim::Item jeans = Item("5003", "直筒牛仔裤", "99.00", 1, 7, 321);
    jeans.deals = {Deal("买家丁", "99.00", 1, today.AddDays(-4))};
    return Shop("星光女装", "star", {dress, shirt, jeans});
}

class MainWindowViewsTest : public ::testing::Test {
protected:
    MainWindowFixture f;

    ItemListView& List() { return *f.Find<ItemListView>("lst"); }
    DetailLists& Details() { return *f.Find<DetailLists>("rpnlDetail"); }
    int RowOf(const QString& title) {
        auto titles = f.ListColumn(ItemListModel::cxTitle);
        auto found = std::find(titles.begin(), titles.end(), title);
        return found == titles.end() ? -1 : static_cast<int>(found - titles.begin());
    }
    // The stored time of a run, to the second.
    QString StoredTime(const std::string& sid) {
        for (const ShopRow& shop : f.OpenStore().ReadShops()) {
            if (shop.SID == sid) {
                return QString::fromStdString(shop.AddTime.ToText().substr(0, 19));
            }
        }
        ADD_FAILURE() << "no run " << sid;
        return {};
    }
    std::vector<QString> BuyerColumn(int column) {
        std::vector<QString> texts;
        const auto& model = Details().Buyers();
        for (int row = 0; row < model.rowCount(); ++row) {
            texts.push_back(model.index(row, column).data().toString());
        }
        return texts;
    }
};

TEST_F(MainWindowViewsTest, ClickingAShopListsItsStoredItemsAllChecked) {
    f.Sim().AddShop(FashionShop());
    const std::string sid = f.Analyse("星光女装");
    f.OpenWindow();
    EXPECT_EQ(List().Model().Count(), 0);

    f.ClickTreeNode(0);

    ASSERT_TRUE(f.Window().CurrentShop().has_value());
    EXPECT_EQ(f.Window().CurrentShop()->Sid, sid);
    EXPECT_EQ(f.Window().StatusText(), QStringLiteral("掌柜:星光女装"));
    using C = ItemListModel::Column;
    EXPECT_EQ(f.ListColumn(C::cxIndex), (std::vector<QString>{"1", "2", "3"}));
    EXPECT_EQ(f.ListColumn(C::cxTitle),
              (std::vector<QString>{"春季新款连衣裙", "纯棉T恤", "直筒牛仔裤"}));
    EXPECT_EQ(f.ListColumn(C::cxPrice), (std::vector<QString>{"¥128.00", "¥39.90", "¥99.00"}));
    EXPECT_EQ(f.ListColumn(C::cxSellCount), (std::vector<QString>{"3", "0", "1"}));
    EXPECT_EQ(f.ListColumn(C::cxallow_quantity), (std::vector<QString>{"40", "12", "7"}));
    EXPECT_EQ(f.ListColumn(C::cxCommentCount), (std::vector<QString>{"2", "0", "0"}));
    EXPECT_EQ(f.ListColumn(C::cxpv), (std::vector<QString>{"900", "50", "321"}));
    EXPECT_EQ(f.ListColumn(C::cxSellAmount), (std::vector<QString>{"¥384.00", "¥0.00", "¥99.00"}));
    // The read time is the stored one, shown to the second.
    Store store = f.OpenStore();
    auto stored = store.ReadItems(sid);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(f.ListColumn(C::cxDataTime)[0],
              QString::fromStdString(stored[0].UpdateTime.ToText().substr(0, 19)));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(List().model()->index(row, C::cxCheck).data(Qt::CheckStateRole), Qt::Checked);
    }
    // The detail lists wait for an item to be focused.
    EXPECT_EQ(Details().BuyerCountLabel(), QString());
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST_F(MainWindowViewsTest, FocusingAnItemShowsItsDealsAndReviewsNewestFirst) {
    f.Sim().AddShop(FashionShop());
    f.Analyse("星光女装");
    f.OpenWindow();
    f.ClickTreeNode(0);
    const int dress = RowOf("春季新款连衣裙");
    ASSERT_GE(dress, 0);

    QTest::mouseClick(List().viewport(), Qt::LeftButton, {},
                      List().visualRect(List().model()->index(dress, 2)).center());

    const DateTime today = TodayMidnight();
    EXPECT_EQ(BuyerColumn(0), (std::vector<QString>{"买家甲", "买家乙", "买家丙"}));
    EXPECT_EQ(BuyerColumn(1), (std::vector<QString>{"120.00", "118.50", "99.90"}));
    EXPECT_EQ(BuyerColumn(2), (std::vector<QString>{"2", "1", "5"}));
    EXPECT_EQ(BuyerColumn(3), (std::vector<QString>{"颜色分类:红色", "颜色分类:红色", "尺码:XL"}));
    EXPECT_EQ(BuyerColumn(4)[0], QString::fromStdString(PageTime(DateTime(today.Days() - 0.5))));
    // The total adds each price once, whatever the amount.
    EXPECT_EQ(Details().BuyerCountLabel(), QStringLiteral("共有 3 条记录. 总额 338.40 元。"));
    const auto& rates = Details().Rates();
    ASSERT_EQ(rates.rowCount(), 2);
    EXPECT_EQ(rates.index(0, 0).data().toString(), QStringLiteral("小明"));
    EXPECT_EQ(rates.index(0, 1).data().toString(), QStringLiteral("质量很好"));
    EXPECT_EQ(rates.index(1, 2).data().toString(),
              QString::fromStdString(PageTime(today.AddDays(-5))));
    EXPECT_EQ(Details().CommentCountLabel(), QStringLiteral("共有 2 条记录."));

    // The arrow keys refresh both lists for every item passed.
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(List().FocusedItem()->ItemID, "5002");
    EXPECT_EQ(Details().Buyers().rowCount(), 0);
    EXPECT_EQ(Details().BuyerCountLabel(), QStringLiteral("共有 0 条记录. 总额 0.00 元。"));
    EXPECT_EQ(Details().CommentCountLabel(), QStringLiteral("共有 0 条记录."));
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(BuyerColumn(0), (std::vector<QString>{"买家丁"}));
    EXPECT_EQ(Details().BuyerCountLabel(), QStringLiteral("共有 1 条记录. 总额 99.00 元。"));

    // Reloading the list drops the focus, and the detail lists wait for an item of the new
    // list rather than go on showing one of the old.
    f.Click("btnAllData");
    EXPECT_FALSE(List().FocusedItem().has_value());
    EXPECT_TRUE(BuyerColumn(0).empty());
    EXPECT_EQ(Details().BuyerCountLabel(), QString());
    EXPECT_EQ(Details().CommentCountLabel(), QString());
}

// Items whose newest deal lies at chosen distances from today's midnight.
marketsim::Shop DatedShop() {
    const DateTime today = TodayMidnight();
    const DateTime weekAgo = today.AddDays(-7);
    const DateTime justBefore(weekAgo.Days() - 1.0 / 86400);
    marketsim::Item a = Item("6001", "今天", "10.00", 3, 1, 1);
    a.deals = {Deal("甲", "10.00", 1, today), Deal("乙", "10.00", 1, weekAgo),
               Deal("丙", "10.00", 1, justBefore)};
    marketsim::Item b = Item("6002", "七天前", "10.00", 1, 1, 1);
    b.deals = {Deal("丁", "10.00", 1, weekAgo)};
    marketsim::Item c = Item("6003", "七天前差一秒", "10.00", 1, 1, 1);
    c.deals = {Deal("戊", "10.00", 1, justBefore)};
    marketsim::Item d = Item("6004", "三十一天前", "10.00", 1, 1, 1);
    d.deals = {Deal("己", "10.00", 1, DateTime(today.Days() - 30.5))};
    marketsim::Item e = Item("6005", "没有成交", "10.00", 0, 1, 1);
    return Shop("时光小铺", "dated", {a, b, c, d, e});
}

TEST_F(MainWindowViewsTest, TimeWindowButtonsKeepItemsSoldSinceTheirBound) {
    f.Sim().AddShop(DatedShop());
    f.Analyse("时光小铺");
    f.OpenWindow();
    f.ClickTreeNode(0);

    const int day = TodayMidnight().Split().day;
    std::vector<QString> thisMonth{"今天"};
    if (day >= 8) {
        thisMonth.push_back("七天前");
    }
    if (day >= 9) {
        thisMonth.push_back("七天前差一秒");
    }
    struct Case {
        const char* button;
        TimeWindow window;
        std::vector<QString> titles;
    };
    const Case cases[] = {
        {"btnWeek", TimeWindow::LastWeek, {"今天", "七天前"}},
        {"btnMonth", TimeWindow::LastMonth, {"今天", "七天前", "七天前差一秒"}},
        // Seven days back is always before this week's Monday.
        {"btnThisWeek", TimeWindow::ThisWeek, {"今天"}},
        {"btnThisMonth", TimeWindow::ThisMonth, thisMonth},
        {"btnAllData",
         TimeWindow::AllData,
         {"今天", "七天前", "七天前差一秒", "三十一天前", "没有成交"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        List().Model().SetAllChecks(ItemListModel::CheckMode::None);
        f.Click(c.button);
        EXPECT_EQ(f.Window().CurrentTimeWindow(), c.window);
        EXPECT_EQ(f.ListColumn(ItemListModel::cxTitle), c.titles);
        // Every load numbers from 1 and checks every item again.
        ASSERT_EQ(List().Model().CheckedItems().size(), c.titles.size());
        EXPECT_EQ(f.ListColumn(ItemListModel::cxIndex).back(), QString::number(c.titles.size()));
    }
}

TEST_F(MainWindowViewsTest, DetailListsApplyTheWindowInForceWhenAnItemIsFocused) {
    f.Sim().AddShop(DatedShop());
    f.Analyse("时光小铺");
    f.OpenWindow();
    f.ClickTreeNode(0);
    f.Click("btnWeek");
    List().FocusRow(RowOf("今天"));
    // Midnight seven days ago is in; one second earlier is out.
    EXPECT_EQ(BuyerColumn(0), (std::vector<QString>{"甲", "乙"}));
    EXPECT_EQ(Details().BuyerCountLabel(), QStringLiteral("共有 2 条记录. 总额 20.00 元。"));

    // Choosing a shop again goes back to all data.
    f.ClickTreeNode(0);
    EXPECT_EQ(f.Window().CurrentTimeWindow(), TimeWindow::AllData);
    List().FocusRow(RowOf("今天"));
    EXPECT_EQ(BuyerColumn(0), (std::vector<QString>{"甲", "乙", "丙"}));
}

TEST_F(MainWindowViewsTest, WindowAndCheckButtonsDoNothingBeforeAShopIsChosen) {
    f.Sim().AddShop(FashionShop());
    f.Analyse("星光女装");
    f.OpenWindow();
    for (const char* button : {"btnWeek", "btnMonth", "btnThisWeek", "btnThisMonth", "btnAllData",
                               "btnSelectAll", "btnSelectNone", "btnSelectOther", "btnOpenShop"}) {
        SCOPED_TRACE(button);
        f.Click(button);
        EXPECT_EQ(List().Model().Count(), 0);
        EXPECT_EQ(f.Window().CurrentTimeWindow(), TimeWindow::AllData);
    }
    EXPECT_TRUE(f.prompts.shown.empty());
    EXPECT_TRUE(f.urls.opened.empty());
    EXPECT_EQ(f.Window().StatusText(), QString());
}

TEST_F(MainWindowViewsTest, CheckButtonsAndClicksSetTheChecks) {
    f.Sim().AddShop(FashionShop());
    f.Analyse("星光女装");
    f.OpenWindow();
    f.ClickTreeNode(0);
    auto checks = [&] {
        std::vector<bool> marks;
        for (int row = 0; row < List().Model().Count(); ++row) {
            marks.push_back(List().Model().Checked(row));
        }
        return marks;
    };
    // A click anywhere in a check cell toggles it at once.
    QTest::mouseClick(List().viewport(), Qt::LeftButton, {},
                      List().visualRect(List().model()->index(1, 0)).topLeft() + QPoint(2, 2));
    EXPECT_EQ(checks(), (std::vector<bool>{true, false, true}));
    f.Click("btnSelectOther");
    EXPECT_EQ(checks(), (std::vector<bool>{false, true, false}));
    f.Click("btnSelectNone");
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, false}));
    f.Click("btnSelectOther");
    EXPECT_EQ(checks(), (std::vector<bool>{true, true, true}));
    f.Click("btnSelectNone");
    f.Click("btnSelectAll");
    EXPECT_EQ(checks(), (std::vector<bool>{true, true, true}));
}

TEST_F(MainWindowViewsTest, TreeActsOnMouseClicksAndTheKeyboardEvenOnEmptySpace) {
    f.Sim().AddShop(FashionShop());
    f.Sim().AddShop(DatedShop());
    const std::string older = f.Analyse("星光女装");
    const std::string newer = f.Analyse("时光小铺");
    f.OpenWindow();
    // Newest first.
    EXPECT_EQ(f.TreeCaptions(), (std::vector<QString>{"时光小铺", "星光女装"}));

    f.ClickTreeNode(1);
    EXPECT_EQ(f.Window().CurrentShop()->Sid, older);
    // The keyboard chooses as a click does: the run selected is the run shown.
    auto* tree = f.Find<QTreeWidget>("tv");
    QTest::keyClick(tree, Qt::Key_Up);
    ASSERT_EQ(tree->selectedItems().size(), 1);
    EXPECT_EQ(tree->selectedItems()[0]->text(0), QStringLiteral("时光小铺"));
    EXPECT_EQ(f.Window().CurrentShop()->Sid, newer);
    EXPECT_EQ(f.Window().StatusText(), QStringLiteral("掌柜:时光小铺"));
    EXPECT_EQ(List().Model().Count(), 5);

    // A click on empty space acts on the node selected at that moment: all data again, every
    // item checked again.
    f.Click("btnWeek");
    List().Model().SetAllChecks(ItemListModel::CheckMode::None);
    f.ClickTreeEmptySpace();
    EXPECT_EQ(f.Window().CurrentShop()->Sid, newer);
    EXPECT_EQ(f.Window().CurrentTimeWindow(), TimeWindow::AllData);
    EXPECT_EQ(List().Model().Count(), 5);
    EXPECT_EQ(List().Model().CheckedItems().size(), 5u);
    // Enter and Space on the selected node load it again too.
    List().Model().SetAllChecks(ItemListModel::CheckMode::None);
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(List().Model().CheckedItems().size(), 5u);
}

TEST_F(MainWindowViewsTest, DeletingAskedFirstAndRemovesOnlyThatRun) {
    f.Sim().AddShop(FashionShop());
    const std::string first = f.Analyse("星光女装");
    const std::string second = f.Analyse("星光女装");
    f.OpenWindow();
    ASSERT_EQ(f.TreeCaptions(), (std::vector<QString>{"星光女装", "星光女装"}));
    f.ClickTreeNode(0);  // the newer run
    ASSERT_EQ(f.Window().CurrentShop()->Sid, second);

    f.prompts.yesNoAnswers = {false};
    f.Click("btnDelShop");
    // The run's time after the nick tells the two runs apart.
    EXPECT_EQ(f.prompts.Texts(Kind::Question),
              (std::vector<QString>{QStringLiteral("您确定要删除 星光女装 (") + StoredTime(second) +
                                    QStringLiteral(") 吗")}));
    EXPECT_EQ(f.TreeCaptions().size(), 2u);
    EXPECT_EQ(f.OpenStore().ReadItems(second).size(), 3u);

    f.prompts.yesNoAnswers = {true};
    f.Click("btnDelShop");
    EXPECT_EQ(f.TreeCaptions(), (std::vector<QString>{"星光女装"}));
    Store store = f.OpenStore();
    EXPECT_TRUE(store.ReadItems(second).empty());
    EXPECT_TRUE(store.ReadBuyers(second, "5001").empty());
    EXPECT_TRUE(store.ReadRates(second, "5001").empty());
    EXPECT_EQ(store.ReadItems(first).size(), 3u);
    EXPECT_EQ(store.ReadRates(first, "5001").size(), 2u);
    ASSERT_EQ(store.ReadShops().size(), 1u);
    EXPECT_EQ(store.ReadShops()[0].SID, first);

    // Nothing points at the deleted run any more, and nothing of it stays on screen.
    EXPECT_EQ(List().Model().Count(), 0);
    EXPECT_EQ(f.Window().StatusText(), QString());
    EXPECT_FALSE(f.Window().CurrentShop().has_value());
    f.Click("btnOpenShop");
    f.Click("btnWeek");
    EXPECT_TRUE(f.urls.opened.empty());
    EXPECT_EQ(List().Model().Count(), 0);
    EXPECT_TRUE(f.prompts.Texts(Kind::Error).empty());
}

TEST_F(MainWindowViewsTest, RebuildKeepsTheChosenShopThatIsStillListed) {
    f.Sim().AddShop(FashionShop());
    f.Sim().AddShop(DatedShop());
    const std::string kept = f.Analyse("星光女装");
    f.OpenWindow();
    f.ClickTreeNode(0);
    ASSERT_EQ(f.Window().CurrentShop()->Sid, kept);
    // A run stored meanwhile: the tree is rebuilt when the dialog closes, and the run shown
    // stays chosen, its node selected, its list as it was.
    f.Analyse("时光小铺");
    List().Model().SetAllChecks(ItemListModel::CheckMode::None);
    f.WithAnalyseDialog([](TFmReadData&) {});
    EXPECT_EQ(f.TreeCaptions(), (std::vector<QString>{"时光小铺", "星光女装"}));
    ASSERT_TRUE(f.Window().CurrentShop().has_value());
    EXPECT_EQ(f.Window().CurrentShop()->Sid, kept);
    auto* tree = f.Find<QTreeWidget>("tv");
    ASSERT_EQ(tree->selectedItems().size(), 1);
    EXPECT_EQ(tree->selectedItems()[0], tree->topLevelItem(1));
    EXPECT_TRUE(List().Model().CheckedItems().empty());
    f.Click("btnOpenShop");
    EXPECT_EQ(f.urls.opened, (std::vector<std::string>{f.Sim().BaseUrl() + "/shop/star/"}));
}

TEST_F(MainWindowViewsTest, OpenShopNeedsAChosenShopAndOpensItsTrimmedAddress) {
    {
        Store store = f.OpenStore();
        ShopRow row;
        row.SID = "20260101120000000";
        row.WWName = "空格店";
        row.ShopURL = "  http://shop.example.com/blanks/ \t";
        row.AddTime = DateTime::Now();
        store.AppendShop(row);
    }
    f.OpenWindow();
    f.Click("btnOpenShop");
    EXPECT_TRUE(f.urls.opened.empty());
    f.ClickTreeNode(0);
    f.Click("btnOpenShop");
    EXPECT_EQ(f.urls.opened, (std::vector<std::string>{"http://shop.example.com/blanks/"}));
    EXPECT_TRUE(f.prompts.shown.empty());
}

}  // namespace
}  // namespace tarnwick::test
