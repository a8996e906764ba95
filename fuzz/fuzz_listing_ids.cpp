// The item ids cut out of one item-list page: never more than the page's list entries, each a
// clean id (no quotation mark, ampersand or blank, trimmed, not empty).
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzChecks.h"
#include "fetch/RecordMatcher.h"
#include "pages/ListingPage.h"

namespace {

using tarnwick::fuzz::Require;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> ids;
    try {
        ids = tarnwick::ListingItemIds(page);
    } catch (const tarnwick::MatchError&) {
        return 0;
    }
    Require(ids.size() <= Count(page, "<li>"));
    for (const std::string& id : ids) {
        Require(!id.empty());
        Require(id.find_first_of("\"& ") == std::string::npos);
        Require(static_cast<unsigned char>(id.front()) >= 33 &&
                static_cast<unsigned char>(id.back()) >= 33);
    }
    return 0;
}
