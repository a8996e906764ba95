#include "analysis/AnswerClassifier.h"

#include <algorithm>
#include <cctype>

#include "base/Text.h"
#include "fetch/TextTools.h"

namespace tarnwick {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Where the marketplace sends a client it wants to see signed in, and the words such pages
// carry in their titles. Addresses are compared in lower case on the path and query only, so
// that a shop whose host or key happens to hold one of these words is not taken for one.
struct Marker {
    std::string_view text;
    AnswerClass answer;
};

constexpr Marker kAddressMarkers[] = {
    {"/member/login", AnswerClass::Login},  // login.taobao.com/member/login.jhtml
    {"/login.htm", AnswerClass::Login},     // the older login page
    {"/login.jhtml", AnswerClass::Login},
    {"/sso/", AnswerClass::Login},                   // single sign-on hops before the login page
    {"/_____tmd_____/", AnswerClass::Verification},  // the anti-robot service's own path
    {"/punish", AnswerClass::Verification},          // "too many requests" page
    {"/checkcode", AnswerClass::Verification},
    {"/captcha", AnswerClass::Verification},
    {"/verify", AnswerClass::Verification},
    {"x5secdata=", AnswerClass::Verification},  // the slider check's query
};

// Titles are compared as they stand (the Chinese words) and in lower case (the English ones).
constexpr Marker kTitleMarkers[] = {
    {"登录", AnswerClass::Login},
    {"登陆", AnswerClass::Login},  // the marketplace's own misspelling, seen on old pages
    {"login", AnswerClass::Login},
    {"sign in", AnswerClass::Login},
    {"验证码", AnswerClass::Verification},
    {"安全验证", AnswerClass::Verification},
    {"身份验证", AnswerClass::Verification},
    {"滑动验证", AnswerClass::Verification},
    {"访问受限", AnswerClass::Verification},
    {"访问被拒绝", AnswerClass::Verification},
    {"verify", AnswerClass::Verification},
    {"captcha", AnswerClass::Verification},
};

// Path and query of an absolute address, or the whole text when it has no host part.
std::string_view PathAndQuery(std::string_view address) {
    std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos) {
        return address;
    }
    std::size_t slash = address.find('/', scheme + 3);
    return slash == std::string_view::npos ? std::string_view() : address.substr(slash);
}

// The login host itself: every path on it is the login.
bool IsLoginHost(std::string_view address) {
    std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos) {
        return false;
    }
    std::string host =
        Lower(address.substr(scheme + 3, address.find('/', scheme + 3) - (scheme + 3)));
    return host.rfind("login.", 0) == 0;
}

// Item-page title markers; the detail reader takes the hidden input first, the heading second.
constexpr std::string_view kTitleInput = "<input type=\"hidden\" name=\"title\" value=\"";
constexpr std::string_view kDetailHeading = "<div class=\"tb-detail-hd\">";
// The listing section as the shop reader cuts it.
constexpr std::string_view kMiniPagination = "<div class=\"pagination pagination-mini\">";
constexpr std::string_view kPagination = "<div class=\"pagination\">";
constexpr std::string_view kEndPagination = "<!--end pagination-->";
// The deal-record answer is a call of this callback.
constexpr std::string_view kDealCallback = "TShop.mods.DealRecord.reload";

// Found the way the readers find markers: ASCII letters compared without case.
bool HasMarker(std::string_view text, std::string_view marker) {
    return std::search(text.begin(), text.end(), marker.begin(), marker.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           }) != text.end();
}

}  // namespace

const char* PageKindName(PageKind kind) {
    static constexpr const char* kNames[kPageKindCount] = {"card",  "listing", "item",   "sold",
                                                           "views", "deals",   "reviews"};
    return kNames[static_cast<std::size_t>(kind)];
}

const char* PageKindLabel(PageKind kind) {
    static constexpr const char* kLabels[kPageKindCount] = {
        "旺旺名片", "宝贝列表页", "宝贝页", "销量", "浏览量", "成交记录", "评价"};
    return kLabels[static_cast<std::size_t>(kind)];
}

const char* AnswerClassName(AnswerClass c) {
    static constexpr const char* kNames[kAnswerClassCount] = {
        "ok",    "http",         "network",   "timeout",     "too-large",
        "login", "verification", "shapeless", "rate-limited"};
    return kNames[static_cast<std::size_t>(c)];
}

const char* AnswerClassLabel(AnswerClass c) {
    static constexpr const char* kLabels[kAnswerClassCount] = {"正常",   "HTTP 错误", "网络错误",
                                                               "超时",   "页面过大",  "登录页",
                                                               "验证页", "页面改版",  "被限流"};
    return kLabels[static_cast<std::size_t>(c)];
}

std::string PageTitle(std::string_view text) {
    return Trim(TextBetween(text, "<title>", "</title>"));
}

AnswerClass ClassifyDestination(const std::vector<std::string>& trail, std::string_view text) {
    for (const std::string& address : trail) {
        if (IsLoginHost(address)) {
            return AnswerClass::Login;
        }
        const std::string path = Lower(PathAndQuery(address));
        for (const Marker& marker : kAddressMarkers) {
            if (Contains(path, marker.text)) {
                return marker.answer;
            }
        }
    }
    const std::string title = PageTitle(text);
    if (title.empty()) {
        return AnswerClass::Ok;
    }
    const std::string lowerTitle = Lower(title);
    for (const Marker& marker : kTitleMarkers) {
        if (Contains(title, marker.text) || Contains(lowerTitle, marker.text)) {
            return marker.answer;
        }
    }
    return AnswerClass::Ok;
}

bool ItemPageHasShape(std::string_view text) {
    return HasMarker(text, kTitleInput) || HasMarker(text, kDetailHeading);
}

bool ListingHasShape(std::string_view text, int pageNumber, int promisedPages) {
    if (pageNumber > 1 && pageNumber > promisedPages) {
        return true;  // a page nobody promised may well be empty
    }
    // The shop reader's own choice of section, case-sensitive for the mini form as it is there.
    std::string_view start = Contains(text, kMiniPagination) ? kMiniPagination : kPagination;
    return !TextBetween(text, start, kEndPagination).empty();
}

bool DealAnswerHasShape(std::string_view text) {
    return Contains(text, kDealCallback);
}

bool ReviewAnswerHasShape(std::string_view text, int pageNumber, int promisedPages) {
    if (!Contains(text, "\"pages\"")) {
        return false;
    }
    // Past the promised pages an empty answer is what the service should give.
    return pageNumber > promisedPages || Contains(text, "{\"rateContent");
}

}  // namespace tarnwick
