#include "acquire/TDownloadItem.h"

#include <optional>

#include "acquire/DealRecordReader.h"
#include "acquire/ItemJob.h"
#include "acquire/PageFetch.h"
#include "acquire/ReviewReader.h"
#include "acquire/Run.h"
#include "acquire/WorkerTop.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "fetch/HttpClient.h"
#include "pages/ItemPage.h"
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

TDownloadItem::TDownloadItem(std::shared_ptr<Run> run, QueuedItem item)
    : m_run(std::move(run)), m_item(std::move(item)), m_itemId(m_item.itemId) {
}

void TDownloadItem::ReadStateFrom(AnswerClass answer) {
    if (answer == AnswerClass::Ok) {
        m_state = ItemRead::Read;
        m_answer.clear();
        return;
    }
    m_state = IsBlockingClass(answer) ? ItemRead::Blocked : ItemRead::Failed;
    m_answer = AnswerClassName(answer);
}

void TDownloadItem::Execute() {
    std::optional<StorePool::Lease> store;
    const WorkerEnd end{"item " + m_itemId, "宝贝 " + m_itemId + " 保存失败: ",
                        [&](WorkerFailure failure) {
                            Finish(failure, store && *store ? &**store : nullptr);
                            // Back in the pool before the end is reported: the run that ends
                            // with this report closes the pool's idle connections.
                            store.reset();
                        },
                        [] { return &Run::ReportDownloadEnded; }, std::chrono::milliseconds(20)};
    RunWorker(*m_run, end, [&] {
        HttpClient client;
        PrepareClient(*m_run, client);
        client.SetFollowRedirects(true);
        store.emplace(m_run->TakeStore());
        ItemJob job{*m_run, m_itemId, client, **store, {}, {}, {}, {}, false};

        m_run->Log("正在下载 " + m_itemId + "...");
        try {
            DoDownload(job);
        } catch (const DatabaseError&) {
            // Not handed to the next item: a server connection that failed may be lost, and
            // the next item opens its own, which finds out whether the store still answers.
            store->Discard();
            throw;
        }
    });
}

void TDownloadItem::Finish(WorkerFailure failure, Store* store) noexcept {
    try {
        if (failure == WorkerFailure::Store || failure == WorkerFailure::StoreEnded) {
            // Whatever was read, the item's rows are not all stored: its figures cannot be
            // believed.
            m_state = ItemRead::Failed;
            m_answer = "store";
            m_run->CountNotStored(m_itemId);
        } else if (failure == WorkerFailure::Other) {
            m_state = ItemRead::Failed;
            m_answer = "error";
        }
        m_run->FinishItem(m_item, m_state, m_answer, store);
    } catch (...) {
        // The record is the run's to keep; the end report must still go.
    }
}

void TDownloadItem::DoDownload(ItemJob& job) {
    Run& run = job.run;
    std::string page;
    try {
        FetchedPage fetched =
            FetchPage(run, job.client, run.GetEndpoints().ItemPage(m_itemId), PageKind::Item,
                      [](const std::string& text) { return ItemPageHasShape(text); });
        page = std::move(fetched.text);
        ReadStateFrom(fetched.answer);
    } catch (const RequestNotSent&) {
        // The zero row follows as for any page that could not be read; the item stays not
        // started, for nobody asked the marketplace about it.
        m_state = ItemRead::NotStarted;
    } catch (const FetchError& error) {
        ReadStateFrom(ClassOfFailure(error, job.client.Trail()));
    }

    ItemRow item;
    item.sid = run.RunId();
    item.ItemID = m_itemId;

    const ItemPage parsed = ParseItemPage(page);
    item.title = parsed.title;
    item.price = parsed.price;
    item.allow_quantity = parsed.stock;
    if (parsed.soldCount) {
        item.sellcount = *parsed.soldCount;
    } else {
        item.sellcount = ParseSoldCountAnswer(FetchOrEmpty(run, job.client, parsed.soldCountAddress,
                                                           PageKind::SoldCount))
                             .soldCount;
    }
    item.SellAmount = item.sellcount * item.price;
    item.pv =
        ParseViewsAnswer(FetchOrEmpty(run, job.client, parsed.viewsAddress, PageKind::Views)).views;

    item.BuyerCount = ReadDealRecords(job, parsed.dealRecordAddress);
    item.Commentcount = ReadReviews(job, parsed.reviewAddress);

    item.UpdateTime = run.GetClock().Now();
    item.lastSell = job.LastSellTime;
    item.lastComment = job.LastCommentTime;
    job.store.AppendItem(item);
    run.CountItemStored(!Trim(item.title).empty(), m_itemId);
}

}  // namespace tarnwick
