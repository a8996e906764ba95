#include "base/Text.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct TrimCase {
    std::string_view text;
    std::string_view expected;
};

TEST(Trim, RemovesOnlyBytesBelow33AtBothEnds) {
    const TrimCase cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"  x  ", "x"},
        {"\x01\x1Fx y\x20", "x y"},
        {"a \t b", "a \t b"},
        // 0x7F and the bytes of a UTF-8 no-break space are not blanks by this rule.
        {"\x7Fx\x7F", "\x7Fx\x7F"},
        {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},
        {"\n中文\n", "中文"},
        {std::string_view("\0x\0", 3), "x"},
    };
    for (const TrimCase& c : cases) {
        EXPECT_EQ(Trim(c.text), c.expected) << "text: \"" << c.text << '"';
    }
}

struct CaseBlindCase {
    std::string_view a;
    std::string_view b;
    bool equal;
    bool prefix;  // b begins a
};

// Column names, header names and address schemes all compare this way; only A to Z fold, so
// the bytes of a multi-byte character never match another character's.
TEST(CaseBlind, FoldsOnlyAsciiLetters) {
    const CaseBlindCase cases[] = {
        {"", "", true, true},
        {"Commentcount", "commentCount", true, true},
        {"HTTP://a", "http://", false, true},
        {"http:", "http://", false, false},
        {"a", "", false, true},
        {"[", "{", false, false},  // 0x5B and 0x7B differ by 32 but are not letters
        {"@", "`", false, false},
        {"Ã", "Ã ", false, false},  // À and à stay apart
        {"Ä", "Ä ", false, false},
        {"中文ABC", "中文abc", true, true},
    };
    for (const CaseBlindCase& c : cases) {
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " = " << c.b;
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.b, c.a), c.equal) << c.b << " = " << c.a;
        EXPECT_EQ(StartsWithIgnoringAsciiCase(c.a, c.b), c.prefix) << c.a << " starts " << c.b;
    }
    EXPECT_EQ(AsciiLower("Login.TAOBAO.com/?A=ZÃ"), "login.taobao.com/?a=zÃ");
}

}  // namespace
}  // namespace tarnwick
