#include "base/Utf8.h"

#include <cstdint>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct Utf8Case {
    std::string_view text;
    std::string repaired;  // what ValidUtf8 makes of it; the text itself when valid
};

TEST(Utf8, AcceptsOnlyWellFormedSequencesAndReplacesEachBadByte) {
    const std::string r(kReplacement);
    const Utf8Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"\xC2\x80\xDF\xBF", "\xC2\x80\xDF\xBF"},
        {"中文", "中文"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},  // U+10FFFF, the last code point
        {"a\x80z", "a" + r + "z"},                 // a stray continuation byte
        {"\xC0\xAF", r + r},                       // over-long "/"
        {"\xE0\x80\xAF", r + r + r},               // over-long in three bytes
        {"\xED\xA0\x80", r + r + r},               // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},       // past U+10FFFF
        {"\xE4\xB8", r + r},                       // cut off at the end
        {"\xE4\xB8z", r + r + "z"},                // cut off before another character
        {"\xFF", r},
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.text), c.text == c.repaired) << c.repaired;
        EXPECT_EQ(ValidUtf8(c.text), c.repaired);
        EXPECT_TRUE(IsValidUtf8(ValidUtf8(c.text))) << c.repaired;
    }
}

TEST(Utf8, EncodesEveryLengthAtItsBounds) {
    const struct {
        char32_t codePoint;
        std::string_view bytes;
    } cases[] = {
        {0x00, std::string_view("\0", 1)},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFD, kReplacement},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        AppendUtf8(out, c.codePoint);
        EXPECT_EQ(out, "x" + std::string(c.bytes)) << std::hex << std::uint32_t{c.codePoint};
        EXPECT_TRUE(IsValidUtf8(out));
    }
}

}  // namespace
}  // namespace tarnwick
