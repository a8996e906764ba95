// The views in every format read back by real readers, the exports, and the exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "CliSupport.h"
#include "MarketSim.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A small shop whose every stored value is known: texts that CSV must quote, two deals on
// different days, one review, an item with no records at all.
marketsim::Shop FormatShop() {
    marketsim::Shop shop;
    shop.nick = "格式测试店";
    shop.key = "formats";
    shop.ownerId = "555000111";

    marketsim::Item dress;
    dress.id = "3001";
    dress.title = "连衣裙, 2012新款 夏";
    dress.price = "59.90";
    dress.stock = 12;
    dress.soldCount = 30;
    dress.views = 880;
    marketsim::Deal first;
    first.buyer = "小王";
    first.price = "59.90";
    first.amount = "2";
    first.time = "2012-04-05 10:20:33";
    first.skuHtml = "颜色分类：红色";
    marketsim::Deal second;
    second.buyer = "buyer,two";
    second.price = "49.50";
    second.amount = "1";
    second.time = "2012-04-06 11:00:00";
    second.skuHtml = "颜色分类：蓝色";
    dress.deals = {first, second};
    marketsim::Review review;
    review.content = "质量很好，下次再来";
    review.nick = "评价者一";
    review.id = "71000000001";
    review.date = "2012-04-07 08:09:10";
    dress.reviews = {review};

    marketsim::Item plain;
    plain.id = "3002";
    plain.title = "plain";
    plain.price = "10.00";
    plain.stock = 5;
    shop.items = {dress, plain};
    return shop;
}

// One analysis of the shop, shared by the tests of this suite: they only read it, except the
// delete test, which works on its own copy.
class CliFormatTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_db = std::make_unique<TempDatabase>();
        MarketFixture market;
        market.Sim().AddShop(FormatShop());
        const CliResult run =
            RunCli({"analyse", "--db", s_db->Path(), "--market", market.Base(), FormatShop().nick});
        ASSERT_EQ(run.code, 0) << run.out << run.err;
        const json shops =
            json::parse(RunCli({"shops", "--db", s_db->Path(), "--format", "json"}).out);
        ASSERT_EQ(shops.size(), 1u);
        s_sid = shops[0]["SID"];
    }
    static void TearDownTestSuite() { s_db.reset(); }

    static CliResult View(std::vector<std::string> args) {
        args.push_back("--db");
        args.push_back(s_db->Path());
        CliResult result = RunCli(std::move(args));
        EXPECT_EQ(result.code, 0) << result.err;
        return result;
    }
    // The view as JSON, and its CSV turned into the same objects (header row as keys, every
    // value a text), each read by its own real reader.
    static json Json(std::vector<std::string> args) {
        args.insert(args.end(), {"--format", "json"});
        return json::parse(View(args).out);
    }
    static json CsvObjects(std::vector<std::string> args) {
        args.insert(args.end(), {"--format", "csv"});
        const json rows = CsvRows(View(args).out);
        json objects = json::array();
        for (std::size_t r = 1; r < rows.size(); ++r) {
            json object = json::object();
            for (std::size_t c = 0; c < rows[0].size(); ++c) {
                object[rows[0][c].get<std::string>()] = rows[r][c];
            }
            objects.push_back(object);
        }
        return objects;
    }
    // What the CSV must hold for a JSON value: numbers and texts as they are, null as nothing.
    static void ExpectSameRows(const json& fromJson, const json& fromCsv) {
        ASSERT_EQ(fromJson.size(), fromCsv.size());
        for (std::size_t r = 0; r < fromJson.size(); ++r) {
            ASSERT_EQ(fromJson[r].size(), fromCsv[r].size()) << r;
            for (const auto& [key, value] : fromJson[r].items()) {
                const std::string text = fromCsv[r][key];
                if (value.is_null()) {
                    EXPECT_EQ(text, "") << key;
                } else if (value.is_string()) {
                    EXPECT_EQ(text, value.get<std::string>()) << key;
                } else {
                    EXPECT_EQ(json::parse(text), value) << key;
                }
            }
        }
    }

    static std::unique_ptr<TempDatabase> s_db;
    static std::string s_sid;
};
std::unique_ptr<TempDatabase> CliFormatTest::s_db;
std::string CliFormatTest::s_sid;

const std::regex kIsoTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3})");

TEST_F(CliFormatTest, ShopsInJsonAndCsvCarryTheSameTypedValues) {
    const json shops = Json({"shops"});
    ASSERT_EQ(shops.size(), 1u);
    const json& shop = shops[0];
    EXPECT_EQ(shop.size(), 8u) << shop.dump();
    EXPECT_EQ(shop["WWName"], "格式测试店");
    EXPECT_EQ(shop["Verdict"], "healthy");
    EXPECT_EQ(shop["Outcome"], "complete");
    EXPECT_EQ(shop["ItemsRead"], shop["ItemsQueued"]);
    EXPECT_TRUE(Has(shop["ShopURL"].get<std::string>(), "/shop/formats/")) << shop.dump();
    EXPECT_TRUE(std::regex_match(shop["AddTime"].get<std::string>(), kIsoTime)) << shop.dump();
    EXPECT_EQ(shop["SID"].get<std::string>().size(), 17u);
    ExpectSameRows(shops, CsvObjects({"shops"}));
}

TEST_F(CliFormatTest, ItemsKeepNumbersUnformattedAndTextsWhole) {
    const json items = Json({"items", s_sid});
    ASSERT_EQ(items.size(), 2u) << items.dump();
    std::map<std::string, json> byId;
    for (const json& item : items) {
        byId[item["ItemID"]] = item;
    }
    const json& dress = byId["3001"];
    EXPECT_EQ(dress["title"], "连衣裙, 2012新款 夏");
    EXPECT_TRUE(dress["price"].is_number_float());
    EXPECT_DOUBLE_EQ(dress["price"].get<double>(), 59.9);
    EXPECT_EQ(dress["sellcount"], 30);
    EXPECT_EQ(dress["allow_quantity"], 12);
    EXPECT_EQ(dress["pv"], 880);
    EXPECT_TRUE(dress["Commentcount"].is_number_integer());
    EXPECT_TRUE(std::regex_match(dress["UpdateTime"].get<std::string>(), kIsoTime));
    EXPECT_DOUBLE_EQ(byId["3002"]["price"].get<double>(), 10);
    // The running numbers follow the read order, as the list's do.
    EXPECT_EQ(items[0]["no"], 1);
    EXPECT_EQ(items[1]["no"], 2);
    ExpectSameRows(items, CsvObjects({"items", s_sid}));
}

TEST_F(CliFormatTest, BuyersAndReviewsNewestFirstWithIsoTimes) {
    const json buyers = Json({"buyers", s_sid, "3001"});
    ASSERT_EQ(buyers.size(), 2u) << buyers.dump();
    EXPECT_EQ(buyers[0]["Buyer"], "buyer,two");
    EXPECT_EQ(buyers[0]["buytime"], "2012-04-06T11:00:00.000");
    EXPECT_DOUBLE_EQ(buyers[0]["price"].get<double>(), 49.5);
    EXPECT_EQ(buyers[1]["Buyer"], "小王");
    EXPECT_EQ(buyers[1]["amount"], 2);
    EXPECT_EQ(buyers[1]["buytime"], "2012-04-05T10:20:33.000");
    EXPECT_EQ(buyers[1]["sku"], "颜色分类：红色");
    ExpectSameRows(buyers, CsvObjects({"buyers", s_sid, "3001"}));

    const json reviews = Json({"reviews", s_sid, "3001"});
    ASSERT_EQ(reviews.size(), 1u);
    EXPECT_EQ(reviews[0], (json{{"displayUserNick", "评价者一"},
                                {"rateContent", "质量很好，下次再来"},
                                {"rateDate", "2012-04-07T08:09:10.000"}}));
    ExpectSameRows(reviews, CsvObjects({"reviews", s_sid, "3001"}));

    // An item without records is an empty array and a header line, not nothing.
    EXPECT_EQ(Json({"buyers", s_sid, "3002"}), json::array());
    EXPECT_EQ(CsvRows(View({"reviews", s_sid, "3002", "--format", "csv"}).out),
              (json{{"displayUserNick", "rateContent", "rateDate"}}));
}

TEST_F(CliFormatTest, TableStaysTheDefaultWithItsCountLines) {
    const std::string table = View({"buyers", s_sid, "3001"}).out;
    EXPECT_EQ(table, View({"buyers", s_sid, "3001", "--format", "table"}).out);
    EXPECT_TRUE(Has(table, "买家"));
    EXPECT_TRUE(Has(table, "2012-04-06 11:00:00"));
    EXPECT_TRUE(Has(table, "共有 2 条记录. 总额 109.40 元。\n")) << table;
    EXPECT_FALSE(Has(View({"buyers", s_sid, "3001", "--format", "csv"}).out, "共有"));
}

TEST_F(CliFormatTest, ByteOrderMarkOnlyWhenAsked) {
    const std::string plain = View({"shops", "--format", "csv"}).out;
    const std::string marked = View({"shops", "--format", "csv", "--bom"}).out;
    EXPECT_EQ(
        plain.rfind("SID,WWName,ShopURL,AddTime,Verdict,Outcome,ItemsRead,ItemsQueued\r\n", 0), 0u)
        << plain;
    EXPECT_EQ(marked, "\xEF\xBB\xBF" + plain);
    EXPECT_EQ(CsvRows(marked), CsvRows(plain));
}

TEST_F(CliFormatTest, ExportCsvWritesTheItemListAsItemsShowsIt) {
    const fs::path folder = TempDatabase::MakeTempFolder();
    const std::string file = (folder / "items.csv").string();
    const CliResult done = RunCli({"export-csv", "--db", s_db->Path(), "--bom", s_sid, file});
    ASSERT_EQ(done.code, 0) << done.err;
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str().substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(CsvRows(bytes.str()), CsvRows(View({"items", s_sid, "--format", "csv"}).out));
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

TEST_F(CliFormatTest, ExportNamesThatCannotBeWrittenAreRefusedBeforeAnythingIsRead) {
    const fs::path folder = TempDatabase::MakeTempFolder();
    // A database that does not exist: had it been opened first, its message would show.
    const std::string missingDb = (folder / "none.qdb").string();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"export-csv", s_sid, ""}, 2, "the file name is empty"},
        {{"export-xlsx", s_sid, ""}, 2, "the file name is empty"},
        {{"export-nicks", s_sid, ""}, 2, "the file name is empty"},
        {{"export-csv", s_sid, (folder / "no/such/items.csv").string()}, 1, "does not exist"},
        {{"export-xlsx", s_sid, (folder / "no/items.xlsx").string()}, 1, "does not exist"},
        {{"export-nicks", s_sid, (folder / "no/nicks").string()}, 1, "does not exist"},
        {{"export-csv", s_sid, folder.string()}, 1, "it is a folder"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--db", missingDb});
        const CliResult result = RunCli(args);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.code, c.code);
        EXPECT_TRUE(Has(result.err, c.message));
        EXPECT_FALSE(Has(result.err, "找不到数据文件"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 0);
    fs::remove_all(folder);
}

// Every sheet of a workbook as openpyxl reads it: {name: [[cell, ...], ...]}, dates as ISO
// text, every other value as it is.
json Workbook(const std::string& path) {
    return PythonJson(R"PY(
import sys, json, datetime, openpyxl
book = openpyxl.load_workbook(open(sys.argv[1], "rb"))
def value(v):
    return v.isoformat(timespec="seconds") if isinstance(v, datetime.datetime) else v
print(json.dumps({name: [[value(c) for c in row] for row in book[name].iter_rows(values_only=True)]
                  for name in book.sheetnames}, ensure_ascii=False))
)PY",
                      path);
}

TEST_F(CliFormatTest, AllSheetsAddsBuyersAndReviewsAndKeepsTheItemSheet) {
    const fs::path folder = TempDatabase::MakeTempFolder();
    const std::string items = (folder / "items.xlsx").string();
    const std::string all = (folder / "all.xlsx").string();
    ASSERT_EQ(RunCli({"export-xlsx", "--db", s_db->Path(), s_sid, items}).code, 0);
    ASSERT_EQ(RunCli({"export-xlsx", "--db", s_db->Path(), "--all-sheets", s_sid, all}).code, 0);

    const json one = Workbook(items);
    const json three = Workbook(all);
    ASSERT_EQ(one.size(), 1u) << one.dump();
    ASSERT_EQ(three.size(), 3u) << three.dump();
    EXPECT_EQ(three["sheet1"], one["sheet1"]);

    const json buyers = three["买家"];
    ASSERT_EQ(buyers.size(), 3u) << buyers.dump();
    EXPECT_EQ(buyers[0], (json{"宝贝ID", "宝贝名称", "买家", "价格", "数量", "款式", "购买时间"}));
    EXPECT_EQ(buyers[1], (json{"3001", "连衣裙, 2012新款 夏", "buyer,two", 49.5, 1,
                               "颜色分类：蓝色", "2012-04-06T11:00:00"}));
    EXPECT_EQ(buyers[2][2], "小王");
    EXPECT_EQ(buyers[2][4], 2);

    const json reviews = three["评价"];
    ASSERT_EQ(reviews.size(), 2u) << reviews.dump();
    EXPECT_EQ(reviews[0], (json{"宝贝ID", "宝贝名称", "买家名称", "评论内容", "评论时间"}));
    EXPECT_EQ(reviews[1], (json{"3001", "连衣裙, 2012新款 夏", "评价者一", "质量很好，下次再来",
                                "2012-04-07T08:09:10"}));
    fs::remove_all(folder);
}

TEST_F(CliFormatTest, UnknownSidIsAFailureForEveryCommandThatTakesOne) {
    const fs::path folder = TempDatabase::MakeTempFolder();
    const std::vector<std::vector<std::string>> commands = {
        {"delete", "12345"},
        {"items", "12345"},
        {"buyers", "12345", "3001"},
        {"reviews", "12345", "3001"},
        {"export-csv", "12345", (folder / "a.csv").string()},
        {"export-xlsx", "12345", (folder / "a.xlsx").string()},
        {"export-nicks", "12345", (folder / "a").string()},
    };
    for (auto args : commands) {
        args.insert(args.end(), {"--db", s_db->Path()});
        const CliResult result = RunCli(args);
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Has(result.err, "no analysis with SID 12345")) << result.err;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 0);
    fs::remove_all(folder);
    EXPECT_EQ(Json({"shops"}).size(), 1u);
}

TEST(CliExitCodeTest, DeleteRemovesAKnownRunOnce) {
    TempDatabase db;
    MarketFixture market;
    market.Sim().AddShop(FormatShop());
    ASSERT_EQ(
        RunCli({"analyse", "--db", db.Path(), "--market", market.Base(), FormatShop().nick}).code,
        0);
    const json shops = json::parse(RunCli({"shops", "--db", db.Path(), "--format", "json"}).out);
    ASSERT_EQ(shops.size(), 1u);
    const std::string sid = shops[0]["SID"];

    EXPECT_EQ(RunCli({"delete", sid, "--db", db.Path()}).code, 0);
    EXPECT_EQ(json::parse(RunCli({"shops", "--db", db.Path(), "--format", "json"}).out),
              json::array());
    const CliResult again = RunCli({"delete", sid, "--db", db.Path()});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(Has(again.err, "no analysis with SID " + sid));
}

TEST(CliExitCodeTest, SecondInterruptEndsAtOnceWith130) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop shop = marketsim::DemoShop(3);
    market.Sim().AddShop(shop);
    market.Sim().AddFault(marketsim::Fault{.match = "/item.htm", .hold = true});

    CliProcess process(
        {"analyse", "--db", db.Path(), "--market", market.Base(), "--threads", "2", shop.nick});
    ASSERT_TRUE(market.Sim().WaitForHeld(2));
    process.Interrupt();
    // The first asks for the stop; the held pages keep the run from ending, so only the second
    // can end it.
    for (int i = 0; i < 1000 && !Has(process.Out(), "正在终止程序"); ++i) {
        usleep(10000);
    }
    ASSERT_TRUE(Has(process.Out(), "正在终止程序"));
    process.Interrupt();
    EXPECT_EQ(process.Wait(), 130) << process.Err();
    EXPECT_FALSE(Has(process.Out(), "程序执行完成!"));
    market.Sim().ReleaseHolds();
}

}  // namespace
}  // namespace tarnwick::test
