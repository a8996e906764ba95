#include "pages/PageShape.h"

#include <algorithm>
#include <cctype>

#include "base/Text.h"
#include "fetch/TextTools.h"

namespace tarnwick {
namespace {

struct TitleMarker {
    std::string_view text;
    PageShape shape;
};

// The words the marketplace's login and verification pages carry in their titles, compared as
// they stand (the Chinese words) and in lower case (the English ones).
constexpr TitleMarker kTitleMarkers[] = {
    {"登录", PageShape::Login},
    {"登陆", PageShape::Login},  // the marketplace's own misspelling, seen on old pages
    {"login", PageShape::Login},
    {"sign in", PageShape::Login},
    {"验证码", PageShape::Verification},
    {"安全验证", PageShape::Verification},
    {"身份验证", PageShape::Verification},
    {"滑动验证", PageShape::Verification},
    {"访问受限", PageShape::Verification},
    {"访问被拒绝", PageShape::Verification},
    {"verify", PageShape::Verification},
    {"captcha", PageShape::Verification},
};

}  // namespace

std::string PageTitle(std::string_view text) {
    return Trim(TextBetween(text, "<title>", "</title>"));
}

PageShape TitleShape(std::string_view text) {
    const std::string title = PageTitle(text);
    if (title.empty()) {
        return PageShape::Usual;
    }
    const std::string lowerTitle = AsciiLower(title);
    for (const TitleMarker& marker : kTitleMarkers) {
        if (title.find(marker.text) != std::string::npos ||
            lowerTitle.find(marker.text) != std::string::npos) {
            return marker.shape;
        }
    }
    return PageShape::Usual;
}

bool HasMarker(std::string_view text, std::string_view marker) {
    return std::search(text.begin(), text.end(), marker.begin(), marker.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           }) != text.end();
}

}  // namespace tarnwick
