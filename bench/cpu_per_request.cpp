// What a whole analysis costs per request: user and system CPU of the analysing process per
// 1,000 requests, and wall time, for marketsim's load shop (3 deal-record and 3 review pages an
// item) at 300 and 3,000 items and 30 threads. The marketplace shares the machine, so the CPU
// we spend is CPU it cannot spend answering; CPU time is the figure to compare, wall time
// follows the machine's load.
//
//   cpu_per_request [--runs N] [--items A,B,...] [--threads N] [--cli PATH]...
//
// Every --cli is one program analysing into a fresh copy of the empty database; given several,
// they take turns (A B A B ...) on the same marketplace, so a before and an after meet the same
// load. Without --cli, the tarnwick-cli beside this program. Each run's figures are printed,
// then the median and the spread (min to max) of each program at each size.
#include <fcntl.h>
#include <signal.h>
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
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

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

// User plus system CPU seconds a running process has used so far.
double ProcessCpu(pid_t pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    // The name in parentheses may hold blanks; the fields after it are fixed.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i < 14; ++i) {
        fields >> field;
    }
    double utime = 0;
    double stime = 0;
    fields >> utime >> stime;
    return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Market {
    pid_t pid = 0;
    std::string base;
};

Market StartMarket(const fs::path& work, int items) {
    fs::path out = work / ("marketsim-" + std::to_string(items) + ".out");
    Market market;
    market.pid = Spawn({(BinFolder() / "marketsim").string(), "--port", "0", "--load-shop",
                        std::to_string(items), "--deal-pages", "3", "--review-pages", "3"},
                       out);
    auto deadline = SteadyClock::now() + std::chrono::seconds(60);
    while (SteadyClock::now() < deadline) {
        std::string text = ReadFile(out);
        auto newline = text.find('\n');
        if (newline != std::string::npos) {
            market.base = "http://127.0.0.1:" + text.substr(0, newline);
            return market;
        }
        usleep(20000);
    }
    throw std::runtime_error("marketsim did not start");
}

struct Sample {
    double user = 0;  // seconds per 1,000 requests
    double sys = 0;
    double wall = 0;  // seconds for the run
    double market = 0;
    int requests = 0;
    int rows = 0;
};

Sample Analyse(const std::string& cli, const Market& market, int threads, const fs::path& work) {
    fs::path db = work / "vexodb.qdb";
    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::remove(db.string() + suffix);
    }
    fs::copy_file(BinFolder() / "vexodb.qdb", db);
    fs::path out = work / "cli.out";
    const double marketBefore = ProcessCpu(market.pid);
    auto started = SteadyClock::now();
    pid_t pid = Spawn({cli, "analyse", "--db", db.string(), "--market", market.base, "--threads",
                       std::to_string(threads), kLoadNick},
                      out);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Sample sample;
    sample.wall = std::chrono::duration<double>(SteadyClock::now() - started).count();
    sample.market = ProcessCpu(market.pid) - marketBefore;
    std::string summary = ReadFile(out);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(cli + " failed:\n" + summary);
    }
    sample.requests = Figure(summary, "请求: (\\d+) 次");
    sample.rows = Figure(summary, "宝贝: 入库 (\\d+)") + Figure(summary, "成交记录: (\\d+) 条") +
                  Figure(summary, "评价: (\\d+) 条");
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    sample.user = seconds(usage.ru_utime) * 1000.0 / sample.requests;
    sample.sys = seconds(usage.ru_stime) * 1000.0 / sample.requests;
    return sample;
}

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

std::vector<int> ParseList(const std::string& text) {
    std::vector<int> values;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        values.push_back(std::stoi(part));
    }
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    int threads = 30;
    std::vector<int> sizes = {300, 3000};
    std::vector<std::string> clis;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            std::cerr << "usage: cpu_per_request [--runs N] [--items A,B] [--threads N] "
                         "[--cli PATH]...\n";
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--runs") {
            runs = std::max(1, std::stoi(value));
        } else if (arg == "--items") {
            sizes = ParseList(value);
        } else if (arg == "--threads") {
            threads = std::stoi(value);
        } else if (arg == "--cli") {
            clis.push_back(fs::absolute(value).string());
        } else {
            std::cerr << "unknown option " << arg << "\n";
            return 2;
        }
    }
    if (clis.empty()) {
        clis.push_back((BinFolder() / "tarnwick-cli").string());
    }

    fs::path work = fs::temp_directory_path() / ("cpu-per-request-" + std::to_string(getpid()));
    fs::create_directories(work);
    int failed = 0;
    std::printf("%-6s %-4s %3s %9s %8s %8s %8s %8s %8s %10s\n", "items", "cli", "run", "requests",
                "rows", "user/1k", "sys/1k", "cpu/1k", "wall s", "market cpu");
    std::vector<std::vector<std::vector<Sample>>> samples(
        sizes.size(), std::vector<std::vector<Sample>>(clis.size()));
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        Market market = StartMarket(work, sizes[s]);
        try {
            for (int run = 1; run <= runs; ++run) {
                for (std::size_t c = 0; c < clis.size(); ++c) {
                    Sample sample = Analyse(clis[c], market, threads, work);
                    samples[s][c].push_back(sample);
                    std::printf("%-6d %-4c %3d %9d %8d %8.3f %8.3f %8.3f %8.2f %10.2f\n", sizes[s],
                                static_cast<char>('A' + c), run, sample.requests, sample.rows,
                                sample.user, sample.sys, sample.user + sample.sys, sample.wall,
                                sample.market);
                    std::fflush(stdout);
                }
            }
        } catch (const std::exception& error) {
            std::cerr << error.what() << "\n";
            failed = 1;
        }
        kill(market.pid, SIGTERM);
        waitpid(market.pid, nullptr, 0);
        if (failed) {
            break;
        }
    }

    std::printf(
        "\nCPU seconds per 1,000 requests and wall seconds at %d threads, median "
        "(min-max) of %d runs\n",
        threads, runs);
    for (std::size_t c = 0; c < clis.size(); ++c) {
        std::printf("%c: %s\n", static_cast<char>('A' + c), clis[c].c_str());
    }
    std::printf("%-6s %-4s %-22s %-22s %-22s %-22s\n", "items", "cli", "user/1k", "sys/1k",
                "cpu/1k", "wall s");
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        for (std::size_t c = 0; c < clis.size(); ++c) {
            const auto& list = samples[s][c];
            if (list.empty()) {
                continue;
            }
            std::vector<double> user, sys, cpu, wall;
            for (const Sample& sample : list) {
                user.push_back(sample.user);
                sys.push_back(sample.sys);
                cpu.push_back(sample.user + sample.sys);
                wall.push_back(sample.wall);
            }
            std::printf("%-6d %-4c", sizes[s], static_cast<char>('A' + c));
            for (const auto& values : {user, sys, cpu, wall}) {
                Spread spread = SpreadOf(values);
                char text[64];
                std::snprintf(text, sizeof text, "%.3f (%.3f-%.3f)", spread.median, spread.min,
                              spread.max);
                std::printf(" %-22s", text);
            }
            std::printf("\n");
        }
    }
    fs::remove_all(work);
    return failed;
}
