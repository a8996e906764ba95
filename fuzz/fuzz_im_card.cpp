// One IM card page read by its parser and resolved: a shop address is empty or ends with "/",
// the owner id is trimmed, and only a card with both resolves.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "base/Text.h"
#include "fetch/TextTools.h"
#include "pages/ImCardPage.h"
#include "pages/ShopIdentity.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tarnwick::Endpoints endpoints = tarnwick::Endpoints::Defaults();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const tarnwick::ImCard card = tarnwick::ParseImCard(text, endpoints);
    Require(card.shopAddress.empty() || card.shopAddress.back() == '/');
    Require(card.ownerId == tarnwick::Trim(card.ownerId));
    // The lookup reads the card as the parser does.
    tarnwick::ShopIdentity read;
    Require(tarnwick::ReadShopCard(text, endpoints, read) == !card.shopAddress.empty());
    Require(read.shopAddress == card.shopAddress && read.ownerId == card.ownerId);
    tarnwick::ShopIdentity identity;
    if (tarnwick::ResolveShopIdentityFromCard(text, endpoints, identity)) {
        Require(!identity.shopAddress.empty() && !identity.ownerId.empty());
    } else {
        Require(identity.shopAddress.empty() && identity.ownerId.empty());
    }
    return 0;
}
