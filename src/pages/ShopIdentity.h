#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fetch/Endpoints.h"
#include "fetch/HttpClient.h"

namespace tarnwick {

struct ShopIdentity {
    std::string shopAddress;  // ends with "/"
    std::string ownerId;
};

// The IM card address for a nick (UTF-8 in; the nick goes out as GBK bytes, with only the
// bytes that would break the request line or the query percent-encoded).
std::string ImCardAddress(const Endpoints& endpoints, std::string_view nick);

// Looks the nick up on its IM card page with the caller's client. True when the page shows a
// shop link; the identity keeps its previous values on failure. When the page could not be
// fetched at all and `fetchFailure` is given, it receives the reason.
bool LookupShopByNick(HttpClient& client, const Endpoints& endpoints, std::string_view nick,
                      ShopIdentity& identity, std::optional<FetchError>* fetchFailure = nullptr);

// The lookup's reading of an IM card page already fetched (UTF-8 text), for a caller that
// fetches the page itself. Same results as LookupShopByNick.
bool ReadShopCard(std::string_view page, const Endpoints& endpoints, ShopIdentity& identity);

// Lookup plus the checks and the Tmall address rewrite. False when the nick does not lead to
// both a shop address and an owner id.
bool ResolveShopIdentity(HttpClient& client, const Endpoints& endpoints, std::string_view nick,
                         ShopIdentity& identity, std::optional<FetchError>* fetchFailure = nullptr);
// The same from an IM card page already fetched.
bool ResolveShopIdentityFromCard(std::string_view page, const Endpoints& endpoints,
                                 ShopIdentity& identity);

}  // namespace tarnwick
