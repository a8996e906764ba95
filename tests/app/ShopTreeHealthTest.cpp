// The shop tree's and the status bar's report of a run's health.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "TestShops.h"
#include "app/AppIcons.h"

namespace tarnwick::test {
namespace {

QImage Picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage();
}

std::vector<marketsim::Item> Items(int count, int firstId) {
    std::vector<marketsim::Item> items;
    for (int i = 0; i < count; ++i) {
        items.push_back(
            Item(std::to_string(firstId + i), "宝贝" + std::to_string(i), "9.90", 1, 10, 100));
    }
    return items;
}

// Three runs, newest first in the tree: a degraded one (a views answer missing), a blocked one
// (every item page in a design we cannot read) and a healthy one.
class ShopTreeHealthTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(Shop("健康小店", "healthy", Items(3, 5000)));
        marketsim::Shop blocked = Shop("拦截小店", "blocked", Items(25, 6000));
        blocked.blockMode = marketsim::Shop::BlockMode::ItemNewDesign;
        f.Sim().AddShop(blocked);
        f.Sim().AddShop(Shop("缺页小店", "degraded", Items(3, 7000)));
        f.Sim().AddFault(marketsim::Fault{.match = "/itemviews.htm?id=7001", .status = 404});
        f.Analyse("健康小店");
        f.Analyse("拦截小店");
        f.Analyse("缺页小店");
    }

    MainWindowFixture f;
};

TEST_F(ShopTreeHealthTest, DegradedAndBlockedRunsAreMarkedWithTheirReasons) {
    TFmMain& window = f.OpenWindow();
    auto* tree = f.Find<QTreeWidget>("tv");
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* degraded = tree->topLevelItem(0);
    QTreeWidgetItem* blocked = tree->topLevelItem(1);
    QTreeWidgetItem* healthy = tree->topLevelItem(2);
    ASSERT_EQ(blocked->text(0), QStringLiteral("拦截小店"));

    EXPECT_EQ(Picture(healthy->icon(0)), Picture(ShopIcon()));
    EXPECT_FALSE(ShownTip(healthy->toolTip(0)).contains(QStringLiteral("运行状况")));
    EXPECT_EQ(Picture(blocked->icon(0)), Picture(BlockedShopIcon()));
    EXPECT_NE(Picture(blocked->icon(0)), Picture(ShopIcon()));
    EXPECT_EQ(Picture(degraded->icon(0)), Picture(DegradedShopIcon()));
    EXPECT_NE(Picture(degraded->icon(0)), Picture(BlockedShopIcon()));

    // The card and two listing pages, then item pages from the fourth request on.
    EXPECT_TRUE(ShownTip(blocked->toolTip(0))
                    .contains(QStringLiteral("\n运行状况: 被拦截\n从第 4 个请求 (")))
        << ShownTip(blocked->toolTip(0)).toStdString();
    EXPECT_TRUE(
        ShownTip(blocked->toolTip(0)).contains(QStringLiteral("宝贝页: 20/20 失败 (页面改版 20)")))
        << ShownTip(blocked->toolTip(0)).toStdString();
    EXPECT_TRUE(
        ShownTip(degraded->toolTip(0))
            .endsWith(QStringLiteral("\n运行状况: 数据不全\n浏览量: 1/3 失败 (HTTP 错误 1)")))
        << ShownTip(degraded->toolTip(0)).toStdString();

    // The blocked run read none of its items: the tree, the status bar and the item list say so.
    EXPECT_TRUE(blocked->toolTip(0).contains(
        QStringLiteral("\n本次分析不完整 - 被拦截: 读取 0 / 25 个宝贝")))
        << blocked->toolTip(0).toStdString();
    EXPECT_FALSE(degraded->toolTip(0).contains(QStringLiteral("不完整")));
    f.ClickTreeNode(1);
    EXPECT_EQ(window.StatusText(), QStringLiteral("掌柜:拦截小店"));
    EXPECT_EQ(window.HealthStatusText(),
              QStringLiteral("运行状况: 被拦截  本次分析不完整 - 被拦截: 读取 0 / 25 个宝贝"));
    const std::vector<QString> readTimes = f.ListColumn(9);
    ASSERT_EQ(readTimes.size(), 20u);
    for (const QString& time : readTimes) {
        EXPECT_EQ(time, QStringLiteral("未读取"));
    }
    EXPECT_EQ(f.Find<QLabel>("lblTotals")->text(),
              QStringLiteral("共 0 个宝贝  销售总额 ¥0.00  库存 0  未读取 20"));
    f.ClickTreeNode(0);
    EXPECT_EQ(window.StatusText(), QStringLiteral("掌柜:缺页小店"));
    EXPECT_EQ(window.HealthStatusText(), QStringLiteral("运行状况: 数据不全"));
    f.ClickTreeNode(2);
    EXPECT_EQ(window.StatusText(), QStringLiteral("掌柜:健康小店"));
    EXPECT_EQ(window.HealthStatusText(), QString());
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST_F(ShopTreeHealthTest, DeletingTheChosenRunTakesItsVerdictOffTheStatusBar) {
    TFmMain& window = f.OpenWindow();
    f.ClickTreeNode(1);
    ASSERT_TRUE(window.HealthStatusText().startsWith(QStringLiteral("运行状况: 被拦截")));
    f.prompts.yesNoAnswers = {true};
    f.Click("btnDelShop");
    ASSERT_EQ(f.Find<QTreeWidget>("tv")->topLevelItemCount(), 2);
    EXPECT_EQ(window.HealthStatusText(), QString());
    EXPECT_EQ(f.OpenStore().ReadRunHealth().size(), 2u);
}

TEST_F(ShopTreeHealthTest, FileWithoutHealthShowsNoMarksAndNoError) {
    // A file from before the program kept health and outcomes.
    for (const char* table : {"RunHealth", "RunOutcome", "ItemReads"}) {
        f.OpenStore().Connection().Execute(std::string("drop table ") + table);
    }
    TFmMain& window = f.OpenWindow();
    auto* tree = f.Find<QTreeWidget>("tv");
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Picture(tree->topLevelItem(i)->icon(0)), Picture(ShopIcon())) << i;
        EXPECT_FALSE(
            ShownTip(tree->topLevelItem(i)->toolTip(0)).contains(QStringLiteral("运行状况")))
            << i;
    }
    f.ClickTreeNode(1);
    EXPECT_EQ(window.StatusText(), QStringLiteral("掌柜:拦截小店"));
    EXPECT_EQ(window.HealthStatusText(), QString());
    EXPECT_TRUE(f.prompts.shown.empty());
}

}  // namespace
}  // namespace tarnwick::test
