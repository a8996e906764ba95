#include "fetch/HtmlToText.h"

#include <atomic>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct HtmlCase {
    std::string_view name;
    std::string_view fragment;
    std::string_view expected;
};

TEST(HtmlToText, RemovesMarkupAndDecodesReferences) {
    const HtmlCase cases[] = {
        {"empty in, empty out", "", ""},
        {"named reference", "a &amp; b", "a & b"},
        {"trimmed around markup", "  <b>x</b>  ", "x"},
        {"decimal reference", "it&#39;s", "it's"},
        {"hexadecimal references", "&#x4E2D;&#X6587;", "中文"},
        {"escaped markup stays text", "&lt;b&gt;", "<b>"},
        {"unknown reference stays as written", "a &foo; b", "a &foo; b"},
        {"nested markup", "<div><p>a<b>b<i>c</i></b>d</p></div>", "abcd"},
        {"Chinese", "<span class=\"t\">夏季 连衣裙</span>", "夏季 连衣裙"},
        {"title of an item heading", "<h3>Tee &amp; Top</h3>", "Tee & Top"},
        {"markup only", "<br><hr><img src=\"x.gif\">", ""},
        {"white space only", " \r\n\t ", ""},
        {"a comment is not text", "a<!-- hidden -->b", "ab"},
        {"script and style do not leak", "<script>var a='x';</script>t<style>p{x:y}</style>", "t"},
        {"no-script fallbacks and templates are not shown",
         "<noscript>请启用脚本</noscript>t<template><p>x</p></template>", "t"},
        {"head content is not body text", "<title>t</title><p>body</p>", "body"},
        {"white space runs collapse", "a \r\n\t  b", "a b"},
        {"blank between inline elements kept", "<b>x</b> <i>y</i>", "x y"},
        {"line break", "颜色分类：红色<br/>尺码：XL", "颜色分类：红色\n尺码：XL"},
        {"blocks on lines of their own", "<p>a</p> <p>b</p><div>c</div>", "a\nb\nc"},
        {"cells apart by a blank", "<table><tr><td>a</td><td>b</td></tr></table>", "a b"},
        {"no-break spaces are blanks", "&nbsp;x&nbsp;&nbsp;y&nbsp;", "x y"},
        {"unclosed tags", "<b>x<i>y", "xy"},
        {"stray end tag", "</p>x", "x"},
        {"a stale charset declaration is ignored", "<meta charset=\"gbk\">中文", "中文"},
        {"escaped quotes of a script string", "<a href=\\\"x\\\">买家</a>", "买家"},
    };
    for (const HtmlCase& c : cases) {
        EXPECT_EQ(HtmlToText(c.fragment), c.expected) << c.name;
    }
}

TEST(HtmlToText, SurvivesVeryDeepNesting) {
    std::string fragment;
    for (int i = 0; i < 100000; ++i) {
        fragment += "<span>";
    }
    fragment += "deep";
    EXPECT_EQ(HtmlToText(fragment), "deep");
}

TEST(HtmlToText, IsSafeFromManyThreadsAtOnce) {
    const std::string fragment =
        "<div><h3>宝贝 &amp; 标题</h3><p>&#x4E2D;</p><script>x</script></div>";
    const std::string expected = "宝贝 & 标题\n中";
    std::atomic<int> wrong{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                try {
                    if (HtmlToText(fragment) != expected) {
                        ++wrong;
                    }
                } catch (const std::exception&) {
                    ++failed;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(failed.load(), 0);
}

}  // namespace
}  // namespace tarnwick
