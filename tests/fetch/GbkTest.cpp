#include "fetch/Gbk.h"

#include <atomic>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

struct PairCase {
    std::string_view gbk;
    std::string_view utf8;
};

TEST(Gbk, KnownTextsConvertBothWays) {
    const PairCase cases[] = {
        {"", ""},
        {"\xD6\xD0\xCE\xC4", "中文"},
        {"\xB5\xEA\xC6\xCC", "店铺"},
        {"\xCC\xD4\xB1\xA6 ID=123", "淘宝 ID=123"},
        {"\xA1\xA1", "\xE3\x80\x80"},  // ideographic space
        {"\xA3\xA4", "￥"},
        {"\x80", "€"},
    };
    for (const PairCase& c : cases) {
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
    }
}

TEST(Gbk, AsciiPassesUnchanged) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) {
        ascii += static_cast<char>(c);
    }
    EXPECT_EQ(GbkToUtf8(ascii), ascii);
    EXPECT_EQ(Utf8ToGbk(ascii), ascii);
}

TEST(Gbk, InvalidGbkIsReplacedAndTheRestKept) {
    const PairCase cases[] = {
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        // A lead byte whose trail is an ASCII byte: only the lead is lost, the blank stays.
        {"\xD6 x", "\xEF\xBF\xBD x"},
        {"\xD6\xD0\xFF\xCE\xC4", "中\xEF\xBF\xBD文"},
        // A page cut off after a lead byte.
        {"\xD6\xD0\xD6", "中\xEF\xBF\xBD"},
        {"\xD6", "\xEF\xBF\xBD"},
        {"\xFF\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const PairCase& c : cases) {
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
    }
}

TEST(Gbk, WhatGbkCannotHoldBecomesOneQuestionMark) {
    const PairCase cases[] = {
        {"a?b", "a😀b"},
        {"\xD6\xD0?", "中😀"},
        {"?", "\xEF\xBF\xBD"},
        {"??", "한😀"},
        // Damaged UTF-8: a lone trail byte, a lead without its trail, a cut-off character.
        {"a?b",
         "a\x80"
         "b"},
        {"a?b",
         "a\xE4"
         "b"},
        {"\xD6\xD0?", "中\xE6\x96"},
        {"?", "\xFF"},
    };
    for (const PairCase& c : cases) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
    }
}

TEST(Gbk, LongTextsRoundTripAcrossConversionBuffers) {
    // Larger than the converter's output buffer many times over, with damage scattered so
    // that some of it lands on a buffer boundary.
    std::string utf8;
    for (int i = 0; i < 20000; ++i) {
        utf8 += i % 3 == 0 ? "店铺" : "a中";
    }
    const std::string gbk = Utf8ToGbk(utf8);
    EXPECT_EQ(GbkToUtf8(gbk), utf8);

    std::string damaged = gbk;
    std::size_t replaced = 0;
    for (std::size_t i = 0; i < damaged.size(); i += 997) {
        if (static_cast<unsigned char>(damaged[i]) < 0x80) {
            damaged[i] = '\xFF';
            ++replaced;
        }
    }
    const std::string decoded = GbkToUtf8(damaged);
    std::size_t found = 0;
    for (std::size_t at = decoded.find(kReplacement); at != std::string::npos;
         at = decoded.find(kReplacement, at + 1)) {
        ++found;
    }
    EXPECT_GT(replaced, 0u);
    EXPECT_EQ(found, replaced);
    EXPECT_EQ(decoded.size(), utf8.size() + replaced * (kReplacement.size() - 1));
}

TEST(Gbk, ConvertsFromManyThreadsAtOnce) {
    const std::string utf8 = "宝贝标题 &amp; 连衣裙 2012";
    const std::string gbk = Utf8ToGbk(utf8);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (Utf8ToGbk(utf8) != gbk || GbkToUtf8(gbk) != utf8) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace tarnwick
