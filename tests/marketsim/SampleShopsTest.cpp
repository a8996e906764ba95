// The demo and load shops: what they hold, and that a reader walking them over the wire gets
// back exactly that, page by page.
#include <gtest/gtest.h>

#include <ctime>
#include <set>
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

std::string Fingerprint(const Shop& shop) {
    std::string f = shop.nick + "|" + shop.key + "|" + shop.ownerId;
    for (const Item& item : shop.items) {
        f += "|" + item.id + "|" + item.title + "|" + item.price + "|" +
             std::to_string(item.stock) + "|" + std::to_string(item.soldCount) + "|" +
             std::to_string(item.views) + "|" + std::to_string(static_cast<int>(item.titleShape)) +
             std::to_string(static_cast<int>(item.soldShape)) + std::to_string(item.stockInSpan);
        for (const Deal& d : item.deals) {
            f += "|" + d.buyer + d.anonymousHead + d.anonymousTail + d.rankIcon + d.rankTitle +
                 d.memberTitle + d.price + d.amount + d.time + d.skuHtml;
        }
        for (const Review& r : item.reviews) {
            f += "|" + r.content + r.nick + r.id + r.pic + r.date + std::to_string(r.vipLevel) +
                 std::to_string(r.rateSum);
        }
    }
    return f;
}

// Seconds since the epoch of "2012-04-05 10:20:33" in local time, or -1 when malformed.
std::time_t ParseTime(const std::string& text) {
    std::tm tm{};
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
        return -1;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

TEST(DemoShop, SameSeedSameShopOtherSeedOtherShop) {
    EXPECT_EQ(Fingerprint(DemoShop(1)), Fingerprint(DemoShop(1)));
    EXPECT_NE(Fingerprint(DemoShop(1)), Fingerprint(DemoShop(2)));
    EXPECT_EQ(DemoShop(1).nick, "阿美潮流小铺");
    EXPECT_EQ(DemoShop(1).key, "demo");
}

class DemoShopSeeds : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(DemoShopSeeds, HoldsTheVarietyTheReadersAndViewsNeed) {
    Shop shop = DemoShop(GetParam());
    ASSERT_GE(shop.items.size(), 30u);
    ASSERT_LE(shop.items.size(), 50u);
    std::size_t deals = 0, anonymous = 0, headings = 0, answers = 0, withBreak = 0,
                withReference = 0;
    bool manyPages = false, none = false, headingWithAmpersand = false;
    std::set<std::string> ids;
    const std::time_t now = std::time(nullptr);
    for (const Item& item : shop.items) {
        EXPECT_TRUE(ids.insert(item.id).second) << item.id;
        EXPECT_EQ(Utf8ToGbk(item.title).find('?'), std::string::npos) << "GBK holds " << item.title;
        manyPages |= item.deals.size() > 30 && item.reviews.size() > 40;
        none |= item.deals.empty() && item.reviews.empty();
        headings += item.titleShape == Item::TitleShape::DetailHeading;
        headingWithAmpersand |= item.titleShape == Item::TitleShape::DetailHeading &&
                                item.title.find('&') != std::string::npos;
        answers += item.soldShape == Item::SoldShape::Answer;
        std::time_t previous = now;
        for (const Deal& deal : item.deals) {
            ++deals;
            anonymous += deal.anonymous;
            withBreak += deal.skuHtml.find("<br>") != std::string::npos;
            withReference += deal.skuHtml.find('&') != std::string::npos;
            std::time_t when = ParseTime(deal.time);
            EXPECT_LE(when, previous) << "newest first: " << deal.time;
            EXPECT_GT(when, now - 62 * 24 * 3600) << deal.time;
            previous = when;
        }
        previous = now;
        for (const Review& review : item.reviews) {
            std::time_t when = ParseTime(review.date);
            EXPECT_LE(when, previous) << review.date;
            EXPECT_GT(when, now - 62 * 24 * 3600) << review.date;
            previous = when;
        }
    }
    EXPECT_TRUE(manyPages);
    EXPECT_TRUE(none);
    EXPECT_GE(headings, 2u);
    EXPECT_TRUE(headingWithAmpersand);
    EXPECT_GE(answers, 2u);
    EXPECT_GT(withBreak, 0u);
    EXPECT_GT(withReference, 0u);
    EXPECT_GT(anonymous * 100, deals * 15) << anonymous << " of " << deals;
    EXPECT_LT(anonymous * 100, deals * 35) << anonymous << " of " << deals;
}

INSTANTIATE_TEST_SUITE_P(Seeds, DemoShopSeeds, ::testing::Values(1u, 2u, 3u, 77u, 12345u));

// A reader's walk of a shop on one kept-alive connection, with the readers' own rules.
class ReaderWalk {
public:
    ReaderWalk(MarketSim& sim) : m_client(sim.Port()), m_base(sim.BaseUrl()) {}

    std::string Get(const std::string& address) {
        EXPECT_EQ(address.rfind(m_base, 0), 0u) << address;
        RawAnswer answer = m_client.Get(address.substr(m_base.size()));
        EXPECT_EQ(answer.status, 200) << address;
        return GbkToUtf8(answer.body);
    }

    // Every row of every deal-record page, the way the deal-record stage pages through them.
    std::vector<std::string> Deals(const std::string& itemPage, int& requests) {
        std::vector<std::string> rows;
        std::string address = ReadItemPage(itemPage).dealAddress;
        if (address.empty()) {
            return rows;
        }
        address = Replace(address, ",showBuyerList",
                          "&callback=TShop.mods.DealRecord.reload&t=1333574585117");
        std::string text = Get(address);
        ++requests;
        std::size_t n = AddRows(text, rows);
        std::string base = Replace(
            Between(text, R"(class=\"J_TAjaxTrigger\" detail:params=\")", R"(\")"), "&amp;", "&");
        for (int page = 2; n >= 15; ++page) {
            text = Get(Replace(base, "bid_page=1", "bid_page=" + std::to_string(page)));
            ++requests;
            n = AddRows(text, rows);
        }
        return rows;
    }

    std::vector<std::string> Reviews(const std::string& itemPage, int& requests) {
        std::vector<std::string> objects;
        std::string address = ReadItemPage(itemPage).reviewAddress;
        if (address.empty()) {
            return objects;
        }
        address =
            Replace(Replace(address, "showContent=1", "showContent="), "ismore=0", "ismore=1");
        std::size_t n = 20;
        for (int page = 1; n >= 20; ++page) {
            std::string text =
                Get(Replace(address, "currentPage=1", "currentPage=" + std::to_string(page)));
            ++requests;
            n = 0;
            if (std::stoi("0" + Between(text, "\"pages\":", ",")) >= page) {
                for (const std::string& o : Records(text, "{\"rateContent", "}")) {
                    objects.push_back(Between(o, "rateContent\":\"", "\"") + "|" +
                                      Between(o, "\"displayUserNick\":\"", "\"") + "|" +
                                      Between(o, "\"id\":", ",") + "|" +
                                      Between(o, "\"rateDate\":\"", "\""));
                    ++n;
                }
            }
        }
        return objects;
    }

private:
    std::size_t AddRows(const std::string& text, std::vector<std::string>& rows) {
        std::size_t before = rows.size();
        for (const std::string& row :
             Records(Between(text, "<tbody>", "</tbody>"), "<tr", "</tr>")) {
            std::string cell = Between(row, R"(<td class=\"tb-buyer\">)", "</td>");
            std::string buyer = row.find("<span class=tb-anonymous>") == std::string::npos
                                    ? Between(cell, "\">", "</a>")
                                    : Between(cell, R"(<span class=\"tb-sellnick\">)", "<span") +
                                          "**" + Between(cell, "</span>", "<");
            rows.push_back(buyer + "|" + Between(cell, m_base + "/newrank/", R"(\")") + "|" +
                           Between(cell, R"(gif\" title=\")", R"(\")") + "|" +
                           Between(cell, m_base + R"(\" title=\")", R"(\")") + "|" +
                           Between(row, R"(<td class=\"tb-price\">)", "</td>") + "|" +
                           Between(row, R"(<td class=\"tb-amount\">)", "</td>") + "|" +
                           Between(row, R"(<td class=\"tb-time\">)", "</td>") + "|" +
                           Between(row, R"(<td class=\"tb-sku\">)", "</td>"));
        }
        return rows.size() - before;
    }

    RawHttpClient m_client;
    std::string m_base;
};

TEST_P(DemoShopSeeds, ReaderWalkGetsBackEveryRecordOfTheModel) {
    Shop shop = DemoShop(GetParam());
    MarketSim sim;
    sim.AddShop(shop);
    sim.Start();
    ReaderWalk walk(sim);

    std::string card = walk.Get(sim.BaseUrl() + "/wangwang/ming_pian_without_avatar.htm?nick=" +
                                Utf8ToGbk(shop.nick) + "&from_nick=quorvane");
    std::string shopAddress =
        Between(card, R"(<a class="op-ww op-ww-shop" href=")", "?asker=wangwang") + "/";
    std::string first = walk.Get(shopAddress + "?search=y&pageNum=1");
    int pages = std::stoi(Between(first, R"(<span class="page-info">1/)", "</span>"));
    EXPECT_EQ(pages, static_cast<int>((shop.items.size() + 19) / 20));
    std::vector<std::string> ids;
    for (int page = 1; page <= pages; ++page) {
        std::string html =
            page == 1 ? first : walk.Get(shopAddress + "?search=y&pageNum=" + std::to_string(page));
        std::string section =
            Between(html, R"(<div class="pagination pagination-mini">)", "<!--end pagination-->");
        for (const std::string& entry : Records(section, "<li>", "</li>")) {
            ids.push_back(Between(entry, "item.htm?id=", "\""));
        }
    }
    ASSERT_EQ(ids.size(), shop.items.size());

    for (std::size_t i = 0; i < shop.items.size(); ++i) {
        const Item& item = shop.items[i];
        ASSERT_EQ(ids[i], item.id);
        std::string page = walk.Get(sim.BaseUrl() + "/item.htm?id=" + item.id);
        ItemFigures f = ReadItemPage(page);
        EXPECT_EQ(f.title, item.title);
        EXPECT_EQ(f.price, item.price);
        EXPECT_EQ(f.stock, std::to_string(item.stock));
        std::string sold =
            f.sold.empty() ? Between(walk.Get(f.soldAddress), "quanity:", ",") : f.sold;
        EXPECT_EQ(std::stoi(sold), item.soldCount) << item.id;
        EXPECT_EQ(Between(walk.Get(f.viewsAddress), "\":", "}"), std::to_string(item.views));

        int dealRequests = 0;
        std::vector<std::string> rows = walk.Deals(page, dealRequests);
        ASSERT_EQ(rows.size(), item.deals.size()) << item.id;
        for (std::size_t d = 0; d < rows.size(); ++d) {
            const Deal& deal = item.deals[d];
            std::string buyer =
                deal.anonymous ? deal.anonymousHead + "**" + deal.anonymousTail : deal.buyer;
            EXPECT_EQ(rows[d], buyer + "|" + deal.rankIcon + "|" + deal.rankTitle + "|" +
                                   deal.memberTitle + "|" + deal.price + "|" + deal.amount + "|" +
                                   deal.time + "|" + deal.skuHtml);
        }
        EXPECT_EQ(dealRequests, static_cast<int>(item.deals.size() / 15 + 1));

        int reviewRequests = 0;
        std::vector<std::string> objects = walk.Reviews(page, reviewRequests);
        ASSERT_EQ(objects.size(), item.reviews.size()) << item.id;
        for (std::size_t r = 0; r < objects.size(); ++r) {
            const Review& review = item.reviews[r];
            EXPECT_EQ(objects[r],
                      review.content + "|" + review.nick + "|" + review.id + "|" + review.date);
        }
        EXPECT_EQ(reviewRequests, static_cast<int>(item.reviews.size() / 20 + 1));
    }
}

struct LoadCase {
    int dealPages;
    int reviewPages;
};

class LoadShops : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadShops, ReaderMakesExactlyTheGivenNumberOfPageRequests) {
    const LoadCase c = GetParam();
    Shop shop = LoadShop("压测店", 3, c.dealPages, c.reviewPages);
    EXPECT_EQ(shop.key, "load");
    ASSERT_EQ(shop.items.size(), 3u);
    MarketSim sim;
    sim.AddShop(shop);
    sim.Start();
    ReaderWalk walk(sim);
    for (const Item& item : shop.items) {
        std::string page = walk.Get(sim.BaseUrl() + "/item.htm?id=" + item.id);
        int dealRequests = 0;
        int reviewRequests = 0;
        EXPECT_EQ(walk.Deals(page, dealRequests).size(),
                  static_cast<std::size_t>(c.dealPages > 0 ? 15 * c.dealPages - 1 : 0));
        EXPECT_EQ(walk.Reviews(page, reviewRequests).size(),
                  static_cast<std::size_t>(c.reviewPages > 0 ? 20 * c.reviewPages - 1 : 0));
        EXPECT_EQ(dealRequests, c.dealPages);
        EXPECT_EQ(reviewRequests, c.reviewPages);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, LoadShops,
                         ::testing::Values(LoadCase{1, 1}, LoadCase{2, 3}, LoadCase{5, 2},
                                           LoadCase{0, 0}));

}  // namespace
}  // namespace marketsim::test
