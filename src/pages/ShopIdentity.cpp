#include "pages/ShopIdentity.h"

#include <cstdio>

#include "base/Text.h"
#include "fetch/Gbk.h"
#include "fetch/TextTools.h"
#include "pages/ImCardPage.h"

namespace tarnwick {
namespace {

// The nick goes out as its GBK bytes. Only the bytes that would end the request line or the
// query value early are escaped; escaping every GBK byte would change what the marketplace sees.
std::string EscapeQueryValue(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c <= 0x20 || c == 0x7F || c == '&' || c == '#' || c == '%' || c == '+') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::string ImCardAddress(const Endpoints& endpoints, std::string_view nick) {
    return endpoints.imCardHost + "/wangwang/ming_pian_without_avatar.htm?nick=" +
           EscapeQueryValue(Utf8ToGbk(Trim(nick))) +
           "&from_nick=" + EscapeQueryValue(Utf8ToGbk(endpoints.fromNick));
}

bool ReadShopCard(std::string_view page, const Endpoints& endpoints, ShopIdentity& identity) {
    try {
        ImCard card = ParseImCard(page, endpoints);
        const bool hasShop = !card.shopAddress.empty();
        identity = {std::move(card.shopAddress), std::move(card.ownerId)};
        return hasShop;
    } catch (const std::exception&) {
        return false;
    }
}

bool LookupShopByNick(HttpClient& client, const Endpoints& endpoints, std::string_view nick,
                      ShopIdentity& identity, std::optional<FetchError>* fetchFailure) {
    try {
        std::string raw;
        try {
            raw = client.Get(ImCardAddress(endpoints, nick));
        } catch (const FetchError& error) {
            if (fetchFailure != nullptr) {
                *fetchFailure = error;
            }
            return false;
        }
        return ReadShopCard(GbkToUtf8(raw), endpoints, identity);
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

bool FinishIdentity(const Endpoints& endpoints, ShopIdentity& found, ShopIdentity& identity) {
    if (Trim(found.shopAddress).empty() || Trim(found.ownerId).empty()) {
        return false;
    }
    found.shopAddress =
        ReplaceAll(found.shopAddress, "mall." + endpoints.mainDomain, endpoints.tmallDomain);
    identity = std::move(found);
    return true;
}

}  // namespace

bool ResolveShopIdentity(HttpClient& client, const Endpoints& endpoints, std::string_view nick,
                         ShopIdentity& identity, std::optional<FetchError>* fetchFailure) {
    ShopIdentity found = identity;
    if (!LookupShopByNick(client, endpoints, nick, found, fetchFailure)) {
        return false;
    }
    return FinishIdentity(endpoints, found, identity);
}

bool ResolveShopIdentityFromCard(std::string_view page, const Endpoints& endpoints,
                                 ShopIdentity& identity) {
    ShopIdentity found = identity;
    if (!ReadShopCard(page, endpoints, found)) {
        return false;
    }
    return FinishIdentity(endpoints, found, identity);
}

}  // namespace tarnwick
