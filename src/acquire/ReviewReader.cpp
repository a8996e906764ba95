#include "acquire/ReviewReader.h"

#include <exception>
#include <vector>

#include "acquire/ItemJob.h"
#include "acquire/PageFetch.h"
#include "acquire/PageRecords.h"
#include "acquire/Run.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "fetch/HttpClient.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "store/DateTime.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// A full review page; a shorter one is the last.
constexpr int kFullPage = 20;
// Further pages that fail one after another before we give up on the item's reviews: a
// review service that fails every page would otherwise be asked for ever.
constexpr int kFailedPagesInARow = 3;

int PagesValue(const std::string& page) {
    return WholeNumber(TextBetween(page, "\"pages\":", ","));
}

}  // namespace

int ReadReviews(ItemJob& job, const std::string& itemPage) {
    std::string address = Trim(TextBetween(itemPage, "data-reviewApi=\"", "\""));
    if (address.empty()) {
        return 0;
    }
    // The page's own request asks for the short form; we want the texts.
    address =
        ReplaceAll(ReplaceAll(address, "showContent=1", "showContent="), "ismore=0", "ismore=1");

    Run& run = job.run;
    int total = 0;
    job.PrevRecords.clear();
    try {
        // What page 1 promises decides whether an empty further page is a changed one.
        int promised = 0;
        FetchedPage first =
            FetchPage(run, job.client, address, PageKind::Reviews, [&](const std::string& text) {
                promised = WholeNumber(TextBetween(text, "\"pages\":", ","));
                return ReviewAnswerHasShape(text, 1, promised);
            });
        if (first.text.find("rateContent") != std::string::npos) {
            run.Pause(std::chrono::milliseconds(10));
        }
        int n = SaveRatePage(job, 1, first.text);
        total += n;
        // Later pages may claim ever more pages; page 1's count is the one we believe.
        const int pagesOfFirst = PagesValue(first.text);

        int failedInARow = 0;
        for (int pageNumber = 1; n >= kFullPage;) {
            if (run.StopRequested() || pageNumber >= run.Limits().maxReviewPages ||
                pageNumber > pagesOfFirst) {
                break;
            }
            ++pageNumber;
            std::string pageAddress =
                ReplaceAll(address, "currentPage=1", "currentPage=" + std::to_string(pageNumber));
            try {
                FetchedPage page = FetchPage(
                    run, job.client, pageAddress, PageKind::Reviews, [&](const std::string& text) {
                        return ReviewAnswerHasShape(text, pageNumber, promised);
                    });
                if (page.raw == job.PrevPageText) {
                    break;
                }
                job.PrevPageText = page.raw;
                // The page after page 1's last is still asked for, as always, but it is never
                // stored, whatever count it claims for itself.
                if (pageNumber > pagesOfFirst) {
                    break;
                }
                n = SaveRatePage(job, pageNumber, page.text);
                if (job.RepeatedPage) {
                    break;
                }
                total += n;
                failedInARow = 0;
                if (total % 50 == 0) {
                    run.Log("宝贝 " + job.ItemId + " 已下载" + std::to_string(total) +
                            "个评价.在第" + std::to_string(pageNumber) + "页仍在继续中...");
                }
            } catch (const RunAborted&) {
                throw;
            } catch (const DatabaseError& error) {
                if (run.StoreFailureEnds(error)) {
                    throw;
                }
                run.CountNotStored(job.ItemId);  // a refused page: the reviews are not all stored
                if (++failedInARow >= kFailedPagesInARow) {
                    break;
                }
            } catch (const std::exception&) {
                // A failed further page is passed over; the next page number may answer.
                if (++failedInARow >= kFailedPagesInARow) {
                    break;
                }
            }
        }
    } catch (const RunAborted&) {
        throw;
    } catch (const DatabaseError& error) {
        if (run.StoreFailureEnds(error)) {
            throw;  // ends the run, not just this stage
        }
        run.CountNotStored(job.ItemId);
    } catch (const std::exception&) {
        // Page 1 failed: no reviews beyond what it stored.
    }
    run.Log("宝贝 " + job.ItemId + " 共下载" + std::to_string(total) + "个评价.");
    return total;
}

int SaveRatePage(ItemJob& job, int pageNumber, const std::string& text) {
    job.RepeatedPage = false;
    if (PagesValue(text) < pageNumber) {
        return 0;
    }
    std::vector<std::string> records = CutRecords(job, text, R"(\{"rateContent.*?\})");
    if (RepeatsPrevious(job, pageNumber, records)) {
        return 0;
    }

    // The page's reviews go to the store together, in one transaction, once the page is cut:
    // a failure stores none of them. An object that ends the cutting part-way (an impossible
    // review date) still leaves the reviews before it stored.
    std::vector<RateRow> rates;
    std::exception_ptr cutShort;
    try {
        for (const std::string& object : records) {
            RateRow rate;
            rate.sid = job.run.RunId();
            rate.itemid = job.ItemId;
            rate.rateContent = TextBetween(object, "rateContent\":\"", "\"");
            rate.userVipLevel = WholeNumber(TextBetween(object, "\"userVipLevel\":", ","));
            rate.displayUserNick = TextBetween(object, "\"displayUserNick\":\"", "\"");
            rate.CommentID = TextBetween(object, "\"id\":", ",");
            rate.displayRatePic = TextBetween(object, "\"displayRatePic\":\"", "\"");
            rate.rateDate = ReadPageDateTime(TextBetween(object, "\"rateDate\":\"", "\""));
            // The review service spells the member so.
            rate.User_RateSum = WholeNumber(TextBetween(object, "\"dispalyRateSum\":", ","));
            if (Trim(rate.displayUserNick).empty() && Trim(rate.rateContent).empty()) {
                continue;
            }
            rate.AddTime = job.run.GetClock().Now();
            rates.push_back(std::move(rate));
        }
    } catch (const std::exception&) {
        cutShort = std::current_exception();
    }

    job.store.AppendRates(rates);
    const int count = static_cast<int>(rates.size());
    job.run.CountRates(count);
    if (count > 0 && pageNumber == 1) {
        job.LastCommentTime = rates.front().rateDate;
    }
    if (cutShort) {
        std::rethrow_exception(cutShort);
    }
    return count;
}

}  // namespace tarnwick
