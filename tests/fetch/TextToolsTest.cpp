#include "fetch/TextTools.h"

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct BetweenCase {
    std::string_view name;
    std::string_view text;
    std::string_view start;
    std::string_view end;
    std::string_view expected;
};

TEST(TextBetween, CutsBetweenTheFirstStartAndTheNextEnd) {
    const BetweenCase cases[] = {
        {"case ignored, text case kept", "x<B>Abc</b>y", "<b>", "</B>", "Abc"},
        {"first start marker counts", "[1]a[/1][1]b[/1]", "[1]", "[/1]", "a"},
        {"end before start is passed over", "</b>..<b>v</b>", "<b>", "</b>", "v"},
        {"no end after the value", "ownerid=123", "ownerid=", "&", ""},
        {"no end after start, one before", "&ownerid=123", "ownerid=", "&", ""},
        {"start marker missing", "abc</b>", "<b>", "</b>", ""},
        {"empty start marker", "abc", "", "c", ""},
        {"empty end marker", "abc", "a", "", ""},
        {"both markers empty", "abc", "", "", ""},
        {"adjacent markers", "<a></a>", "<a>", "</a>", ""},
        {"empty text", "", "<a>", "</a>", ""},
        {"end searched from the value, not inside the start marker", "a=b=c", "a=", "=", "b"},
        {"end marker shares bytes with the start marker", "<<<x>", "<<", "<", ""},
        {"nothing is trimmed", "<b> x </b>", "<b>", "</b>", " x "},
        {"Chinese between ASCII markers", "title=\"连衣裙 夏\"", "title=\"", "\"", "连衣裙 夏"},
        {"Chinese markers", "价格：12.5元", "价格：", "元", "12.5"},
        {"all-letter markers", "xxABCvalueDEFyy", "abc", "def", "value"},
        {"marker at the very end has nothing after it", "ab<b>", "<b>", "<", ""},
        {"end marker at the very end", "<b>v</b>", "<b>", "</b>", "v"},
        {"marker longer than the text", "<b", "<b>", ">", ""},
        {"partial marker at the end", "v<b>x</", "<b>", "</b>", ""},
        {"letters A-Z only fold: '{' is not '['", "[x]{y}", "{", "}", "y"},
        {"'[' does not find '{'", "{y}", "[", "}", ""},
        {"'@' and '`' stay apart", "@a`b`", "`", "`", "b"},
        {"only the end is searched from the value", "ab|cd|", "ab", "|", ""},
    };
    for (const BetweenCase& c : cases) {
        EXPECT_EQ(TextBetween(c.text, c.start, c.end), c.expected) << c.name;
    }
}

TEST(TextBetween, FindsMarkersHoldingBackslashQuotes) {
    // Deal-record answers are a script string: every quotation mark of the HTML carries a
    // backslash in front of it, and so do the markers.
    const std::string marker = "<td class=\\\"tb-buyer\\\">";
    ASSERT_EQ(marker.size(), 23u);
    const std::string row =
        "<tr><td class=\\\"tb-buyer\\\"><a href=\\\"x\\\">买家A</a></td>"
        "<td class=\\\"tb-price\\\">12.50</td></tr>";
    const std::string cell = TextBetween(row, marker, "</td>");
    EXPECT_EQ(cell, "<a href=\\\"x\\\">买家A</a>");
    EXPECT_EQ(TextBetween(cell, "\">", "</a>"), "买家A");
    EXPECT_EQ(TextBetween(row, "<td class=\\\"tb-price\\\">", "</td>"), "12.50");
    EXPECT_EQ(TextBetween(row, "gif\\\" title=\\\"", "\\\""), "");
}

TEST(TextBetween, FoldingNeverTouchesMultiByteCharacters) {
    // U+00E9 and U+00C9 differ only in a byte above 0x7F, which is never folded.
    EXPECT_EQ(TextBetween("\xC3\xA9x\xC3\x89", "\xC3\x89", "\xC3\xA9"), "");
    EXPECT_EQ(TextBetween("\xC3\x89x\xC3\xA9", "\xC3\x89", "\xC3\xA9"), "x");
}

// The plain definition: fold copies of everything and search them.
std::string ReferenceTextBetween(const std::string& text, const std::string& start,
                                 const std::string& end) {
    if (start.empty() || end.empty()) {
        return {};
    }
    const auto fold = [](std::string s) {
        for (char& c : s) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 32);
            }
        }
        return s;
    };
    const std::string folded = fold(text);
    const std::size_t s = folded.find(fold(start));
    if (s == std::string::npos) {
        return {};
    }
    const std::size_t valueStart = s + start.size();
    const std::size_t e = folded.find(fold(end), valueStart);
    if (e == std::string::npos) {
        return {};
    }
    return text.substr(valueStart, e - valueStart);
}

TEST(TextBetween, AgreesWithFoldedCopySearchOnRandomTexts) {
    // A small alphabet makes partial matches, overlaps and matches at the very edges common.
    const std::string alphabet = "aAbB<>=\xE4";
    std::mt19937 random(20240601);
    const auto randomText = [&](std::size_t maxLength) {
        std::uniform_int_distribution<std::size_t> length(0, maxLength);
        std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
        std::string s(length(random), ' ');
        for (char& c : s) {
            c = alphabet[letter(random)];
        }
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string text = randomText(24);
        const std::string start = randomText(3);
        const std::string end = randomText(3);
        ASSERT_EQ(TextBetween(text, start, end), ReferenceTextBetween(text, start, end))
            << "text \"" << text << "\" start \"" << start << "\" end \"" << end << '"';
    }
}

struct ReplaceCase {
    std::string_view text;
    std::string_view from;
    std::string_view to;
    std::string_view expected;
};

TEST(ReplaceAll, ReplacesEveryExactOccurrence) {
    const ReplaceCase cases[] = {
        {"a?showContent=1&x=showContent=1", "showContent=1",
         "showContent=", "a?showContent=&x=showContent="},
        {"ismore=0", "ISMORE=0", "ismore=1", "ismore=0"},
        {"currentPage=1&b", "currentPage=1", "currentPage=12", "currentPage=12&b"},
        {"aaa", "aa", "X", "Xa"},
        {"aa", "a", "aa", "aaaa"},
        {"abc", "b", "", "ac"},
        {"abc", "", "X", "abc"},
        {"", "a", "X", ""},
        {"中文中", "中", "X", "X文X"},
    };
    for (const ReplaceCase& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.expected)
            << '"' << c.text << "\" \"" << c.from << "\" -> \"" << c.to << '"';
    }
}

struct WholeCase {
    std::string_view text;
    std::int32_t expected;
};

TEST(WholeNumber, ReadsADecimalInt32OrGivesZero) {
    const WholeCase cases[] = {
        {"0", 0},
        {"25", 25},
        {"007", 7},
        {"+12", 12},
        {"-12", -12},
        {" 7", 7},
        {"\t\r\n 1234", 1234},
        {"2147483647", std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", 0},
        {"-2147483649", 0},
        {"99999999999999999999", 0},
        {"000000000000002147483647", std::numeric_limits<std::int32_t>::max()},
        {"", 0},
        {"   ", 0},
        {"+", 0},
        {"-", 0},
        {"12abc", 0},
        {"12 ", 0},
        {"1.5", 0},
        {"1e3", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"0x1F", 0},
        {"$1F", 0},
        {"１２", 0},  // full-width digits are not decimal digits here
    };
    for (const WholeCase& c : cases) {
        EXPECT_EQ(WholeNumber(c.text), c.expected) << '"' << c.text << '"';
    }
}

struct NumberCase {
    std::string_view text;
    double expected;
};

TEST(Number, ReadsADecimalWithPointOrGivesZero) {
    // ".5" and "5." are read as numbers: a price field may drop either side of the point.
    const NumberCase cases[] = {
        {"12.5", 12.5},   {"0.01", 0.01},    {"35", 35.0},
        {"-3.25", -3.25}, {"+3.25", 3.25},   {"  \t99.00", 99.0},
        {".5", 0.5},      {"5.", 5.0},       {"-.5", -0.5},
        {"1e3", 1000.0},  {"1.5E-2", 0.015}, {"2e+2", 200.0},
        {"", 0},          {" ", 0},          {".", 0},
        {"-", 0},         {"+.", 0},         {"1e", 0},
        {"1e+", 0},       {"e5", 0},         {"12.5 ", 0},
        {"12,5", 0},      {"1.2.3", 0},      {"12abc", 0},
        {"inf", 0},       {"-infinity", 0},  {"nan", 0},
        {"0x1p3", 0},     {"1e999", 0},      {"--1", 0},
    };
    for (const NumberCase& c : cases) {
        EXPECT_DOUBLE_EQ(Number(c.text), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace tarnwick
