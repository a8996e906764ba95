// One deal-record answer read by its parser: never more records than rows, every record a
// named or an anonymous buyer with a nick or a price, and nothing but an impossible deal time
// ending the records early; a record's sell amount is its amount times its price.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "base/Text.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "pages/DealPage.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tarnwick::Endpoints endpoints = tarnwick::Endpoints::Defaults();
    const std::string text(reinterpret_cast<const char*>(data), size);
    tarnwick::DealPage page;
    try {
        page = tarnwick::ParseDealPage(text, endpoints);
    } catch (const tarnwick::MatchError&) {
        return 0;  // the search gave up: the page is refused as a whole
    }
    Require(page.records.size() <= page.rows.size());
    tarnwick::fuzz::RequireOnlyAnImpossibleDate(page.cutShort);
    for (const auto& record : page.records) {
        Require(record.usertype == 0 || record.usertype == 1);
        Require(!tarnwick::Trim(record.Buyer).empty() || record.price != 0);
        Require(record.usertype == 1 || record.Buyer.find("**") != std::string::npos);
        Require(record.sellamount == record.amount * record.price);
    }
    return 0;
}
