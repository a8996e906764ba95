#include "fetch/Endpoints.h"

namespace tarnwick {

Endpoints Endpoints::Defaults() {
    Endpoints e;
    e.imCardHost = "http://amos.im.alisoft.com";
    e.ratingHost = "http://rate.taobao.com";
    e.itemHost = "http://item.taobao.com";
    e.imageHost = "http://pics.taobaocdn.com";
    e.membershipHost = "http://vip.taobao.com";
    e.mainDomain = "taobao.com";
    e.tmallDomain = "tmall.com";
    e.fromNick = "quorvane";
    e.versionEndpoint = "http://www.corvell.com/soft/version.asp";
    e.helpPage = "http://www.corvell.com/quorvane/help.htm";
    e.upgradePage = "http://www.corvell.com/quorvane/upgrade.htm";
    e.agentUpgradePage = "http://www.corvell.com/quorvane/agent-upgrade.htm";
    e.partnerHelpPage = "http://www.halden.com/quorvane/help.htm";
    e.partnerUpdatePage = "http://www.halden.com/quorvane/update.htm";
    return e;
}

std::string Endpoints::MarketOptionRefused(std::string_view given) {
    return "--market needs an address such as http://127.0.0.1:8080, not " + std::string(given);
}

bool Endpoints::PointMarketAt(std::string_view baseUrl) {
    std::string_view rest = baseUrl;
    std::string_view scheme;
    for (std::string_view candidate : {"http://", "https://"}) {
        if (rest.substr(0, candidate.size()) == candidate) {
            scheme = candidate;
        }
    }
    if (scheme.empty()) {
        return false;
    }
    rest.remove_prefix(scheme.size());
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    // Host and an optional port; a path would make the hosts' markers wrong.
    auto colon = rest.find(':');
    std::string_view host = rest.substr(0, colon);
    if (host.empty() || host.find_first_of("/?#@ ") != std::string_view::npos) {
        return false;
    }
    if (colon != std::string_view::npos) {
        std::string_view port = rest.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != std::string_view::npos) {
            return false;
        }
    }
    std::string base(baseUrl.substr(0, scheme.size() + rest.size()));
    imCardHost = base;
    ratingHost = base;
    itemHost = base;
    imageHost = base;
    membershipHost = base;
    return true;
}

std::string Endpoints::ItemPage(std::string_view itemId) const {
    return itemHost + "/item.htm?id=" + std::string(itemId);
}

}  // namespace tarnwick
