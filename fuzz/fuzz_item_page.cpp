// One item page and its two companion answers read by their parsers: the addresses the stages
// go on with are trimmed, no figure is read from a page without its marker, and nothing but a
// title the HTML reader refuses ends the reading of a page.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "base/Text.h"
#include "fetch/HtmlToText.h"
#include "fetch/TextTools.h"
#include "pages/ItemPage.h"

using tarnwick::HasMarker;
using tarnwick::fuzz::Require;

namespace {

bool Trimmed(const std::string& text) {
    return text == tarnwick::Trim(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const tarnwick::ItemPage page = tarnwick::ParseItemPage(text);
        Require(Trimmed(page.dealRecordAddress) && Trimmed(page.reviewAddress));
        if (page.soldCount) {
            Require(HasMarker(text, "<li class=\"tb-sold-out") && HasMarker(text, "<em>"));
        }
        if (page.price != 0) {
            Require(HasMarker(text, "name=\"current_price\" value= \""));
        }
        if (!page.title.empty()) {
            Require(HasMarker(text, "name=\"title\"") || HasMarker(text, "<h3>"));
        }
    } catch (const tarnwick::HtmlError&) {
    }
    if (tarnwick::ParseSoldCountAnswer(text).soldCount != 0) {
        Require(HasMarker(text, "quanity:"));
    }
    if (tarnwick::ParseViewsAnswer(text).views != 0) {
        Require(HasMarker(text, "\":"));
    }
    return 0;
}
