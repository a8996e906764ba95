#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The answers a run asks the marketplace for, told apart so that a summary can say which part
// of the marketplace went missing or changed.
enum class PageKind : std::uint8_t { Card, Listing, Item, SoldCount, Views, Deals, Reviews };
inline constexpr std::size_t kPageKindCount = 7;

// What became of one request.
enum class AnswerClass : std::uint8_t {
    Ok,
    HttpError,     // an error status
    Network,       // no connection, a broken one, a redirect loop
    Timeout,       // no data within the read time-out
    TooLarge,      // a body past the size limit
    Login,         // sent to a login page
    Verification,  // sent to a "prove you are a person" page
    Shapeless,     // an answer of the right address without the shape we read
    RateLimited,   // refused for asking too often: 429, or 503 with a Retry-After
};
inline constexpr std::size_t kAnswerClassCount = 9;

// Answers that say the marketplace no longer serves us: once most answers are of these, the
// run is blocked rather than unlucky.
constexpr bool IsBlockingClass(AnswerClass c) {
    return c == AnswerClass::Login || c == AnswerClass::Verification || c == AnswerClass::Shapeless;
}

// Stable names, stored in the database and printed by the command line.
const char* PageKindName(PageKind kind);      // "card", "listing", "item", ...
const char* PageKindLabel(PageKind kind);     // "旺旺名片", "宝贝列表页", ...
const char* AnswerClassName(AnswerClass c);   // "ok", "http", "network", ...
const char* AnswerClassLabel(AnswerClass c);  // "正常", "HTTP 错误", ...

// Login or verification when any address of the fetch (the request, every redirect target, an
// unfollowed redirect's target) or the final page's title says so; otherwise Ok. `trail` holds
// the addresses in the order they were asked for.
AnswerClass ClassifyDestination(const std::vector<std::string>& trail, std::string_view text);

// The shapes the readers rely on, as the page parsers judge them. Each is true when the answer is
// one they can read, even if it holds nothing (a shop without items, an item without reviews).
bool ItemPageHasShape(std::string_view text);
// `promisedPages`: what page 1's page info says (0 when it says nothing). Page 1 must carry the
// listing section or at least its page info; a further page must carry the section.
bool ListingHasShape(std::string_view text, int pageNumber, int promisedPages);
bool DealAnswerHasShape(std::string_view text);
// `promisedPages`: the "pages" value of the item's first review page (for page 1: its own).
bool ReviewAnswerHasShape(std::string_view text, int pageNumber, int promisedPages);

}  // namespace tarnwick
