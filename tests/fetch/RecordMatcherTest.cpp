#include "fetch/RecordMatcher.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

// The record patterns exactly as the readers spell them.
constexpr std::string_view kListEntry = R"(\<li\>.*?\<\/li\>)";
constexpr std::string_view kDealRow = R"(<tr.*?<\/tr>)";
constexpr std::string_view kReview = R"(\{\"rateContent.*?\})";

std::vector<std::string> Walk(RecordMatcher& matcher) {
    std::vector<std::string> found;
    while (matcher.FindNext()) {
        found.push_back(matcher.MatchedText());
    }
    return found;
}

std::vector<std::string> Walk(std::string_view pattern, std::string subject) {
    RecordMatcher matcher;
    matcher.SetPattern(pattern);
    matcher.SetSubject(std::move(subject));
    return Walk(matcher);
}

struct WalkCase {
    std::string_view name;
    std::string_view pattern;
    std::string subject;
    std::vector<std::string> expected;
};

TEST(RecordMatcher, WalksMatchesInTextOrder) {
    const WalkCase cases[] = {
        {"a record may span line breaks",
         kListEntry,
         "<li>1</li>\n<li>2\n</li>",
         {"<li>1</li>", "<li>2\n</li>"}},
        {"lazy: each record ends at its first close",
         kListEntry,
         "<li>a</li><li>b</li>",
         {"<li>a</li>", "<li>b</li>"}},
        {"an unclosed record is not found", kListEntry, "<li>a</li><li>b", {"<li>a</li>"}},
        {"case-sensitive", kListEntry, "<LI>a</LI><li>b</li>", {"<li>b</li>"}},
        {"\\< and \\> are literal angle brackets, not word boundaries",
         R"(\<b\>)",
         "a b <b>",
         {"<b>"}},
        {"deal rows",
         kDealRow,
         "<tbody><tr class=\\\"x\\\"><td>1</td></tr>\r\n<tr><td>2</td></tr></tbody>",
         {"<tr class=\\\"x\\\"><td>1</td></tr>", "<tr><td>2</td></tr>"}},
        {"a review is cut at its first closing brace",
         kReview,
         R"({"rateContent":"好","id":1}, {"rateContent":"a}b","id":2})",
         {R"({"rateContent":"好","id":1})", R"({"rateContent":"a})"}},
        {"multiline anchors", "^x.$", "x1\nx2\nyx3", {"x1", "x2"}},
        {"byte mode: a dot is one byte", "<b>.</b>", "<b>中</b><b>z</b>", {"<b>z</b>"}},
        {"byte mode: a Chinese character is three dots", "<b>...</b>", "<b>中</b>", {"<b>中</b>"}},
        {"invalid UTF-8 in the subject is just bytes",
         kListEntry,
         "\xFF\xFE<li>\xC3</li>",
         {"<li>\xC3</li>"}},
        {"NUL bytes are part of the subject",
         kListEntry,
         std::string("<li>a\0b</li>", 12),
         {std::string("<li>a\0b</li>", 12)}},
        {"empty matches advance one byte and the end is tried too", "x*", "ab", {"", "", ""}},
        {"an empty match ahead of the search start is not found twice", "(?=b)", "abab", {"", ""}},
        {"an empty match right after a non-empty one", "a*", "aab", {"aa", "", ""}},
        {"the empty pattern on the empty subject matches once", "", "", {""}},
        {"no match in the empty subject", kListEntry, "", {}},
    };
    for (const WalkCase& c : cases) {
        EXPECT_EQ(Walk(c.pattern, c.subject), c.expected) << c.name;
    }
}

TEST(RecordMatcher, SetSubjectRestartsTheWalk) {
    RecordMatcher matcher;
    matcher.SetPattern(kListEntry);
    matcher.SetSubject("<li>1</li><li>2</li>");
    ASSERT_TRUE(matcher.FindNext());
    EXPECT_EQ(matcher.MatchedText(), "<li>1</li>");

    matcher.SetSubject("<li>3</li>");
    EXPECT_EQ(Walk(matcher), std::vector<std::string>{"<li>3</li>"});

    // The same subject again starts over as well.
    matcher.SetSubject("<li>3</li>");
    EXPECT_EQ(Walk(matcher), std::vector<std::string>{"<li>3</li>"});
}

TEST(RecordMatcher, PatternChangeGoesOnFromTheCurrentPosition) {
    RecordMatcher matcher;
    matcher.SetSubject("<tr>0</tr><li>1</li><tr>2</tr><li>3</li>");
    matcher.SetPattern(kListEntry);
    ASSERT_TRUE(matcher.FindNext());
    EXPECT_EQ(matcher.MatchedText(), "<li>1</li>");

    matcher.SetPattern(kDealRow);
    ASSERT_TRUE(matcher.FindNext());
    EXPECT_EQ(matcher.MatchedText(), "<tr>2</tr>");

    // Setting the pattern it already has must not disturb the walk.
    matcher.SetPattern(kDealRow);
    EXPECT_FALSE(matcher.FindNext());
}

TEST(RecordMatcher, BadPatternRaisesWithPcreMessageAndOffset) {
    RecordMatcher matcher;
    matcher.SetSubject("<li>1</li>");
    matcher.SetPattern("<li>(.*?");
    try {
        matcher.FindNext();
        FAIL() << "an unbalanced group compiled";
    } catch (const PatternError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("missing closing parenthesis"), std::string::npos) << message;
        EXPECT_NE(message.find("offset 8"), std::string::npos) << message;
    }
    // Still bad on the next try; a good pattern then works on the same subject.
    EXPECT_THROW(matcher.FindNext(), PatternError);
    matcher.SetPattern(kListEntry);
    EXPECT_EQ(Walk(matcher), std::vector<std::string>{"<li>1</li>"});
}

TEST(RecordMatcher, MovedMatcherCarriesOnTheWalk) {
    RecordMatcher first;
    first.SetPattern(kListEntry);
    first.SetSubject("<li>1</li><li>2</li>");
    ASSERT_TRUE(first.FindNext());
    RecordMatcher second(std::move(first));
    EXPECT_EQ(Walk(second), std::vector<std::string>{"<li>2</li>"});
}

TEST(RecordMatcherDeathTest, MatchedTextWithoutAMatchAsserts) {
    RecordMatcher matcher;
    matcher.SetPattern("x");
    matcher.SetSubject("a");
    EXPECT_FALSE(matcher.FindNext());
    EXPECT_DEBUG_DEATH(matcher.MatchedText(), "MatchedText");
}

struct LongPageCase {
    std::string_view pattern;
    std::string_view open;
    std::string_view close;
};

// Pages run to hundreds of kilobytes with thousands of records; the lazy patterns must walk
// all of them without PCRE2 giving up on a limit, including the unclosed tail a truncated page
// ends with.
TEST(RecordMatcher, WalksLongPagesWithThousandsOfRecords) {
    const LongPageCase cases[] = {
        {kListEntry, "<li>", "</li>"},
        {kDealRow, "<tr class=\\\"row\\\">", "</tr>"},
        {kReview, "{\"rateContent", "}"},
    };
    for (const LongPageCase& c : cases) {
        std::string page = "<html>\n";
        std::vector<std::string> records;
        for (int i = 0; page.size() < 500 * 1024; ++i) {
            std::string record(c.open);
            record += "record " + std::to_string(i) + "\n";
            record.append(static_cast<std::size_t>(40 + i % 200), 'x');
            record += c.close;
            page += record;
            page += "\n<p>between</p>\n";
            records.push_back(std::move(record));
        }
        ASSERT_GT(records.size(), 2000u);
        page += c.open;
        page.append(100 * 1024, 'y');

        const std::vector<std::string> found = Walk(c.pattern, page);
        ASSERT_EQ(found.size(), records.size()) << c.pattern;
        EXPECT_EQ(found, records) << c.pattern;
    }
}

TEST(RecordMatcher, MatchesOneRecordLongerThanAPage) {
    std::string record = "<li>";
    record.append(2 * 1024 * 1024, 'z');
    record += "</li>";
    EXPECT_EQ(Walk(kListEntry, "a" + record + "b"), std::vector<std::string>{record});
}

}  // namespace
}  // namespace tarnwick
