#include "acquire/TDownloadItem.h"

#include "acquire/DealRecordReader.h"
#include "acquire/ItemJob.h"
#include "acquire/PageFetch.h"
#include "acquire/ReviewReader.h"
#include "acquire/Run.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "fetch/HtmlToText.h"
#include "fetch/HttpClient.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// The text of an answer, or nothing when the address is missing or the fetch fails: a
// missing figure is stored as 0, never reported.
std::string FetchOrEmpty(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                         const ShapeCheck& shape = nullptr) {
    if (address.empty()) {
        return {};
    }
    try {
        return FetchPage(run, client, address, kind, shape).text;
    } catch (const FetchError&) {
        return {};
    }
}

}  // namespace

TDownloadItem::TDownloadItem(std::shared_ptr<Run> run, std::string itemId)
    : m_run(std::move(run)), m_itemId(std::move(itemId)) {
}

void TDownloadItem::Execute() {
    try {
        HttpClient client;
        PrepareClient(*m_run, client);
        client.SetFollowRedirects(true);
        StorePool::Lease store = m_run->TakeStore();
        RecordMatcher matcher;
        ItemJob job{*m_run, m_itemId, client, *store, matcher, {}, {}, {}, {}, false};

        m_run->Log("正在下载 " + m_itemId + "...");
        try {
            DoDownload(job);
        } catch (const DatabaseError&) {
            // Not handed to the next item: a server connection that failed may be lost, and
            // the next item opens its own, which finds out whether the store still answers.
            store.Discard();
            throw;
        }
    } catch (const RunAborted&) {
        return;  // the program is ending; nothing more is stored or reported
    } catch (const DatabaseError& error) {
        if (m_run->StoreFailureEndsRun() || m_run->StoreFailed()) {
            // The run ends for this; the owner says so once, not once per item.
            m_run->FailStore(error.what());
        } else {
            Failed(error.what());
        }
    } catch (const std::exception& error) {
        Failed(error.what());
    } catch (...) {
        Failed("unknown failure");
    }
    if (!m_run->ReportEnd(&Run::ReportDownloadEnded)) {
        return;  // the owner is gone; nobody is left to count this download
    }
    m_run->Pause(std::chrono::milliseconds(20));
}

void TDownloadItem::Failed(const std::string& what) noexcept {
    try {
        m_run->CountError("item " + m_itemId + ": " + what);
        m_run->Log("宝贝 " + m_itemId + " 保存失败: " + what);
    } catch (...) {
        // Telling about a failure must not keep the end report from being sent.
    }
}

void TDownloadItem::DoDownload(ItemJob& job) {
    Run& run = job.run;
    std::string page =
        FetchOrEmpty(run, job.client, run.GetEndpoints().ItemPage(m_itemId), PageKind::Item,
                     [](const std::string& text) { return ItemPageHasShape(text); });

    ItemRow item;
    item.sid = run.RunId();
    item.ItemID = m_itemId;

    std::string title = TextBetween(page, "<input type=\"hidden\" name=\"title\" value=\"", "\"");
    if (title.empty()) {
        std::string heading = TextBetween(page, "<div class=\"tb-detail-hd\">", "</div>");
        title = TextBetween(heading, "<h3>", "</h3>");
    }
    item.title = HtmlToText(title);

    // The marketplace writes a blank between "value=" and the quotation mark here.
    item.price =
        Number(TextBetween(page, "<input type=\"hidden\" name=\"current_price\" value= \"", "\""));

    std::string stock =
        TextBetween(page, "<input type=\"hidden\" name=\"allow_quantity\" value=\"", "\"");
    if (stock.empty()) {
        stock = TextBetween(page, "<span id=\"J_SpanStock\" class=\"tb-count\">", "<");
    }
    item.allow_quantity = WholeNumber(stock);

    std::string soldArea = TextBetween(page, "<li class=\"tb-sold-out\">", "</em>") + "</em>";
    if (Trim(soldArea) == "</em>") {
        // The element may carry further classes or attributes.
        soldArea = TextBetween(page, "<li class=\"tb-sold-out", "</em>") + "</em>";
    }
    std::string sold = TextBetween(soldArea, "<em>", "</em>");
    if (sold.empty()) {
        std::string answer = FetchOrEmpty(
            run, job.client, TextBetween(page, "getDealQuantity: \"", "\""), PageKind::SoldCount);
        sold = Trim(TextBetween(answer, "quanity:", ","));
    }
    item.sellcount = WholeNumber(sold);
    item.SellAmount = item.sellcount * item.price;

    std::string views = FetchOrEmpty(
        run, job.client, TextBetween(page, "\"apiItemViews\": \"", "\""), PageKind::Views);
    item.pv = WholeNumber(TextBetween(views, "\":", "}"));

    item.BuyerCount = ReadDealRecords(job, page);
    item.Commentcount = ReadReviews(job, page);

    item.UpdateTime = run.GetClock().Now();
    item.lastSell = job.LastSellTime;
    item.lastComment = job.LastCommentTime;
    job.store.AppendItem(item);
    run.CountItemStored(!Trim(item.title).empty(), m_itemId);
}

}  // namespace tarnwick
