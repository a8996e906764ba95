// marketsim: the sample marketplace as a program, for the demo and the benchmarks.
//
//   marketsim [--port P] [--seed N] [--day N]
//             [--load-shop ITEMS [--deal-pages D] [--review-pages R]]
//             [--latency MS] [--version-answer TEXT] [--clock TIME|+N{m,h,d}]
//             [--block-demo-after N]
//
// Prints the port it bound alone on the first line, then "nick<TAB>key<TAB>items" per shop
// (the demo shop first, then "blocked", a shop that sends every request after its 40th to the
// login page), and serves until SIGINT or SIGTERM.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MarketSim.h"
#include "ShopDays.h"

namespace {

constexpr const char* kLoadShopNick = "压测专用小店";

struct Options {
    long port = 0;
    long seed = 1;
    long day = 1;
    long loadItems = -1;  // no load shop
    long dealPages = 3;
    long reviewPages = 3;
    long latencyMs = 0;
    long blockDemoAfter = 0;  // the demo shop never blocks
    std::optional<std::string> versionAnswer;
    std::optional<std::time_t> clock;
};

void PrintUsage(std::FILE* to) {
    std::fputs(
        "usage: marketsim [--port P] [--seed N] [--day N] [--load-shop ITEMS [--deal-pages D] "
        "[--review-pages R]]\n"
        "                 [--latency MS] [--version-answer TEXT] [--clock TIME|+N{m,h,d}]\n"
        "                 [--block-demo-after N]\n"
        "  --port P             port on 127.0.0.1, 0 for any free one (default 0)\n"
        "  --seed N             seed of the demo shop (default 1)\n"
        "  --day N              the demo shop as it stands on day N (default 1): items come\n"
        "                       and go, prices, sales, stock and reviews move\n"
        "  --load-shop ITEMS    also serve a load shop of ITEMS items (key \"load\")\n"
        "  --deal-pages D       deal-record pages per load-shop item (default 3)\n"
        "  --review-pages R     review pages per load-shop item (default 3)\n"
        "  --latency MS         delay every answer by MS milliseconds\n"
        "  --version-answer T   answer of /version; \\r, \\n, \\t and \\\\ are unescaped\n"
        "  --clock TIME         the test clock of /_sim/clock starts at TIME (\"YYYY-MM-DD "
        "HH:MM\"\n"
        "                       local time) or so far ahead of now (+90m, +6h, +1d)\n"
        "  --block-demo-after N the demo shop sends every request after its Nth to the login "
        "page\n",
        to);
}

bool ParseNumber(std::string_view text, long low, long high, long& out) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    long value = std::strtol(std::string(text).c_str(), nullptr, 10);
    if (value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

// "YYYY-MM-DD HH:MM[:SS]" local time, or "+N" and a unit (m, h, d) from now.
bool ParseClock(std::string_view text, std::time_t& out) {
    if (text.starts_with('+') && text.size() >= 3) {
        long count = 0;
        const char unit = text.back();
        const long perUnit = unit == 'm' ? 60 : unit == 'h' ? 3600 : unit == 'd' ? 86400 : 0;
        if (perUnit == 0 || !ParseNumber(text.substr(1, text.size() - 2), 0, 36500L * 24, count)) {
            return false;
        }
        out = std::time(nullptr) + static_cast<std::time_t>(count * perUnit);
        return true;
    }
    std::tm local{};
    const std::string copy(text);
    const char* end = strptime(copy.c_str(), "%Y-%m-%d %H:%M", &local);
    if (end != nullptr && *end == ':') {
        end = strptime(end + 1, "%S", &local);
    }
    if (end == nullptr || *end != '\0') {
        return false;
    }
    local.tm_isdst = -1;
    out = std::mktime(&local);
    return out != static_cast<std::time_t>(-1);
}

// A shell cannot easily pass a line end in an argument, and the version list is made of lines.
std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            char plain = next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
            if (next == 'r' || next == 'n' || next == 't' || next == '\\') {
                out += plain;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            PrintUsage(stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "marketsim: %s needs a value\n", argv[i]);
            return false;
        }
        std::string_view value = argv[++i];
        bool ok = true;
        if (name == "--port") {
            ok = ParseNumber(value, 0, 65535, options.port);
        } else if (name == "--seed") {
            ok = ParseNumber(value, 0, 4294967295L, options.seed);
        } else if (name == "--day") {
            ok = ParseNumber(value, 1, 3650, options.day);
        } else if (name == "--load-shop") {
            ok = ParseNumber(value, 0, 1000000, options.loadItems);
        } else if (name == "--deal-pages") {
            ok = ParseNumber(value, 0, 10000, options.dealPages);
        } else if (name == "--review-pages") {
            ok = ParseNumber(value, 0, 10000, options.reviewPages);
        } else if (name == "--latency") {
            ok = ParseNumber(value, 0, 600000, options.latencyMs);
        } else if (name == "--block-demo-after") {
            ok = ParseNumber(value, 1, 1000000, options.blockDemoAfter);
        } else if (name == "--clock") {
            std::time_t clock = 0;
            ok = ParseClock(value, clock);
            options.clock = clock;
        } else if (name == "--version-answer") {
            options.versionAnswer = Unescape(value);
        } else {
            std::fprintf(stderr, "marketsim: unknown option %s\n", argv[i - 1]);
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "marketsim: bad value for %s: %s\n", argv[i - 1], argv[i]);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage(stderr);
        return 2;
    }
    // Blocked before any thread starts, so every server thread inherits the mask and the
    // signals reach only the sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (int rc = pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr); rc != 0) {
        std::fprintf(stderr, "marketsim: pthread_sigmask failed (%d)\n", rc);
        return 1;
    }
    try {
        marketsim::MarketSim sim;
        sim.SetRecordRequests(false);
        sim.SetLatency(static_cast<int>(options.latencyMs));
        if (options.clock) {
            sim.SetClock(*options.clock);
        }
        if (options.versionAnswer) {
            sim.SetVersionAnswer(*options.versionAnswer);
        }
        std::vector<marketsim::Shop> shops;
        shops.push_back(marketsim::DemoShopOnDay(static_cast<std::uint32_t>(options.seed),
                                                 static_cast<int>(options.day)));
        if (options.blockDemoAfter > 0) {
            shops.back().blockMode = marketsim::Shop::BlockMode::LoginRedirect;
            shops.back().blockAfter = static_cast<int>(options.blockDemoAfter);
        }
        // A second shop for the demo's blocked run; listed after the demo shop.
        shops.push_back(marketsim::BlockedDemoShop(static_cast<std::uint32_t>(options.seed)));
        if (options.loadItems >= 0) {
            shops.push_back(marketsim::LoadShop(kLoadShopNick, static_cast<int>(options.loadItems),
                                                static_cast<int>(options.dealPages),
                                                static_cast<int>(options.reviewPages)));
        }
        std::string listing;
        for (const marketsim::Shop& shop : shops) {
            listing +=
                shop.nick + "\t" + shop.key + "\t" + std::to_string(shop.items.size()) + "\n";
        }
        for (marketsim::Shop& shop : shops) {
            sim.AddShop(std::move(shop));
        }
        std::uint16_t port = sim.Start(static_cast<std::uint16_t>(options.port));
        std::printf("%u\n%s", static_cast<unsigned>(port), listing.c_str());
        std::fflush(stdout);

        int received = 0;
        if (int rc = sigwait(&stopSignals, &received); rc != 0) {
            std::fprintf(stderr, "marketsim: sigwait failed (%d)\n", rc);
            return 1;
        }
        sim.Stop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "marketsim: %s\n", error.what());
        return 1;
    }
    return 0;
}
