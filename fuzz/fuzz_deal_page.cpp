// One deal-record answer stored into a database copy: as many BuyerList rows as the saver says,
// all under the item, and no failure other than an impossible deal time.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "SaverBench.h"
#include "acquire/DealRecordReader.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& bench = tarnwick::fuzz::SaverBench::Instance();
    const int stored = bench.SaveIntoEmptyRun(
        tarnwick::SaveBuyerPage, std::string(reinterpret_cast<const char*>(data), size));
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
