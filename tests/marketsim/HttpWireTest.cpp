// Request syntax and query decoding, on plain strings.
#include <gtest/gtest.h>

#include <string>

#include "HttpWire.h"

namespace marketsim {
namespace {

TEST(HttpWire, PercentDecodingTouchesOnlyValidEscapes) {
    struct Case {
        const char* in;
        std::string out;
    };
    for (const Case& c :
         {Case{"%41%62c", "Abc"}, Case{"a+b", "a+b"}, Case{"%2B%20%26%23%25", "+ &#%"},
          Case{"%zz%4", "%zz%4"}, Case{"100%", "100%"}, Case{"%C4%E3\xBA\xC3", "\xC4\xE3\xBA\xC3"},
          Case{"", ""}}) {
        EXPECT_EQ(PercentDecode(c.in), c.out) << c.in;
    }
    const std::string bytes = "/item.htm?id=1&x=\xC4\xE3 #%+";
    EXPECT_EQ(PercentEncode(bytes).find_first_of("?&= #+\xC4"), std::string::npos);
    EXPECT_EQ(PercentDecode(PercentEncode(bytes)), bytes);
}

TEST(HttpWire, TargetSplitsIntoPathAndDecodedParameters) {
    Target t =
        SplitTarget("/wangwang/card.htm?nick=\xD0\xA1%20%26&from_nick=q&empty=&flag&pageNum=3");
    EXPECT_EQ(t.path, "/wangwang/card.htm");
    EXPECT_EQ(t.Param("nick"), "\xD0\xA1 &");
    EXPECT_EQ(t.Param("from_nick"), "q");
    EXPECT_TRUE(t.Has("empty"));
    EXPECT_TRUE(t.Has("flag"));
    EXPECT_FALSE(t.Has("missing"));
    EXPECT_EQ(t.PageParam("pageNum"), 3);

    EXPECT_EQ(SplitTarget("http://127.0.0.1:80/item.htm?id=5").Param("id"), "5");
    EXPECT_EQ(SplitTarget("/shop/demo/").path, "/shop/demo/");
    for (const char* page : {"", "0", "-2", "x1", "99999999999"}) {
        EXPECT_EQ(SplitTarget(std::string("/d?bid_page=") + page).PageParam("bid_page"), 1) << page;
    }
}

TEST(HttpWire, RequestHeadParsesOrRejects) {
    RequestHead head;
    ASSERT_TRUE(ParseRequestHead(
        "GET /a?b=\xC4\xE3 HTTP/1.1\r\nHost: x\r\nReferer:  http://r/ \r\n", head));
    EXPECT_EQ(head.requestLine, "GET /a?b=\xC4\xE3 HTTP/1.1");
    EXPECT_EQ(head.method, "GET");
    EXPECT_EQ(head.target, "/a?b=\xC4\xE3");
    ASSERT_EQ(head.headers.size(), 2u);
    EXPECT_EQ(head.headers[1], (std::pair<std::string, std::string>{"Referer", "http://r/"}));
    EXPECT_EQ(HeaderValue(head.headers, "referer"), "http://r/");

    ASSERT_TRUE(ParseRequestHead("GET / HTTP/1.0\nHost: y\n", head)) << "bare line feeds";
    EXPECT_EQ(head.version, "HTTP/1.0");
    for (const char* bad : {"", "GET", "GET /", "GET / FTP/1.0", " / HTTP/1.1",
                            "GET / HTTP/1.1\r\nno colon", "GET / HTTP/1.1\r\n: empty name"}) {
        EXPECT_FALSE(ParseRequestHead(bad, head)) << bad;
    }
}

}  // namespace
}  // namespace marketsim
