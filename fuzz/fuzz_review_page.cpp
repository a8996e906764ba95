// One review answer stored into a database copy: as many RateList rows as the saver says, each
// with a nick or a text, and no failure other than an impossible review date.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "SaverBench.h"
#include "acquire/ReviewReader.h"
#include "base/Text.h"
#include "fetch/TextTools.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& bench = tarnwick::fuzz::SaverBench::Instance();
    const int stored = bench.SaveIntoEmptyRun(
        tarnwick::SaveRatePage, std::string(reinterpret_cast<const char*>(data), size));
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
