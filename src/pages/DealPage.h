#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "fetch/Endpoints.h"
#include "pages/PageShape.h"

namespace tarnwick {

// One deal record: a purchase of the item, as the deal-record table shows it.
struct DealRecord {
    std::string Buyer;             // the nick; an anonymous buyer's masked as "head**tail"
    int usertype = 1;              // 1 named, 0 anonymous
    std::string buyer_credit;      // the file name of the buyer's credit rank icon
    std::string buyer_credit_str;  // that icon's title
    std::string userclass;         // the title of the buyer's membership link
    double price = 0;
    int amount = 0;
    DateTime buytime;
    std::string sku;        // the chosen variant, as plain text
    double sellamount = 0;  // amount × price
};

// One deal-record answer: a script whose argument holds the record table as a string.
struct DealPage {
    PageShape shape = PageShape::Usual;
    // Every table row as cut, spacer rows included: two answers with the same rows are the same
    // page, whatever their addresses.
    std::vector<std::string> rows;
    // The rows that are records, in page order: a row with neither buyer nor price is none.
    std::vector<DealRecord> records;
    // What ended the records before the last row (an impossible deal time, a cell the HTML
    // reader refused); the records before it are whole. Null when every row was read.
    std::exception_ptr cutShort;
};

// `endpoints` gives the image and membership hosts that two of the cells' markers carry. Throws
// MatchError when the row search gives up part-way (no record is then read).
DealPage ParseDealPage(std::string_view text, const Endpoints& endpoints);
PageShape DealPageShape(std::string_view text);

// Where page 1 says the further pages are to be asked for; empty when it does not say. Throws
// what HtmlToText throws.
std::string DealPagingAddress(std::string_view firstPage);

}  // namespace tarnwick
