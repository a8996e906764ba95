#include "pages/ImCardPage.h"

#include "base/Text.h"
#include "fetch/TextTools.h"

namespace tarnwick {

ImCard ParseImCard(std::string_view text, const Endpoints& endpoints) {
    ImCard card;
    card.shape = TitleShape(text);
    // The marketplace appends this query to the shop link.
    card.shopAddress =
        Trim(TextBetween(text, "<a class=\"op-ww op-ww-shop\" href=\"", "?asker=wangwang"));
    if (!card.shopAddress.empty() && card.shopAddress.back() != '/') {
        card.shopAddress += '/';
    }
    card.ownerId = Trim(TextBetween(text, "ownerid=", "&"));
    if (card.ownerId.empty()) {
        // The link to the shopkeeper's rating page carries the id too.
        card.ownerId = Trim(TextBetween(text, endpoints.ratingHost + "/user-rate-", ".htm"));
    }
    return card;
}

}  // namespace tarnwick
