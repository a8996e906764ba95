#include <gtest/gtest.h>

#include "ShopModels.h"
#include "pages/PageDate.h"
#include "support/AcquisitionHarness.h"

namespace tarnwick::test {
namespace {

using marketsim::Fault;
using marketsim::Item;

// Analyses a shop of the given items and gives the stored rows of the run.
class ItemDownloadTest : public ::testing::Test {
protected:
    void Analyse(std::vector<Item> items) {
        marketsim::Shop shop = MakeShop("shop", "shop", 0);
        shop.items = std::move(items);
        m_harness.Sim().AddShop(shop);
        ASSERT_TRUE(m_harness.Analyse("shop"));
        m_sid = m_harness.Controller().CurrentRun()->RunId();
    }
    ItemRow Row(const std::string& id) {
        for (const auto& row : Store().ReadItems(m_sid)) {
            if (row.ItemID == id) {
                return row;
            }
        }
        ADD_FAILURE() << "no row for item " << id;
        return {};
    }
    std::vector<BuyerRow> Buyers(const std::string& id) { return Store().ReadBuyers(m_sid, id); }
    std::vector<RateRow> Rates(const std::string& id) { return Store().ReadRates(m_sid, id); }
    tarnwick::Store Store() { return m_harness.OpenStore(); }

    AcquisitionHarness m_harness;
    std::string m_sid;
};

TEST_F(ItemDownloadTest, ItemPageShapes) {
    Item heading = MakeItem("2001", 0, 0);
    heading.titleShape = Item::TitleShape::DetailHeading;
    heading.title = "蓝牙耳机 & 充电仓";  // the page writes it "&amp;"
    Item answerSold = MakeItem("2002", 0, 0);
    answerSold.soldShape = Item::SoldShape::Answer;
    answerSold.soldCount = 7;
    Item moreClasses = MakeItem("2003", 0, 0);
    moreClasses.soldShape = Item::SoldShape::ElementWithMoreClasses;
    moreClasses.soldCount = 31;
    moreClasses.stockInSpan = true;
    moreClasses.stock = 9;
    Item noBlank = MakeItem("2004", 0, 0);
    noBlank.priceBlankBeforeQuote = false;
    Item noViews = MakeItem("2005", 0, 0);
    noViews.hasViewsAddress = false;
    noViews.soldShape = Item::SoldShape::None;
    Analyse({heading, answerSold, moreClasses, noBlank, noViews});

    EXPECT_EQ(Row("2001").title, "蓝牙耳机 & 充电仓");
    EXPECT_EQ(Row("2002").sellcount, 7);
    EXPECT_DOUBLE_EQ(Row("2002").SellAmount, 7 * 12.5);
    EXPECT_EQ(Row("2003").sellcount, 31);
    EXPECT_EQ(Row("2003").allow_quantity, 9);
    EXPECT_DOUBLE_EQ(Row("2004").price, 0.0);  // the input without the marketplace's blank
    EXPECT_DOUBLE_EQ(Row("2004").SellAmount, 0.0);
    EXPECT_EQ(Row("2005").pv, 0);
    EXPECT_EQ(Row("2005").sellcount, 0);
    EXPECT_EQ(Row("2001").pv, 1234);
    EXPECT_EQ(m_harness.Targets("/itemviews.htm?id=2005").size(), 0u);
    EXPECT_EQ(m_harness.Targets("/dealquantity.htm").size(), 1u);
}

TEST_F(ItemDownloadTest, MissingItemPageStillGivesARowOfZeros) {
    m_harness.Sim().AddFault(Fault{.match = "/item.htm?id=3001", .status = 404});
    Analyse({MakeItem("3001", 20, 25), MakeItem("3002", 1, 1)});
    ItemRow row = Row("3001");
    EXPECT_EQ(row.title, "");
    EXPECT_DOUBLE_EQ(row.price, 0.0);
    EXPECT_EQ(row.allow_quantity, 0);
    EXPECT_EQ(row.sellcount, 0);
    EXPECT_EQ(row.pv, 0);
    EXPECT_EQ(row.BuyerCount, 0);
    EXPECT_EQ(row.Commentcount, 0);
    EXPECT_EQ(row.lastSell, DateTime());
    EXPECT_EQ(row.lastComment, DateTime());
    EXPECT_TRUE(m_harness.Targets("item_id=3001").empty());
    EXPECT_EQ(Row("3002").BuyerCount, 1);
    RunTotals totals = m_harness.Controller().CurrentRun()->Totals();
    EXPECT_EQ(totals.failedFetches.at("HTTP 404"), 1);
    EXPECT_EQ(totals.itemsWithoutTitle, std::vector<std::string>{"3001"});
}

TEST_F(ItemDownloadTest, DealPagesFollowFullPagesOnly) {
    Item full = MakeItem("4001", 15, 0);
    Item short14 = MakeItem("4002", 14, 0);
    Item spacer = MakeItem("4003", 15, 0);
    spacer.deals[7].buyer = "";
    spacer.deals[7].price = "0";  // a row with neither buyer nor price does not count
    Analyse({full, short14, spacer});

    auto fullPages = m_harness.Targets("item_id=4001");
    ASSERT_EQ(fullPages.size(), 2u);
    EXPECT_NE(fullPages[1].find("bid_page=2"), std::string::npos);
    EXPECT_EQ(Row("4001").BuyerCount, 15);
    EXPECT_EQ(m_harness.Targets("item_id=4002").size(), 1u);
    EXPECT_EQ(Row("4002").BuyerCount, 14);
    EXPECT_EQ(m_harness.Targets("item_id=4003").size(), 1u);
    EXPECT_EQ(Row("4003").BuyerCount, 14);
    EXPECT_EQ(Buyers("4003").size(), 14u);
}

TEST_F(ItemDownloadTest, AnonymousBuyersAreStoredMasked) {
    Item item = MakeItem("5001", 3, 0);
    item.deals[1].anonymous = true;
    item.deals[1].anonymousHead = "t";
    item.deals[1].anonymousTail = "9";
    Analyse({item});
    int anonymous = 0;
    for (const auto& buyer : Buyers("5001")) {
        if (buyer.usertype == 0) {
            ++anonymous;
            EXPECT_EQ(buyer.Buyer, "t**9");
            EXPECT_EQ(buyer.buyer_credit, item.deals[1].rankIcon);
        }
    }
    EXPECT_EQ(anonymous, 1);
}

TEST_F(ItemDownloadTest, IdenticalFurtherPagesEndTheSeries) {
    m_harness.Sim().AddFault(Fault{.match = "item_id=6001", .identicalFurtherPages = true});
    m_harness.Sim().AddFault(Fault{.match = "itemId=6001", .identicalFurtherPages = true});
    Analyse({MakeItem("6001", 60, 70)});
    // Page 2 is stored; page 3 answers as page 2 did and ends the series.
    EXPECT_EQ(m_harness.Targets("item_id=6001").size(), 3u);
    EXPECT_EQ(Row("6001").BuyerCount, 30);
    EXPECT_EQ(m_harness.Targets("itemId=6001").size(), 3u);
    EXPECT_EQ(Row("6001").Commentcount, 40);
}

TEST_F(ItemDownloadTest, PagingBaseWithoutPageNumberStoresNothingTwice) {
    Item item = MakeItem("7001", 40, 0);
    item.pagingBaseWithoutBidPage = true;
    Analyse({item});
    EXPECT_EQ(m_harness.Targets("item_id=7001").size(), 1u);
    EXPECT_EQ(Row("7001").BuyerCount, 15);
    EXPECT_EQ(Buyers("7001").size(), 15u);
}

TEST_F(ItemDownloadTest, WithoutPagingMarkerThePageOneAddressPages) {
    Item item = MakeItem("7101", 20, 0);
    item.hasDealPagingMarker = false;
    Analyse({item});
    auto pages = m_harness.Targets("item_id=7101");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[1].find("bid_page=2"), std::string::npos);
    EXPECT_NE(pages[1].find("&callback=TShop.mods.DealRecord.reload"), std::string::npos);
    EXPECT_EQ(Row("7101").BuyerCount, 20);
}

TEST_F(ItemDownloadTest, ReviewPageCountLimitsWhatIsStored) {
    Item claimsOne = MakeItem("8001", 0, 20);
    claimsOne.reviewPagesValue = 1;
    Item noPages = MakeItem("8002", 0, 5);
    noPages.reviewPagesMissing = true;
    Analyse({claimsOne, noPages});
    auto pages = m_harness.Targets("itemId=8001");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[1].find("currentPage=2"), std::string::npos);
    EXPECT_EQ(Row("8001").Commentcount, 20);
    EXPECT_EQ(Row("8002").Commentcount, 0);
    EXPECT_EQ(Row("8002").lastComment, DateTime());
}

TEST_F(ItemDownloadTest, ReviewObjectsCutAtTheirFirstBrace) {
    Item item = MakeItem("8101", 0, 3);
    item.reviews[0].braceInNick = true;     // cut after the content
    item.reviews[1].braceInContent = true;  // cut inside the content: nothing left to store
    item.reviews[2].rateSumLast = true;
    Analyse({item});
    auto rates = Rates("8101");
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(Row("8101").Commentcount, 2);
    for (const auto& rate : rates) {
        if (rate.rateContent == item.reviews[0].content) {
            // The members after the cut are not found.
            EXPECT_EQ(rate.userVipLevel, item.reviews[0].vipLevel);
            EXPECT_EQ(rate.displayUserNick, "");
            EXPECT_EQ(rate.CommentID, "");
            EXPECT_EQ(rate.rateDate, DateTime::FromParts({1900, 1, 1, 0, 0, 0, 0}));
            EXPECT_EQ(rate.User_RateSum, 0);
        } else {
            EXPECT_EQ(rate.CommentID, item.reviews[2].id);
            EXPECT_EQ(rate.rateDate, ReadPageDateTime(item.reviews[2].date));
            EXPECT_EQ(rate.User_RateSum, 0);  // no comma after the last member
        }
    }
}

TEST_F(ItemDownloadTest, FailingFurtherReviewPagesAreSkippedThenGivenUp) {
    for (int page = 2; page <= 9; ++page) {
        m_harness.Sim().AddFault(
            Fault{.match = "itemId=9001&currentPage=" + std::to_string(page) + "&", .status = 500});
    }
    m_harness.Sim().AddFault(Fault{.match = "itemId=9002&currentPage=2&", .status = 500});
    Analyse({MakeItem("9001", 0, 100), MakeItem("9002", 0, 50)});
    // Three failed pages in a row end the series instead of asking for ever.
    EXPECT_EQ(m_harness.Targets("itemId=9001").size(), 4u);
    EXPECT_EQ(Row("9001").Commentcount, 20);
    // One failed page is passed over and the next one read.
    EXPECT_EQ(m_harness.Targets("itemId=9002").size(), 3u);
    EXPECT_EQ(Row("9002").Commentcount, 30);
}

// The deal-record stage gives up at its first failed further page, where the review stage
// passes over a failed page and reads the next.
TEST_F(ItemDownloadTest, AFailedFurtherDealPageEndsTheDealsOnly) {
    m_harness.Sim().AddFault(Fault{.match = "item_id=9401&bid_page=2&", .status = 500});
    Analyse({MakeItem("9401", 40, 25)});
    EXPECT_EQ(m_harness.Targets("item_id=9401").size(), 2u);
    EXPECT_EQ(Row("9401").BuyerCount, 15);
    EXPECT_EQ(Buyers("9401").size(), 15u);
    EXPECT_EQ(Row("9401").Commentcount, 25);
}

TEST_F(ItemDownloadTest, ProgressLinesFollowTheirThresholds) {
    Analyse({MakeItem("9101", 45, 100)});
    EXPECT_TRUE(m_harness.LogHas("宝贝 9101 已下载30个买家.在第2页仍在继续中..."));
    EXPECT_TRUE(m_harness.LogHas("宝贝 9101 已下载45个买家.在第3页仍在继续中..."));
    EXPECT_TRUE(m_harness.LogHas("宝贝 9101 共下载45个买家."));
    EXPECT_FALSE(m_harness.LogHas("宝贝 9101 已下载40个评价.在第2页仍在继续中..."));
    EXPECT_TRUE(m_harness.LogHas("宝贝 9101 已下载100个评价.在第5页仍在继续中..."));
    EXPECT_TRUE(m_harness.LogHas("宝贝 9101 共下载100个评价."));
}

TEST_F(ItemDownloadTest, NoDealAddressMeansNoRefererForReviews) {
    Item item = MakeItem("9201", 0, 3);
    item.hasDealAddress = false;
    Analyse({item});
    EXPECT_TRUE(m_harness.Targets("item_id=9201").empty());
    for (const auto& request : m_harness.Sim().Requests()) {
        if (request.target.find("itemId=9201") != std::string::npos) {
            EXPECT_FALSE(request.HasHeader("Referer"));
        }
    }
    EXPECT_FALSE(m_harness.LogHas("宝贝 9201 共下载0个买家."));
    EXPECT_EQ(Row("9201").Commentcount, 3);
}

TEST_F(ItemDownloadTest, ImpossibleDealTimeEndsTheDealsOnly) {
    Item item = MakeItem("9301", 20, 2);
    item.deals[3].time = "2012-13-05 10:20:33";
    Analyse({item});
    EXPECT_EQ(Buyers("9301").size(), 3u);  // stored before the bad row
    EXPECT_EQ(Row("9301").BuyerCount, 0);  // the failing page adds nothing to the total
    EXPECT_EQ(Row("9301").Commentcount, 2);
    EXPECT_TRUE(m_harness.LogHas("宝贝 9301 共下载0个买家."));
}

}  // namespace
}  // namespace tarnwick::test
