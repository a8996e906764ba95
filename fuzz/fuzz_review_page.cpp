// One review answer stored into a database copy: as many RateList rows as the saver says, each
// with a nick or a text, and no failure other than an impossible review date.
#include <cstdlib>
#include <string>

#include "SaverBench.h"
#include "acquire/ReviewReader.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "store/DateTime.h"

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& bench = tarnwick::fuzz::SaverBench::Instance();
    bench.ClearRun();
    const std::string text(reinterpret_cast<const char*>(data), size);
    int stored = -1;
    try {
        stored = tarnwick::SaveRatePage(bench.Job(), 1, text);
    } catch (const tarnwick::InvalidDateTime&) {
    } catch (const tarnwick::MatchError&) {
    }
    const auto rows = bench.GetStore().ReadRates(bench.RunId(), bench.ItemId());
    if (stored >= 0) {
        Require(rows.size() == static_cast<std::size_t>(stored));
    }
    for (const auto& row : rows) {
        Require(!tarnwick::Trim(row.displayUserNick).empty() ||
                !tarnwick::Trim(row.rateContent).empty());
    }
    return 0;
}
