#pragma once

#include <functional>
#include <string>

#include "analysis/AnswerClassifier.h"

namespace tarnwick {

struct ItemJob;

// How one of an item's paged stages (deal records, reviews) walks its pages. The walk is the
// same for both; each field says where the two differ, and why.
struct PageSeries {
    PageKind kind = PageKind::Deals;
    // What the progress lines count: "买家", "评价".
    std::string noun;
    // A page this full may have a successor; a shorter one is the last. The two services page
    // their records in different sizes (15 deal records, 20 reviews).
    int fullPage = 0;
    // The run's bound on the pages of this stage.
    int maxPages = 0;
    // Sets the client up for this stage's service before page 1; a failure here ends the stage
    // as a failed page 1 would. The deal records want the item page's referer and user agent.
    std::function<void()> prepare;
    // Stores one page; returns how many records it stored. Throws on a page cut short or a
    // failed append; the rows it stored stay.
    std::function<int(ItemJob& job, int pageNumber, const std::string& text)> save;
    // Whether page `pageNumber` has the shape its reader relies on; `promised` is what page 1
    // promised (0 where the stage has no page count).
    std::function<bool(const std::string& text, int pageNumber, int promised)> hasShape;
    // The page count page 1 promises; empty for the deal records, whose answers carry none.
    // The review service says how many pages the item has, and later pages may claim ever more:
    // page 1's count is the one believed, and no page past it is stored.
    std::function<int(const std::string& firstPage)> promisedPages;
    // Called with page 1's text once it is fetched, before it is stored: the review stage
    // gives the review service a moment after a page that names reviews.
    std::function<void(const std::string& firstPage)> afterFirstPage;
    // The address of the further pages, page 1's number in it as `pageParameter` + "1"; empty
    // when no further page can be reached. The deal records take it from page 1 (and cannot page
    // without the number in it); the reviews page their own address.
    std::function<std::string(const std::string& firstPage)> pagingBase;
    std::string pageParameter;  // "bid_page=", "currentPage="
    // Further pages that may fail one after another before the stage gives up. A deal-record
    // service that fails a page is taken to have no more to give (1); the review service fails
    // single pages that a later page number still answers (3), and a service that fails every
    // page would otherwise be asked for ever.
    int failedPagesInARow = 1;
    // Whether a progress line is due after a further page, by the total stored so far. The
    // deal-record stage tells while it is still under 50 records; the review stage at every
    // fiftieth review.
    std::function<bool(int total)> progressDue;
};

// Walks the stage's pages from `address` (page 1) and returns how many records were stored.
// Stops past the run's bound, on a user's stop, on a short page, on an answer that repeats the
// last one; a store failure that ends the run goes through to the worker.
int ReadPageSeries(ItemJob& job, const std::string& address, const PageSeries& series);

}  // namespace tarnwick
