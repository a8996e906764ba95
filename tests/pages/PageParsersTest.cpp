#include <gtest/gtest.h>

#include <optional>

#include "MarketPages.h"
#include "acquire/ShopModels.h"
#include "fetch/TextTools.h"
#include "pages/DealPage.h"
#include "pages/ItemPage.h"
#include "pages/ListingPage.h"
#include "pages/PageDate.h"
#include "pages/ReviewPage.h"

namespace tarnwick::test {
namespace {

using marketsim::Item;

constexpr const char* kBase = "http://127.0.0.1:8080";

Endpoints MarketEndpoints() {
    Endpoints endpoints = Endpoints::Defaults();
    EXPECT_TRUE(endpoints.PointMarketAt(kBase));
    return endpoints;
}

// Every page a run asks for, judged by its parser: the usual page, the page without its usual
// shape, and the login or verification page sent in its place.
TEST(PageParsers, ShapeOfEveryKindOfPage) {
    const marketsim::Shop shop = MakeShop("nick", "s1", 30, 20, 25);
    const Item& item = shop.items[0];
    const std::string login = marketsim::pages::LoginPage(kBase);
    const std::string verification = marketsim::pages::VerificationPage(kBase);
    const int pages = marketsim::pages::ItemListPageCount(shop);
    struct Case {
        const char* what;
        PageShape shape;
        PageShape expected;
    } cases[] = {
        {"item page", ItemPageShape(marketsim::pages::ItemPage(shop, item, kBase)),
         PageShape::Usual},
        {"new item design", ItemPageShape(marketsim::pages::ItemPageNewDesign(shop, item, kBase)),
         PageShape::Shapeless},
        {"failed item fetch", ItemPageShape(""), PageShape::Shapeless},
        {"item login", ItemPageShape(login), PageShape::Login},
        {"listing 1", ListingShape(marketsim::pages::ItemList(shop, 1, kBase), 1, pages),
         PageShape::Usual},
        {"listing without section",
         ListingShape(marketsim::pages::ItemListWithoutSection(shop, 2, kBase), 2, 2),
         PageShape::Shapeless},
        {"listing past the promise", ListingShape("<html></html>", 3, 2), PageShape::Usual},
        {"listing verification", ListingShape(verification, 1, pages), PageShape::Verification},
        {"deals", DealPageShape(marketsim::pages::DealRecords(item, 1, kBase)), PageShape::Usual},
        {"deals elsewhere", DealPageShape("<html><title>淘宝网</title></html>"),
         PageShape::Shapeless},
        {"deals verification", DealPageShape(verification), PageShape::Verification},
        {"reviews", ReviewPageShape(marketsim::pages::Reviews(item, 2), 2, 2), PageShape::Usual},
        {"promised reviews empty", ReviewPageShape("{\"pages\":3,\"comments\":[]}", 1, 3),
         PageShape::Shapeless},
        {"reviews past the promise", ReviewPageShape("{\"pages\":0,\"comments\":[]}", 1, 0),
         PageShape::Usual},
        {"reviews login", ReviewPageShape(login, 1, 1), PageShape::Login},
        {"sold-count login", ParseSoldCountAnswer(login).shape, PageShape::Login},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.shape, c.expected) << c.what;
    }
}

TEST(PageParsers, ItemPageFiguresInEachOfTheirForms) {
    const marketsim::Shop shop = MakeShop("nick", "s1", 0);
    struct Case {
        const char* what;
        void (*shape)(Item&);
        std::string title;
        double price;
        int stock;
        std::optional<int> sold;
        bool viewsAddress;
    } cases[] = {
        {"hidden inputs", [](Item&) {}, "测试宝贝 2000", 12.5, 300, 25, true},
        {"detail heading",
         [](Item& i) {
             i.titleShape = Item::TitleShape::DetailHeading;
             i.title = "蓝牙耳机 & 充电仓";
         },
         "蓝牙耳机 & 充电仓", 12.5, 300, 25, true},
        {"sold count left to its answer", [](Item& i) { i.soldShape = Item::SoldShape::Answer; },
         "测试宝贝 2000", 12.5, 300, std::nullopt, true},
        {"sold element with more classes, stock in its span",
         [](Item& i) {
             i.soldShape = Item::SoldShape::ElementWithMoreClasses;
             i.soldCount = 31;
             i.stockInSpan = true;
             i.stock = 9;
         },
         "测试宝贝 2000", 12.5, 9, 31, true},
        // Without the marketplace's blank before the quotation mark the price is not found.
        {"price without blank", [](Item& i) { i.priceBlankBeforeQuote = false; }, "测试宝贝 2000",
         0, 300, 25, true},
        {"no views address", [](Item& i) { i.hasViewsAddress = false; }, "测试宝贝 2000", 12.5, 300,
         25, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Item item = MakeItem("2000", 1, 1);
        c.shape(item);
        const ItemPage page = ParseItemPage(marketsim::pages::ItemPage(shop, item, kBase));
        EXPECT_EQ(page.shape, PageShape::Usual);
        EXPECT_EQ(page.title, c.title);
        EXPECT_DOUBLE_EQ(page.price, c.price);
        EXPECT_EQ(page.stock, c.stock);
        EXPECT_EQ(page.soldCount, c.sold);
        EXPECT_EQ(page.viewsAddress.empty(), !c.viewsAddress);
        // The sold-count answer's address matters only where the page shows no count.
        EXPECT_TRUE(c.sold || !page.soldCountAddress.empty());
        EXPECT_FALSE(page.dealRecordAddress.empty());
        EXPECT_FALSE(page.reviewAddress.empty());
        EXPECT_EQ(ParseSoldCountAnswer(marketsim::pages::DealQuantity(item)).soldCount,
                  item.soldCount);
        EXPECT_EQ(ParseViewsAnswer(marketsim::pages::ItemViews(item)).views, item.views);
    }
    // A page that could not be fetched reads as nothing at all.
    const ItemPage none = ParseItemPage("");
    EXPECT_EQ(none.title, "");
    EXPECT_EQ(none.soldCount, std::nullopt);
    EXPECT_TRUE(none.dealRecordAddress.empty() && none.reviewAddress.empty());
}

TEST(PageParsers, ListingIdsAndPageCount) {
    const marketsim::Shop shop = MakeShop("nick", "s1", 25);
    const std::string first = marketsim::pages::ItemList(shop, 1, kBase);
    const ListingPage page = ParseListingPage(first, 1, ListingPageCount(first));
    EXPECT_EQ(page.pageCount, marketsim::pages::ItemListPageCount(shop));
    ASSERT_FALSE(page.itemIds.empty());
    for (std::size_t i = 0; i < page.itemIds.size(); ++i) {
        EXPECT_EQ(page.itemIds[i], shop.items[i].id);
    }
    EXPECT_TRUE(ListingItemIds(marketsim::pages::ItemListWithoutSection(shop, 1, kBase)).empty());
    // The id ends at a quotation mark, an ampersand or a blank.
    EXPECT_EQ(ListingItemIds("<div class=\"pagination\"><li><a href=\"item.htm?id=42 x\"></li>"
                             "<li><a href=\"item.htm?id=7&amp;x\"></li><!--end pagination-->"),
              (std::vector<std::string>{"42", "7amp;x"}));
}

TEST(PageParsers, DealRecordsOfNamedAnonymousAndSpacerRows) {
    const Endpoints endpoints = MarketEndpoints();
    Item item = MakeItem("5001", 4, 0);
    item.deals[1].anonymous = true;
    item.deals[1].anonymousHead = "t";
    item.deals[1].anonymousTail = "9";
    item.deals[2].buyer = "";
    item.deals[2].price = "0";  // neither buyer nor price: a spacer, not a record
    const DealPage page = ParseDealPage(marketsim::pages::DealRecords(item, 1, kBase), endpoints);
    EXPECT_EQ(page.rows.size(), 4u);
    ASSERT_EQ(page.records.size(), 3u);
    EXPECT_FALSE(page.cutShort);
    const std::size_t modelOf[] = {0, 1, 3};
    for (std::size_t i = 0; i < page.records.size(); ++i) {
        const marketsim::Deal& deal = item.deals[modelOf[i]];
        const DealRecord& record = page.records[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(record.usertype, deal.anonymous ? 0 : 1);
        EXPECT_EQ(record.Buyer, deal.anonymous ? "t**9" : deal.buyer);
        EXPECT_EQ(record.buyer_credit, deal.rankIcon);
        EXPECT_EQ(record.buyer_credit_str, deal.rankTitle);
        EXPECT_EQ(record.userclass, deal.memberTitle);
        EXPECT_DOUBLE_EQ(record.price, Number(deal.price));
        EXPECT_EQ(record.amount, WholeNumber(deal.amount));
        EXPECT_DOUBLE_EQ(record.sellamount, record.amount * record.price);
        EXPECT_EQ(record.buytime, ReadPageDateTime(deal.time));
        EXPECT_EQ(record.sku, "颜色分类:红色&黑");
    }

    // An impossible deal time ends the records; those before it are whole.
    item = MakeItem("9301", 6, 0);
    item.deals[3].time = "2012-13-05 10:20:33";
    const DealPage cut = ParseDealPage(marketsim::pages::DealRecords(item, 1, kBase), endpoints);
    EXPECT_EQ(cut.records.size(), 3u);
    ASSERT_TRUE(cut.cutShort);
    EXPECT_THROW(std::rethrow_exception(cut.cutShort), InvalidDateTime);
}

TEST(PageParsers, DealPagingAddressComesFromPageOne) {
    Item item = MakeItem("7001", 20, 0);
    const std::string records = std::string(kBase) + "/deal_records.htm?item_id=7001";
    EXPECT_EQ(DealPagingAddress(marketsim::pages::DealRecords(item, 1, kBase)),
              records + "&bid_page=1&page_size=15&callback=TShop.mods.DealRecord.reload");
    item.pagingBaseWithoutBidPage = true;
    EXPECT_EQ(DealPagingAddress(marketsim::pages::DealRecords(item, 1, kBase)),
              records + "&page_size=15&callback=TShop.mods.DealRecord.reload");
    item.hasDealPagingMarker = false;
    EXPECT_EQ(DealPagingAddress(marketsim::pages::DealRecords(item, 1, kBase)), "");
}

TEST(PageParsers, ReviewsAndWhereTheirReadingStops) {
    Item item = MakeItem("8001", 0, 25);
    const ReviewPage second = ParseReviewPage(marketsim::pages::Reviews(item, 2), 2);
    EXPECT_EQ(second.pages, 2);
    ASSERT_EQ(second.reviews.size(), 5u);
    for (std::size_t i = 0; i < second.reviews.size(); ++i) {
        const marketsim::Review& model = item.reviews[20 + i];
        const Review& review = second.reviews[i];
        EXPECT_EQ(review.rateContent, model.content);
        EXPECT_EQ(review.userVipLevel, model.vipLevel);
        EXPECT_EQ(review.displayUserNick, model.nick);
        EXPECT_EQ(review.CommentID, model.id);
        EXPECT_EQ(review.displayRatePic, model.pic);
        EXPECT_EQ(review.rateDate, ReadPageDateTime(model.date));
        EXPECT_EQ(review.User_RateSum, model.rateSum);
    }
    // The same answer as a page past its own count is not cut at all.
    const ReviewPage past = ParseReviewPage(marketsim::pages::Reviews(item, 2), 3);
    EXPECT_TRUE(past.objects.empty() && past.reviews.empty());

    // An object ends at its first closing brace; one cut inside its text holds no review.
    item = MakeItem("8101", 0, 3);
    item.reviews[0].braceInNick = true;
    item.reviews[1].braceInContent = true;
    const ReviewPage braces = ParseReviewPage(marketsim::pages::Reviews(item, 1), 1);
    EXPECT_EQ(braces.objects.size(), 3u);
    ASSERT_EQ(braces.reviews.size(), 2u);
    EXPECT_EQ(braces.reviews[0].rateContent, item.reviews[0].content);
    EXPECT_EQ(braces.reviews[0].displayUserNick, "");

    item = MakeItem("8201", 0, 5);
    item.reviews[2].date = "2012-02-30 00:00:00";
    const ReviewPage cut = ParseReviewPage(marketsim::pages::Reviews(item, 1), 1);
    EXPECT_EQ(cut.reviews.size(), 2u);
    ASSERT_TRUE(cut.cutShort);
    EXPECT_THROW(std::rethrow_exception(cut.cutShort), InvalidDateTime);
}

}  // namespace
}  // namespace tarnwick::test
