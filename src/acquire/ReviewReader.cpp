#include "acquire/ReviewReader.h"

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
#include "pages/ReviewPage.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// A full review page; a shorter one is the last.
constexpr int kFullPage = 20;
// Further pages that fail one after another before we give up on the item's reviews: a
// review service that fails every page would otherwise be asked for ever.
constexpr int kFailedPagesInARow = 3;

}  // namespace

int ReadReviews(ItemJob& job, std::string address) {
    if (address.empty()) {
        return 0;
    }
    // The page's own request asks for the short form; we want the texts.
    address =
        ReplaceAll(ReplaceAll(address, "showContent=1", "showContent="), "ismore=0", "ismore=1");
    Run& run = job.run;
    PageSeries series;
    series.kind = PageKind::Reviews;
    series.noun = "评价";
    series.fullPage = kFullPage;
    series.maxPages = run.Limits().maxReviewPages;
    series.save = SaveRatePage;
    series.hasShape = [](const std::string& text, int pageNumber, int promised) {
        return ReviewAnswerHasShape(text, pageNumber, promised);
    };
    series.promisedPages = [](const std::string& firstPage) { return ReviewPageCount(firstPage); };
    series.afterFirstPage = [&run](const std::string& firstPage) {
        if (NamesReviews(firstPage)) {
            run.Pause(std::chrono::milliseconds(10));
        }
    };
    series.pagingBase = [&address](const std::string&) { return address; };
    series.pageParameter = "currentPage=";
    series.failedPagesInARow = kFailedPagesInARow;
    series.progressDue = [](int total) { return total % 50 == 0; };
    return ReadPageSeries(job, address, series);
}

int SaveRatePage(ItemJob& job, int pageNumber, const std::string& text) {
    job.RepeatedPage = false;
    ReviewPage page = ParseReviewPage(text, pageNumber);
    // A page past its own count holds nothing and leaves the records of the page before it as
    // the ones the next page is compared with.
    if (page.pages < pageNumber) {
        return 0;
    }
    if (RepeatsPrevious(job, pageNumber, page.objects)) {
        return 0;
    }
    // The page's reviews go to the store together, in one transaction: a failure stores none of
    // them. An object that ended the reading part-way (an impossible review date) still leaves
    // the reviews before it stored.
    std::vector<RateRow> rates =
        RowsOfPage<RateRow>(job, page.reviews, [](RateRow& rate, Review& review) {
            rate.rateContent = std::move(review.rateContent);
            rate.userVipLevel = review.userVipLevel;
            rate.displayUserNick = std::move(review.displayUserNick);
            rate.CommentID = std::move(review.CommentID);
            rate.displayRatePic = std::move(review.displayRatePic);
            rate.rateDate = review.rateDate;
            rate.User_RateSum = review.User_RateSum;
        });
    job.store.AppendRates(rates);
    job.run.CountRates(static_cast<int>(rates.size()));
    return PageStored(rates, pageNumber, &RateRow::rateDate, job.LastCommentTime, page.cutShort);
}

}  // namespace tarnwick
