#include "export/CsvWriter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarnwick::test {
namespace {

TEST(CsvWriterTest, TextThatASpreadsheetWouldRunStaysText) {
    struct Case {
        std::string text;
        std::string field;
    };
    const Case cases[] = {
        {"=HYPERLINK(\"http://x/?q=1\",\"click\")",
         "\"'=HYPERLINK(\"\"http://x/?q=1\"\",\"\"click\"\")\""},
        {"=cmd|'/Ccalc'!A0", "'=cmd|'/Ccalc'!A0"},
        {"+1", "'+1"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        // Only the first character counts; the rest of a text is the text's own.
        {"a=1", "a=1"},
        {" =1", " =1"},
        {"'already", "'already"},
        {"", ""},
        {"连衣裙, 2012新款", "\"连衣裙, 2012新款\""},
        {"line\nend", "\"line\nend\""},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        CsvWriter csv(out);
        csv.Text(c.text);
        EXPECT_EQ(out.str(), c.field) << c.text;
    }
}

TEST(CsvWriterTest, NumbersStayNumbersAndRecordsEndInCrLf) {
    std::ostringstream out;
    CsvWriter csv(out);
    csv.ByteOrderMark();
    csv.TextRecord({"title", "price_change"});
    csv.Text("-5% off");
    csv.Number("-15.40");
    csv.EndRecord();
    csv.Empty();
    csv.Number("+3");
    csv.EndRecord();
    EXPECT_EQ(out.str(), "\xEF\xBB\xBFtitle,price_change\r\n'-5% off,-15.40\r\n,+3\r\n");
}

}  // namespace
}  // namespace tarnwick::test
