// The item list's sorting, title filter and totals line, the tree's run times, the detail
// grids' one-line cells and their widths, driven through the main window.
#include <gtest/gtest.h>

#include <set>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "TestShops.h"
#include "app/Language.h"
#include "store/Store.h"
#include "views/DetailGrid.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"
#include "views/ShopTree.h"

namespace tarnwick::test {
namespace {

using C = ItemListModel::Column;

// Load order (one download thread): 连衣裙, T恤, 牛仔裤.
marketsim::Shop ClothesShop() {
    const DateTime today = TodayMidnight();
    marketsim::Item dress = Item("5001", "春季新款连衣裙", "128.00", 3, 40, 900);
    dress.deals = {
        Deal("买家甲", "120.00", 2, DateTime(today.Days() - 0.5), "颜色分类：粉红色<br>尺码：XL"),
        Deal("买家乙", "118.50", 1, today.AddDays(-2))};
    dress.reviews = {Review("小明", "质量很好", today.AddDays(-1), "9001")};
    marketsim::Item shirt = Item("5002", "纯棉T恤", "39.90", 0, 12, 50);
    marketsim::Item jeans = Item("5003", "直筒牛仔裤", "99.00", 1, 7, 321);
    jeans.deals = {Deal("买家丁", "99.00", 1, today.AddDays(-4))};
    return Shop("星光女装", "star", {dress, shirt, jeans});
}

class ListPolishTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(ClothesShop());
        m_sid = f.Analyse("星光女装");
        f.OpenWindow();
        f.ClickTreeNode(0);
    }

    ItemListView& List() { return *f.Find<ItemListView>("lst"); }
    void ClickHeader(int column) {
        QHeaderView* header = List().horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    QString Totals() { return f.Find<QLabel>("lblTotals")->text(); }

    MainWindowFixture f;
    std::string m_sid;
};

TEST_F(ListPolishTest, HeaderClicksSortAndTheRunningNumberGivesBackTheLoadOrder) {
    ASSERT_EQ(f.ListColumn(C::cxTitle),
              (std::vector<QString>{"春季新款连衣裙", "纯棉T恤", "直筒牛仔裤"}));
    struct Case {
        int column;
        std::vector<QString> titles;
    };
    // Each click on a new column sorts up; a second click on it sorts down.
    const Case clicks[] = {
        {C::cxPrice, {"纯棉T恤", "直筒牛仔裤", "春季新款连衣裙"}},
        {C::cxPrice, {"春季新款连衣裙", "直筒牛仔裤", "纯棉T恤"}},
        // Numbers as numbers: 900 > 321 > 50, which text order would not give.
        {C::cxpv, {"纯棉T恤", "直筒牛仔裤", "春季新款连衣裙"}},
        {C::cxpv, {"春季新款连衣裙", "直筒牛仔裤", "纯棉T恤"}},
        {C::cxallow_quantity, {"直筒牛仔裤", "纯棉T恤", "春季新款连衣裙"}},
        {C::cxIndex, {"春季新款连衣裙", "纯棉T恤", "直筒牛仔裤"}},
        {C::cxIndex, {"直筒牛仔裤", "纯棉T恤", "春季新款连衣裙"}},
    };
    for (const Case& click : clicks) {
        SCOPED_TRACE(click.column);
        ClickHeader(click.column);
        EXPECT_EQ(f.ListColumn(C::cxTitle), click.titles);
    }
    // The running number stays with its item whatever the order.
    ClickHeader(C::cxSellAmount);
    EXPECT_EQ(f.ListColumn(C::cxTitle),
              (std::vector<QString>{"纯棉T恤", "直筒牛仔裤", "春季新款连衣裙"}));
    EXPECT_EQ(f.ListColumn(C::cxIndex), (std::vector<QString>{"2", "3", "1"}));

    // The focused line is the item under it, not the model row of the same number.
    List().FocusRow(0);
    ASSERT_TRUE(List().FocusedItem().has_value());
    EXPECT_EQ(List().FocusedItem()->ItemID, "5001");
    EXPECT_EQ(List().currentIndex().row(), 2);
    EXPECT_EQ(f.Find<DetailLists>("rpnlDetail")->Buyers().rowCount(), 2);

    // A new load keeps the chosen order; the exports keep the load order.
    f.Click("btnAllData");
    EXPECT_EQ(f.ListColumn(C::cxIndex), (std::vector<QString>{"2", "3", "1"}));
    EXPECT_EQ(List().Model().CheckedItems().front().second, "5001");
}

TEST_F(ListPolishTest, FilterHidesLinesAndTheTotalsFollowTheFilterAndTheWindow) {
    EXPECT_EQ(Totals(), QStringLiteral("共 3 个宝贝  销售总额 ¥483.00  库存 59"));
    auto* filter = f.Find<QLineEdit>("edtFilter");
    ASSERT_NE(filter, nullptr);

    struct Case {
        const char* typed;
        std::vector<QString> titles;
        const char* totals;
    };
    const Case cases[] = {
        // Any case, blanks around ignored.
        {" t恤 ", {"纯棉T恤"}, "共 1 个宝贝  销售总额 ¥0.00  库存 12"},
        {"裙", {"春季新款连衣裙"}, "共 1 个宝贝  销售总额 ¥384.00  库存 40"},
        {"不存在", {}, "共 0 个宝贝  销售总额 ¥0.00  库存 0"},
        {"", {"春季新款连衣裙", "纯棉T恤", "直筒牛仔裤"}, "共 3 个宝贝  销售总额 ¥483.00  库存 59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        // Qt Test types ASCII only; the rest arrives as an input method would hand it over.
        filter->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(f.ListColumn(C::cxTitle), c.titles);
        EXPECT_EQ(Totals(), QString::fromUtf8(c.totals));
    }

    // The window narrows what the filter sees: the T-shirt sold nothing.
    f.Click("btnWeek");
    EXPECT_EQ(Totals(), QStringLiteral("共 2 个宝贝  销售总额 ¥483.00  库存 47"));
    filter->setText(QStringLiteral("裤"));
    EXPECT_EQ(f.ListColumn(C::cxTitle), (std::vector<QString>{"直筒牛仔裤"}));
    EXPECT_EQ(Totals(), QStringLiteral("共 1 个宝贝  销售总额 ¥99.00  库存 7"));
    // Hidden items keep their checks and stay in the exports' rows.
    EXPECT_EQ(List().Model().CheckedItems().size(), 2u);
}

TEST_F(ListPolishTest, SpaceTogglesTheFocusedLinesCheckFromAnyColumn) {
    List().setFocus();
    List().FocusRow(1);
    ASSERT_EQ(List().currentIndex().column(), static_cast<int>(C::cxTitle));
    QTest::keyClick(&List(), Qt::Key_Space);
    EXPECT_FALSE(List().Model().Checked(1));
    EXPECT_TRUE(List().Model().Checked(0));
    QTest::keyClick(&List(), Qt::Key_Space);
    EXPECT_TRUE(List().Model().Checked(1));
    // On the check cell itself it toggles once, not twice.
    List().setCurrentIndex(List().model()->index(2, C::cxCheck));
    QTest::keyClick(&List(), Qt::Key_Space);
    EXPECT_FALSE(List().Model().Checked(2));
}

TEST_F(ListPolishTest, TreeNodesShowTheRunTimeAndTheirItemCount) {
    const std::string second = f.Analyse("星光女装");
    f.Click("btnAllData");
    // A second run shows after the window's next tree load: open and close the dialog.
    f.WithAnalyseDialog([](TFmReadData&) {});
    auto* tree = f.Find<QTreeWidget>("tv");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    Store store = f.OpenStore();
    const std::vector<ShopRow> shops = store.ReadShops();
    ASSERT_EQ(shops.size(), 2u);
    EXPECT_EQ(shops[0].SID, second);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        QTreeWidgetItem* node = tree->topLevelItem(i);
        const QString time = QString::fromStdString(shops[i].AddTime.ToText().substr(0, 19));
        EXPECT_EQ(node->text(0), QStringLiteral("星光女装"));
        EXPECT_EQ(node->data(0, ShopTree::kRunTimeRole).toString(), time);
        EXPECT_EQ(ShownTip(node->toolTip(0)),
                  QStringLiteral("星光女装\n分析时间 ") + time + QStringLiteral("\n共 3 个宝贝"));
    }
    // The node is tall enough for both lines.
    EXPECT_GE(tree->visualItemRect(tree->topLevelItem(0)).height(),
              2 * tree->fontMetrics().height());
}

TEST_F(ListPolishTest, DetailCellsShowLineBreaksAsSlashesWithTheWholeTextAsTooltip) {
    List().FocusRow(0);
    const auto& buyers = f.Find<DetailLists>("rpnlDetail")->Buyers();
    ASSERT_EQ(buyers.rowCount(), 2);
    const QModelIndex sku = buyers.index(0, 3);
    EXPECT_EQ(sku.data().toString(), QStringLiteral("颜色分类：粉红色 / 尺码：XL"));
    const QString whole = ShownTip(sku.data(Qt::ToolTipRole).toString());
    EXPECT_TRUE(whole.contains(QLatin1Char('\n'))) << whole.toStdString();
    EXPECT_TRUE(whole.startsWith(QStringLiteral("颜色分类：粉红色"))) << whole.toStdString();
    EXPECT_TRUE(whole.endsWith(QStringLiteral("尺码：XL"))) << whole.toStdString();
    // Numbers need no tooltip.
    EXPECT_FALSE(buyers.index(0, 1).data(Qt::ToolTipRole).isValid());
}

// Every column of the grid within its width, every title whole, and every cell whole except
// in the free-text columns, whose tooltips hold what they cut.
void ExpectEveryColumnShown(const QTableView& grid, const std::set<int>& freeText) {
    const QAbstractItemModel& model = *grid.model();
    const QHeaderView& header = *grid.horizontalHeader();
    // The cell's margins: the focus frame's on both sides and a pixel each for the grid lines.
    const int cellMargins =
        2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    int total = 0;
    for (int column = 0; column < model.columnCount(); ++column) {
        SCOPED_TRACE(column);
        const int width = grid.columnWidth(column);
        total += width;
        const QString title = model.headerData(column, Qt::Horizontal).toString();
        EXPECT_GE(width, header.fontMetrics().horizontalAdvance(title) +
                             2 * grid.style()->pixelMetric(QStyle::PM_HeaderMargin))
            << title.toStdString();
        if (header.isSortIndicatorShown() && header.sortIndicatorSection() == column) {
            EXPECT_GE(width, header.sectionSizeHint(column)) << "no room for the sort arrow";
        }
        if (freeText.contains(column)) {
            continue;
        }
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString text = model.index(row, column).data().toString();
            EXPECT_GE(width, grid.fontMetrics().horizontalAdvance(text) + cellMargins)
                << text.toStdString();
        }
    }
    EXPECT_LE(total, grid.viewport()->width());
}

TEST_F(ListPolishTest, EveryColumnAndItsFiguresShowAtTheStartingWindowSizeInBothLanguages) {
    for (Language language : {Language::Chinese, Language::English}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Chinese");
        ASSERT_TRUE(UseLanguage(language));
        f.CloseWindow();
        f.OpenWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Window()));
        f.ClickTreeNode(0);
        List().FocusRow(0);
        QApplication::processEvents();
        ASSERT_EQ(f.Window().width(), 1024);
        ASSERT_EQ(List().model()->rowCount(), 3);
        ExpectEveryColumnShown(List(), {C::cxTitle});
        // The title gives up width for the figures, never all of it.
        EXPECT_GE(List().columnWidth(C::cxTitle), 140);
        auto* buyers = f.Find<DetailGrid>("dbgBuyerList");
        ASSERT_EQ(buyers->model()->rowCount(), 2);
        ExpectEveryColumnShown(*buyers, {3});  // the variant
        auto* rates = f.Find<DetailGrid>("dbgRateList");
        ASSERT_EQ(rates->model()->rowCount(), 1);
        ExpectEveryColumnShown(*rates, {1});  // the review text

        // The sorted column's arrow gets its room, and the rest still fit.
        ClickHeader(C::cxSellCount);
        QApplication::processEvents();
        ExpectEveryColumnShown(List(), {C::cxTitle});

        // A wider window goes to the title, and the review part gets its whole starting width.
        const int price = List().columnWidth(C::cxPrice);
        const int title = List().columnWidth(C::cxTitle);
        f.Window().resize(1300, 594);
        QApplication::processEvents();
        EXPECT_EQ(List().columnWidth(C::cxPrice), price);
        EXPECT_GT(List().columnWidth(C::cxTitle), title);
        EXPECT_EQ(f.Find<QWidget>("rpnlRateList")->width(), 384);
        ExpectEveryColumnShown(*buyers, {3});
    }
    UseLanguage(Language::Chinese);
}

TEST_F(ListPolishTest, EveryDetailColumnIsInSightAtTheStartingWindowSize) {
    ASSERT_EQ(f.Window().width(), 1024);
    QApplication::processEvents();
    for (const char* name : {"dbgBuyerList", "dbgRateList"}) {
        SCOPED_TRACE(name);
        auto* grid = f.Find<DetailGrid>(name);
        ASSERT_NE(grid, nullptr);
        int total = 0;
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            EXPECT_GE(grid->columnWidth(column), grid->horizontalHeader()->sectionSizeHint(column))
                << column;
            total += grid->columnWidth(column);
        }
        EXPECT_LE(total, grid->viewport()->width());
        // The time column, always the last, shows a whole time.
        const int last = grid->model()->columnCount() - 1;
        EXPECT_GT(grid->columnWidth(last),
                  grid->fontMetrics().horizontalAdvance(QStringLiteral("2026-12-31 23:59:59")));
    }
    // A column the user sizes stays as sized when the grid changes width.
    auto* grid = f.Find<DetailGrid>("dbgRateList");
    grid->horizontalHeader()->resizeSection(0, 33);
    f.Window().resize(1200, 700);
    QApplication::processEvents();
    EXPECT_EQ(grid->columnWidth(0), 33);
}

}  // namespace
}  // namespace tarnwick::test
