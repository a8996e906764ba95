// A whole analysis of marketsim's load shop (300 items, 3 deal-record and 3 review pages each)
// by tarnwick-cli at 1, 6 and 30 threads, with 0 ms and 20 ms answer latency. Prints wall
// time, requests and rows per second, the analysing process's peak memory and, for the
// latency runs, how close the run came to the ideal time. At 30 threads the same analysis also
// goes into a PostgreSQL server when one is given (TARNWICK_TEST_PG; `make bench` starts one),
// and its rows must be exactly the file's, the times of writing and the run key aside.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "store/Store.h"
#include "support/TempStore.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kItems = 300;
constexpr int kDealPages = 3;
constexpr int kReviewPages = 3;
const char* const kLoadNick = "压测专用小店";

fs::path BinFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

pid_t Spawn(const std::vector<std::string>& args, const fs::path& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + args[0]);
    }
    return pid;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int Figure(const std::string& text, const std::string& pattern) {
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(pattern))) {
        throw std::runtime_error("summary line missing: " + pattern + "\n" + text);
    }
    return std::stoi(match[1]);
}

struct Server {
    pid_t pid = 0;
    std::string base;
};

Server StartMarket(const fs::path& work, int latency) {
    fs::path out = work / ("marketsim-" + std::to_string(latency) + ".out");
    Server server;
    server.pid =
        Spawn({(BinFolder() / "marketsim").string(), "--port", "0", "--load-shop",
               std::to_string(kItems), "--deal-pages", std::to_string(kDealPages), "--review-pages",
               std::to_string(kReviewPages), "--latency", std::to_string(latency)},
              out);
    auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        std::string text = ReadFile(out);
        auto newline = text.find('\n');
        if (newline != std::string::npos) {
            server.base = "http://127.0.0.1:" + text.substr(0, newline);
            return server;
        }
        usleep(20000);
    }
    throw std::runtime_error("marketsim did not start");
}

// Every stored row of the run in a form that leaves out what differs from run to run by nature:
// the run key and the times at which rows were written. Sorted, so thread order does not count.
std::vector<std::string> RowsOfRun(const std::string& location) {
    tarnwick::Store store = tarnwick::Store::Open(tarnwick::StoreSource::Parse(location));
    const auto shops = store.ReadShops();
    if (shops.size() != 1) {
        throw std::runtime_error("expected one run in " + location);
    }
    const std::string sid = shops[0].SID;
    std::vector<std::string> rows;
    const auto field = [](const auto& value) {
        std::ostringstream text;
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, tarnwick::DateTime>) {
            text << value.ToText();
        } else {
            text.precision(17);
            text << value;
        }
        return text.str() + "|";
    };
    rows.push_back("shop " + field(shops[0].OwnerID) + field(shops[0].ShopURL) +
                   field(shops[0].WWName));
    for (const auto& item : store.ReadItems(sid)) {
        rows.push_back("item " + field(item.ItemID) + field(item.title) + field(item.price) +
                       field(item.BuyerCount) + field(item.sellcount) + field(item.SellAmount) +
                       field(item.Commentcount) + field(item.pv) + field(item.allow_quantity) +
                       field(item.lastSell) + field(item.lastComment));
        for (const auto& buyer : store.ReadBuyers(sid, item.ItemID)) {
            rows.push_back("buyer " + field(buyer.itemid) + field(buyer.Buyer) +
                           field(buyer.usertype) + field(buyer.buyer_credit) +
                           field(buyer.buyer_credit_str) + field(buyer.userclass) +
                           field(buyer.price) + field(buyer.amount) + field(buyer.buytime) +
                           field(buyer.sku) + field(buyer.sellamount));
        }
        for (const auto& rate : store.ReadRates(sid, item.ItemID)) {
            rows.push_back("rate " + field(rate.itemid) + field(rate.rateContent) +
                           field(rate.userVipLevel) + field(rate.displayUserNick) +
                           field(rate.CommentID) + field(rate.displayRatePic) +
                           field(rate.rateDate) + field(rate.User_RateSum));
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace

int main() {
    fs::path work = fs::temp_directory_path() / ("acquire-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    const bool withServer = std::getenv("TARNWICK_TEST_PG") != nullptr;
    std::printf("%-8s %-8s %-7s %9s %10s %10s %10s %9s %8s\n", "threads", "latency", "store",
                "wall s", "requests", "req/s", "rows/s", "peak MB", "ideal");
    for (int latency : {0, 20}) {
        Server server = StartMarket(work, latency);
        for (int threads : {1, 6, 30}) {
            std::vector<std::string> fileRows;
            for (bool onServer : {false, true}) {
                if (onServer && (threads != 30 || !withServer)) {
                    continue;
                }
                std::optional<tarnwick::test::TempStore> serverStore;
                std::string location;
                if (onServer) {
                    serverStore.emplace(tarnwick::test::StoreKind::Server);
                    location = serverStore->Location();
                } else {
                    fs::path db = work / "vexodb.qdb";
                    fs::remove(db);
                    fs::copy_file(BinFolder() / "vexodb.qdb", db);
                    location = db.string();
                }
                fs::path out = work / "cli.out";
                auto started = Clock::now();
                pid_t pid = Spawn(
                    {(BinFolder() / "tarnwick-cli").string(), "analyse", "--db", location,
                     "--market", server.base, "--threads", std::to_string(threads), kLoadNick},
                    out);
                int status = 0;
                rusage usage{};
                wait4(pid, &status, 0, &usage);
                double wall = std::chrono::duration<double>(Clock::now() - started).count();
                std::string summary = ReadFile(out);
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                    std::cerr << summary;
                    return 1;
                }
                int requests = Figure(summary, "请求: (\\d+) 次");
                int items = Figure(summary, "宝贝: 入库 (\\d+)");
                int rows = items + Figure(summary, "成交记录: (\\d+) 条") +
                           Figure(summary, "评价: (\\d+) 条");
                std::string ideal = "-";
                if (latency > 0) {
                    // The control thread's first pause, then every item's requests and its 10 ms
                    // pause before the review pages, spread over the threads.
                    double idealSeconds =
                        1.0 +
                        (static_cast<double>(requests) * latency + items * 10.0) / threads / 1000.0;
                    char text[16];
                    std::snprintf(text, sizeof text, "%.2f", idealSeconds / wall);
                    ideal = text;
                }
                std::printf("%-8d %-8s %-7s %9.2f %10d %10.0f %10.0f %9.1f %8s\n", threads,
                            latency ? "20 ms" : "0 ms", onServer ? "server" : "file", wall,
                            requests, requests / wall, rows / wall, usage.ru_maxrss / 1024.0,
                            ideal.c_str());
                std::fflush(stdout);
                if (threads == 30 && withServer) {
                    std::vector<std::string> stored = RowsOfRun(location);
                    if (!onServer) {
                        fileRows = std::move(stored);
                    } else if (stored != fileRows) {
                        std::printf("server rows differ from the file's: %zu against %zu\n",
                                    stored.size(), fileRows.size());
                        return 1;
                    } else {
                        std::printf("%-8s %-8s server rows: the same %zu rows as the file's\n", "",
                                    "", stored.size());
                    }
                }
            }
        }
        kill(server.pid, SIGTERM);
        waitpid(server.pid, nullptr, 0);
    }
    fs::remove_all(work);
    return 0;
}
