#include "pages/ShopIdentity.h"

#include <gtest/gtest.h>

#include "MarketSim.h"
#include "fetch/Gbk.h"

namespace tarnwick {
namespace {

using marketsim::Shop;

class ShopIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_sim.Start(0);
        m_endpoints = Endpoints::Defaults();
        ASSERT_TRUE(m_endpoints.PointMarketAt(m_sim.BaseUrl()));
    }

    void AddShop(const std::string& nick, Shop::CardShape shape,
                 const std::string& ownerId = "7788") {
        Shop shop;
        shop.nick = nick;
        shop.key = "key" + std::to_string(++m_shops);
        shop.ownerId = ownerId;
        shop.cardShape = shape;
        m_sim.AddShop(shop);
        m_lastKey = shop.key;
    }

    bool Resolve(const std::string& nick, ShopIdentity& identity) {
        HttpClient client;  // redirects off, as the reader's client is during the lookup
        return ResolveShopIdentity(client, m_endpoints, nick, identity);
    }

    marketsim::MarketSim m_sim;
    Endpoints m_endpoints;
    int m_shops = 0;
    std::string m_lastKey;
};

TEST_F(ShopIdentityTest, ResolvesEachCardShape) {
    struct Case {
        Shop::CardShape shape;
        bool resolves;
        std::string addressTail;  // after the base address
    };
    const Case cases[] = {
        {Shop::CardShape::Normal, true, "/shop/KEY/"},
        {Shop::CardShape::ShopLinkWithSlash, true, "/shop/KEY/"},
        {Shop::CardShape::OwnerIdFromRatingLinkOnly, true, "/shop/KEY/"},
        {Shop::CardShape::OldMallAddress, true, "/tmall.com/shop/KEY/"},
        {Shop::CardShape::NoShopLink, false, ""},
        {Shop::CardShape::NoOwnerId, false, ""},
    };
    for (const Case& c : cases) {
        std::string nick = "nick" + std::to_string(m_shops + 1);
        AddShop(nick, c.shape);
        ShopIdentity identity;
        SCOPED_TRACE(nick);
        ASSERT_EQ(Resolve(nick, identity), c.resolves);
        if (c.resolves) {
            std::string tail = c.addressTail;
            tail.replace(tail.find("KEY"), 3, m_lastKey);
            EXPECT_EQ(identity.shopAddress, m_sim.BaseUrl() + tail);
            EXPECT_EQ(identity.ownerId, "7788");
        }
    }
}

TEST_F(ShopIdentityTest, LookupGivesTheOwnerIdEvenWithoutAShopLink) {
    AddShop("solo", Shop::CardShape::NoShopLink);
    HttpClient client;
    ShopIdentity identity;
    EXPECT_FALSE(LookupShopByNick(client, m_endpoints, "solo", identity));
    EXPECT_EQ(identity.ownerId, "7788");
    EXPECT_EQ(identity.shopAddress, "");
}

TEST_F(ShopIdentityTest, UnknownNickDoesNotResolve) {
    ShopIdentity identity{"kept/", "kept"};
    EXPECT_FALSE(Resolve("nobody", identity));
    EXPECT_EQ(identity.shopAddress, "kept/");
}

TEST_F(ShopIdentityTest, FailedFetchKeepsThePreviousValues) {
    AddShop("shut", Shop::CardShape::Normal);
    m_sim.AddFault(marketsim::Fault{.match = "/wangwang/", .status = 500});
    HttpClient client;
    ShopIdentity identity{"kept/", "kept"};
    EXPECT_FALSE(LookupShopByNick(client, m_endpoints, "shut", identity));
    EXPECT_EQ(identity.shopAddress, "kept/");
    EXPECT_EQ(identity.ownerId, "kept");
}

TEST_F(ShopIdentityTest, RedirectedCardFailsTheLookup) {
    AddShop("moved", Shop::CardShape::Normal);
    m_sim.AddFault(marketsim::Fault{.match = "/wangwang/", .redirects = 1});
    ShopIdentity identity;
    EXPECT_FALSE(Resolve("moved", identity));
}

TEST_F(ShopIdentityTest, ChineseNickGoesOutAsGbkBytes) {
    AddShop("星辰数码", Shop::CardShape::Normal);
    ShopIdentity identity;
    ASSERT_TRUE(Resolve("  星辰数码 ", identity));
    std::string line = m_sim.Requests().back().requestLine;
    EXPECT_NE(line.find("nick=" + Utf8ToGbk("星辰数码") + "&from_nick="), std::string::npos);
}

TEST_F(ShopIdentityTest, BytesThatWouldBreakTheQueryAreEscaped) {
    AddShop("a b&c#d%e+f", Shop::CardShape::Normal);
    ShopIdentity identity;
    ASSERT_TRUE(Resolve("a b&c#d%e+f", identity));
    std::string line = m_sim.Requests().back().requestLine;
    EXPECT_NE(line.find("nick=a%20b%26c%23d%25e%2Bf&from_nick="), std::string::npos) << line;
}

TEST(ImCardAddressTest, BuildsTheCardRequest) {
    Endpoints endpoints = Endpoints::Defaults();
    ASSERT_TRUE(endpoints.PointMarketAt("http://127.0.0.1:8080/"));
    EXPECT_EQ(ImCardAddress(endpoints, "shop1"),
              "http://127.0.0.1:8080/wangwang/ming_pian_without_avatar.htm?nick=shop1&from_nick=" +
                  endpoints.fromNick);
}

TEST(EndpointsTest, PointMarketAtMovesTheMarketHostsOnly) {
    Endpoints endpoints = Endpoints::Defaults();
    ASSERT_TRUE(endpoints.PointMarketAt("http://127.0.0.1:9000"));
    for (const std::string& host : {endpoints.imCardHost, endpoints.ratingHost, endpoints.itemHost,
                                    endpoints.imageHost, endpoints.membershipHost}) {
        EXPECT_EQ(host, "http://127.0.0.1:9000");
    }
    EXPECT_EQ(endpoints.mainDomain, "taobao.com");
    EXPECT_EQ(endpoints.tmallDomain, "tmall.com");
    EXPECT_EQ(endpoints.RankIconPrefix(), "http://127.0.0.1:9000/newrank/");
    EXPECT_EQ(endpoints.ItemPage("12"), "http://127.0.0.1:9000/item.htm?id=12");

    for (const char* bad :
         {"127.0.0.1:9000", "ftp://host", "http://", "http://host:port", "http://host/path"}) {
        Endpoints unchanged = Endpoints::Defaults();
        EXPECT_FALSE(unchanged.PointMarketAt(bad)) << bad;
        EXPECT_EQ(unchanged.itemHost, Endpoints::Defaults().itemHost);
    }
}

}  // namespace
}  // namespace tarnwick
