// The two export buttons, with the save dialog answered by the test.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
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

// The sheet's XML as the workbook holds it, through Debian's python3.
std::string SheetXml(const std::filesystem::path& workbook) {
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
    return xml;
}

// The values of the number cells (those without a type: texts and Booleans have one).
std::vector<std::string> NumberCells(const std::string& xml) {
    std::vector<std::string> values;
    for (std::size_t at = xml.find("<c "); at != std::string::npos; at = xml.find("<c ", at)) {
        const std::size_t tagEnd = xml.find('>', at);
        const std::size_t end = xml.find("</v>", tagEnd);
        if (xml.substr(at, tagEnd - at).find(" t=") == std::string::npos &&
            xml.compare(tagEnd + 1, 3, "<v>") == 0) {
            values.push_back(xml.substr(tagEnd + 4, end - tagEnd - 4));
        }
        at = tagEnd;
    }
    return values;
}

// A desktop started under a decimal-comma locale: QApplication takes the C locale from the
// environment, and the spreadsheet must still hold "46000.5", never "46000,5".
TEST_F(MainWindowExportTest, SpreadsheetNumbersIgnoreADecimalCommaLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "de_DE.UTF-8 is not installed (scripts/install-deps generates it)";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    EXPECT_STREQ(printed, "1,5");

    f.prompts.saveAnswers = {QString::fromStdString(Out("de.xlsx").string())};
    f.Click("btnExport");
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_EQ(f.prompts.Texts(Kind::Message), (std::vector<QString>{QStringLiteral("导出成功.")}));
    const std::string xml = SheetXml(Out("de.xlsx"));
    // Not in a cell, not in the page margins either.
    EXPECT_FALSE(std::regex_search(xml, std::regex("[0-9],[0-9]"))) << xml;
    const std::vector<std::string> values = NumberCells(xml);
    // Three items with a running number, four counts, price, total and a read time each.
    ASSERT_EQ(values.size(), 3u * 8u) << xml;
    int fractions = 0;
    for (const std::string& value : values) {
        EXPECT_EQ(value.find(','), std::string::npos) << value;
        fractions += value.find('.') != std::string::npos ? 1 : 0;
    }
    EXPECT_GE(fractions, 3);  // at least the read times, which carry the time of day
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

TEST_F(MainWindowExportTest, DialogsOfferTheirFileTypeAndProposeTheNickAndRunDay) {
    const std::string sid = f.OpenStore().ReadShops().front().SID;
    const QString day =
        QString::fromStdString(sid.substr(0, 4) + "-" + sid.substr(4, 2) + "-" + sid.substr(6, 2));
    f.Click("btnExport");
    f.Click("btnExportBuyer");
    ASSERT_EQ(f.prompts.saveRequests.size(), 2u);
    const SaveRequest& sheet = f.prompts.saveRequests[0];
    EXPECT_TRUE(sheet.nameFilter.endsWith(QStringLiteral("(*.xlsx)")))
        << sheet.nameFilter.toStdString();
    EXPECT_EQ(sheet.defaultSuffix, QStringLiteral("xlsx"));
    EXPECT_EQ(sheet.proposedName, QStringLiteral("皮具工坊_") + day + QStringLiteral(".xlsx"));
    // The nick export appends ".txt" itself, so neither the name nor the dialog carries it.
    const SaveRequest& nicks = f.prompts.saveRequests[1];
    EXPECT_TRUE(nicks.nameFilter.endsWith(QStringLiteral("(*.txt)")))
        << nicks.nameFilter.toStdString();
    EXPECT_EQ(nicks.defaultSuffix, QString());
    EXPECT_EQ(nicks.proposedName, QStringLiteral("皮具工坊_") + day);

    // Without a chosen shop nothing is proposed.
    f.CloseWindow();
    f.OpenWindow();
    f.Click("btnExport");
    ASSERT_EQ(f.prompts.saveRequests.size(), 3u);
    EXPECT_EQ(f.prompts.saveRequests[2].proposedName, QString());
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
