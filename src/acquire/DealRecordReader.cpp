#include "acquire/DealRecordReader.h"

#include <exception>
#include <vector>

#include "acquire/ItemJob.h"
#include "acquire/PageFetch.h"
#include "acquire/PageRecords.h"
#include "acquire/Run.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "fetch/HtmlToText.h"
#include "fetch/HttpClient.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "store/DateTime.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// A full deal-record page; a shorter one is the last.
constexpr int kFullPage = 15;
// What the marketplace's own item page sent when it asked for the records.
constexpr const char* kDealUserAgent =
    "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0; NP06)";

// The answer is a script whose HTML string escapes every quotation mark with a backslash, so
// the markers below carry a backslash before each quotation mark of the HTML.
constexpr std::string_view kEscapedQuote = R"(\")";

std::string PagingBase(const std::string& address, const std::string& firstPage) {
    std::string b =
        TextBetween(firstPage, R"(class=\"J_TAjaxTrigger\" detail:params=\")", kEscapedQuote);
    b = Trim(ReplaceAll(HtmlToText(b), "&amp;", "&"));
    return b.empty() ? address : b;
}

}  // namespace

int ReadDealRecords(ItemJob& job, const std::string& itemPage) {
    std::string area =
        TextBetween(itemPage, "class=\"J_TAjaxTrigger hidden J_TAjaxTriggerButton\"", "</div>");
    std::string address = Trim(TextBetween(area, "params=\"", "\""));
    if (address.empty()) {
        return 0;
    }
    Run& run = job.run;
    int total = 0;
    job.PrevRecords.clear();
    try {
        address = ReplaceAll(address, ",showBuyerList",
                             "&callback=TShop.mods.DealRecord.reload&t=1333574585117");
        job.client.SetReferer(run.GetEndpoints().ItemPage(job.ItemId));
        job.client.SetUserAgent(kDealUserAgent);

        const ShapeCheck shape = [](const std::string& text) { return DealAnswerHasShape(text); };
        FetchedPage first = FetchPage(run, job.client, address, PageKind::Deals, shape);
        int n = SaveBuyerPage(job, 1, first.text);
        total += n;
        std::string base = n < kFullPage ? address : PagingBase(address, first.text);

        // A paging base without the page number cannot reach a further page: asking it again
        // would only bring records already stored (page 1's, when the base is its address).
        bool canPage = base.find("bid_page=1") != std::string::npos;
        for (int pageNumber = 1; n >= kFullPage && canPage;) {
            if (run.StopRequested() || pageNumber >= run.Limits().maxDealPages) {
                break;
            }
            ++pageNumber;
            std::string pageAddress =
                ReplaceAll(base, "bid_page=1", "bid_page=" + std::to_string(pageNumber));
            FetchedPage page = FetchPage(run, job.client, pageAddress, PageKind::Deals, shape);
            if (page.raw == job.PrevPageText) {
                break;
            }
            job.PrevPageText = page.raw;
            n = SaveBuyerPage(job, pageNumber, page.text);
            if (job.RepeatedPage) {
                break;
            }
            total += n;
            if (total / 50 == 0) {
                run.Log("宝贝 " + job.ItemId + " 已下载" + std::to_string(total) + "个买家.在第" +
                        std::to_string(pageNumber) + "页仍在继续中...");
            }
        }
    } catch (const RunAborted&) {
        throw;
    } catch (const DatabaseError& error) {
        if (run.StoreFailureEnds(error)) {
            throw;  // ends the run, not just this stage
        }
        // The run goes on, but this item's deal records are not all stored: the run must
        // not pass as complete.
        run.CountNotStored(job.ItemId);
    } catch (const std::exception&) {
        // A failed page, append or deal time ends the records; what was stored stays.
    }
    run.Log("宝贝 " + job.ItemId + " 共下载" + std::to_string(total) + "个买家.");
    return total;
}

int SaveBuyerPage(ItemJob& job, int pageNumber, const std::string& text) {
    const Endpoints& endpoints = job.run.GetEndpoints();
    const std::string rankIconMarker = endpoints.RankIconPrefix();
    const std::string membershipMarker = endpoints.membershipHost + R"(\" title=\")";

    std::string section = text;
    if (text.find("<tbody>") != std::string::npos && text.find("</tbody>") != std::string::npos) {
        section = TextBetween(text, "<tbody>", "</tbody>");
    }
    std::vector<std::string> records = CutRecords(job, std::move(section), R"(<tr.*?<\/tr>)");
    if (RepeatsPrevious(job, pageNumber, records)) {
        return 0;
    }

    // The page's records go to the store together, in one transaction, once the page is cut:
    // a failure stores none of them. A row that ends the cutting part-way (an impossible deal
    // time) still leaves the records before it stored, uncounted in the stage's total.
    std::vector<BuyerRow> buyers;
    std::exception_ptr cutShort;
    try {
        for (const std::string& row : records) {
            BuyerRow buyer;
            buyer.sid = job.run.RunId();
            buyer.itemid = job.ItemId;
            bool named = row.find("<span class=tb-anonymous>") == std::string::npos;
            buyer.usertype = named ? 1 : 0;

            std::string cell = Trim(TextBetween(row, R"(<td class=\"tb-buyer\">)", "</td>"));
            if (named) {
                buyer.Buyer = TextBetween(cell, "\">", "</a>");
            } else {
                // The marketplace shows an anonymous buyer's first and last characters only.
                std::string tail = Trim(TextBetween(cell, "</span>", "<"));
                std::string head =
                    Trim(TextBetween(cell, R"(<span class=\"tb-sellnick\">)", "<span"));
                buyer.Buyer = head + "**" + tail;
            }
            buyer.buyer_credit = Trim(TextBetween(cell, rankIconMarker, kEscapedQuote));
            buyer.buyer_credit_str = Trim(TextBetween(cell, R"(gif\" title=\")", kEscapedQuote));
            buyer.userclass = Trim(TextBetween(cell, membershipMarker, kEscapedQuote));
            buyer.price = Number(Trim(TextBetween(row, R"(<td class=\"tb-price\">)", "</td>")));
            buyer.amount =
                WholeNumber(Trim(TextBetween(row, R"(<td class=\"tb-amount\">)", "</td>")));
            buyer.buytime =
                ReadPageDateTime(Trim(TextBetween(row, R"(<td class=\"tb-time\">)", "</td>")));
            buyer.sku = HtmlToText(TextBetween(row, R"(<td class=\"tb-sku\">)", "</td>"));

            if (Trim(buyer.Buyer).empty() && buyer.price == 0) {
                continue;  // a spacer or header row
            }
            buyer.sellamount = buyer.amount * buyer.price;
            buyer.AddTime = job.run.GetClock().Now();
            buyers.push_back(std::move(buyer));
        }
    } catch (const std::exception&) {
        cutShort = std::current_exception();
    }

    job.store.AppendBuyers(buyers);
    const int count = static_cast<int>(buyers.size());
    job.run.CountBuyers(count);
    if (count > 0 && pageNumber == 1) {
        job.LastSellTime = buyers.front().buytime;
    }
    if (cutShort) {
        std::rethrow_exception(cutShort);
    }
    return count;
}

}  // namespace tarnwick
