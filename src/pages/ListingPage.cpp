#include "pages/ListingPage.h"

#include <algorithm>

#include "base/Text.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"

namespace tarnwick {
namespace {

// The listing section: the mini pagination's when the page has one (found case-sensitively,
// unlike every other marker), the plain pagination's otherwise.
constexpr std::string_view kMiniPagination = "<div class=\"pagination pagination-mini\">";
constexpr std::string_view kPagination = "<div class=\"pagination\">";
constexpr std::string_view kEndPagination = "<!--end pagination-->";

std::string Section(std::string_view text) {
    std::string_view start =
        text.find(kMiniPagination) != std::string_view::npos ? kMiniPagination : kPagination;
    return TextBetween(text, start, kEndPagination);
}

}  // namespace

int ListingPageCount(std::string_view firstPage) {
    return WholeNumber(TextBetween(firstPage, "<span class=\"page-info\">1/", "</span>"));
}

PageShape ListingShape(std::string_view text, int pageNumber, int promisedPages) {
    PageShape title = TitleShape(text);
    if (title != PageShape::Usual) {
        return title;
    }
    if (pageNumber > 1 && pageNumber > promisedPages) {
        return PageShape::Usual;  // a page nobody promised may well be empty
    }
    return Section(text).empty() ? PageShape::Shapeless : PageShape::Usual;
}

std::vector<std::string> ListingItemIds(std::string_view text) {
    std::vector<std::string> ids;
    RecordMatcher matcher;
    matcher.SetSubject(Section(text));
    matcher.SetPattern(R"(\<li\>.*?\<\/li\>)");
    while (matcher.FindNext()) {
        std::string id = TextBetween(matcher.MatchedText(), "item.htm?id=", "\"");
        std::erase_if(id, [](char c) { return c == '"' || c == '&'; });
        if (auto blank = id.find(' '); blank != std::string::npos) {
            id.resize(blank);
        }
        id = Trim(id);
        if (!id.empty()) {
            ids.push_back(std::move(id));
        }
    }
    return ids;
}

ListingPage ParseListingPage(std::string_view text, int pageNumber, int promisedPages) {
    return {ListingShape(text, pageNumber, promisedPages), ListingPageCount(text),
            ListingItemIds(text)};
}

}  // namespace tarnwick
