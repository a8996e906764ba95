// The comparison window opened from the main window over a shop analysed on two days: its
// table, colours, filter, sorting, the chosen item's chart and its exports.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "TestShops.h"
#include "app/TFmCompare.h"
#include "export/ComparisonSheet.h"
#include "views/ComparisonFilter.h"
#include "views/ComparisonModel.h"
#include "views/ItemHistoryChart.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

// Day 1 and day 2 of one shop: a price cut with sales, a price rise, an item taken off, one
// put up, and one that did not move.
marketsim::Shop Day(int day) {
    marketsim::Item dress = Item("5001", "春季新款连衣裙", "128.00", 3, 40, 900);
    marketsim::Item shirt = Item("5002", "纯棉T恤", "39.90", 0, 12, 50);
    marketsim::Item jeans = Item("5003", "直筒牛仔裤", "99.00", 1, 7, 321);
    marketsim::Item socks = Item("5005", "船袜五双装", "19.90", 2, 300, 80);
    if (day == 1) {
        return Shop("星光女装", "star", {dress, shirt, jeans, socks});
    }
    dress.price = "115.20";
    dress.soldCount = 5;
    dress.stock = 38;
    dress.views = 950;
    shirt.price = "42.90";
    marketsim::Item coat = Item("5004", "新款风衣", "299.00", 0, 20, 10);
    return Shop("星光女装", "star", {dress, shirt, coat, socks});
}

class ComparisonViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(Day(1));
        olderSid = f.Analyse("星光女装");
        f.Sim().AddShop(Day(2));
        newerSid = f.Analyse("星光女装");
        f.OpenWindow();
    }

    TFmCompare& OpenFromNewestRun() {
        f.ClickTreeNode(0);  // newest first
        f.Click("btnCompare");
        TFmCompare* window = f.Window().CompareWindow();
        if (window == nullptr) {
            throw std::runtime_error("no comparison window");
        }
        return *window;
    }

    std::vector<QString> Column(TFmCompare& window, int column) {
        std::vector<QString> texts;
        QAbstractItemModel* model = window.Table().model();
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.push_back(model->index(row, column).data().toString());
        }
        return texts;
    }

    QVariant Role(TFmCompare& window, const std::string& itemId, int column, int role) {
        ComparisonModel& model = window.Model();
        for (int row = 0; row < model.Count(); ++row) {
            if (model.Item(row).itemId == itemId) {
                return model.index(row, column).data(role);
            }
        }
        return QStringLiteral("no such item");
    }

    MainWindowFixture f;
    std::string olderSid;
    std::string newerSid;
};

TEST_F(ComparisonViewTest, ButtonComparesTheChosenRunWithTheShopsPreviousOne) {
    TFmCompare& window = OpenFromNewestRun();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Comparison().older.SID, olderSid);
    EXPECT_EQ(window.Comparison().newer.SID, newerSid);
    EXPECT_EQ(Column(window, kComparisonItemIdColumn),
              (std::vector<QString>{"5001", "5002", "5004", "5005", "5003"}));
    EXPECT_EQ(Column(window, kComparisonStatusColumn),
              (std::vector<QString>{"有变化", "有变化", "新上架", "无变化", "已下架"}));
    EXPECT_EQ(Column(window, kComparisonPriceChangeColumn),
              (std::vector<QString>{"-12.80", "+3.00", "", "0.00", ""}));
    EXPECT_EQ(Column(window, 8), (std::vector<QString>{"+2", "0", "", "0", ""}));
    EXPECT_EQ(Column(window, 11), (std::vector<QString>{"2", "0", "", "0", ""}));
    EXPECT_EQ(Column(window, 13), (std::vector<QString>{"+50", "0", "", "0", ""}));
    EXPECT_TRUE(window.TotalsText().startsWith(QStringLiteral("新上架 1, 已下架 1, 有变化 2")))
        << window.TotalsText().toStdString();
    EXPECT_TRUE(window.TotalsText().contains(QStringLiteral("宝贝数 4 → 4 (0)")));
}

TEST_F(ComparisonViewTest, CutsAreGreenRisesRedNewItemsMarkedRemovedGreyed) {
    TFmCompare& window = OpenFromNewestRun();
    const int price = kComparisonPriceChangeColumn;
    EXPECT_EQ(Role(window, "5001", price, Qt::ForegroundRole), QVariant(ComparisonModel::kCutText));
    EXPECT_EQ(Role(window, "5001", price, Qt::BackgroundRole),
              QVariant(ComparisonModel::kCutBackground));
    EXPECT_EQ(Role(window, "5002", price, Qt::ForegroundRole),
              QVariant(ComparisonModel::kRiseText));
    EXPECT_EQ(Role(window, "5002", price, Qt::BackgroundRole),
              QVariant(ComparisonModel::kRiseBackground));
    EXPECT_FALSE(Role(window, "5001", kComparisonTitleColumn, Qt::BackgroundRole).isValid());
    EXPECT_EQ(Role(window, "5004", kComparisonTitleColumn, Qt::BackgroundRole),
              QVariant(ComparisonModel::kNewBackground));
    EXPECT_TRUE(Role(window, "5004", kComparisonStatusColumn, Qt::FontRole).value<QFont>().bold());
    for (int column : {kComparisonStatusColumn, kComparisonTitleColumn, 3}) {
        EXPECT_EQ(Role(window, "5003", column, Qt::ForegroundRole),
                  QVariant(ComparisonModel::kRemovedText));
    }
    EXPECT_FALSE(Role(window, "5005", price, Qt::ForegroundRole).isValid());
    EXPECT_FALSE(Role(window, "5005", price, Qt::BackgroundRole).isValid());
}

TEST_F(ComparisonViewTest, ChangedOnlyHidesTheUnchangedAndColumnsSortByValue) {
    TFmCompare& window = OpenFromNewestRun();
    auto* changedOnly = window.findChild<QCheckBox*>("chkChangedOnly");
    ASSERT_NE(changedOnly, nullptr);
    EXPECT_EQ(changedOnly->text(), QStringLiteral("只看变化"));
    QTest::mouseClick(changedOnly, Qt::LeftButton);
    EXPECT_EQ(Column(window, kComparisonItemIdColumn),
              (std::vector<QString>{"5001", "5002", "5004", "5003"}));
    // By number, not by text: "+3.00" above "-12.80", and the empty cells of items listed
    // once below every number.
    window.Table().sortByColumn(kComparisonPriceChangeColumn, Qt::DescendingOrder);
    EXPECT_EQ(Column(window, kComparisonItemIdColumn)[0], "5002");
    EXPECT_EQ(Column(window, kComparisonItemIdColumn)[1], "5001");
    window.Table().sortByColumn(7, Qt::DescendingOrder);  // sold now
    EXPECT_EQ(Column(window, 7), (std::vector<QString>{"5", "0", "0", ""}));
    QTest::mouseClick(changedOnly, Qt::LeftButton);
    EXPECT_EQ(window.Table().model()->rowCount(), 5);
}

TEST_F(ComparisonViewTest, ChoosingAnItemDrawsItsPriceAndSoldCountOverTheRuns) {
    TFmCompare& window = OpenFromNewestRun();
    ItemHistoryChart& chart = window.Chart();
    EXPECT_EQ(chart.PriceSeries().count(), 0);

    ASSERT_TRUE(window.SelectItem("5001"));
    EXPECT_EQ(chart.Title(), QStringLiteral("春季新款连衣裙"));
    ASSERT_EQ(chart.PriceSeries().count(), 2);
    EXPECT_DOUBLE_EQ(chart.PriceSeries().at(0).y(), 128.0);
    EXPECT_DOUBLE_EQ(chart.PriceSeries().at(1).y(), 115.2);
    ASSERT_EQ(chart.SoldSeries().count(), 2);
    EXPECT_DOUBLE_EQ(chart.SoldSeries().at(0).y(), 3.0);
    EXPECT_DOUBLE_EQ(chart.SoldSeries().at(1).y(), 5.0);
    EXPECT_LT(chart.PriceSeries().at(0).x(), chart.PriceSeries().at(1).x());

    // A new item has one run to show; the removed one too, the older.
    ASSERT_TRUE(window.SelectItem("5004"));
    ASSERT_EQ(chart.PriceSeries().count(), 1);
    EXPECT_DOUBLE_EQ(chart.PriceSeries().at(0).y(), 299.0);
    ASSERT_TRUE(window.SelectItem("5003"));
    ASSERT_EQ(chart.SoldSeries().count(), 1);
    EXPECT_DOUBLE_EQ(chart.SoldSeries().at(0).y(), 1.0);
    EXPECT_EQ(chart.SoldSeries().at(0).x(), chart.PriceSeries().at(0).x());
}

TEST_F(ComparisonViewTest, TheTreeMenuComparesTheNodeAndTellsWhenThereIsNothingBefore) {
    auto* menu = f.Find<QMenu>("pmTV");
    ASSERT_NE(menu, nullptr);
    QAction* compare = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->objectName() == "pmCompare") {
            compare = action;
        }
    }
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(compare->text(), QStringLiteral("与上次对比"));

    f.ClickTreeNode(1);  // the older run
    compare->trigger();
    EXPECT_EQ(f.Window().CompareWindow(), nullptr);
    EXPECT_EQ(f.prompts.Texts(Kind::Message),
              (std::vector<QString>{
                  QStringLiteral("这是该店铺最早的一次分析，没有上次的分析可以对比。")}));

    f.ClickTreeNode(0);
    compare->trigger();
    ASSERT_NE(f.Window().CompareWindow(), nullptr);
    EXPECT_EQ(f.Window().CompareWindow()->Comparison().newer.SID, newerSid);
}

TEST_F(ComparisonViewTest, TheButtonAsksForAShopFirst) {
    f.Click("btnCompare");
    EXPECT_EQ(f.Window().CompareWindow(), nullptr);
    EXPECT_EQ(f.prompts.Texts(Kind::Message),
              (std::vector<QString>{QStringLiteral("请先在左边选择一个店铺。")}));
}

TEST_F(ComparisonViewTest, ExportsWriteTheLinesTheTableShows) {
    TFmCompare& window = OpenFromNewestRun();
    QTest::mouseClick(window.findChild<QCheckBox*>("chkChangedOnly"), Qt::LeftButton);
    const QString csv = QString::fromStdString((f.Folder().Folder() / "对比").string());
    const QString xlsx = QString::fromStdString((f.Folder().Folder() / "对比.xlsx").string());
    f.prompts.saveAnswers = {csv, xlsx, QString()};
    QTest::mouseClick(window.findChild<QPushButton*>("btnExportCsv"), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QPushButton*>("btnExportXlsx"), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QPushButton*>("btnExportCsv"), Qt::LeftButton);  // cancel
    EXPECT_EQ(f.prompts.Texts(Kind::Message),
              (std::vector<QString>{QStringLiteral("导出成功."), QStringLiteral("导出成功.")}));

    QFile written(csv + ".csv");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    ASSERT_EQ(lines.size(), 6);  // captions, four changed items, and the end of the last line
    EXPECT_TRUE(lines[1].startsWith("有变化,5001,"));
    EXPECT_TRUE(lines[4].startsWith("已下架,5003,"));
    EXPECT_TRUE(QFile::exists(xlsx));
}

}  // namespace
}  // namespace tarnwick::test
