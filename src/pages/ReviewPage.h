#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "pages/PageShape.h"

namespace tarnwick {

// One review, its members as the review service writes them (escapes left as they are).
struct Review {
    std::string rateContent;
    int userVipLevel = 0;
    std::string displayUserNick;
    std::string CommentID;
    std::string displayRatePic;
    DateTime rateDate;
    int User_RateSum = 0;
};

// One review answer: JSON text with the item's review page count and one object per review.
struct ReviewPage {
    PageShape shape = PageShape::Usual;
    int pages = 0;  // the "pages" member; 0 when missing or not a number
    // Every review object as cut, from its brace to the first closing brace after its
    // "rateContent": two answers with the same objects are the same page.
    std::vector<std::string> objects;
    // The objects that are reviews, in page order: one with neither nick nor text is none.
    std::vector<Review> reviews;
    // What ended the reviews before the last object (an impossible review date); the reviews
    // before it are whole. Null when every object was read.
    std::exception_ptr cutShort;
};

// Page `pageNumber` of an item's reviews, its shape judged by its own page count. A page whose
// page count is below its number holds nothing: it is not cut at all. Throws MatchError when
// the object search gives up part-way.
ReviewPage ParseReviewPage(std::string_view text, int pageNumber);
// The shape of page `pageNumber` of an item whose first page promised `promisedPages` (for
// page 1: its own).
PageShape ReviewPageShape(std::string_view text, int pageNumber, int promisedPages);
int ReviewPageCount(std::string_view text);  // the "pages" member
// Whether the answer names a review member at all, read or not.
bool NamesReviews(std::string_view text);

}  // namespace tarnwick
