// BuyerList rows appended per second into one file, and into a PostgreSQL server when one is
// given (TARNWICK_TEST_PG; `make bench` starts one), each thread through its own connection, as
// the item download threads write during a run: a row at a time, and a page of 15 rows at a
// time in one transaction, as a run stores a deal-record page.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "store/Store.h"
#include "support/TempStore.h"

namespace {

using tarnwick::BuyerRow;
using tarnwick::Database;
using tarnwick::DateTime;
using tarnwick::Statement;
using tarnwick::Store;
using tarnwick::test::StoreKind;
using tarnwick::test::TempStore;

BuyerRow SampleRow(int thread, int k) {
    BuyerRow row;
    row.sid = "20120405102033123";
    row.itemid = "1234567890" + std::to_string(thread);
    row.Buyer = "买家" + std::to_string(k);
    row.usertype = 1;
    row.buyer_credit = "s_red_3.gif";
    row.buyer_credit_str = "301-500个买家信用积分";
    row.userclass = "普通会员";
    row.price = 19.9;
    row.amount = 1 + k % 3;
    row.buytime = DateTime::FromParts({2012, 4, 5, 10, k / 60 % 60, k % 60, 0});
    row.sku = "颜色分类:红色";
    row.sellamount = row.price * row.amount;
    row.AddTime = DateTime::Now();
    return row;
}

// The same insert as Store::AppendBuyer, but without the process-wide write mutex: the
// connections then contend in the engine and wait in its busy handler.
void AppendWithoutWriteMutex(Database& db, const BuyerRow& row) {
    Statement& insert = db.Prepared(
        "insert into BuyerList (sid, itemid, Buyer, usertype, buyer_credit, buyer_credit_str, "
        "userclass, price, amount, buytime, sku, sellamount, AddTime) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, row.sid)
        .Bind(2, row.itemid)
        .Bind(3, row.Buyer)
        .Bind(4, row.usertype)
        .Bind(5, row.buyer_credit)
        .Bind(6, row.buyer_credit_str)
        .Bind(7, row.userclass)
        .Bind(8, row.price)
        .Bind(9, row.amount)
        .Bind(10, row.buytime)
        .Bind(11, row.sku)
        .Bind(12, row.sellamount)
        .Bind(13, row.AddTime);
    insert.Run();
}

// Appends one page of rows (one row for the single-row cases).
using Append = std::function<void(Store&, const std::vector<BuyerRow>&)>;

struct Figures {
    double rowsPerSecond = 0.0;
    double slowestAppendMs = 0.0;  // the longest append of a page: how long a writer can stall
};

// Every thread opens its connection first and waits for the others, so connecting is not timed.
Figures Measure(StoreKind kind, int threads, int rowsEach, int pageSize, const Append& append) {
    const TempStore temp(kind);
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::atomic<bool> failed{false};
    std::vector<double> slowest(static_cast<std::size_t>(threads), 0.0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            try {
                Store store = temp.Open();
                ++ready;
                while (!go.load()) {
                    std::this_thread::yield();
                }
                for (int k = 0; k < rowsEach; k += pageSize) {
                    std::vector<BuyerRow> page;
                    for (int i = k; i < std::min(rowsEach, k + pageSize); ++i) {
                        page.push_back(SampleRow(t, i));
                    }
                    const auto before = std::chrono::steady_clock::now();
                    append(store, page);
                    const std::chrono::duration<double, std::milli> took =
                        std::chrono::steady_clock::now() - before;
                    slowest[static_cast<std::size_t>(t)] =
                        std::max(slowest[static_cast<std::size_t>(t)], took.count());
                }
            } catch (const std::exception& error) {
                std::fprintf(stderr, "thread %d: %s\n", t, error.what());
                ++ready;
                failed = true;
            }
        });
    }
    while (ready.load() < threads) {
        std::this_thread::yield();
    }
    const auto start = std::chrono::steady_clock::now();
    go = true;
    for (std::thread& worker : workers) {
        worker.join();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (failed) {
        return {};
    }

    const int stored = temp.Count("select count(*) from BuyerList");
    if (stored != threads * rowsEach) {
        std::fprintf(stderr, "rows lost: %d of %d stored\n", stored, threads * rowsEach);
        return {};
    }
    return {threads * rowsEach / elapsed.count(),
            *std::max_element(slowest.begin(), slowest.end())};
}

}  // namespace

int main() {
    const Append withStore = [](Store& store, const std::vector<BuyerRow>& page) {
        for (const BuyerRow& row : page) {
            store.AppendBuyer(row);
        }
    };
    const Append withoutMutex = [](Store& store, const std::vector<BuyerRow>& page) {
        for (const BuyerRow& row : page) {
            AppendWithoutWriteMutex(store.Connection(), row);
        }
    };
    const Append pages = [](Store& store, const std::vector<BuyerRow>& page) {
        store.AppendBuyers(page);
    };
    struct Case {
        const char* label;
        StoreKind kind;
        int threads;
        int rowsEach;
        int pageSize;
        const Append* append;
    };
    const Case cases[] = {
        {"file, 1 thread, Store::AppendBuyer", StoreKind::File, 1, 40'000, 1, &withStore},
        {"file, 8 threads, Store::AppendBuyer", StoreKind::File, 8, 5'000, 1, &withStore},
        {"file, 8 threads, no write mutex (busy handler only)", StoreKind::File, 8, 5'000, 1,
         &withoutMutex},
        {"file, 1 thread, Store::AppendBuyers, pages of 15", StoreKind::File, 1, 40'005, 15,
         &pages},
        {"file, 8 threads, Store::AppendBuyers, pages of 15", StoreKind::File, 8, 5'010, 15,
         &pages},
        {"server, 1 thread, Store::AppendBuyer", StoreKind::Server, 1, 10'000, 1, &withStore},
        {"server, 8 threads, Store::AppendBuyer", StoreKind::Server, 8, 5'000, 1, &withStore},
        {"server, 1 thread, Store::AppendBuyers, pages of 15", StoreKind::Server, 1, 10'005, 15,
         &pages},
        {"server, 8 threads, Store::AppendBuyers, pages of 15", StoreKind::Server, 8, 5'010, 15,
         &pages},
    };
    int status = 0;
    for (const Case& c : cases) {
        if (c.kind == StoreKind::Server && std::getenv("TARNWICK_TEST_PG") == nullptr) {
            std::printf("%-54s skipped: no server given in TARNWICK_TEST_PG\n", c.label);
            continue;
        }
        Figures figures;
        try {
            figures = Measure(c.kind, c.threads, c.rowsEach, c.pageSize, *c.append);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", c.label, error.what());
        }
        std::printf("%-54s %7d rows %8.0f rows/s  slowest append %7.2f ms\n", c.label,
                    c.threads * c.rowsEach, figures.rowsPerSecond, figures.slowestAppendMs);
        status |= figures.rowsPerSecond == 0.0 ? 1 : 0;
    }
    return status;
}
