// The page shapes the readers rely on, checked with the readers' markers over the wire.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MarketSim.h"
#include "PageText.h"
#include "RawHttpClient.h"
#include "fetch/Gbk.h"

namespace marketsim::test {
namespace {

using tarnwick::GbkToUtf8;
using tarnwick::Utf8ToGbk;

Item MakeItem(int n) {
    Item item;
    item.id = std::to_string(3000 + n);
    item.title = "测试宝贝" + std::to_string(n);
    item.price = std::to_string(10 + n) + ".50";
    item.soldCount = n;
    item.views = 100 + n;
    return item;
}

Deal MakeDeal(int n) {
    Deal deal;
    deal.buyer = "买家" + std::to_string(n);
    deal.rankIcon = "b_red_" + std::to_string(n % 5 + 1) + ".gif";
    deal.rankTitle = "信用" + std::to_string(n);
    deal.memberTitle = n % 2 == 0 ? "VIP会员" : "";
    deal.price = std::to_string(20 + n) + ".00";
    deal.amount = std::to_string(n % 3 + 1);
    deal.time = "2012-04-05 10:" + std::to_string(10 + n % 50) + ":33";
    deal.skuHtml = "颜色分类：黑色<br>尺码：M";
    if (n % 4 == 3) {
        deal.anonymous = true;
        deal.buyer.clear();
        deal.anonymousHead = "t";
        deal.anonymousTail = "8";
    }
    return deal;
}

Review MakeReview(int n) {
    Review review;
    review.content = "很好" + std::to_string(n);
    review.vipLevel = n % 7;
    review.nick = "评价人" + std::to_string(n);
    review.id = std::to_string(900000 + n);
    review.pic = n % 2 ? "b_red_2.gif" : "";
    review.date = "2012-03-0" + std::to_string(n % 9 + 1) + " 08:00:00";
    review.rateSum = n * 3;
    return review;
}

class MarketPages : public ::testing::Test {
protected:
    void SetUp() override {
        m_port = m_sim.Start();
        m_base = m_sim.BaseUrl();
    }

    // The answer body, decoded from GBK as the readers' caller does.
    std::string Fetch(const std::string& target, int expectedStatus = 200) {
        RawHttpClient client(m_port);
        RawAnswer answer = client.Get(target);
        EXPECT_TRUE(answer.complete) << target;
        EXPECT_EQ(answer.status, expectedStatus) << target;
        EXPECT_NE(answer.Header("Content-Type").find("charset=gbk"), std::string::npos) << target;
        return GbkToUtf8(answer.body);
    }

    std::string CardTarget(const std::string& nick) {
        return "/wangwang/ming_pian_without_avatar.htm?nick=" + Utf8ToGbk(nick) +
               "&from_nick=quorvane";
    }

    MarketSim m_sim;
    std::uint16_t m_port = 0;
    std::string m_base;
};

const std::string kShopLinkMarker = R"(<a class="op-ww op-ww-shop" href=")";

struct CardCase {
    Shop::CardShape shape;
    const char* linkPath;  // after the base; nullptr: no shop link
    bool ownerIdFromAmpersand;
    bool ownerIdFromRatingLink;
};

class CardShapes : public MarketPages, public ::testing::WithParamInterface<CardCase> {};

TEST_P(CardShapes, MarkersFindTheShopLinkAndTheOwnerId) {
    const CardCase& c = GetParam();
    Shop shop;
    shop.nick = "掌柜小美";
    shop.key = "k1";
    shop.ownerId = "4455667788";
    shop.cardShape = c.shape;
    shop.items = {MakeItem(1)};
    m_sim.AddShop(shop);

    std::string page = Fetch(CardTarget(shop.nick));
    ASSERT_EQ(kShopLinkMarker.size(), 34u);
    std::string link = Between(page, kShopLinkMarker, "?asker=wangwang");
    if (c.linkPath == nullptr) {
        EXPECT_EQ(page.find(kShopLinkMarker), std::string::npos);
    } else {
        EXPECT_EQ(link, m_base + c.linkPath);
        // The reader appends "/" and rewrites the old mall address; either way the listing
        // answers under that address.
        std::string address = Replace(link, "mall.taobao.com", "tmall.com");
        if (address.back() != '/') {
            address += '/';
        }
        std::string list = Fetch(address.substr(m_base.size()) + "?search=y&pageNum=1");
        EXPECT_NE(list.find("item.htm?id=3001\""), std::string::npos);
    }
    std::string lower = page;
    for (char& ch : lower) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    std::string byAmpersand = Between(page, "ownerid=", "&");
    std::string byRating = Between(page, m_base + "/user-rate-", ".htm");
    EXPECT_EQ(byAmpersand, c.ownerIdFromAmpersand ? shop.ownerId : "");
    EXPECT_EQ(byRating, c.ownerIdFromRatingLink ? shop.ownerId : "");
    if (c.shape == Shop::CardShape::OwnerIdFromRatingLinkOnly) {
        std::size_t ownerAt = page.find("ownerid=" + shop.ownerId);
        ASSERT_NE(ownerAt, std::string::npos);
        EXPECT_EQ(page.find('&', ownerAt), std::string::npos);
        EXPECT_LT(page.find("/user-rate-"), ownerAt);
    }
    if (c.shape == Shop::CardShape::NoOwnerId) {
        EXPECT_EQ(lower.find("ownerid="), std::string::npos);
        EXPECT_EQ(lower.find("user-rate-"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllShapes, CardShapes,
    ::testing::Values(CardCase{Shop::CardShape::Normal, "/shop/k1", true, true},
                      CardCase{Shop::CardShape::OwnerIdFromRatingLinkOnly, "/shop/k1", false, true},
                      CardCase{Shop::CardShape::NoShopLink, nullptr, true, true},
                      CardCase{Shop::CardShape::NoOwnerId, "/shop/k1", false, false},
                      CardCase{Shop::CardShape::ShopLinkWithSlash, "/shop/k1/", true, true},
                      CardCase{Shop::CardShape::OldMallAddress, "/mall.taobao.com/shop/k1", true,
                               true}));

TEST_F(MarketPages, NickArrivesAsRawGbkOrPercentEncodedAndIsRecordedRaw) {
    Shop shop;
    shop.nick = "小 美+店";  // a blank and a plus, which the client sends percent-encoded
    shop.key = "gbk";
    shop.ownerId = "42";
    m_sim.AddShop(shop);
    Shop plain;
    plain.nick = "杭州小店";
    plain.key = "plain";
    plain.ownerId = "43";
    m_sim.AddShop(plain);

    const std::string raw = Utf8ToGbk(plain.nick);
    ASSERT_EQ(raw.size(), 8u);  // four characters of two GBK bytes each
    EXPECT_NE(Fetch(CardTarget(plain.nick)).find(m_base + "/shop/plain?asker"), std::string::npos);
    std::string encoded = Replace(Replace(Utf8ToGbk(shop.nick), " ", "%20"), "+", "%2B");
    EXPECT_NE(Fetch("/wangwang/ming_pian_without_avatar.htm?nick=" + encoded + "&from_nick=x")
                  .find(m_base + "/shop/gbk?asker"),
              std::string::npos);

    std::vector<RecordedRequest> requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "GET " + CardTarget(plain.nick) + " HTTP/1.1");
    EXPECT_NE(requests[0].target.find(raw), std::string::npos);
}

TEST_F(MarketPages, UnknownNickGetsACardWithoutShopOrOwner) {
    std::string page = Fetch(CardTarget("无此人"));
    EXPECT_EQ(page.find(kShopLinkMarker), std::string::npos);
    EXPECT_EQ(page.find("ownerid="), std::string::npos);
    EXPECT_EQ(page.find("/user-rate-"), std::string::npos);
}

struct ListCase {
    const char* name;
    bool mini;
    bool infoMissing;
    std::optional<int> infoValue;
    const char* pageOneInfo;  // nullptr: no page info
};

class ListShapes : public MarketPages, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListShapes, SectionHoldsOneEntryPerItemOfThePage) {
    const ListCase& c = GetParam();
    Shop shop;
    shop.nick = "列表店";
    shop.key = "list";
    shop.ownerId = "1";
    shop.paginationMini = c.mini;
    shop.pageInfoMissing = c.infoMissing;
    shop.pageInfoValue = c.infoValue;
    for (int n = 0; n < 45; ++n) {
        shop.items.push_back(MakeItem(n));
    }
    m_sim.AddShop(shop);

    const std::string mini = R"(<div class="pagination pagination-mini">)";
    ASSERT_EQ(mini.size(), 40u);
    const std::vector<std::size_t> perPage = {20, 20, 5, 0};
    for (std::size_t page = 1; page <= perPage.size(); ++page) {
        std::string html = Fetch("/shop/list/?search=y&pageNum=" + std::to_string(page));
        EXPECT_EQ(html.find(mini) != std::string::npos, c.mini);
        std::string section =
            Between(html, c.mini ? mini : R"(<div class="pagination">)", "<!--end pagination-->");
        std::vector<std::string> entries = Records(section, "<li>", "</li>");
        ASSERT_EQ(entries.size(), perPage[page - 1]) << "page " << page;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Item& item = shop.items[(page - 1) * 20 + i];
            EXPECT_EQ(Between(entries[i], "item.htm?id=", "\""), item.id);
            EXPECT_NE(entries[i].find(">" + item.title + "</a>"), std::string::npos);
        }
        // Other lists of the page stand outside the section, where the reader does not look.
        EXPECT_GT(Count(html, "<li>"), Count(section, "<li>"));
        if (page == 1) {
            std::string info = Between(html, R"(<span class="page-info">1/)", "</span>");
            EXPECT_EQ(c.pageOneInfo ? "1/" + info : "", c.pageOneInfo ? c.pageOneInfo : "");
        }
        if (!c.infoMissing && page == 4) {
            EXPECT_NE(html.find(R"(<span class="page-info">4/)"), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, ListShapes,
                         ::testing::Values(ListCase{"Mini", true, false, std::nullopt, "1/3"},
                                           ListCase{"Plain", false, false, std::nullopt, "1/3"},
                                           ListCase{"InfoMissing", true, true, std::nullopt,
                                                    nullptr},
                                           ListCase{"InfoValue", true, false, 7, "1/7"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ItemCase {
    const char* name;
    void (*shape)(Item&);
};

class ItemShapes : public MarketPages, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(ItemShapes, ReaderRulesFindWhatTheItemHolds) {
    Item item = MakeItem(7);
    item.title = "黑&白 \"特价\" <新款>";
    item.stock = 321;
    item.soldCount = 25;
    item.views = 1234;
    GetParam().shape(item);
    Shop shop;
    shop.nick = "宝贝店";
    shop.key = "items";
    shop.items = {item};
    m_sim.AddShop(shop);

    std::string page = Fetch("/item.htm?id=" + item.id);
    EXPECT_GT(page.size(), 3000u) << "a believable page, not a bare list of markers";
    ItemFigures f = ReadItemPage(page);
    EXPECT_EQ(f.title, item.titleShape == Item::TitleShape::None ? "" : item.title);
    EXPECT_EQ(f.price, item.priceBlankBeforeQuote ? item.price : "");
    EXPECT_EQ(f.stock, "321");
    const std::string id = item.id;
    if (item.soldShape == Item::SoldShape::Answer) {
        EXPECT_EQ(f.sold, "");
        ASSERT_EQ(f.soldAddress, m_base + "/dealquantity.htm?id=" + id);
        std::string answer = Fetch(f.soldAddress.substr(m_base.size()));
        EXPECT_NE(answer.find("quanity: 25,"), std::string::npos) << answer;
    } else {
        EXPECT_EQ(f.sold, item.soldShape == Item::SoldShape::None ? "" : "25");
        EXPECT_EQ(f.soldAddress, "");
    }
    EXPECT_EQ(f.viewsAddress, item.hasViewsAddress ? m_base + "/itemviews.htm?id=" + id : "");
    EXPECT_EQ(Fetch("/itemviews.htm?id=" + id), "{\"" + id + "\":1234}");
    EXPECT_EQ(f.dealAddress, item.hasDealAddress ? m_base + "/deal_records.htm?item_id=" + id +
                                                       "&bid_page=1&page_size=15,showBuyerList"
                                                 : "");
    EXPECT_EQ(f.reviewAddress, item.hasReviewAddress
                                   ? m_base + "/feedRateList.htm?itemId=" + id +
                                         "&currentPage=1&pageSize=20&showContent=1&ismore=0&order=1"
                                   : "");
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ItemShapes,
    ::testing::Values(
        ItemCase{"Defaults", [](Item&) {}},
        ItemCase{"HeadingTitle", [](Item& i) { i.titleShape = Item::TitleShape::DetailHeading; }},
        ItemCase{"NoTitle", [](Item& i) { i.titleShape = Item::TitleShape::None; }},
        ItemCase{"PriceWithoutBlank", [](Item& i) { i.priceBlankBeforeQuote = false; }},
        ItemCase{"StockInSpan", [](Item& i) { i.stockInSpan = true; }},
        ItemCase{"SoldWithMoreClasses",
                 [](Item& i) { i.soldShape = Item::SoldShape::ElementWithMoreClasses; }},
        ItemCase{"SoldFromAnswer", [](Item& i) { i.soldShape = Item::SoldShape::Answer; }},
        ItemCase{"NoSold", [](Item& i) { i.soldShape = Item::SoldShape::None; }},
        ItemCase{"NoAddresses",
                 [](Item& i) {
                     i.hasViewsAddress = false;
                     i.hasDealAddress = false;
                     i.hasReviewAddress = false;
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// Markers of the deal-record answer as raw bytes, with the lengths the readers count on.
struct MarkerCase {
    const char* marker;
    std::size_t bytes;
};

class DealRecords : public MarketPages {
protected:
    void SetUp() override {
        MarketPages::SetUp();
        m_item = MakeItem(1);
        for (int n = 0; n < 40; ++n) {
            m_item.deals.push_back(MakeDeal(n));
        }
        m_shop.key = "deals";
        m_shop.items = {m_item};
    }
    std::string Page(int page) {
        return Fetch("/deal_records.htm?item_id=" + m_item.id +
                     "&bid_page=" + std::to_string(page) +
                     "&page_size=15&callback=TShop.mods.DealRecord.reload&t=1333574585117");
    }
    Item m_item;
    Shop m_shop;
};

TEST_F(DealRecords, CellMarkersHaveTheirByteLengthsAndStandInTheAnswer) {
    m_sim.AddShop(m_shop);
    std::string page = Page(1);
    const std::string membership = m_base + R"(\" title=\")";
    EXPECT_EQ(membership.size(), m_base.size() + 11);
    for (const MarkerCase& c :
         {MarkerCase{R"(<td class=\"tb-buyer\">)", 23},
          MarkerCase{R"(<span class=\"tb-sellnick\">)", 28}, MarkerCase{R"(gif\" title=\")", 14},
          MarkerCase{R"(<td class=\"tb-price\">)", 23},
          MarkerCase{R"(<td class=\"tb-amount\">)", 24},
          MarkerCase{R"(<td class=\"tb-time\">)", 22}, MarkerCase{R"(<td class=\"tb-sku\">)", 21},
          MarkerCase{R"(class=\"J_TAjaxTrigger\" detail:params=\")", 41}, MarkerCase{R"(\")", 2},
          MarkerCase{"<span class=tb-anonymous>", 25}}) {
        EXPECT_EQ(std::string(c.marker).size(), c.bytes) << c.marker;
        EXPECT_NE(page.find(c.marker), std::string::npos) << c.marker;
    }
    EXPECT_NE(page.find(membership), std::string::npos);
    EXPECT_EQ(page.rfind("TShop.mods.DealRecord.reload({\"html\":\"", 0), 0u);
    // Inside the script string every quotation mark of the HTML carries its backslash.
    std::string html = Between(page, R"({"html":")", R"(","type")");
    ASSERT_FALSE(html.empty());
    for (std::size_t at = html.find('"'); at != std::string::npos; at = html.find('"', at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(html[at - 1], '\\') << html.substr(at > 20 ? at - 20 : 0, 40);
    }
}

TEST_F(DealRecords, PagingMarkerGivesTheBaseOfTheFurtherPages) {
    struct Case {
        bool marker;
        bool withoutBidPage;
    };
    for (Case c : {Case{true, false}, Case{true, true}, Case{false, false}}) {
        m_shop.items[0].hasDealPagingMarker = c.marker;
        m_shop.items[0].pagingBaseWithoutBidPage = c.withoutBidPage;
        m_sim.AddShop(m_shop);
        std::string page = Page(1);
        const std::string marker = R"(class=\"J_TAjaxTrigger\" detail:params=\")";
        std::string base = Replace(Between(page, marker, R"(\")"), "&amp;", "&");
        if (!c.marker) {
            EXPECT_EQ(page.find(marker), std::string::npos);
            continue;
        }
        EXPECT_EQ(base, m_base + "/deal_records.htm?item_id=" + m_item.id +
                            (c.withoutBidPage ? "" : "&bid_page=1") +
                            "&page_size=15&callback=TShop.mods.DealRecord.reload");
        // The reader asks for page 2 through that base; without "bid_page" it asks for page 1.
        std::string further =
            Fetch(Replace(base, "bid_page=1", "bid_page=2").substr(m_base.size()));
        std::string firstBuyer =
            Between(Between(further, R"(<td class=\"tb-buyer\">)", "</td>"), "\">", "</a>");
        EXPECT_EQ(firstBuyer, c.withoutBidPage ? m_item.deals[0].buyer : m_item.deals[15].buyer);
    }
}

class ReviewPages : public MarketPages {
protected:
    std::string Page(const Item& item, int page) {
        return Fetch("/feedRateList.htm?itemId=" + item.id + "&currentPage=" +
                     std::to_string(page) + "&pageSize=20&showContent=&ismore=1&order=1");
    }
    void Serve(const Item& item) {
        Shop shop;
        shop.key = "reviews";
        shop.items = {item};
        m_sim.AddShop(shop);
    }
};

TEST_F(ReviewPages, ObjectsBeginWithTheContentAndHoldEveryMember) {
    Item item = MakeItem(2);
    for (int n = 0; n < 45; ++n) {
        item.reviews.push_back(MakeReview(n));
    }
    Serve(item);
    const std::vector<std::size_t> perPage = {20, 20, 5, 0};
    for (std::size_t page = 1; page <= perPage.size(); ++page) {
        std::string text = Page(item, static_cast<int>(page));
        EXPECT_EQ(Between(text, "\"pages\":", ","), "3");
        std::vector<std::string> objects = Records(text, "{\"rateContent", "}");
        ASSERT_EQ(objects.size(), perPage[page - 1]) << "page " << page;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const Review& r = item.reviews[(page - 1) * 20 + i];
            const std::string& o = objects[i];
            EXPECT_EQ(Between(o, "rateContent\":\"", "\""), r.content);
            EXPECT_EQ(Between(o, "\"userVipLevel\":", ","), std::to_string(r.vipLevel));
            EXPECT_EQ(Between(o, "\"displayUserNick\":\"", "\""), r.nick);
            EXPECT_EQ(Between(o, "\"id\":", ","), r.id);
            EXPECT_EQ(Between(o, "\"displayRatePic\":\"", "\""), r.pic);
            EXPECT_EQ(Between(o, "\"rateDate\":\"", "\""), r.date);
            EXPECT_EQ(Between(o, "\"dispalyRateSum\":", ","), std::to_string(r.rateSum));
        }
    }
}

TEST_F(ReviewPages, OddObjectsAndPageCounts) {
    Item item = MakeItem(3);
    for (int n = 0; n < 4; ++n) {
        item.reviews.push_back(MakeReview(n));
    }
    item.reviews[1].rateSumLast = true;
    item.reviews[2].braceInContent = true;
    item.reviews[3].braceInNick = true;
    item.reviewPagesValue = 9;
    Serve(item);
    std::string text = Page(item, 1);
    EXPECT_EQ(Between(text, "\"pages\":", ","), "9");
    std::vector<std::string> objects = Records(text, "{\"rateContent", "}");
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(Between(objects[1], "\"dispalyRateSum\":", ","), "");
    EXPECT_NE(objects[1].find("\"dispalyRateSum\":3}"), std::string::npos);
    // Cut inside the content: nothing of the object is left to read.
    EXPECT_EQ(Between(objects[2], "rateContent\":\"", "\""), "");
    EXPECT_EQ(objects[2].find("userVipLevel"), std::string::npos);
    // Cut inside the nick: content and level are read, the date is gone.
    EXPECT_EQ(Between(objects[3], "rateContent\":\"", "\""), item.reviews[3].content);
    EXPECT_EQ(Between(objects[3], "\"userVipLevel\":", ","), "3");
    EXPECT_EQ(Between(objects[3], "\"displayUserNick\":\"", "\""), "");
    EXPECT_EQ(objects[3].find("rateDate"), std::string::npos);

    item.reviewPagesMissing = true;
    Serve(item);
    EXPECT_EQ(Page(item, 1).find("\"pages\":"), std::string::npos);
}

TEST_F(MarketPages, VersionAnswerIsServedAsSet) {
    EXPECT_EQ(Fetch("/version?softname=tarnwick"), "tarnwick=206\r\n");
    m_sim.SetVersionAnswer("other=500\r\ntarnwick=207\r\n");
    EXPECT_EQ(Fetch("/version?softname=tarnwick"), "other=500\r\ntarnwick=207\r\n");
}

}  // namespace
}  // namespace marketsim::test
