// The watch runner's own work, without the marketplace: one watched run of a 3,000-item shop
// (choosing the watch, claiming it, comparing the new run with its baseline, the rules,
// storing the alerts, recording the run), with the analysis itself replaced by a run already
// stored; and picking the due watches among 10,000, in memory and read from the database file.
// Prints the best and the median of several repetitions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "store/Store.h"
#include "support/TempDatabase.h"
#include "watch/StoreWatchStore.h"
#include "watch/WatchRunner.h"

namespace {

using namespace tarnwick;
using Seconds = std::chrono::duration<double>;

constexpr int kItems = 3000;
constexpr int kWatches = 10000;
constexpr int kRepetitions = 7;

class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime now) : m_now(now) {}
    DateTime Now() const override { return m_now; }

private:
    DateTime m_now;
};

class SilentObserver : public RunnerObserver {
public:
    void Line(const std::string&) override {}
};

ShopRow RunOfDay(int day) {
    ShopRow run;
    run.SID = std::to_string(20260301090000000LL + day * 1000000000LL);
    run.OwnerID = "900000001";
    run.WWName = "压测专用小店";
    run.AddTime = DateTime::FromParts({2026, 3, day, 9, 0, 0, 0});
    return run;
}

// Day 2 against day 1: one item in twenty cut by 12%, one in a hundred sold out, thirty
// listed anew and thirty gone, a third with two deal records since the day before.
void Fill(Store& store, const ShopRow& run, int day) {
    store.Connection().Execute("begin");
    store.AppendShop(run);
    for (int index = day == 2 ? 30 : 0; index < kItems + (day == 2 ? 30 : 0); ++index) {
        ItemRow item;
        item.sid = run.SID;
        item.ItemID = std::to_string(80000000001LL + index);
        item.title = "压测宝贝" + std::to_string(index + 1) + "号 2012新款韩版修身雪纺连衣裙";
        item.price = day == 2 && index % 20 == 0 ? 88.0 : 100.0;
        item.allow_quantity = day == 2 && index % 100 == 7 ? 0 : 500 - day;
        item.sellcount = 50 + day * 2;
        item.SellAmount = item.price * item.sellcount;
        item.UpdateTime = run.AddTime;
        if (day == 2 && index % 3 == 0) {
            item.BuyerCount = 2;
            item.lastSell = DateTime(run.AddTime.Days() - 0.1);
            for (int d = 0; d < 2; ++d) {
                BuyerRow deal;
                deal.sid = run.SID;
                deal.itemid = item.ItemID;
                deal.Buyer = "买家" + std::to_string(d);
                deal.price = item.price;
                deal.amount = 1;
                deal.buytime = DateTime(run.AddTime.Days() - 0.1 - d * 0.01);
                store.AppendBuyer(deal);
            }
        }
        store.AppendItem(item);
    }
    store.Connection().Execute("commit");
}

template <typename Work>
void Measure(const char* what, Work&& work) {
    std::vector<double> times;
    for (int r = 0; r < kRepetitions; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const std::string note = work(r);
        times.push_back(Seconds(std::chrono::steady_clock::now() - start).count());
        if (r == 0) {
            std::printf("  (%s)\n", note.c_str());
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("%-58s best %8.1f ms   median %8.1f ms\n", what, times.front() * 1000,
                times[times.size() / 2] * 1000);
}

}  // namespace

int main() {
    try {
        test::TempDatabase db;
        Store store = Store::Open(StoreSource::File(db.Path()));
        const ShopRow day1 = RunOfDay(1);
        const ShopRow day2 = RunOfDay(2);
        Fill(store, day1, 1);
        Fill(store, day2, 2);
        WatchRow row;
        row.WWName = day1.WWName;
        row.Created = day1.AddTime;
        row.WatchID = store.AddWatch(row);
        const FixedClock clock(DateTime::FromParts({2026, 3, 2, 9, 30, 0, 0}));

        std::printf("watch_bench: %d items a run, %d watches to pick from\n", kItems, kWatches);
        Measure("one watched run of 3,000 items (analysis excluded)", [&](int) {
            // Due again, with day 1 as its baseline.
            row.LastStarted = day1.AddTime;
            row.BaselineSID = day1.SID;
            row.Failures = 0;
            store.RecordWatchRun(row);
            SilentObserver observer;
            RunnerReport report;
            std::size_t alerts = 0;
            WatchRunner runner(
                RunnerSettings{},
                [&] {
                    return std::make_unique<StoreWatchStore>(
                        Store::Open(StoreSource::File(db.Path())));
                },
                [&](const Watch&, std::stop_token, const RunLogSink&) {
                    WatchedRun run;
                    run.sid = day2.SID;
                    run.outcome = RunOutcome::Complete;
                    run.started = run.finished = clock.Now();
                    return run;
                },
                clock, observer, [](std::chrono::milliseconds) {});
            report = runner.RunDue({});
            alerts = store.ReadAlerts({}).size();
            return std::to_string(report.ran) + " run, " + std::to_string(alerts) +
                   " alerts stored so far";
        });

        // Watches of every schedule, last run at scattered times in the past two days.
        std::vector<Watch> watches(kWatches);
        const char* schedules[] = {"30m", "6h", "1d", "daily 08:30", "2d"};
        for (int i = 0; i < kWatches; ++i) {
            Watch& watch = watches[static_cast<std::size_t>(i)];
            watch.id = i + 1;
            watch.nick = "小店" + std::to_string(i);
            watch.schedule = *Schedule::Parse(schedules[i % 5]);
            watch.created = DateTime(clock.Now().Days() - 3);
            watch.lastStarted = DateTime(clock.Now().Days() - (i % 2880) / 1440.0);
            watch.failures = i % 17 == 0 ? 3 : 0;
        }
        Measure("picking the due among 10,000 watches (in memory)",
                [&](int) { return std::to_string(PickDue(watches, clock.Now()).size()) + " due"; });

        store.Connection().Execute("begin");
        for (const Watch& watch : watches) {
            store.AddWatch(RowFromWatch(watch));
        }
        store.Connection().Execute("commit");
        Measure("  of which reading the 10,000 rows",
                [&](int) { return std::to_string(store.ReadWatches().size()) + " rows"; });
        StoreWatchStore runnerStore(Store::Open(StoreSource::File(db.Path())));
        Measure("picking the due among 10,000 watches (read from the file)", [&](int) {
            const std::vector<Watch> read = runnerStore.ReadWatches();
            return std::to_string(PickDue(read, clock.Now()).size()) + " due of " +
                   std::to_string(read.size());
        });
    } catch (const std::exception& error) {
        std::fprintf(stderr, "watch_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
