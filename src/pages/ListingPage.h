#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pages/PageShape.h"

namespace tarnwick {

// One page of a shop's item listing.
struct ListingPage {
    PageShape shape = PageShape::Usual;
    // What the page info says ("1/N" on page 1); 0 when it says nothing readable.
    int pageCount = 0;
    std::vector<std::string> itemIds;  // in page order, duplicates kept
};

// `promisedPages`: what page 1's page info says (for page 1: its own).
ListingPage ParseListingPage(std::string_view text, int pageNumber, int promisedPages);
PageShape ListingShape(std::string_view text, int pageNumber, int promisedPages);
int ListingPageCount(std::string_view firstPage);
// Throws MatchError when the record search gives up part-way.
std::vector<std::string> ListingItemIds(std::string_view text);

}  // namespace tarnwick
