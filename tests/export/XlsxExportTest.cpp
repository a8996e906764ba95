#include "export/XlsxExport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

#include "MarketSim.h"
#include "acquire/AcquisitionController.h"
#include "acquire/EventLoop.h"
#include "acquire/RunObserver.h"
#include "base/Clock.h"
#include "export/ItemSheet.h"
#include "store/Store.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

// One non-empty cell as the reader sees it: openpyxl's data type ('b', 'n', 's', 'd') and
// the value as text (dates to the millisecond, "YYYY-MM-DD HH:MM:SS.mmm"; a backslash, line
// end or tab written as \\, \n, \t).
struct ReadCell {
    std::string type;
    std::string value;
    std::string numberFormat;
};

struct ReadWorkbook {
    std::vector<std::string> sheets;
    std::map<std::string, ReadCell> cells;  // by coordinate, "B3"
};

// The reader runs in Debian's own interpreter, which carries python3-openpyxl; a python3
// earlier on PATH (a developer's own) may not.
std::string Python() {
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

constexpr const char* kReaderScript = R"PY(
import sys, datetime, openpyxl
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
# A file object, because openpyxl refuses a file name without an xlsx extension.
book = openpyxl.load_workbook(open(sys.argv[1], "rb"))
for name in book.sheetnames:
    print("SHEET\t" + name)
sheet = book.worksheets[0]
for row in sheet.iter_rows():
    for cell in row:
        value = cell.value
        if value is None:
            continue
        if isinstance(value, datetime.datetime):
            ms = round((value - datetime.datetime(1899, 12, 30)).total_seconds() * 1000)
            value = datetime.datetime(1899, 12, 30) + datetime.timedelta(milliseconds=ms)
            text = value.strftime("%Y-%m-%d %H:%M:%S.") + "%03d" % (value.microsecond // 1000)
        elif isinstance(value, float):
            text = repr(value)
        else:
            text = str(value)
        print("CELL\t%s\t%s\t%s\t%s" % (cell.coordinate, cell.data_type, cell.number_format,
                                        text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")))
print("END")
)PY";

struct PipeCloser {
    void operator()(std::FILE* pipe) const { pclose(pipe); }
};

ReadWorkbook ReadBack(const std::string& path) {
    std::string command = "PYTHONIOENCODING=utf-8 " + Python() + " - " + ShellQuoted(path) +
                          " <<'PY'\n" + kReaderScript + "\nPY\n";
    std::unique_ptr<std::FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
    if (!pipe) {
        ADD_FAILURE() << "cannot start " << Python();
        return {};
    }
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) {
        output.append(buffer, n);
    }
    ReadWorkbook book;
    bool ended = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos;
             start = tab + 1) {
            fields.push_back(line.substr(start, tab - start));
        }
        fields.push_back(line.substr(start));
        if (fields[0] == "SHEET" && fields.size() == 2) {
            book.sheets.push_back(fields[1]);
        } else if (fields[0] == "CELL" && fields.size() == 5) {
            book.cells[fields[1]] = {fields[2], fields[4], fields[3]};
        } else if (fields[0] == "END") {
            ended = true;
        }
    }
    if (!ended) {
        ADD_FAILURE() << "openpyxl could not read " << path << ":\n" << output;
    }
    return book;
}

std::string ColumnLetter(std::size_t index) {
    return std::string(1, static_cast<char>('A' + index));
}

// The cells a caption row alone makes: C2..K2, B2 staying empty for the check column.
std::map<std::string, ReadCell> CaptionCells() {
    std::map<std::string, ReadCell> cells;
    auto captions = ItemListCaptions();
    for (std::size_t i = 1; i < captions.size(); ++i) {
        cells[ColumnLetter(i + 1) + "2"] = {"s", captions[i], "General"};
    }
    return cells;
}

// The whole set of non-empty cells, so that a stray value anywhere fails too.
void ExpectCells(const ReadWorkbook& book, const std::map<std::string, ReadCell>& expected) {
    EXPECT_EQ(book.sheets, std::vector<std::string>{"sheet1"});
    EXPECT_EQ(book.cells.size(), expected.size());
    for (const auto& [coordinate, cell] : expected) {
        auto found = book.cells.find(coordinate);
        if (found == book.cells.end()) {
            ADD_FAILURE() << coordinate << " is empty";
            continue;
        }
        EXPECT_EQ(found->second.type, cell.type) << coordinate;
        EXPECT_EQ(found->second.value, cell.value) << coordinate;
        EXPECT_EQ(found->second.numberFormat, cell.numberFormat) << coordinate;
    }
}

class XlsxExportTest : public ::testing::Test {
protected:
    XlsxExportTest() : m_folder(TempDatabase::MakeTempFolder()) {}
    ~XlsxExportTest() override { fs::remove_all(m_folder); }
    std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }

    fs::path m_folder;
};

TEST(ItemListColumnsTest, TenColumnsWithTheListsNamesCaptionsAndWidths) {
    struct Expect {
        std::string name, caption;
        int width;
    };
    const std::vector<Expect> expected = {
        {"cxCheck", "", 35},
        {"cxIndex", "序号", 51},
        {"cxTitle", "宝贝名称", 265},
        {"cxPrice", "价格", 69},
        {"cxSellCount", "30天售", 50},
        {"cxallow_quantity", "库存", 39},
        {"cxCommentCount", "评论数", 58},
        {"cxpv", "浏览量", 50},
        {"cxSellAmount", "销售总额", 78},
        {"cxDataTime", "读取数据时间", 155},
    };
    const auto& columns = ItemListColumns();
    ASSERT_EQ(columns.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(columns[i].name, expected[i].name) << i;
        EXPECT_EQ(columns[i].caption, expected[i].caption) << i;
        EXPECT_EQ(columns[i].width, expected[i].width) << i;
    }
}

// The process's C locale for as long as the object lives.
class ProcessLocale {
public:
    explicit ProcessLocale(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr)) {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ProcessLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

std::string Printed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

class XlsxLocaleTest : public XlsxExportTest, public ::testing::WithParamInterface<const char*> {};

// Every locale writes the same workbook: a decimal comma must never reach a number cell (the
// library prints numbers with printf, which follows the C locale).
TEST_P(XlsxLocaleTest, LayoutAndCellTypes) {
    ProcessLocale locale(GetParam());
    // scripts/install-deps generates de_DE.UTF-8.
    ASSERT_TRUE(locale.Active()) << "locale " << GetParam() << " is not installed";
    if (std::string(GetParam()) != "C") {
        ASSERT_EQ(Printed(1.5), "1,5") << "not a decimal-comma locale: nothing to prove";
    }
    const DateTime readAt = DateTime::FromParts({2012, 4, 5, 10, 20, 33, 250});
    std::vector<std::vector<SheetCell>> rows = {
        {true, 1.0, std::string("韩版<修身>&\"百搭\"衬衫"), 59.9, 30.0, 12.0, 4.0, 880.0, 1797.0,
         readAt},
        {false, 2.0, std::string("plain title"), 0.0, 0.0, -1.0, 0.0, 0.0, 0.0,
         DateTime::FromParts({2023, 12, 31, 23, 59, 59, 999})},
    };
    const std::string path = PathOf("items.xlsx");
    ExportItemListToXlsx(ItemListCaptions(), rows, path);

    std::map<std::string, ReadCell> expected = CaptionCells();
    auto put = [&](const std::string& cell, const std::string& type, const std::string& value,
                   const std::string& format = "General") {
        expected[cell] = {type, value, format};
    };
    const std::string dateFormat = "yyyy-mm-dd hh:mm:ss";
    put("B3", "b", "True");
    put("C3", "n", "1");
    put("D3", "s", "韩版<修身>&\"百搭\"衬衫");
    put("E3", "n", "59.9");
    put("F3", "n", "30");
    put("G3", "n", "12");
    put("H3", "n", "4");
    put("I3", "n", "880");
    put("J3", "n", "1797");
    put("K3", "d", "2012-04-05 10:20:33.250", dateFormat);
    put("B4", "b", "False");
    put("C4", "n", "2");
    put("D4", "s", "plain title");
    put("E4", "n", "0");
    put("F4", "n", "0");
    put("G4", "n", "-1");
    put("H4", "n", "0");
    put("I4", "n", "0");
    put("J4", "n", "0");
    put("K4", "d", "2023-12-31 23:59:59.999", dateFormat);

    // Row 1, column A and B2 hold nothing.
    ExpectCells(ReadBack(path), expected);
    // The export leaves the caller's locale as it found it.
    EXPECT_EQ(Printed(1.5), std::string(GetParam()) == "C" ? "1.5" : "1,5");
}

INSTANTIATE_TEST_SUITE_P(Locales, XlsxLocaleTest, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const auto& info) {
                             return std::string(info.param) == "C" ? std::string("C")
                                                                   : std::string("de_DE");
                         });

TEST_F(XlsxExportTest, EmptyListGivesOnlyTheCaptionRow) {
    const std::string path = PathOf("empty.xlsx");
    ExportItemListToXlsx(ItemListCaptions(), {}, path);
    ExpectCells(ReadBack(path), CaptionCells());
}

TEST_F(XlsxExportTest, PathIsUsedUnchangedAndAnOldFileIsReplaced) {
    const std::string path = PathOf("report");  // no extension: none is added
    ExportItemListToXlsx({"", "first"}, {{true, 1.0}, {true, 2.0}}, path);
    ExportItemListToXlsx({"", "second"}, {}, path);
    EXPECT_FALSE(fs::exists(path + ".xlsx"));
    ReadWorkbook book = ReadBack(path);
    ASSERT_EQ(book.cells.size(), 1u);
    EXPECT_EQ(book.cells["C2"].value, "second");
}

// Numbers the format has no form for are left out; every text reads back as stored, whatever
// the page put in it, and the file stays readable.
TEST_F(XlsxExportTest, EveryTextReadsBackAsStoredAndOddNumbersAreLeftOut) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        SheetCell value;
        std::string shown;  // empty: no cell
    };
    const std::vector<Case> cases = {
        {inf, ""},
        {-inf, ""},
        {nan, ""},
        {DateTime(nan), ""},
        {5.0, "5"},
        {std::string("ctl\x01\x0b"
                     "x\x1fy"),
         "ctl\x01\x0b"
         "x\x1fy"},
        {std::string("a\tb\nc"), "a\\tb\\nc"},  // as the reader prints them
        {std::string("cr\r\nlf"), "cr\r\\nlf"},
        {std::string("nul\0in", 6), std::string("nul\0in", 6)},
        {std::string("bad\xEF\xBF\xBE\xEF\xBF\xBF"
                     "end \xEF\xBF\xBD"),
         "bad\xEF\xBF\xBE\xEF\xBF\xBF"
         "end \xEF\xBF\xBD"},
        {std::string("\x02\x03"), "\x02\x03"},
        // A text that looks like the format's own escape stays that text.
        {std::string("_x000D_"), "_x000D_"},
        {std::string("a_x0041_b_X00e9_c_x005F_"), "a_x0041_b_X00e9_c_x005F_"},
        {std::string("_x00_ _xZZZZ_"), "_x00_ _xZZZZ_"},
        // ... also where the escape of the next character would supply the closing "_".
        {std::string("_x0041\x01z _x0aAA\0", 16), std::string("_x0041\x01z _x0aAA\0", 16)},
        // Bytes that are not UTF-8 would make the shared strings malformed XML.
        {std::string("gbk \xC1\xAC\xD2\xC2 \xff"),
         "gbk \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD"},
    };
    std::vector<std::vector<SheetCell>> rows;
    for (const Case& c : cases) {
        rows.push_back({true, c.value});
    }
    const std::string path = PathOf("odd.xlsx");
    EXPECT_EQ(ExportItemListToXlsx({}, rows, path), 0u);
    ReadWorkbook book = ReadBack(path);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string row = std::to_string(i + 3);
        EXPECT_EQ(book.cells.count("B" + row), 1u) << row;
        auto found = book.cells.find("C" + row);
        EXPECT_EQ(found == book.cells.end() ? "" : found->second.value, cases[i].shown) << row;
    }
}

// Excel holds at most 32767 characters in a cell: a longer title or review is cut to the
// limit, ending in "…", rather than failing the whole workbook.
TEST_F(XlsxExportTest, TextsPastTheCellLimitAreCutAndCounted) {
    const std::string han = "衣";  // one character, three bytes
    struct Case {
        std::string text;
        std::size_t characters;  // read back
        bool cut;
    };
    const std::vector<Case> cases = {
        {std::string(40000, 'x'), 32767, true},
        {std::string(32767, 'x'), 32767, false},
        {std::string(32768, 'x'), 32767, true},
        {[&] {
             std::string text;
             for (int i = 0; i < 40000; ++i) {
                 text += han;
             }
             return text;
         }(),
         32767, true},
        // The escape of a lookalike counts against the limit: seven characters for its "_".
        {std::string(32760, 'x') + "_x000D_", 32760 + 1, true},
    };
    std::vector<std::vector<SheetCell>> rows;
    for (const Case& c : cases) {
        rows.push_back({true, c.text});
    }
    const std::string path = PathOf("long.xlsx");
    EXPECT_EQ(ExportItemListToXlsx({}, rows, path), 3u + 1u);
    ReadWorkbook book = ReadBack(path);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string value = book.cells["C" + std::to_string(i + 3)].value;
        std::size_t characters = 0;
        for (unsigned char c : value) {
            characters += (c & 0xC0) != 0x80 ? 1 : 0;
        }
        EXPECT_EQ(characters, cases[i].characters);
        const std::string ellipsis = "…";
        const bool endsCut =
            value.size() >= ellipsis.size() &&
            value.compare(value.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
        EXPECT_EQ(endsCut, cases[i].cut);
        EXPECT_EQ(value.substr(0, 30), cases[i].text.substr(0, 30));
    }
}

TEST_F(XlsxExportTest, FileThatCannotBeWrittenRaisesExportErrorNamingThePath) {
    const std::string plainFile = PathOf("plain");
    std::ofstream(plainFile) << "x";
    struct Case {
        std::string what;
        std::string path;
        int reason;
    };
    const std::vector<Case> cases = {
        {"missing folder", PathOf("no-such-folder/items.xlsx"), ENOENT},
        {"a file where a folder should be", plainFile + "/items.xlsx", ENOTDIR},
        {"a folder where the file should be", m_folder.string(), EISDIR},
        {"empty path", "", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ExportItemListToXlsx(ItemListCaptions(), {{true, 1.0, std::string("t")}}, c.path);
            ADD_FAILURE() << "no ExportError";
        } catch (const ExportError& error) {
            std::string message = error.what();
            EXPECT_NE(message.find("\"" + c.path + "\""), std::string::npos) << message;
            EXPECT_NE(message.find(std::strerror(c.reason)), std::string::npos) << message;
        }
    }
}

TEST_F(XlsxExportTest, AFailedExportLeavesTheOldFileAsItWas) {
    const std::string path = PathOf("items.xlsx");
    std::ofstream(path) << "old";
    // The library refuses a sheet name of more than 31 characters, after the first sheet is full.
    const ExtraSheet refused{std::string(40, 'n'), {"a"}, {{std::string("b")}}};
    EXPECT_THROW(
        ExportItemListToXlsx(ItemListCaptions(), {{true, 1.0, std::string("t")}}, path, {refused}),
        ExportError);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

// ---- A shop analysed against the sample marketplace, exported as the list shows it ----

class CompletionObserver : public RunObserver {
public:
    void LogLineAdded(const std::string&) override {}
    void LogCleared() override {}
    void RunningChanged(bool) override {}
    void RunCompleted() override { completed = true; }
    bool completed = false;
};

TEST_F(XlsxExportTest, AnalysedShopExportsEveryStoredItemCellByCell) {
    TempDatabase database;
    MarketFixture market;
    marketsim::Shop shop = marketsim::DemoShop(3);
    market.Sim().AddShop(shop);

    std::string runId;
    {
        EventLoop loop;
        CompletionObserver observer;
        AcquisitionController controller(loop, observer, StoreSource::File(database.Path()),
                                         market.GetEndpoints(), SystemClock::Instance());
        controller.Reset();
        ASSERT_EQ(controller.Start(shop.nick, 6), AcquisitionController::StartResult::Started);
        auto run = controller.CurrentRun();
        ASSERT_TRUE(loop.RunUntil([&] { return observer.completed && !run->ReaderRunning(); },
                                  std::chrono::seconds(120)));
        runId = run->RunId();
    }

    Store store(Database::Open(database.Path()));
    std::vector<ItemRow> items = store.ReadItems(runId);
    ASSERT_EQ(items.size(), shop.items.size());

    std::vector<std::vector<SheetCell>> rows;
    for (std::size_t i = 0; i < items.size(); ++i) {
        rows.push_back(ItemSheetRow(items[i], static_cast<int>(i + 1), i % 3 != 0));
    }
    const std::string path = PathOf("shop.xlsx");
    ExportItemListToXlsx(ItemListCaptions(), rows, path);
    ReadWorkbook book = ReadBack(path);

    // Each list value in its own typed cell, every row complete.
    auto cellAt = [&](const std::string& coordinate) {
        auto found = book.cells.find(coordinate);
        return found == book.cells.end() ? ReadCell{"missing", "", ""} : found->second;
    };
    auto expectNumber = [&](const std::string& coordinate, double value) {
        ReadCell cell = cellAt(coordinate);
        ASSERT_EQ(cell.type, "n") << coordinate;
        EXPECT_DOUBLE_EQ(std::stod(cell.value), value) << coordinate;
    };
    std::size_t cellsExpected = CaptionCells().size();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ItemRow& item = items[i];
        const std::string row = std::to_string(i + 3);
        SCOPED_TRACE(item.ItemID);
        EXPECT_EQ(cellAt("B" + row).type, "b");
        EXPECT_EQ(cellAt("B" + row).value, i % 3 != 0 ? "True" : "False");
        expectNumber("C" + row, static_cast<double>(i + 1));
        ASSERT_FALSE(item.title.empty());
        EXPECT_EQ(cellAt("D" + row).type, "s");
        EXPECT_EQ(cellAt("D" + row).value, item.title);
        expectNumber("E" + row, item.price);
        expectNumber("F" + row, item.sellcount);
        expectNumber("G" + row, item.allow_quantity);
        expectNumber("H" + row, item.Commentcount);
        expectNumber("I" + row, item.pv);
        expectNumber("J" + row, item.SellAmount);
        EXPECT_EQ(cellAt("K" + row).type, "d");
        EXPECT_EQ(cellAt("K" + row).value, item.UpdateTime.ToText());
        cellsExpected += 10;
    }
    EXPECT_EQ(book.cells.size(), cellsExpected);
}

}  // namespace
}  // namespace tarnwick::test
