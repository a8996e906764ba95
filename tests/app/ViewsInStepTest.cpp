// Views that never go stale and filters that mean what is shown: the detail lists follow the
// item list's rebuilds, the time-window buttons show the window in force, a run under way shows
// in the main window, and the check buttons and the exports take the lines shown.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "TestShops.h"
#include "app/AppIcons.h"
#include "app/TFmReadData.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

// Four items, loaded in this order: a dress sold today, two shirts, a coat sold long ago.
marketsim::Shop ClothesShop() {
    const DateTime today = TodayMidnight();
    marketsim::Item dress = Item("5001", "连衣裙", "128.00", 3, 40, 900);
    dress.deals = {Deal("买家甲", "120.00", 1, today)};
    dress.reviews = {Review("Amy", "好", today, "9001")};
    marketsim::Item shirt = Item("5002", "白色衬衫", "39.90", 1, 12, 50);
    shirt.reviews = {Review("Bob", "一般", today, "9002")};
    marketsim::Item tee = Item("5003", "黑色衬衫", "59.00", 1, 7, 321);
    tee.reviews = {Review("Cat", "不错", today, "9003")};
    marketsim::Item coat = Item("5004", "风衣", "299.00", 1, 2, 10);
    coat.deals = {Deal("买家乙", "299.00", 1, today.AddDays(-90))};
    return Shop("星光女装", "star", {dress, shirt, tee, coat});
}

class ViewsInStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(ClothesShop());
        f.Analyse("星光女装");
        f.OpenWindow();
    }
    ItemListView& List() { return *f.Find<ItemListView>("lst"); }
    DetailLists& Details() { return *f.Find<DetailLists>("rpnlDetail"); }
    std::vector<QString> Checked() {
        std::vector<QString> titles;
        for (int row = 0; row < List().Model().Count(); ++row) {
            if (List().Model().Checked(row)) {
                titles.push_back(QString::fromStdString(List().Model().Item(row).title));
            }
        }
        return titles;
    }
    std::vector<QString> CheckedWindowButtons() {
        std::vector<QString> names;
        for (const char* name :
             {"btnAllData", "btnWeek", "btnMonth", "btnThisWeek", "btnThisMonth"}) {
            auto* button = f.Find<QAbstractButton>(name);
            EXPECT_TRUE(button->isCheckable()) << name;
            if (button->isChecked()) {
                names.push_back(QString::fromLatin1(name));
            }
        }
        return names;
    }

    MainWindowFixture f;
};

TEST_F(ViewsInStepTest, DetailListsEmptyWhenTheListIsRebuiltAndTheWindowButtonShowsTheWindow) {
    // Before a shop is chosen a window button changes nothing, its check mark included.
    EXPECT_EQ(CheckedWindowButtons(), (std::vector<QString>{"btnAllData"}));
    f.Click("btnMonth");
    EXPECT_EQ(CheckedWindowButtons(), (std::vector<QString>{"btnAllData"}));

    f.Sim().AddShop(Shop("时光小铺", "time", {Item("6001", "围巾", "45.00", 0, 3, 9)}));
    f.Analyse("时光小铺");
    f.WithAnalyseDialog([](TFmReadData&) {});  // the tree lists the second run
    f.ClickTreeNode(1);
    List().FocusRow(0);
    ASSERT_EQ(Details().Buyers().rowCount(), 1);
    ASSERT_FALSE(Details().BuyerCountLabel().isEmpty());

    // Another window: the list is rebuilt, and no item of the old one is shown below it.
    f.Click("btnMonth");
    EXPECT_EQ(CheckedWindowButtons(), (std::vector<QString>{"btnMonth"}));
    EXPECT_EQ(Details().Buyers().rowCount(), 0);
    EXPECT_EQ(Details().Rates().rowCount(), 0);
    EXPECT_EQ(Details().BuyerCountLabel(), QString());
    EXPECT_EQ(Details().CommentCountLabel(), QString());
    // Focusing an item shows it again, under the window in force.
    List().FocusRow(0);
    EXPECT_EQ(Details().Buyers().rowCount(), 1);

    // Another run: all data again, and nothing of the other run's items below.
    f.ClickTreeNode(0);
    EXPECT_EQ(CheckedWindowButtons(), (std::vector<QString>{"btnAllData"}));
    EXPECT_EQ(Details().Buyers().rowCount(), 0);
    EXPECT_EQ(Details().Rates().rowCount(), 0);
    EXPECT_EQ(Details().BuyerCountLabel(), QString());
}

TEST_F(ViewsInStepTest, CheckButtonsActOnTheLinesTheFilterShows) {
    f.ClickTreeNode(0);
    f.Find<QLineEdit>("edtFilter")->setText(QStringLiteral("衬衫"));
    ASSERT_EQ(List().model()->rowCount(), 2);
    f.Click("btnSelectNone");
    EXPECT_EQ(Checked(), (std::vector<QString>{"连衣裙", "风衣"}));
    f.Click("btnSelectOther");
    EXPECT_EQ(Checked(), (std::vector<QString>{"连衣裙", "白色衬衫", "黑色衬衫", "风衣"}));
    f.Click("btnSelectOther");
    f.Find<QLineEdit>("edtFilter")->clear();
    f.Click("btnSelectOther");
    EXPECT_EQ(Checked(), (std::vector<QString>{"白色衬衫", "黑色衬衫"}));
    f.Click("btnSelectAll");
    EXPECT_EQ(Checked().size(), 4u);
}

// The stored value of every cell of the item sheet by its name ("C3"), through Debian's
// python3: numbers as written, texts as their shared-string index.
std::map<std::string, std::string> SheetNumbers(const std::filesystem::path& workbook) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1])"
        ".read(\"xl/worksheets/sheet1.xml\").decode())' '" +
        workbook.string() + "'";
    std::string xml;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
            xml.append(buffer, n);
        }
        pclose(pipe);
    }
    std::map<std::string, std::string> cells;
    static const std::regex cell(R"re(<c r="([A-Z]+[0-9]+)"[^>]*><v>([^<]*)</v>)re");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), cell); it != std::sregex_iterator();
         ++it) {
        cells[(*it)[1]] = (*it)[2];
    }
    return cells;
}

TEST_F(ViewsInStepTest, ExportsWriteTheLinesShownInTheOrderShown) {
    f.ClickTreeNode(0);
    const std::filesystem::path folder = f.Folder().Folder();
    // No filter, no sort: every item in load order, numbered 1 to 4.
    f.prompts.saveAnswers = {QString::fromStdString((folder / "all").string())};
    f.Click("btnExport");
    std::map<std::string, std::string> all = SheetNumbers(folder / "all.xlsx");
    EXPECT_EQ((std::vector<std::string>{all["C3"], all["C4"], all["C5"], all["C6"]}),
              (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(all["E3"], "128");

    // The shirts only, dearest first: two rows, each with its own running number.
    f.Find<QLineEdit>("edtFilter")->setText(QStringLiteral("衬衫"));
    List().sortByColumn(ItemListModel::cxPrice, Qt::DescendingOrder);
    f.prompts.saveAnswers = {QString::fromStdString((folder / "shown").string())};
    f.Click("btnExport");
    std::map<std::string, std::string> shown = SheetNumbers(folder / "shown.xlsx");
    EXPECT_EQ(shown["C3"], "3");
    EXPECT_EQ(shown["E3"], "59");
    EXPECT_EQ(shown["C4"], "2");
    EXPECT_FALSE(shown.contains("C5"));

    // The nicks of the checked lines shown, in the order shown.
    f.prompts.saveAnswers = {QString::fromStdString((folder / "nicks").string())};
    f.Click("btnExportBuyer");
    std::ifstream nicks(folder / "nicks.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(nicks)), {});
    EXPECT_EQ(text, "Cat\r\nBob\r\n");
    EXPECT_EQ(f.prompts.Texts(Kind::Message).back(), QStringLiteral("成功导出 2 个用户."));
}

TEST_F(ViewsInStepTest, ARunUnderWayShowsInTheMainWindowWithTheDialogClosed) {
    marketsim::Fault hold;
    hold.match = "/item.htm";
    hold.hold = true;
    f.Sim().AddFault(hold);
    auto* analyse = f.Find<QToolButton>("btnShopAssay");
    const QImage idle = AnalyseIcon().pixmap(32).toImage();
    EXPECT_EQ(analyse->icon().pixmap(32).toImage(), idle);
    EXPECT_EQ(f.Window().RunStatusText(), QString());

    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        dialog.findChild<QLineEdit*>("edtInput")->setText(QStringLiteral("星光女装"));
        dialog.findChild<QPushButton*>("btnStart")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.Sim().HeldCount() >= 1; }, 20000));
    });
    // Closed, the run goes on, and the window says so with its progress.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return f.Window().RunStatusText().contains(QStringLiteral("/ 4 个宝贝")); }, 20000))
        << f.Window().RunStatusText().toStdString();
    EXPECT_TRUE(f.Window().RunStatusText().startsWith(QStringLiteral("正在分析: 已完成 ")));
    EXPECT_NE(analyse->icon().pixmap(32).toImage(), idle);
    EXPECT_TRUE(analyse->toolTip().contains(QStringLiteral("正在分析")));

    f.Sim().ClearFaults();
    f.Sim().ReleaseHolds();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Window().RunStatusText().isEmpty(); }, 60000));
    EXPECT_EQ(analyse->icon().pixmap(32).toImage(), idle);
    EXPECT_FALSE(analyse->toolTip().contains(QStringLiteral("正在分析")));
    // The tree was loaded again at the run's end: the new node counts every item stored.
    auto* tree = f.Find<QTreeWidget>("tv");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_TRUE(ShownTip(tree->topLevelItem(0)->toolTip(0)).contains(QStringLiteral("共 4 个宝贝")))
        << ShownTip(tree->topLevelItem(0)->toolTip(0)).toStdString();
    EXPECT_TRUE(f.prompts.Texts(Kind::Error).empty());
}

}  // namespace
}  // namespace tarnwick::test
