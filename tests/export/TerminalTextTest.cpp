#include "export/TerminalText.h"

#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

TEST(TerminalTextTest, WhatATerminalWouldActOnShowsAsAnEscape) {
    struct Case {
        std::string what;
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"window title", "\x1b]0;owned\x07title", "\\u001B]0;owned\\u0007title"},
        {"clear screen", "\x1b[2Jx", "\\u001B[2Jx"},
        {"C1 CSI",
         "a\xC2\x9B"
         "2Jb",
         "a\\u009B2Jb"},
        {"DEL",
         "a\x7f"
         "b",
         "a\\u007Fb"},
        {"tab and NUL", std::string("a\tb\0c", 5), "a\\u0009b\\u0000c"},
        {"right-to-left override",
         "abc\xE2\x80\xAE"
         "fdp.exe",
         "abc\\u202Efdp.exe"},
        {"embedding and pop",
         "\xE2\x80\xAA"
         "x\xE2\x80\xAC",
         "\\u202Ax\\u202C"},
        {"isolates",
         "\xE2\x81\xA6"
         "x\xE2\x81\xA9",
         "\\u2066x\\u2069"},
        {"line ends stay in the cell", "颜色分类：粉红色\r\n尺码：XL\nA\rB",
         "颜色分类：粉红色 / 尺码：XL / A / B"},
        {"bytes that are not UTF-8", "bad\xff\xfe end\xE4\xB8",
         "bad\xEF\xBF\xBD\xEF\xBF\xBD end\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"over-long slash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"plain text is kept", "韩版 修身衬衫 ¥59.90 \xF0\x9F\x91\x97 U+200E\xE2\x80\x8E",
         "韩版 修身衬衫 ¥59.90 \xF0\x9F\x91\x97 U+200E\xE2\x80\x8E"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminalText(c.text), c.shown) << c.what;
    }
}

}  // namespace
}  // namespace tarnwick::test
