// The two export buttons, with the save dialog answered by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestShops.h"
#include "fetch/Gbk.h"
#include "views/ItemListView.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Reviews on two items, with a repeated nick in another letter case and a masked one.
marketsim::Shop ReviewedShop() {
    const DateTime today = TodayMidnight();
    marketsim::Item bag = Item("7001", "真皮手提包", "299.00", 2, 5, 80);
    bag.reviews = {Review("Amy", "很喜欢", today.AddDays(-1), "8001"),
                   Review("小**子", "匿名评价", today.AddDays(-2), "8002"),
                   Review("李雷", "一般", today.AddDays(-3), "8003")};
    marketsim::Item wallet = Item("7002", "短款钱包", "59.00", 1, 9, 40);
    wallet.reviews = {Review("AMY", "再次购买", today.AddDays(-1), "8004"),
                      Review("韩梅梅", "好看", today.AddDays(-2), "8005")};
    marketsim::Item belt = Item("7003", "皮带", "39.00", 0, 3, 10);
    belt.reviews = {Review("王五", "不错", today.AddDays(-1), "8006")};
    return Shop("皮具工坊", "leather", {bag, wallet, belt});
}

class MainWindowExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(ReviewedShop());
        f.Analyse("皮具工坊");
        f.OpenWindow();
        f.ClickTreeNode(0);
    }
    std::filesystem::path Out(const char* name) { return f.Folder().Folder() / name; }

    MainWindowFixture f;
};

TEST_F(MainWindowExportTest, SpreadsheetGetsTheXlsxSuffixAndReportsSuccess) {
    f.prompts.saveAnswers = {QString::fromStdString(Out("items").string())};
    f.Click("btnExport");
    EXPECT_EQ(f.prompts.shown.front().text, QStringLiteral("xlsx"));  // the proposed suffix
    EXPECT_EQ(f.prompts.Texts(Kind::Message), (std::vector<QString>{QStringLiteral("导出成功.")}));
    ASSERT_TRUE(std::filesystem::exists(Out("items.xlsx")));
    EXPECT_EQ(FileBytes(Out("items.xlsx")).substr(0, 2), "PK");  // a zip container
    EXPECT_FALSE(std::filesystem::exists(Out("items")));

    // A name that has a suffix keeps it.
    f.prompts.saveAnswers = {QString::fromStdString(Out("list.data").string())};
    f.Click("btnExport");
    EXPECT_TRUE(std::filesystem::exists(Out("list.data")));
}

TEST_F(MainWindowExportTest, SpreadsheetFailureShowsTheReasonThenFailed) {
    f.prompts.saveAnswers = {QString::fromStdString(Out("no-such-folder/items.xlsx").string())};
    f.Click("btnExport");
    auto messages = f.prompts.Texts(Kind::Message);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_FALSE(messages[0].isEmpty());
    EXPECT_EQ(messages[1], QStringLiteral("导出失败."));
    EXPECT_TRUE(f.prompts.Texts(Kind::Error).empty());
}

TEST_F(MainWindowExportTest, CancelledSaveDialogsDoNothing) {
    f.Click("btnExport");
    f.Click("btnExportBuyer");
    EXPECT_EQ(f.prompts.Texts(Kind::SaveFile).size(), 2u);
    EXPECT_TRUE(f.prompts.Texts(Kind::Message).empty());
    EXPECT_TRUE(f.prompts.Texts(Kind::Error).empty());
    for (const auto& entry : std::filesystem::directory_iterator(f.Folder().Folder())) {
        // The database and the engine's companion files, nothing written by an export.
        EXPECT_TRUE(entry.path().filename().string().starts_with("vexodb.qdb")) << entry.path();
    }
}

TEST_F(MainWindowExportTest, ReviewerNicksOfCheckedItemsGoToATextFileOnceEach) {
    struct Case {
        std::vector<int> unchecked;  // rows to uncheck before the export
        std::vector<std::string> nicks;
    };
    const Case cases[] = {
        {{}, {"Amy", "李雷", "韩梅梅", "王五"}},
        {{0}, {"AMY", "韩梅梅", "王五"}},
        {{0, 1, 2}, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        f.Click("btnSelectAll");
        for (int row : c.unchecked) {
            f.Find<ItemListView>("lst")->Model().SetChecked(row, false);
        }
        const std::string name = "nicks" + std::to_string(n++);
        f.prompts.saveAnswers = {QString::fromStdString(Out(name.c_str()).string())};
        f.prompts.shown.clear();
        f.Click("btnExportBuyer");

        std::string expected;
        for (const std::string& nick : c.nicks) {
            expected += Utf8ToGbk(nick) + "\r\n";
        }
        const auto file = Out((name + ".txt").c_str());
        ASSERT_TRUE(std::filesystem::exists(file));
        EXPECT_EQ(FileBytes(file), expected);
        EXPECT_EQ(
            f.prompts.Texts(Kind::Message),
            (std::vector<QString>{QStringLiteral("成功导出 ") + QString::number(c.nicks.size()) +
                                  QStringLiteral(" 个用户.")}));
    }
}

}  // namespace
}  // namespace tarnwick::test
