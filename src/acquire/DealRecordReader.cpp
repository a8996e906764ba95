#include "acquire/DealRecordReader.h"

#include <exception>
#include <vector>

#include "acquire/ItemJob.h"
#include "acquire/PageFetch.h"
#include "acquire/PageRecords.h"
#include "acquire/PageSeries.h"
#include "acquire/Run.h"
#include "base/Clock.h"
#include "fetch/HttpClient.h"
#include "fetch/TextTools.h"
#include "pages/DealPage.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// A full deal-record page; a shorter one is the last.
constexpr int kFullPage = 15;
// What the marketplace's own item page sent when it asked for the records.
constexpr const char* kDealUserAgent =
    "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; NP06)";

}  // namespace

int ReadDealRecords(ItemJob& job, std::string address) {
    if (address.empty()) {
        return 0;
    }
    Run& run = job.run;
    address = ReplaceAll(address, ",showBuyerList",
                         "&callback=TShop.mods.DealRecord.reload&t=1333574585117");
    PageSeries series;
    series.kind = PageKind::Deals;
    series.noun = "买家";
    series.fullPage = kFullPage;
    series.maxPages = run.Limits().maxDealPages;
    series.prepare = [&] {
        job.client.SetReferer(run.GetEndpoints().ItemPage(job.ItemId));
        job.client.SetUserAgent(kDealUserAgent);
    };
    series.save = SaveBuyerPage;
    series.hasShape = [](const std::string& text, int, int) { return DealAnswerHasShape(text); };
    series.pagingBase = [&address](const std::string& firstPage) {
        std::string base = DealPagingAddress(firstPage);
        if (base.empty()) {
            base = address;
        }
        // A paging base without the page number cannot reach a further page: asking it again
        // would only bring records already stored (page 1's, when the base is its address).
        return base.find("bid_page=1") != std::string::npos ? base : std::string();
    };
    series.pageParameter = "bid_page=";
    series.failedPagesInARow = 1;
    series.progressDue = [](int total) { return total / 50 == 0; };
    return ReadPageSeries(job, address, series);
}

int SaveBuyerPage(ItemJob& job, int pageNumber, const std::string& text) {
    DealPage page = ParseDealPage(text, job.run.GetEndpoints());
    if (RepeatsPrevious(job, pageNumber, page.rows)) {
        return 0;
    }
    // The page's records go to the store together, in one transaction: a failure stores none of
    // them. A row that ended the reading part-way (an impossible deal time) still leaves the
    // records before it stored, uncounted in the stage's total.
    std::vector<BuyerRow> buyers =
        RowsOfPage<BuyerRow>(job, page.records, [](BuyerRow& buyer, DealRecord& record) {
            buyer.Buyer = std::move(record.Buyer);
            buyer.usertype = record.usertype;
            buyer.buyer_credit = std::move(record.buyer_credit);
            buyer.buyer_credit_str = std::move(record.buyer_credit_str);
            buyer.userclass = std::move(record.userclass);
            buyer.price = record.price;
            buyer.amount = record.amount;
            buyer.buytime = record.buytime;
            buyer.sku = std::move(record.sku);
            buyer.sellamount = record.sellamount;
        });
    job.store.AppendBuyers(buyers);
    job.run.CountBuyers(static_cast<int>(buyers.size()));
    return PageStored(buyers, pageNumber, &BuyerRow::buytime, job.LastSellTime, page.cutShort);
}

}  // namespace tarnwick
