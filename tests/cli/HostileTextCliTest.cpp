// Rows a competitor wrote, through every output of the command line: CSV that a spreadsheet
// shows but never runs, tables and a log that hand the terminal no control character,
// workbooks that are always written and read back as stored, one nick per line, files that
// appear whole or not at all, and a version check that says why it failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CliSupport.h"
#include "MarketSim.h"
#include "store/Store.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kFormula = "=HYPERLINK(\"http://x/?q=1\",\"click\")";
const std::string kFormulaId = "=cmd|'/Ccalc'!A0";
const std::string kTerminal =
    "\x1b]0;owned\x07\x1b[2J\xC2\x9B"
    "1m\xE2\x80\xAE"
    "evil\x7f";
const std::string kLongText(40000, 't');
const std::string kNick = "victim\r\ninjected_nick";

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// True when the text holds something a terminal would act on.
bool HoldsTerminalControl(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const auto third = i + 2 < text.size() ? static_cast<unsigned char>(text[i + 2]) : 0;
        if ((c < 0x20 && c != '\n') || c == 0x7F || (c == 0xC2 && next >= 0x80 && next <= 0x9F) ||
            (c == 0xE2 && next == 0x80 && third >= 0xAA && third <= 0xAE) ||
            (c == 0xE2 && next == 0x81 && third >= 0xA6 && third <= 0xA9)) {
            return true;
        }
    }
    return false;
}

bool IsNumber(const std::string& text) {
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

class HostileTextCliTest : public ::testing::Test {
protected:
    HostileTextCliTest() {
        Store store(Database::Open(m_db.Path()));
        for (const char* sid : {kOld, kNew}) {
            ShopRow run;
            run.SID = sid;
            run.OwnerID = "900";
            run.WWName = "店" + kTerminal;
            run.AddTime = DateTime::FromParts({2026, 3, sid == kOld ? 1 : 2, 9, 0, 0, 0});
            store.AppendShop(run);
            const bool newer = sid == kNew;
            store.AppendItem(Item(sid, kFormulaId, kFormula, newer ? 44.25 : 59.5));
            store.AppendItem(Item(sid, "2002", kTerminal, 10));
            store.AppendItem(Item(sid, "2003", kLongText, 10));
        }
        BuyerRow buyer;
        buyer.sid = kNew;
        buyer.itemid = "2002";
        buyer.Buyer = "@buyer" + kTerminal;
        buyer.price = 10;
        buyer.amount = 1;
        buyer.sku = "-2+3\r\n尺码：XL";
        store.AppendBuyer(buyer);
        RateRow hostile;
        hostile.sid = kNew;
        hostile.itemid = "2002";
        hostile.displayUserNick = kNick;
        hostile.rateContent = "+_x000D_ \x01 " + kTerminal;
        hostile.rateDate = DateTime::FromParts({2026, 3, 2, 8, 0, 0, 0});
        store.AppendRate(hostile);
        RateRow longReview = hostile;
        longReview.displayUserNick = "plain";
        longReview.rateContent = kLongText;
        longReview.rateDate = DateTime::FromParts({2026, 3, 1, 8, 0, 0, 0});
        store.AppendRate(longReview);
    }

    static ItemRow Item(const std::string& sid, const std::string& id, const std::string& title,
                        double price) {
        ItemRow item;
        item.sid = sid;
        item.ItemID = id;
        item.title = title;
        item.price = price;
        item.sellcount = 3;
        item.SellAmount = price * 3;
        item.allow_quantity = 5;
        return item;
    }

    CliResult Cli(std::vector<std::string> args) const {
        args.insert(args.end(), {"--db", m_db.Path()});
        return RunCli(std::move(args));
    }
    std::string PathOf(const std::string& name) const { return (m_db.Folder() / name).string(); }

    static constexpr const char* kOld = "20260301090000000";
    static constexpr const char* kNew = "20260302090000000";
    TempDatabase m_db;
};

TEST_F(HostileTextCliTest, CsvCellsThatASpreadsheetWouldRunStayText) {
    struct Case {
        std::string what;
        std::vector<std::string> args;
        std::string file;  // read instead of the standard output
    };
    const std::vector<Case> cases = {
        {"items", {"items", kNew, "--format", "csv"}, ""},
        {"export-csv", {"export-csv", kNew, PathOf("items.csv")}, PathOf("items.csv")},
        {"buyers", {"buyers", kNew, "2002", "--format", "csv"}, ""},
        {"reviews", {"reviews", kNew, "2002", "--format", "csv"}, ""},
        {"compare", {"compare", kOld, kNew, "--format", "csv"}, ""},
        {"compare --csv", {"compare", kOld, kNew, "--csv", PathOf("c.csv")}, PathOf("c.csv")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliResult result = Cli(c.args);
        ASSERT_EQ(result.code, 0) << result.err;
        const json rows = CsvRows(c.file.empty() ? result.out : Contents(c.file));
        ASSERT_GT(rows.size(), 1u);
        bool sawFormula = false;
        for (const json& row : rows) {
            for (const json& cell : row) {
                const std::string text = cell;
                sawFormula = sawFormula || text == "'" + kFormula || text == "'" + kFormulaId ||
                             text.rfind("'@buyer", 0) == 0 || text.rfind("'-2+3", 0) == 0 ||
                             text.rfind("'+_x000D_", 0) == 0;
                if (!text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) {
                    EXPECT_TRUE(IsNumber(text)) << text;
                }
            }
        }
        EXPECT_TRUE(sawFormula);
    }
    // The price change stays a number a spreadsheet can add up.
    const json compared = CsvRows(Cli({"compare", kOld, kNew, "--format", "csv"}).out);
    ASSERT_GE(compared.size(), 2u);
    EXPECT_EQ(compared[1][5], "-15.25");
}

TEST_F(HostileTextCliTest, TablesPrintNoControlCharacter) {
    const std::vector<std::vector<std::string>> views = {
        {"shops"},
        {"items", kNew},
        {"buyers", kNew, "2002"},
        {"reviews", kNew, "2002"},
        {"compare", kOld, kNew},
        {"history", kNew, "2002"},
    };
    for (const auto& args : views) {
        SCOPED_TRACE(args[0]);
        const CliResult result = Cli(args);
        ASSERT_EQ(result.code, 0) << result.err;
        EXPECT_FALSE(HoldsTerminalControl(result.out)) << result.out.substr(0, 400);
        if (args[0] != "history") {
            EXPECT_TRUE(Has(result.out, "\\u001B]0;owned\\u0007\\u001B[2J\\u009B1m\\u202Eevil"))
                << result.out.substr(0, 400);
        }
    }
    // A line end inside a cell keeps the table's rows one line each.
    EXPECT_TRUE(Has(Cli({"buyers", kNew, "2002"}).out, "-2+3 / 尺码：XL"));
    // JSON keeps every text exactly.
    const json items = json::parse(Cli({"items", kNew, "--format", "json"}).out);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1]["title"], kTerminal);
}

TEST(HostileLogCliTest, TheAnalyseLogPrintsNoControlCharacter) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop shop = marketsim::DemoShop(1);
    shop.items[0].id = "7" + kTerminal;
    market.Sim().AddShop(shop);
    const CliResult result =
        RunCli({"analyse", "--db", db.Path(), "--market", market.Base(), shop.nick});
    EXPECT_FALSE(HoldsTerminalControl(result.out)) << result.out;
    EXPECT_TRUE(Has(result.out, "7\\u001B]0;owned\\u0007")) << result.out;
}

// Every sheet of a workbook as openpyxl reads it, the format's _xHHHH_ escapes decoded as a
// spreadsheet program decodes them: {name: [[cell, ...], ...]}.
json Workbook(const std::string& path) {
    return PythonJson(R"PY(
import sys, json, openpyxl
import openpyxl.reader.excel
from openpyxl.cell.text import Text
from openpyxl.utils.escape import unescape
from openpyxl.xml.functions import iterparse
from openpyxl.xml.constants import SHEET_MAIN_NS
# Shared strings read as a spreadsheet program reads them: each _xHHHH_ one character
# (_x005F_ the underscore), in one pass. openpyxl 3.0 only drops "x005F_".
def read_string_table(xml_source):
    strings = []
    for _, node in iterparse(xml_source):
        if node.tag == "{%s}si" % SHEET_MAIN_NS:
            strings.append(unescape(Text.from_tree(node).content))
            node.clear()
    return strings
openpyxl.reader.excel.read_string_table = read_string_table
book = openpyxl.load_workbook(open(sys.argv[1], "rb"))
def value(v):
    return v if isinstance(v, (str, int, float)) or v is None else str(v)
print(json.dumps({name: [[value(c) for c in row] for row in book[name].iter_rows(values_only=True)]
                  for name in book.sheetnames}))
)PY",
                      path);
}

TEST_F(HostileTextCliTest, WorkbooksAreWrittenAndReadBackAsStored) {
    const std::string cut = std::string(32766, 't') + "…";
    const std::string items = PathOf("items.xlsx");
    const std::string all = PathOf("all.xlsx");
    const std::string compared = PathOf("c.xlsx");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"export-xlsx", kNew, items},
                                               {"export-xlsx", "--all-sheets", kNew, all},
                                               {"compare", kOld, kNew, "--xlsx", compared}}) {
        SCOPED_TRACE(args[1]);
        const CliResult result = Cli(args);
        ASSERT_EQ(result.code, 0) << result.err;
        // The 40,000-character title, and on the 评价 sheet the review too.
        EXPECT_TRUE(Has(result.out, (args[1] == "--all-sheets" ? "2" : "1") +
                                        std::string(" 个单元格的文字超过 32767 个字符, 已截断.")))
            << result.out;
    }
    const json one = Workbook(items);
    ASSERT_EQ(one["sheet1"].size(), 5u) << one.dump().substr(0, 400);
    EXPECT_EQ(one["sheet1"][2][3], kFormula);
    EXPECT_EQ(one["sheet1"][3][3], kTerminal);
    EXPECT_EQ(one["sheet1"][4][3], cut);
    const json three = Workbook(all);
    const json reviews = three["评价"];
    ASSERT_EQ(reviews.size(), 3u) << reviews.dump();
    EXPECT_EQ(reviews[1][2], kNick);
    EXPECT_EQ(reviews[1][3], "+_x000D_ \x01 " + kTerminal);
    EXPECT_EQ(reviews[2][3], cut);
    const json comparison = Workbook(compared)["对比"];
    ASSERT_EQ(comparison.size(), 4u);
    std::vector<std::string> titles;
    for (std::size_t r = 1; r < comparison.size(); ++r) {
        titles.push_back(comparison[r][2]);
    }
    EXPECT_NE(std::find(titles.begin(), titles.end(), cut), titles.end());
    EXPECT_NE(std::find(titles.begin(), titles.end(), kTerminal), titles.end());
}

TEST_F(HostileTextCliTest, EveryNickIsOneLineOfTheNickFile) {
    const std::string file = PathOf("nicks.txt");
    const CliResult result = Cli({"export-nicks", kNew, file});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(Contents(file), "victim  injected_nick\r\nplain\r\n");
}

// A target that is a symbolic link is replaced by the new file, by every export alike; the
// file it pointed to is never written.
TEST_F(HostileTextCliTest, ExportsReplaceALinkAndNeverWriteThroughIt) {
    const std::string victim = PathOf("victim");
    std::ofstream(victim) << "precious";
    const std::vector<std::vector<std::string>> exports = {
        {"export-csv", kNew, PathOf("a.csv")},
        {"export-xlsx", kNew, PathOf("a.xlsx")},
        {"export-xlsx", "--all-sheets", kNew, PathOf("b.xlsx")},
        {"export-nicks", kNew, PathOf("a.txt")},
        {"compare", kOld, kNew, "--xlsx", PathOf("c.xlsx")},
        {"compare", kOld, kNew, "--csv", PathOf("c.csv")},
    };
    for (const auto& args : exports) {
        const std::string target = args.back();
        SCOPED_TRACE(args[0] + " " + target);
        fs::create_symlink(victim, target);
        const CliResult result = Cli(args);
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_FALSE(fs::is_symlink(target));
        EXPECT_GT(fs::file_size(target), 0u);
        EXPECT_EQ(Contents(victim), "precious");
    }
    // Nothing but the exports themselves is left in the folder.
    for (const auto& entry : fs::directory_iterator(m_db.Folder())) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

TEST(VersionCheckCliTest, AFailedCheckSaysWhyAndExitsNonZero) {
    using marketsim::Fault;
    struct Case {
        std::string what;
        std::string answer;
        Fault fault;
        std::string reason;  // empty: the check succeeds
        std::string printed;
    };
    const std::vector<Case> cases = {
        {"redirect", "tarnwick=300", Fault{.match = "/version", .redirects = 1}, "redirect", ""},
        {"server error", "tarnwick=300", Fault{.match = "/version", .status = 500}, "HTTP 500", ""},
        {"too large", "", Fault{.match = "/version", .bodyBytes = 100 * 1024}, "too large", ""},
        {"negative", "tarnwick=-5", Fault{}, "", "0\n没有更新的版本"},
        {"past 32 bits", "tarnwick=4294967503", Fault{}, "", "0\n没有更新的版本"},
        {"newer", "tarnwick=300", Fault{}, "", "300\n有新版本"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MarketFixture market;
        market.Sim().SetVersionAnswer(c.answer);
        if (!c.fault.match.empty()) {
            market.Sim().AddFault(c.fault);
        }
        const CliResult result =
            RunCli({"check-version", "--version-url", market.GetEndpoints().versionEndpoint});
        if (c.reason.empty()) {
            EXPECT_EQ(result.code, 0) << result.err;
            EXPECT_TRUE(Has(result.out, c.printed)) << result.out;
        } else {
            EXPECT_EQ(result.code, 1);
            EXPECT_EQ(result.out, "");
            EXPECT_TRUE(Has(result.err, "the version check failed: " + c.reason)) << result.err;
        }
    }
    // Nothing listens: a network failure.
    std::string closed;
    {
        MarketFixture market;
        closed = market.GetEndpoints().versionEndpoint;
    }
    const CliResult result = RunCli({"check-version", "--version-url", closed});
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(Has(result.err, "the version check failed: network")) << result.err;
}

}  // namespace
}  // namespace tarnwick::test
