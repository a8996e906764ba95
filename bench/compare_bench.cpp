// Comparing two stored runs of 10,000 items each (with deal records in the newer one), and
// following one item through 100 runs of a shop, through the store's readers as the desktop
// program and the command line do. Prints the best and the median of several repetitions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <string>
#include <vector>

#include "analysis/ItemHistory.h"
#include "analysis/RunComparison.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace {

using namespace tarnwick;

constexpr int kItems = 10000;
constexpr int kDealsPerItem = 5;  // in the newer run
constexpr int kRuns = 100;
constexpr int kRepetitions = 7;

ShopRow Run(int n) {
    ShopRow run;
    run.SID = std::to_string(20260301000000000LL + n * 1000LL);
    run.OwnerID = "900000001";
    run.WWName = "压测专用小店";
    run.AddTime = DateTime::FromParts({2026, 3, 1, 0, 0, 0, 0}).AddDays(n);
    return run;
}

ItemRow Item(const ShopRow& run, int index, int n) {
    ItemRow item;
    item.sid = run.SID;
    item.ItemID = std::to_string(80000000001LL + index);
    item.title = "压测宝贝" + std::to_string(index + 1) + "号 2012新款韩版修身雪纺连衣裙";
    item.price = 99.0 - (index % 7 == 0 ? n % 5 : 0);
    item.sellcount = index % 50 + n;
    item.SellAmount = item.price * item.sellcount;
    item.allow_quantity = 500 - n;
    item.Commentcount = index % 30 + n;
    item.pv = 1000 + index + 10 * n;
    item.UpdateTime = run.AddTime;
    return item;
}

// Rows of one run written inside one transaction: the benchmark measures reading, not the
// one-commit-per-row writing of a real run. With `soldEvery` k, every k-th item has two of
// its deal records dated after the run before (a day earlier); 0 gives no deal records.
void Fill(Store& store, const ShopRow& run, int items, int n, int soldEvery) {
    store.Connection().Execute("begin");
    store.AppendShop(run);
    for (int index = 0; index < items; ++index) {
        ItemRow item = Item(run, index, n);
        std::vector<BuyerRow> deals;
        const bool soldSince = soldEvery > 0 && index % soldEvery == 0;
        for (int d = 0; soldEvery > 0 && d < kDealsPerItem; ++d) {
            BuyerRow& deal = deals.emplace_back();
            deal.sid = run.SID;
            deal.itemid = item.ItemID;
            deal.Buyer = "买家" + std::to_string(d);
            deal.price = item.price;
            deal.amount = 1;
            // Newest first, as the reader stores them.
            deal.buytime = soldSince && d < 2 ? DateTime(run.AddTime.Days() - 0.1 * (d + 1))
                                              : run.AddTime.AddDays(-2 - d);
            deal.sku = "颜色分类:红色";
        }
        for (const BuyerRow& deal : deals) {
            store.AppendBuyer(deal);
        }
        item.BuyerCount = static_cast<std::int32_t>(deals.size());
        item.lastSell = deals.empty() ? DateTime() : deals.front().buytime;
        store.AppendItem(item);
    }
    store.Connection().Execute("commit");
}

double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall time, and the processor time of this process beside it: on a machine busy with other
// work the first says more about the machine than about the code.
template <typename Work>
void Time(const char* what, Work&& work) {
    std::vector<double> wall;
    std::vector<double> cpu;
    std::size_t result = 0;
    for (int i = 0; i < kRepetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuMilliseconds();
        result = work();
        cpu.push_back(CpuMilliseconds() - cpuStart);
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-44s wall best %7.1f median %7.1f ms | cpu best %7.1f median %7.1f ms (%zu)\n",
                what, wall.front(), wall[wall.size() / 2], cpu.front(), cpu[cpu.size() / 2],
                result);
}

}  // namespace

int main() {
    try {
        const ShopRow older = Run(0);
        const ShopRow newer = Run(1);
        std::printf("compare: two runs of %d items, %d deal records in the newer\n", kItems,
                    kItems * kDealsPerItem);
        // A day in which one item in five sold, and the worst case where every item did.
        for (int soldEvery : {5, 1}) {
            tarnwick::test::TempDatabase temp;
            Store store(Database::Open(temp.Path()));
            Fill(store, older, kItems, 0, soldEvery);
            Fill(store, newer, kItems, 1, soldEvery);
            const std::string what = "CompareRuns, 10,000 items, " +
                                     std::string(soldEvery == 1 ? "all" : "1 in 5") + " sold since";
            Time(what.c_str(), [&] { return CompareRuns(store, older, newer).ChangedCount(); });
        }

        // 100 runs of the shop in a file of its own, at two shop sizes.
        for (int items : {200, 1000}) {
            tarnwick::test::TempDatabase history;
            Store runs(Database::Open(history.Path()));
            for (int n = 0; n < kRuns; ++n) {
                Fill(runs, Run(n), items, n, 0);
            }
            const std::string what = "ItemHistory, 100 runs of " + std::to_string(items) + " items";
            Time(what.c_str(),
                 [&] { return ItemHistory(runs, Run(kRuns - 1), "80000000008").size(); });
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "compare_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
