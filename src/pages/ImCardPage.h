#pragma once

#include <string>
#include <string_view>

#include "fetch/Endpoints.h"
#include "pages/PageShape.h"

namespace tarnwick {

// The nick's IM card page: the shop it links to and the shopkeeper's owner id.
struct ImCard {
    PageShape shape = PageShape::Usual;
    std::string shopAddress;  // trimmed, ending with "/"; empty when the card shows no shop
    std::string ownerId;      // trimmed; empty when neither of its sources is on the card
};

// `endpoints` gives the rating host that the owner id's second source carries.
ImCard ParseImCard(std::string_view text, const Endpoints& endpoints);

}  // namespace tarnwick
