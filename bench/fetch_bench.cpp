// Requests per second that HttpClient gets from marketsim on loopback, for 1 and 16 clients,
// without and with a 20 ms answer latency (where the ideal is clients / latency).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "MarketSim.h"
#include "fetch/HttpClient.h"

namespace {

using Clock = std::chrono::steady_clock;

double Measure(marketsim::MarketSim& sim, int clients, std::chrono::milliseconds duration) {
    std::atomic<long> done{0};
    std::atomic<long> failed{0};
    auto deadline = Clock::now() + duration;
    std::vector<std::thread> threads;
    auto started = Clock::now();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            tarnwick::HttpClient client;
            std::string url = sim.BaseUrl() + "/itemviews.htm?id=" + std::to_string(1000 + c % 4);
            while (Clock::now() < deadline) {
                try {
                    client.Get(url);
                    done.fetch_add(1);
                } catch (const tarnwick::FetchError&) {
                    failed.fetch_add(1);
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (failed.load() != 0) {
        std::printf("  (%ld requests failed)\n", failed.load());
    }
    return done.load() / seconds;
}

}  // namespace

int main() {
    marketsim::MarketSim sim;
    sim.SetRecordRequests(false);
    marketsim::Shop shop;
    shop.nick = "bench";
    shop.key = "bench";
    shop.ownerId = "1";
    for (int i = 0; i < 4; ++i) {
        marketsim::Item item;
        item.id = std::to_string(1000 + i);
        item.views = 100 + i;
        shop.items.push_back(item);
    }
    sim.AddShop(shop);
    sim.Start(0);

    std::printf("%-8s %-8s %12s %12s %8s\n", "clients", "latency", "requests/s", "ideal/s",
                "ratio");
    for (int latency : {0, 20}) {
        sim.SetLatency(latency);
        for (int clients : {1, 16}) {
            double rate = Measure(sim, clients, std::chrono::seconds(3));
            if (latency == 0) {
                std::printf("%-8d %-8s %12.0f %12s %8s\n", clients, "0 ms", rate, "-", "-");
            } else {
                double ideal = clients * 1000.0 / latency;
                std::printf("%-8d %-8s %12.0f %12.0f %8.2f\n", clients, "20 ms", rate, ideal,
                            rate / ideal);
            }
        }
    }
    return 0;
}
