// One deal-record answer stored into a database copy: as many BuyerList rows as the saver says,
// all under the item, and no failure other than an impossible deal time.
#include <cstdlib>
#include <string>

#include "SaverBench.h"
#include "acquire/DealRecordReader.h"
#include "fetch/RecordMatcher.h"
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
        stored = tarnwick::SaveBuyerPage(bench.Job(), 1, text);
    } catch (const tarnwick::InvalidDateTime&) {
    } catch (const tarnwick::MatchError&) {
    }
    const auto rows = bench.GetStore().ReadBuyers(bench.RunId(), bench.ItemId());
    if (stored >= 0) {
        Require(rows.size() == static_cast<std::size_t>(stored));
    }
    for (const auto& row : rows) {
        Require(row.usertype == 0 || row.usertype == 1);
        Require(row.sellamount == row.amount * row.price);
    }
    return 0;
}
