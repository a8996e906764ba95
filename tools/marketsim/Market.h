#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marketsim {

// ---- What a shop looks like. All texts are UTF-8 here; pages go out in GBK. ----

struct Deal {
    std::string buyer;       // a named buyer's nick
    bool anonymous = false;  // shown masked: anonymousHead + "**" + anonymousTail
    std::string anonymousHead;
    std::string anonymousTail;
    std::string rankIcon = "b_red_1.gif";  // file name under the image host's /newrank/
    std::string rankTitle;                 // title of the rank icon
    std::string memberTitle;               // title of the membership link; empty: no link
    std::string price = "0";               // as the page shows it
    std::string amount = "1";
    std::string time = "2012-04-05 10:20:33";  // as the page shows it
    std::string skuHtml;  // the variant cell, may hold markup and character references
};

struct Review {
    std::string content;
    int vipLevel = 0;
    std::string nick;
    std::string id;
    std::string pic;
    std::string date = "2012-04-05 10:20:33";
    int rateSum = 0;
    bool rateSumLast = false;     // the member stands last, with no comma after its value
    bool braceInContent = false;  // a "}" inside the content cuts the object short
    // A "}" inside the nick: the content and the membership level are still read, the nick
    // and every member after it are cut off (the content cut above loses the content too).
    bool braceInNick = false;
};

struct Item {
    std::string id;  // decimal digits (or anything, to test odd ids)
    std::string title;
    enum class TitleShape { HiddenInput, DetailHeading, None } titleShape = TitleShape::HiddenInput;
    std::string price = "10.00";
    bool priceBlankBeforeQuote = true;  // "value= \"..\"" as the marketplace writes it
    int stock = 100;
    bool stockInSpan = false;  // the stock shown in J_SpanStock instead of the hidden input
    int soldCount = 0;
    enum class SoldShape {
        Element,
        ElementWithMoreClasses,
        Answer,
        None
    } soldShape = SoldShape::Element;
    int views = 0;
    bool hasViewsAddress = true;
    bool hasDealAddress = true;
    bool hasDealPagingMarker = true;  // the detail:params paging marker on page 1
    bool pagingBaseWithoutBidPage = false;
    int dealPageSize = 15;
    std::vector<Deal> deals;
    bool hasReviewAddress = true;
    int reviewPageSize = 20;
    std::optional<int> reviewPagesValue;  // the "pages" member; default: pages the reviews need
    bool reviewPagesMissing = false;
    std::vector<Review> reviews;
    std::string cookie;  // when set, the item page sets this cookie ("name=value")
    // Hostile pages. When set, the item page gives this address for the deal records or the
    // reviews instead of ours ("file:///dev/zero", "gopher://...").
    std::string dealAddressOverride;
    std::string reviewAddressOverride;
    // Every review page is full of reviews never seen before and claims 2147483647 pages.
    bool endlessReviews = false;
    // Deal-record and review pages 2.. bring page 1's records again, but their bytes differ
    // (the page number in them changes), as a server that ignores the page number would.
    bool repeatRecordsOnFurtherPages = false;
};

struct Shop {
    std::string nick;  // the shopkeeper nick the IM card answers for
    std::string key;   // the shop's path: /shop/<key>/
    std::string ownerId;
    enum class CardShape {
        Normal,                     // shop link, "ownerid=..&" and the rating link
        OwnerIdFromRatingLinkOnly,  // "ownerid=" without a following "&", plus the rating link
        NoShopLink,
        NoOwnerId,
        ShopLinkWithSlash,
        OldMallAddress,  // the shop link runs through the old mall.<main domain> form
    } cardShape = CardShape::Normal;
    int listPageSize = 20;
    std::optional<int> pageInfoValue;  // what "1/N" says; default: pages the items need
    bool pageInfoMissing = false;
    bool paginationMini = true;  // "pagination pagination-mini" rather than "pagination"
    // A redesigned listing: the page info still promises the pages, but the item links take a
    // new form ("/i/<id>.htm" with a data-item-id) that holds no "item.htm?id=".
    bool newItemLinks = false;
    std::vector<Item> items;

    // The marketplace shutting a client out once it has answered `blockAfter` requests for
    // this shop (its IM card, its listing pages and every answer about its items count).
    enum class BlockMode {
        None,
        LoginRedirect,          // every answer a 302 to the login page
        VerificationPage,       // every answer a 200 "prove you are a person" page
        ItemNewDesign,          // item pages in a new design without any marker we read
        ListingWithoutSection,  // listing pages keep their page info but lose the listing
    } blockMode = BlockMode::None;
    int blockAfter = 0;
};

// ---- A marketplace that refuses clients for their pace. ----
// Once more than `burst` requests arrived within `window`, every request is answered `status`
// with `retryAfter` as its Retry-After header (none when empty) for `refuseFor`; with
// `endless`, every request from then on. The IM card, the version answer and the stats are
// never refused.
struct RateLimit {
    int burst = 0;  // 0: off
    int windowMs = 1000;
    int status = 429;
    std::string retryAfter = "1";
    int refuseForMs = 1000;
    bool endless = false;
    // Requests still under way when the refusing begins arrive a little later; past this they
    // count as sent into the refusal.
    int settleMs = 300;
};

// ---- Faults, applied to requests whose target (path and query) contains `match`. ----
struct Fault {
    std::string match;
    int status = 0;             // answer with this status (404, 500, ...) and a small body
    int redirects = 0;          // answer with a chain of this many redirects, then the real page
    bool redirectLoop = false;  // redirect to itself for ever
    int delayMs = 0;            // wait this long before answering
    bool closeMidBody = false;  // send the head and half the body, then close
    bool stall = false;         // send nothing until the server stops
    bool hold = false;          // wait until Market::ReleaseHolds() before answering
    bool identicalFurtherPages = false;  // deal / review pages 2.. all answer as page 2
    std::string redirectTo{};            // answer with a redirect to this address, any scheme
    std::size_t bodyBytes = 0;           // answer 200 with a body of this many bytes
    int trickleMs = 0;                   // send the answer one byte at a time, this far apart
};

}  // namespace marketsim
