#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Where the marketplace and the vendor live. Hosts are written with their scheme and, where
// it is not the default, their port, without a trailing slash ("http://item.example.com").
struct Endpoints {
    std::string imCardHost;      // the nick's IM card page
    std::string ratingHost;      // seen only inside the owner-id marker of the IM card page
    std::string itemHost;        // "/item.htm?id=" pages
    std::string imageHost;       // the buyer rank icons, seen only inside a marker
    std::string membershipHost;  // the buyer membership link, seen only inside a marker
    std::string mainDomain;      // "taobao.com"
    std::string tmallDomain;     // "tmall.com"
    std::string fromNick;        // the fixed from_nick of the IM card request
    std::string versionEndpoint;
    std::string helpPage;
    std::string upgradePage;
    std::string agentUpgradePage;
    std::string partnerHelpPage;
    std::string partnerUpdatePage;

    static Endpoints Defaults();

    // "http://HOST:PORT": the IM card, rating, item, image and membership hosts move there;
    // the main and Tmall domains stay. Returns false (and changes nothing) for a malformed URL.
    bool PointMarketAt(std::string_view baseUrl);
    // What the programs say of a --market address that PointMarketAt refused.
    static std::string MarketOptionRefused(std::string_view given);

    std::string RankIconPrefix() const { return imageHost + "/newrank/"; }
    std::string ItemPage(std::string_view itemId) const;  // itemHost + "/item.htm?id=" + id
};

}  // namespace tarnwick
