// tarnwick-cli compare and history over a database written straight through the store.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "CliSupport.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

struct Result {
    int exitCode = -1;
    std::string out;  // stdout and stderr together
    std::vector<std::string> lines;
};

Result RunCli(const std::string& arguments) {
    Result result;
    const std::string command = std::string(TARNWICK_CLI) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return result;
    }
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        result.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::stringstream in(result.out);
    for (std::string line; std::getline(in, line);) {
        result.lines.push_back(line);
    }
    return result;
}

// The words of a table line, however wide its columns were padded.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::stringstream in(line);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

ItemRow Item(const std::string& sid, const std::string& id, double price, int sold, int stock) {
    ItemRow item;
    item.sid = sid;
    item.ItemID = id;
    item.title = "宝贝" + id;
    item.price = price;
    item.sellcount = sold;
    item.SellAmount = price * sold;
    item.allow_quantity = stock;
    return item;
}

class CompareCliTest : public ::testing::Test {
protected:
    CompareCliTest() {
        Store store(Database::Open(temp.Path()));
        for (auto [sid, day] : {std::pair{"20260301090000000", 1}, {"20260302090000000", 2}}) {
            ShopRow run;
            run.SID = sid;
            run.OwnerID = "900";
            run.WWName = "小店";
            run.AddTime = DateTime::FromParts({2026, 3, day, 9, 0, 0, 0});
            store.AppendShop(run);
        }
        store.AppendItem(Item(kOld, "11", 20.0, 5, 30));
        store.AppendItem(Item(kOld, "22", 9.9, 1, 3));
        store.AppendItem(Item(kOld, "33", 50.0, 0, 8));
        store.AppendItem(Item(kNew, "11", 18.5, 7, 28));
        store.AppendItem(Item(kNew, "22", 9.9, 1, 3));
        store.AppendItem(Item(kNew, "44", 66.0, 0, 12));
    }

    std::string Db() const { return " --db '" + temp.Path() + "'"; }

    static constexpr const char* kOld = "20260301090000000";
    static constexpr const char* kNew = "20260302090000000";
    TempDatabase temp;
};

TEST_F(CompareCliTest, CompareListsEveryItemThenTheCountsAndTotals) {
    Result r = RunCli(std::string("compare ") + kOld + " " + kNew + Db());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    ASSERT_GE(r.lines.size(), 11u) << r.out;
    EXPECT_EQ(Words(r.lines[0])[0], "状态");
    EXPECT_EQ(Words(r.lines[1]),
              (std::vector<std::string>{"有变化", "11", "宝贝11", "20.00", "18.50", "-1.50", "5",
                                        "7", "+2", "30", "28", "2", "0", "0", "0", "0"}));
    EXPECT_EQ(Words(r.lines[2])[0], "无变化");
    EXPECT_EQ(Words(r.lines[3]),
              (std::vector<std::string>{"新上架", "44", "宝贝44", "66.00", "0", "12", "0", "0"}));
    EXPECT_EQ(Words(r.lines[4]),
              (std::vector<std::string>{"已下架", "33", "宝贝33", "50.00", "0", "8"}));
    EXPECT_EQ(r.lines[5], std::string("上次分析 ") + kOld + " 2026-03-01 09:00:00 掌柜 小店");
    EXPECT_EQ(r.lines[6], std::string("本次分析 ") + kNew + " 2026-03-02 09:00:00 掌柜 小店");
    EXPECT_EQ(r.lines[7], "新上架 1, 已下架 1, 有变化 1, 无变化 1");
    EXPECT_EQ(r.lines[8], "宝贝数 3 → 3 (0)");
    EXPECT_EQ(r.lines[9], "销售总额 109.90 → 139.40 (+29.50)");
    EXPECT_EQ(r.lines[10], "库存价值 1029.70 → 1339.70 (+310.00)");
}

TEST_F(CompareCliTest, ChangedOnlyLeavesOutTheUnchangedAndExportsWhatItShows) {
    const std::string xlsx = (temp.Folder() / "c.xlsx").string();
    const std::string csv = (temp.Folder() / "c.csv").string();
    Result r = RunCli(std::string("compare --changed-only ") + kOld + " " + kNew + Db() +
                      " --xlsx '" + xlsx + "' --csv '" + csv + "'");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::vector<std::string> statuses;
    for (std::size_t i = 1; i < r.lines.size() && !Words(r.lines[i]).empty(); ++i) {
        if (r.lines[i].starts_with("上次分析")) {
            break;
        }
        statuses.push_back(Words(r.lines[i])[0]);
    }
    EXPECT_EQ(statuses, (std::vector<std::string>{"有变化", "新上架", "已下架"}));
    EXPECT_TRUE(std::filesystem::exists(xlsx));
    std::ifstream in(csv, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);  // captions and three items
}

TEST_F(CompareCliTest, HistoryHasOneLinePerRunOfTheShop) {
    Result r = RunCli(std::string("history ") + kNew + " 33" + Db());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    ASSERT_EQ(r.lines.size(), 3u) << r.out;
    EXPECT_EQ(Words(r.lines[0]), (std::vector<std::string>{"分析时间", "SID", "价格", "30天售",
                                                           "库存", "评论数", "浏览量"}));
    EXPECT_EQ(Words(r.lines[1]), (std::vector<std::string>{"2026-03-01", "09:00:00", kOld, "50.00",
                                                           "0", "8", "0", "0"}));
    EXPECT_EQ(Words(r.lines[2]),
              (std::vector<std::string>{"2026-03-02", "09:00:00", kNew, "未列出"}));
}

TEST_F(CompareCliTest, UnknownRunsAndMissingArgumentsAreRefused) {
    Result unknown = RunCli(std::string("compare 123 ") + kNew + Db());
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.out.find("没有这次分析: 123"), std::string::npos) << unknown.out;
    Result history = RunCli("history 123 11" + Db());
    EXPECT_EQ(history.exitCode, 1);
    // An export that cannot be written is refused before the comparison is read.
    Result unwritable =
        RunCli(std::string("compare ") + kOld + " " + kNew + Db() + " --csv /nonexistent/c.csv");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.out.find("/nonexistent/c.csv"), std::string::npos) << unwritable.out;
    EXPECT_EQ(unwritable.out.find("上次分析"), std::string::npos) << unwritable.out;
    Result missing = RunCli(std::string("compare ") + kOld + Db());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.out.find("Usage: tarnwick-cli compare [OPTIONS] OLD_SID NEW_SID"),
              std::string::npos);
}

TEST_F(CompareCliTest, CompareAndHistoryReadBackAsJsonAndCsv) {
    Result json =
        RunCli(std::string("compare --changed-only --format json ") + kOld + " " + kNew + Db());
    ASSERT_EQ(json.exitCode, 0) << json.out;
    const nlohmann::json items = nlohmann::json::parse(json.out);
    ASSERT_EQ(items.size(), 3u) << json.out;
    EXPECT_EQ(items[0]["status"], "有变化");
    EXPECT_EQ(items[0]["ItemID"], "11");
    EXPECT_DOUBLE_EQ(items[0]["price_change"].get<double>(), -1.5);
    EXPECT_EQ(items[0]["sellcount_change"], 2);
    EXPECT_EQ(items[0]["sold_by_stock"], 2);
    // A new item has no older side: nothing, not a zero.
    EXPECT_EQ(items[1]["status"], "新上架");
    EXPECT_TRUE(items[1]["old_price"].is_null());
    EXPECT_DOUBLE_EQ(items[1]["new_price"].get<double>(), 66.0);
    EXPECT_EQ(items[2]["status"], "已下架");

    Result csv = RunCli(std::string("history --format csv ") + kNew + " 33" + Db());
    ASSERT_EQ(csv.exitCode, 0) << csv.out;
    const nlohmann::json rows = CsvRows(csv.out);
    ASSERT_EQ(rows.size(), 3u) << csv.out;
    EXPECT_EQ(rows[0], nlohmann::json({"AddTime", "SID", "listed", "price", "sellcount",
                                       "allow_quantity", "Commentcount", "pv", "read"}));
    EXPECT_EQ(rows[1], nlohmann::json(
                           {"2026-03-01T09:00:00.000", kOld, "1", "50", "0", "8", "0", "0", "1"}));
    EXPECT_EQ(rows[2],
              nlohmann::json({"2026-03-02T09:00:00.000", kNew, "0", "", "", "", "", "", "0"}));
}

}  // namespace
}  // namespace tarnwick::test
