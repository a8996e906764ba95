#include "analysis/AnswerClassifier.h"

#include "base/Text.h"
#include "pages/DealPage.h"
#include "pages/ItemPage.h"
#include "pages/ListingPage.h"
#include "pages/PageShape.h"
#include "pages/ReviewPage.h"

namespace tarnwick {
namespace {

// Where the marketplace sends a client it wants to see signed in (what such pages carry in
// their titles is the page parsers' to read). Addresses are compared in lower case on the path and
// query only, so that a shop whose host or key happens to hold one of these words is not taken for
// one.
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
        AsciiLower(address.substr(scheme + 3, address.find('/', scheme + 3) - (scheme + 3)));
    return host.rfind("login.", 0) == 0;
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

AnswerClass ClassifyDestination(const std::vector<std::string>& trail, std::string_view text) {
    for (const std::string& address : trail) {
        if (IsLoginHost(address)) {
            return AnswerClass::Login;
        }
        const std::string path = AsciiLower(PathAndQuery(address));
        for (const Marker& marker : kAddressMarkers) {
            if (path.find(marker.text) != std::string::npos) {
                return marker.answer;
            }
        }
    }
    switch (TitleShape(text)) {
        case PageShape::Login:
            return AnswerClass::Login;
        case PageShape::Verification:
            return AnswerClass::Verification;
        default:
            return AnswerClass::Ok;
    }
}

// A page in place of the one asked for is told by its title, before its shape is judged, so
// only the want of the usual shape counts here.
bool ItemPageHasShape(std::string_view text) {
    return ItemPageShape(text) != PageShape::Shapeless;
}

bool ListingHasShape(std::string_view text, int pageNumber, int promisedPages) {
    return ListingShape(text, pageNumber, promisedPages) != PageShape::Shapeless;
}

bool DealAnswerHasShape(std::string_view text) {
    return DealPageShape(text) != PageShape::Shapeless;
}

bool ReviewAnswerHasShape(std::string_view text, int pageNumber, int promisedPages) {
    return ReviewPageShape(text, pageNumber, promisedPages) != PageShape::Shapeless;
}

}  // namespace tarnwick
