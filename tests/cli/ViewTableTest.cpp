#include "ViewTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <sstream>

#include "CliSupport.h"

namespace tarnwick::test {
namespace {

using cli::ViewTable;
using nlohmann::json;

// Texts that trip a writer: every CSV special, JSON's escapes, control characters, a lone
// continuation byte, a cut-off sequence, an overlong form and a surrogate.
ViewTable Awkward() {
    ViewTable table({{"text", "文本"}, {"count", "数"}, {"money", "钱"}, {"time", "时间"}});
    table.AddRow({std::string("a,b"), std::int64_t{-3}, 0.1, DateTime()});
    table.AddRow({std::string("say \"hi\"\r\nnext line"), std::int64_t{9007199254740993}, 1e21,
                  DateTime::FromParts({2026, 3, 1, 9, 5, 7, 250})});
    table.AddRow({std::string(" 韩版,\t修身\\ "), std::monostate(),
                  std::numeric_limits<double>::quiet_NaN(), DateTime(1e9)});
    table.AddRow({std::string("bad \x80 \xE4\xB8 \xC0\xAF \xED\xA0\x80 \x01\x1F end\xE4"),
                  std::int64_t{0}, -0.0, DateTime::FromParts({1899, 12, 30, 0, 0, 1, 0})});
    return table;
}

TEST(ViewTableTest, CsvReadsBackFieldForFieldWithCrLfLineEnds) {
    std::ostringstream out;
    Awkward().PrintCsv(out, false);
    const std::string csv = out.str();
    EXPECT_EQ(csv.rfind("text,count,money,time\r\n", 0), 0u);
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");

    const json rows = CsvRows(csv);
    const json expected = {
        {"text", "count", "money", "time"},
        {"a,b", "-3", "0.1", ""},
        {"say \"hi\"\r\nnext line", "9007199254740993", "1e+21", "2026-03-01T09:05:07.250"},
        {" 韩版,\t修身\\ ", "", "", ""},
        {"bad \uFFFD \uFFFD\uFFFD \uFFFD\uFFFD \uFFFD\uFFFD\uFFFD \x01\x1F end\uFFFD", "0", "-0",
         "1899-12-30T00:00:01.000"},
    };
    EXPECT_EQ(rows, expected);
}

TEST(ViewTableTest, JsonIsOneArrayOfObjectsThatAStrictParserAccepts) {
    std::ostringstream out;
    Awkward().PrintJson(out);
    // nlohmann refuses invalid UTF-8 and raw control characters, as a strict reader should.
    const json rows = json::parse(out.str());
    ASSERT_TRUE(rows.is_array());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (json{{"text", "a,b"}, {"count", -3}, {"money", 0.1}, {"time", nullptr}}));
    EXPECT_EQ(rows[1]["text"], "say \"hi\"\r\nnext line");
    EXPECT_EQ(rows[1]["count"].get<std::int64_t>(), 9007199254740993);
    EXPECT_EQ(rows[1]["money"].get<double>(), 1e21);
    EXPECT_EQ(rows[1]["time"], "2026-03-01T09:05:07.250");
    // No number at all (NaN) and a time that names no moment are null, not text.
    EXPECT_EQ(rows[2], (json{{"text", " 韩版,\t修身\\ "},
                             {"count", nullptr},
                             {"money", nullptr},
                             {"time", nullptr}}));
    EXPECT_EQ(rows[3]["text"],
              "bad \uFFFD \uFFFD\uFFFD \uFFFD\uFFFD \uFFFD\uFFFD\uFFFD \x01\x1F end\uFFFD");
    EXPECT_EQ(rows[3]["money"].get<double>(), 0.0);

    std::ostringstream empty;
    ViewTable(std::vector<ViewTable::Column>{{"a", "A"}}).PrintJson(empty);
    EXPECT_EQ(json::parse(empty.str()), json::array());
}

TEST(ViewTableTest, NumbersReadBackExactly) {
    for (double value :
         {59.9, 0.1 + 0.2, 1.0 / 3.0, 123456789.125, 5e-324, 1.7976931348623157e308}) {
        const std::string text = cli::NumberText(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        EXPECT_EQ(text.find(','), std::string::npos) << text;
    }
    EXPECT_EQ(cli::NumberText(59.9), "59.9");
    EXPECT_EQ(cli::NumberText(30), "30");
}

TEST(ViewTableTest, TableShowsMoneyToTheCentAndTimesToTheSecond) {
    std::ostringstream out;
    ViewTable table({{"price", "价格"}, {"time", "时间"}, {"n", "数量"}});
    table.AddRow({59.9, DateTime::FromParts({2026, 3, 1, 9, 5, 7, 250}), std::int64_t{2}});
    table.PrintTable(out);
    EXPECT_EQ(out.str(), "价格   时间                 数量\n59.90  2026-03-01 09:05:07  2\n");
}

TEST(ViewTableTest, FormatNames) {
    EXPECT_EQ(cli::ParseOutputFormat("table"), cli::OutputFormat::Table);
    EXPECT_EQ(cli::ParseOutputFormat("csv"), cli::OutputFormat::Csv);
    EXPECT_EQ(cli::ParseOutputFormat("json"), cli::OutputFormat::Json);
    EXPECT_EQ(cli::ParseOutputFormat("CSV"), std::nullopt);
    EXPECT_EQ(cli::ParseOutputFormat(""), std::nullopt);
}

}  // namespace
}  // namespace tarnwick::test
