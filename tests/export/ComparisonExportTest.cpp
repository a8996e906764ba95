// The comparison written as a workbook and read back by another program (openpyxl), and as CSV.
#include "export/ComparisonExport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "export/ComparisonSheet.h"
#include "export/XlsxExport.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

// Prints the sheet names, every non-empty cell of the first sheet as "CELL coordinate type
// value number-format", and every conditional format as "RULE range type operator formula
// fill font".
constexpr const char* kReaderScript = R"PY(
import sys, openpyxl
book = openpyxl.load_workbook(open(sys.argv[1], "rb"))
for name in book.sheetnames:
    print("SHEET\t" + name)
sheet = book.worksheets[0]
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        value = repr(cell.value) if isinstance(cell.value, float) else str(cell.value)
        print("CELL\t%s\t%s\t%s\t%s" % (cell.coordinate, cell.data_type, value, cell.number_format))
def colour(c):
    return c.rgb[-6:] if c is not None and isinstance(c.rgb, str) else "-"
for cf in sheet.conditional_formatting:
    for rule in cf.rules:
        fill = rule.dxf.fill
        fill_colour = "-"
        if fill is not None:
            fill_colour = colour(fill.bgColor) if colour(fill.bgColor) not in ("-", "000000") else colour(fill.fgColor)
        font = colour(rule.dxf.font.color) if rule.dxf.font is not None else "-"
        print("RULE\t%s\t%s\t%s\t%s\t%s\t%s" % (str(cf.sqref), rule.type, rule.operator or "-",
              ";".join(rule.formula), fill_colour, font))
)PY";

struct ReadBack {
    std::vector<std::string> sheets;
    std::map<std::string, std::vector<std::string>> cells;  // coordinate -> type, value, format
    std::vector<std::string> rules;  // "range type operator formula fill font"
};

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

ReadBack Read(const fs::path& folder, const std::string& workbook) {
    const fs::path script = folder / "read.py";
    std::ofstream(script) << kReaderScript;
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string command = python + " '" + script.string() + "' '" + workbook + "' 2>&1";
    ReadBack back;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return back;
    }
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0) << output;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f = Split(line);
        if (f.size() == 2 && f[0] == "SHEET") {
            back.sheets.push_back(f[1]);
        } else if (f.size() == 5 && f[0] == "CELL") {
            back.cells[f[1]] = {f[2], f[3], f[4]};
        } else if (f.size() == 7 && f[0] == "RULE") {
            back.rules.push_back(f[1] + " " + f[2] + " " + f[3] + " " + f[4] + " " + f[5] + " " +
                                 f[6]);
        } else {
            ADD_FAILURE() << "unexpected reader output: " << line;
        }
    }
    return back;
}

ItemRow Item(const std::string& sid, const std::string& id, const std::string& title, double price,
             int sold, int stock, int reviews, int views) {
    ItemRow item;
    item.sid = sid;
    item.ItemID = id;
    item.title = title;
    item.price = price;
    item.sellcount = sold;
    item.SellAmount = sold * price;
    item.allow_quantity = stock;
    item.Commentcount = reviews;
    item.pv = views;
    return item;
}

class ComparisonExportTest : public ::testing::Test {
protected:
    ComparisonExportTest() {
        ShopRow older;
        older.SID = "1";
        older.OwnerID = "9";
        older.AddTime = DateTime::FromParts({2026, 3, 1, 9, 0, 0, 0});
        ShopRow newer = older;
        newer.SID = "2";
        newer.AddTime = DateTime::FromParts({2026, 3, 2, 9, 0, 0, 0});
        store.AppendItem(Item("1", "100", "降价的裙子", 128.0, 10, 50, 3, 400));
        store.AppendItem(Item("1", "200", "涨价的衬衫", 39.9, 4, 20, 1, 90));
        store.AppendItem(Item("1", "300", "下架的裤子", 99.0, 2, 7, 0, 30));
        store.AppendItem(Item("1", "400", "没变的T恤", 29.0, 1, 9, 0, 10));
        store.AppendItem(Item("2", "500", "=新上架, \"限量\"", 59.5, 0, 100, 0, 5));
        ItemRow sold = Item("2", "100", "降价的裙子", 115.2, 13, 46, 5, 520);
        sold.BuyerCount = 1;  // as a run stores it: the count and time of its deal records
        sold.lastSell = DateTime::FromParts({2026, 3, 1, 15, 0, 0, 0});
        store.AppendItem(sold);
        store.AppendItem(Item("2", "200", "涨价的衬衫", 44.9, 4, 20, 1, 90));
        store.AppendItem(Item("2", "400", "没变的T恤", 29.0, 1, 9, 0, 10));
        BuyerRow deal;
        deal.sid = "2";
        deal.itemid = "100";
        deal.amount = 3;
        deal.buytime = DateTime::FromParts({2026, 3, 1, 15, 0, 0, 0});
        store.AppendBuyer(deal);
        comparison = CompareRuns(store, older, newer);
    }
    ~ComparisonExportTest() override { fs::remove_all(folder); }

    TempDatabase temp;
    Store store{Database::Open(temp.Path())};
    RunComparison comparison;
    fs::path folder = TempDatabase::MakeTempFolder();
};

TEST_F(ComparisonExportTest, WorkbookHoldsOneSheetOfTypedFiguresAndColourRules) {
    const std::string path = (folder / "对比.xlsx").string();
    ExportComparisonToXlsx(comparison.items, path);
    ReadBack back = Read(folder, path);

    EXPECT_EQ(back.sheets, (std::vector<std::string>{"对比"}));
    const std::vector<std::string> captions = ComparisonCaptions();
    ASSERT_EQ(captions.size(), 16u);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const std::string cell = std::string(1, static_cast<char>('A' + i)) + "1";
        EXPECT_EQ(back.cells[cell][1], captions[i]) << cell;
    }
    using Cell = std::vector<std::string>;
    // Row 2: the new item, first as in the newer run; its older figures and changes are empty.
    EXPECT_EQ(back.cells["A2"], (Cell{"s", "新上架", "General"}));
    EXPECT_EQ(back.cells["B2"], (Cell{"s", "500", "General"}));
    EXPECT_EQ(back.cells["C2"], (Cell{"s", "=新上架, \"限量\"", "General"}));
    EXPECT_EQ(back.cells.count("D2"), 0u);
    EXPECT_EQ(back.cells["E2"], (Cell{"n", "59.5", "0.00"}));
    EXPECT_EQ(back.cells.count("F2"), 0u);
    EXPECT_EQ(back.cells["K2"], (Cell{"n", "100", "0"}));
    EXPECT_EQ(back.cells.count("L2"), 0u);
    EXPECT_EQ(back.cells["O2"], (Cell{"n", "0", "0"}));
    // Row 3: the price cut, with every change as a signed number.
    EXPECT_EQ(back.cells["A3"], (Cell{"s", "有变化", "General"}));
    EXPECT_EQ(back.cells["D3"], (Cell{"n", "128", "0.00"}));
    EXPECT_EQ(back.cells["E3"], (Cell{"n", "115.2", "0.00"}));
    EXPECT_EQ(back.cells["F3"], (Cell{"n", "-12.8", "+0.00;-0.00;0.00"}));
    EXPECT_EQ(back.cells["G3"], (Cell{"n", "10", "0"}));
    EXPECT_EQ(back.cells["H3"], (Cell{"n", "13", "0"}));
    EXPECT_EQ(back.cells["I3"], (Cell{"n", "3", "+0;-0;0"}));
    EXPECT_EQ(back.cells["J3"], (Cell{"n", "50", "0"}));
    EXPECT_EQ(back.cells["K3"], (Cell{"n", "46", "0"}));
    EXPECT_EQ(back.cells["L3"], (Cell{"n", "4", "0"}));
    EXPECT_EQ(back.cells["M3"], (Cell{"n", "2", "+0;-0;0"}));
    EXPECT_EQ(back.cells["N3"], (Cell{"n", "120", "+0;-0;0"}));
    EXPECT_EQ(back.cells["O3"], (Cell{"n", "1", "0"}));
    EXPECT_EQ(back.cells["P3"], (Cell{"n", "3", "0"}));
    // Row 4: the rise; row 5 unchanged; row 6 the removed item, without newer figures.
    EXPECT_EQ(back.cells["F4"], (Cell{"n", "5", "+0.00;-0.00;0.00"}));
    EXPECT_EQ(back.cells["A5"], (Cell{"s", "无变化", "General"}));
    EXPECT_EQ(back.cells["F5"], (Cell{"n", "0", "+0.00;-0.00;0.00"}));
    EXPECT_EQ(back.cells["A6"], (Cell{"s", "已下架", "General"}));
    EXPECT_EQ(back.cells["D6"], (Cell{"n", "99", "0.00"}));
    EXPECT_EQ(back.cells.count("E6"), 0u);
    EXPECT_EQ(back.cells.count("F6"), 0u);
    EXPECT_EQ(back.cells.count("O6"), 0u);
    EXPECT_EQ(back.cells.count("A7"), 0u);

    EXPECT_EQ(back.rules, (std::vector<std::string>{
                              "A2:P6 expression - $A2=\"已下架\" - 808080",
                              "A2:P6 expression - $A2=\"新上架\" DDEBF7 -",
                              "F2:F6 cellIs lessThan 0 C6EFCE 006100",
                              "F2:F6 cellIs greaterThan 0 FFC7CE 9C0006",
                          }));
}

TEST_F(ComparisonExportTest, AnEmptyComparisonGivesTheCaptionsAndNoRules) {
    const std::string path = (folder / "empty.xlsx").string();
    ExportComparisonToXlsx({}, path);
    ReadBack back = Read(folder, path);
    EXPECT_EQ(back.cells.size(), 16u);
    EXPECT_EQ(back.cells["A1"][1], "状态");
    EXPECT_TRUE(back.rules.empty());
}

TEST_F(ComparisonExportTest, CsvQuotesWhatNeedsItAndKeepsFormulasText) {
    const std::vector<ItemComparison> changed = comparison.ChangedItems();
    ASSERT_EQ(changed.size(), 4u);
    const std::string csv = ComparisonCsv({changed[0], changed[1], changed[3]});
    const std::string expected =
        "\xEF\xBB\xBF"
        "状态,宝贝ID,宝贝名称,原价格,现价格,价格变化,原30天售,现30天售,销量变化,原库存,现库存,"
        "库存推算销量,评论数变化,浏览量变化,新成交笔数,新成交件数\r\n"
        "新上架,500,\"'=新上架, \"\"限量\"\"\",,59.50,,,0,,,100,,,,0,0\r\n"
        "有变化,100,降价的裙子,128.00,115.20,-12.80,10,13,3,50,46,4,2,120,1,3\r\n"
        "已下架,300,下架的裤子,99.00,,,2,,,7,,,,,,\r\n";
    EXPECT_EQ(csv, expected);

    const std::string path = (folder / "对比.csv").string();
    WriteComparisonCsv({changed[0], changed[1], changed[3]}, path);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
}

TEST_F(ComparisonExportTest, FilesThatCannotBeWrittenFailWithTheirPath) {
    const std::string missing = (folder / "no-such-folder" / "x").string();
    EXPECT_THROW(ExportComparisonToXlsx(comparison.items, missing + ".xlsx"), ExportError);
    try {
        WriteComparisonCsv(comparison.items, missing + ".csv");
        FAIL() << "no error";
    } catch (const ExportError& error) {
        EXPECT_NE(std::string(error.what()).find(missing + ".csv"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(missing + ".xlsx"));
}

}  // namespace
}  // namespace tarnwick::test
