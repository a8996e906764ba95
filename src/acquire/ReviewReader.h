#pragma once

#include <string>

namespace tarnwick {

struct ItemJob;

// The item's reviews, page by page from `address` (the item page's; empty: none to read), one
// RateList row each. Returns how many were stored; the first review of page 1 sets the job's
// LastCommentTime.
int ReadReviews(ItemJob& job, std::string address);

// Stores the reviews of one review answer; returns how many (0 at once when the answer's page
// count is below the page number). Throws on an impossible date or a failed append.
int SaveRatePage(ItemJob& job, int pageNumber, const std::string& text);

}  // namespace tarnwick
