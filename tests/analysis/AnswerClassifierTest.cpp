#include <gtest/gtest.h>

#include <set>

#include "MarketPages.h"
#include "MarketSim.h"
#include "analysis/AnswerClassifier.h"

namespace tarnwick::test {
namespace {

constexpr const char* kBase = "http://127.0.0.1:8080";

struct DestinationCase {
    const char* name;
    std::vector<std::string> trail;
    std::string text;
    AnswerClass expected;
};

TEST(AnswerClassifierTest, LoginAndVerificationAreKnownByAddressOrTitle) {
    const std::string item = std::string(kBase) + "/item.htm?id=1";
    const DestinationCase cases[] = {
        {"plain item page", {item}, "<title>连衣裙-淘宝网</title>", AnswerClass::Ok},
        {"redirect to the login path",
         {item, std::string(kBase) + "/member/login.jhtml?redirectURL=x"},
         "<title>淘宝网</title>",
         AnswerClass::Login},
        {"redirect to the login host",
         {item, "https://login.taobao.com/?from=item"},
         "",
         AnswerClass::Login},
        {"login title at the same address",
         {item},
         "<title>淘宝网 - 淘宝登录</title>",
         AnswerClass::Login},
        {"English login title", {item}, "<TITLE>Sign In</TITLE>", AnswerClass::Login},
        {"verification title",
         {item},
         "<title>淘宝网 - 安全验证</title>",
         AnswerClass::Verification},
        {"anti-robot path",
         {item, std::string(kBase) + "/_____tmd_____/punish?x5secdata=1"},
         "",
         AnswerClass::Verification},
        // The site navigation of every real page links to the login; only title and address
        // count, never the body.
        {"login link in the body",
         {item},
         "<title>连衣裙-淘宝网</title><a href=\"/member/login.htm\">登录</a>",
         AnswerClass::Ok},
        // A shop whose key or host holds the word is not a login page.
        {"login in the host name", {"http://login-shop.example.com/shop/x/"}, "", AnswerClass::Ok},
        {"no title at all", {item}, "{\"pages\":1}", AnswerClass::Ok},
    };
    for (const DestinationCase& c : cases) {
        EXPECT_EQ(ClassifyDestination(c.trail, c.text), c.expected) << c.name;
    }
}

TEST(AnswerClassifierTest, MarketsimPagesHaveTheShapesTheReadersRead) {
    marketsim::Shop shop = marketsim::DemoShop(3);
    const marketsim::Item& item = shop.items.front();
    EXPECT_TRUE(ItemPageHasShape(marketsim::pages::ItemPage(shop, item, kBase)));
    EXPECT_FALSE(ItemPageHasShape(marketsim::pages::ItemPageNewDesign(shop, item, kBase)));
    marketsim::Item heading = item;
    heading.titleShape = marketsim::Item::TitleShape::DetailHeading;
    EXPECT_TRUE(ItemPageHasShape(marketsim::pages::ItemPage(shop, heading, kBase)));
    EXPECT_FALSE(ItemPageHasShape(""));  // a failed fetch has no shape either

    const int pages = marketsim::pages::ItemListPageCount(shop);
    EXPECT_TRUE(ListingHasShape(marketsim::pages::ItemList(shop, 1, kBase), 1, pages));
    shop.paginationMini = false;
    EXPECT_TRUE(ListingHasShape(marketsim::pages::ItemList(shop, 1, kBase), 1, pages));
    EXPECT_FALSE(
        ListingHasShape(marketsim::pages::ItemListWithoutSection(shop, 1, kBase), 1, pages));
    EXPECT_FALSE(ListingHasShape(marketsim::pages::ItemListWithoutSection(shop, 2, kBase), 2, 2));
    // A page past what page 1 promised is nobody's business.
    EXPECT_TRUE(ListingHasShape("<html></html>", 3, 2));

    EXPECT_TRUE(DealAnswerHasShape(marketsim::pages::DealRecords(item, 1, kBase)));
    EXPECT_FALSE(DealAnswerHasShape("<html><title>淘宝网</title></html>"));
}

TEST(AnswerClassifierTest, ReviewAnswersNeedPagesAndObjectsWherePromised) {
    marketsim::Item item;
    item.id = "1";
    for (int i = 0; i < 25; ++i) {
        marketsim::Review review;
        review.nick = "n" + std::to_string(i);
        review.content = "c";
        review.id = std::to_string(i);
        item.reviews.push_back(review);
    }
    EXPECT_TRUE(ReviewAnswerHasShape(marketsim::pages::Reviews(item, 1), 1, 2));
    EXPECT_TRUE(ReviewAnswerHasShape(marketsim::pages::Reviews(item, 2), 2, 2));
    // Page 3 of a two-page item: empty, as it should be.
    EXPECT_TRUE(ReviewAnswerHasShape(marketsim::pages::Reviews(item, 3), 3, 2));
    // No objects where page 1 promised them.
    EXPECT_FALSE(ReviewAnswerHasShape("{\"pages\":2,\"comments\":[]}", 2, 2));
    EXPECT_FALSE(ReviewAnswerHasShape("{\"pages\":3,\"comments\":[]}", 1, 3));
    // An item without reviews says so.
    EXPECT_TRUE(ReviewAnswerHasShape("{\"pages\":0,\"comments\":[]}", 1, 0));
    item.reviewPagesMissing = true;
    EXPECT_FALSE(ReviewAnswerHasShape(marketsim::pages::Reviews(item, 1), 1, 0));
}

TEST(AnswerClassifierTest, NamesAreDistinct) {
    std::set<std::string> kinds;
    for (std::size_t i = 0; i < kPageKindCount; ++i) {
        kinds.insert(PageKindName(static_cast<PageKind>(i)));
    }
    EXPECT_EQ(kinds.size(), kPageKindCount);
    std::set<std::string> classes;
    for (std::size_t i = 0; i < kAnswerClassCount; ++i) {
        classes.insert(AnswerClassName(static_cast<AnswerClass>(i)));
    }
    EXPECT_EQ(classes.size(), kAnswerClassCount);
}

}  // namespace
}  // namespace tarnwick::test
