// One review answer read by its parser as page 1 and as page 2: nothing cut from a page past
// its own page count, never more reviews than objects, each review with a nick or a text, each
// object from its "rateContent" brace to a closing brace, and nothing but an impossible review
// date ending the reviews early.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "base/Text.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "pages/ReviewPage.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (int pageNumber : {1, 2}) {
        tarnwick::ReviewPage page;
        try {
            page = tarnwick::ParseReviewPage(text, pageNumber);
        } catch (const tarnwick::MatchError&) {
            continue;
        }
        if (page.pages < pageNumber) {
            Require(page.objects.empty() && page.reviews.empty() && !page.cutShort);
        }
        Require(page.reviews.size() <= page.objects.size());
        for (const std::string& object : page.objects) {
            Require(object.rfind("{\"rateContent", 0) == 0 && object.back() == '}');
        }
        for (const auto& review : page.reviews) {
            Require(!tarnwick::Trim(review.displayUserNick).empty() ||
                    !tarnwick::Trim(review.rateContent).empty());
        }
        tarnwick::fuzz::RequireOnlyAnImpossibleDate(page.cutShort);
    }
    return 0;
}
