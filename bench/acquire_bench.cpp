// A whole analysis of marketsim's load shop (300 items, 3 deal-record and 3 review pages each)
// by tarnwick-cli at 1, 6 and 30 threads, with 0 ms and 20 ms answer latency. Prints wall
// time, requests and rows per second, the analysing process's peak memory and, for the
// latency runs, how close the run came to the ideal time.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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

}  // namespace

int main() {
    fs::path work = fs::temp_directory_path() / ("acquire-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    std::printf("%-8s %-8s %9s %10s %10s %10s %9s %8s\n", "threads", "latency", "wall s",
                "requests", "req/s", "rows/s", "peak MB", "ideal");
    for (int latency : {0, 20}) {
        Server server = StartMarket(work, latency);
        for (int threads : {1, 6, 30}) {
            fs::path db = work / "vexodb.qdb";
            fs::remove(db);
            fs::copy_file(BinFolder() / "vexodb.qdb", db);
            fs::path out = work / "cli.out";
            auto started = Clock::now();
            pid_t pid =
                Spawn({(BinFolder() / "tarnwick-cli").string(), "analyse", "--db", db.string(),
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
            int rows =
                items + Figure(summary, "成交记录: (\\d+) 条") + Figure(summary, "评价: (\\d+) 条");
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
            std::printf("%-8d %-8s %9.2f %10d %10.0f %10.0f %9.1f %8s\n", threads,
                        latency ? "20 ms" : "0 ms", wall, requests, requests / wall, rows / wall,
                        usage.ru_maxrss / 1024.0, ideal.c_str());
            std::fflush(stdout);
        }
        kill(server.pid, SIGTERM);
        waitpid(server.pid, nullptr, 0);
    }
    fs::remove_all(work);
    return 0;
}
