#include "pages/ReviewPage.h"

#include "base/Text.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "pages/PageDate.h"
#include "pages/PageRecords.h"

namespace tarnwick {
namespace {

Review ReadObject(const std::string& object) {
    Review review;
    review.rateContent = TextBetween(object, "rateContent\":\"", "\"");
    review.userVipLevel = WholeNumber(TextBetween(object, "\"userVipLevel\":", ","));
    review.displayUserNick = TextBetween(object, "\"displayUserNick\":\"", "\"");
    review.CommentID = TextBetween(object, "\"id\":", ",");
    review.displayRatePic = TextBetween(object, "\"displayRatePic\":\"", "\"");
    review.rateDate = ReadPageDateTime(TextBetween(object, "\"rateDate\":\"", "\""));
    // The review service spells the member so.
    review.User_RateSum = WholeNumber(TextBetween(object, "\"dispalyRateSum\":", ","));
    return review;
}

}  // namespace

int ReviewPageCount(std::string_view text) {
    return WholeNumber(TextBetween(text, "\"pages\":", ","));
}

bool NamesReviews(std::string_view text) {
    return text.find("rateContent") != std::string_view::npos;
}

PageShape ReviewPageShape(std::string_view text, int pageNumber, int promisedPages) {
    PageShape title = TitleShape(text);
    if (title != PageShape::Usual) {
        return title;
    }
    if (text.find("\"pages\"") == std::string_view::npos) {
        return PageShape::Shapeless;
    }
    // Past the promised pages an empty answer is what the service should give.
    return pageNumber > promisedPages || text.find("{\"rateContent") != std::string_view::npos
               ? PageShape::Usual
               : PageShape::Shapeless;
}

ReviewPage ParseReviewPage(std::string_view text, int pageNumber) {
    ReviewPage page;
    page.pages = ReviewPageCount(text);
    page.shape = ReviewPageShape(text, pageNumber, page.pages);
    if (page.pages < pageNumber) {
        return page;
    }
    // One compiled pattern per thread, rather than one per page.
    thread_local RecordMatcher matcher;
    page.objects = CutRecords(matcher, std::string(text), R"(\{"rateContent.*?\})");
    for (const std::string& object : page.objects) {
        try {
            Review review = ReadObject(object);
            if (Trim(review.displayUserNick).empty() && Trim(review.rateContent).empty()) {
                continue;
            }
            page.reviews.push_back(std::move(review));
        } catch (const std::exception&) {
            page.cutShort = std::current_exception();
            break;
        }
    }
    return page;
}

}  // namespace tarnwick
