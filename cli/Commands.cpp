#include "Commands.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "ExitCodes.h"
#include "TextTable.h"
#include "acquire/AcquisitionController.h"
#include "acquire/EventLoop.h"
#include "export/ItemSheet.h"
#include "fetch/TextTools.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/DatabaseFile.h"
#include "store/PostgresStore.h"
#include "store/Store.h"
#include "store/TimeWindow.h"

namespace tarnwick::cli {
namespace {

std::string ProgramFolder() {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "./";
    }
    return exe.parent_path().string() + "/";
}

}  // namespace

// The database named by --db, or the one the desktop program would choose: beside us, or in
// the user's data folder for an installed program.
std::string DatabasePath(const CliArgs& args) {
    if (auto db = args.Option("db")) {
        return *db;
    }
    const DataFolderChoice data = ChooseProgramDataFolder(ProgramFolder());
    if (data.copiedShipped) {
        std::cerr << "tarnwick-cli: first use: the analyses are kept in " << data.folder
                  << "vexodb.qdb\n";
    } else if (!data.failure.empty()) {
        std::cerr << "tarnwick-cli: cannot create the database file: " << data.failure << "\n";
    }
    return ChooseDatabaseFile(data.folder).path;
}

Store OpenStore(const CliArgs& args) {
    std::string path = DatabasePath(args);
    try {
        return Store::Open(path);
    } catch (const DatabaseError& error) {
        throw std::runtime_error(DatabaseFailureMessage(path, error));
    }
}

Endpoints EndpointsFrom(const CliArgs& args) {
    Endpoints endpoints = Endpoints::Defaults();
    if (auto market = args.Option("market"); market && !endpoints.PointMarketAt(*market)) {
        throw UsageError("--market needs an address such as http://127.0.0.1:8080, not " + *market);
    }
    if (auto version = args.Option("version-url")) {
        endpoints.versionEndpoint = *version;
    }
    return endpoints;
}

void ExpectPositionals(const CliArgs& args, std::size_t count, const char* what) {
    if (args.positionals.size() != count) {
        throw UsageError(std::string("usage: tarnwick-cli ") + args.command + " " + what);
    }
}

namespace {

std::optional<DateTime> WindowBound(const CliArgs& args) {
    std::string name = args.Option("window").value_or("all");
    auto window = ParseTimeWindow(name);
    if (!window) {
        throw UsageError("--window is one of all, week, month, this-week, this-month; not " + name);
    }
    return LowerBound(*window, DateTime::Now());
}

std::string Money(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string TimeText(DateTime time) {
    return time.ToText().substr(0, 19);
}

// ---- analyse ----

std::atomic<int> g_interrupts{0};

extern "C" void OnInterrupt(int) {
    if (g_interrupts.fetch_add(1) >= 1) {
        _exit(130);  // the second Ctrl-C: end at once
    }
}

class ConsoleObserver : public RunObserver {
public:
    explicit ConsoleObserver(bool progress) : m_progress(progress) {}

    void LogLineAdded(const std::string& line) override {
        ClearProgress();
        std::cout << line << '\n';
        std::cout.flush();
    }
    void LogCleared() override {}
    void RunningChanged(bool) override {}
    void RunCompleted() override { m_completed = true; }

    bool Completed() const { return m_completed; }

    void ShowProgress(const RunTotals& totals, std::size_t pending) {
        if (!m_progress) {
            return;
        }
        std::ostringstream line;
        line << "待下载 " << pending << " | 已完成 " << totals.downloadsEnded << "/"
             << totals.itemsQueued << " | 成交记录 " << totals.buyersStored << " | 评价 "
             << totals.ratesStored;
        std::cout << "\r\033[K" << line.str() << std::flush;
        m_shown = true;
    }
    void ClearProgress() {
        if (m_shown) {
            std::cout << "\r\033[K";
            m_shown = false;
        }
    }

private:
    bool m_progress;
    bool m_shown = false;
    bool m_completed = false;
};

void PrintSummary(const RunTotals& totals, const std::string& runId, RunOutcome outcome) {
    std::cout << "== 运行摘要 " << runId << " ==\n";
    std::cout << "结果: " << OutcomeName(outcome) << '\n';
    std::cout << "宝贝: 入库 " << totals.itemsStored << " / 入队 " << totals.itemsQueued << '\n';
    std::cout << "成交记录: " << totals.buyersStored << " 条\n";
    std::cout << "评价: " << totals.ratesStored << " 条\n";
    std::cout << "请求: " << totals.requests << " 次";
    std::cout << ", 失败 " << totals.FailedFetchCount() << " 次";
    for (const auto& [kind, count] : totals.failedFetches) {
        std::cout << " [" << kind << " x" << count << "]";
    }
    std::cout << '\n';
    if (!totals.itemsWithoutTitle.empty()) {
        std::cout << "无标题宝贝: " << totals.itemsWithoutTitle.size()
                  << " 个 (页面被拦截或已改版?):";
        for (const auto& id : totals.itemsWithoutTitle) {
            std::cout << ' ' << id;
        }
        std::cout << '\n';
    }
    for (const auto& error : totals.errors) {
        std::cout << "错误: " << error << '\n';
    }
}

}  // namespace

const char* UsageText() {
    return "usage:\n"
           "  tarnwick-cli analyse [--db FILE] [--market URL] [--threads N] [LIMITS] NICK\n"
           "  tarnwick-cli shops [--db FILE]\n"
           "  tarnwick-cli items SID [--window all|week|month|this-week|this-month] [--db FILE]\n"
           "  tarnwick-cli buyers SID ITEMID [--window ...] [--db FILE]\n"
           "  tarnwick-cli reviews SID ITEMID [--window ...] [--db FILE]\n"
           "  tarnwick-cli delete SID [--db FILE]\n"
           "  tarnwick-cli export-xlsx SID FILE [--db FILE]\n"
           "  tarnwick-cli export-nicks SID FILE [ITEMID...] [--db FILE]\n"
           "  tarnwick-cli check-version [--version-url URL]\n"
           "  tarnwick-cli compare OLD_SID NEW_SID [--changed-only] [--xlsx FILE] [--csv FILE]"
           " [--db FILE]\n"
           "  tarnwick-cli history SID ITEMID [--db FILE]\n"
           "  tarnwick-cli init-db postgresql://USER@HOST/DATABASE\n"
           "--db takes a database file or the postgresql:// address of a team's shared database;\n"
           "init-db creates the tables in that empty database once.\n"
           "limits of analyse (a hostile or broken marketplace cannot go past them):\n"
           "  --max-list-pages N    item-list pages read at most (default 500)\n"
           "  --max-deal-pages N    deal-record pages per item at most (default 500)\n"
           "  --max-review-pages N  review pages per item at most (default 500)\n"
           "  --max-body-mb N       a larger answer fails as too large (default 32)\n"
           "  --fetch-timeout S     seconds one fetch may take in all (default 300)\n";
}

namespace {

int PositiveOption(const CliArgs& args, const char* name, int fallback, int most) {
    auto text = args.Option(name);
    if (!text) {
        return fallback;
    }
    int value = WholeNumber(*text);
    if (value < 1 || value > most) {
        throw UsageError(std::string("--") + name + " is a number from 1 to " +
                         std::to_string(most) + ", not " + *text);
    }
    return value;
}

RunLimits LimitsFrom(const CliArgs& args) {
    RunLimits limits;
    limits.maxListPages = PositiveOption(args, "max-list-pages", limits.maxListPages, 1000000);
    limits.maxDealPages = PositiveOption(args, "max-deal-pages", limits.maxDealPages, 1000000);
    limits.maxReviewPages =
        PositiveOption(args, "max-review-pages", limits.maxReviewPages, 1000000);
    limits.maxBodyBytes = std::int64_t{PositiveOption(args, "max-body-mb", 32, 4096)} * 1024 * 1024;
    limits.maxFetchMs =
        PositiveOption(args, "fetch-timeout", limits.maxFetchMs / 1000, 86400) * 1000;
    return limits;
}

}  // namespace

int RunAnalyse(const CliArgs& args) {
    ExpectPositionals(args, 1, "[--db FILE] [--market URL] [--threads N] [LIMITS] NICK");
    int threads = AcquisitionController::kDefaultThreads;
    if (auto text = args.Option("threads")) {
        threads = WholeNumber(*text);
        if (threads < AcquisitionController::kMinThreads ||
            threads > AcquisitionController::kMaxThreads) {
            throw UsageError("--threads is a number from 1 to 30, not " + *text);
        }
    }
    Endpoints endpoints = EndpointsFrom(args);
    RunLimits limits = LimitsFrom(args);
    std::string path = DatabasePath(args);
    // Opened now so a missing file fails with the user's message rather than in every worker, and
    // kept open for the run: closing the last connection to the file folds its journal back in,
    // which would otherwise happen after every item.
    Store keeper = OpenStore(args);
    // A file we may read but not write would otherwise cost the whole shop's requests before
    // the first row fails.
    try {
        keeper.CheckWritable();
    } catch (const DatabaseError& error) {
        throw std::runtime_error("数据文件无法写入： \"" + ShownLocation(path) + "\" " +
                                 error.what());
    }

    EventLoop loop;
    ConsoleObserver observer(isatty(STDOUT_FILENO) == 1);
    std::signal(SIGINT, OnInterrupt);
    int totalInterrupts = 0;
    std::shared_ptr<Run> run;
    {
        AcquisitionController controller(loop, observer, path, endpoints, SystemClock::Instance());
        controller.Reset();
        controller.SetLimits(limits);
        switch (controller.Start(args.positionals[0], threads)) {
            case AcquisitionController::StartResult::Started:
                break;
            case AcquisitionController::StartResult::BlankInput:
                throw UsageError(AcquisitionController::kBlankInputNotice);
            case AcquisitionController::StartResult::UnencodableNick:
                throw UsageError(AcquisitionController::kUnencodableNickNotice);
        }
        run = controller.CurrentRun();
        bool stopAsked = false;
        // The run is over once it has announced its end and its reader has ended too (after a
        // stop the reader may still be storing the shop's row).
        auto over = [&] { return observer.Completed() && !run->ReaderRunning(); };
        while (!over()) {
            // Woken by every report; the time limit only paces the progress line and the
            // look at Ctrl-C, which a signal handler cannot safely report itself.
            loop.RunUntil([&] { return over() || g_interrupts.load() > totalInterrupts; },
                          std::chrono::milliseconds(200));
            if (g_interrupts.load() > 0 && !stopAsked) {
                stopAsked = true;
                totalInterrupts = g_interrupts.load();
                controller.Stop();
            }
            observer.ShowProgress(run->Totals(), run->PendingCount());
        }
        observer.ClearProgress();
    }
    std::signal(SIGINT, SIG_DFL);
    RunOutcome outcome = run->Outcome();
    PrintSummary(run->Totals(), run->RunId(), outcome);
    return ExitCodeFor(outcome);
}

int RunShops(const CliArgs& args) {
    ExpectPositionals(args, 0, "[--db FILE]");
    Store store = OpenStore(args);
    TextTable table({"SID", "掌柜", "店铺地址", "分析时间"});
    for (const auto& shop : store.ReadShops()) {
        table.AddRow({shop.SID, shop.WWName, Trim(shop.ShopURL), TimeText(shop.AddTime)});
    }
    table.Print(std::cout);
    return 0;
}

int RunItems(const CliArgs& args) {
    ExpectPositionals(args, 1, "SID [--window all|week|month|this-week|this-month] [--db FILE]");
    auto bound = WindowBound(args);
    Store store = OpenStore(args);
    // The item list's own captions, without its check column, and the id the other commands
    // take.
    std::vector<std::string> header = ItemListCaptions();
    header.erase(header.begin());
    header.insert(header.begin() + 1, "ItemID");
    TextTable table(std::move(header));
    int n = 0;
    for (const auto& item : store.ReadItems(args.positionals[0], bound)) {
        table.AddRow({std::to_string(++n), item.ItemID, item.title, Money(item.price),
                      std::to_string(item.sellcount), std::to_string(item.allow_quantity),
                      std::to_string(item.Commentcount), std::to_string(item.pv),
                      Money(item.SellAmount), TimeText(item.UpdateTime)});
    }
    table.Print(std::cout);
    return 0;
}

int RunBuyers(const CliArgs& args) {
    ExpectPositionals(args, 2, "SID ITEMID [--window ...] [--db FILE]");
    auto bound = WindowBound(args);
    Store store = OpenStore(args);
    TextTable table({"买家", "价格", "数量", "款式", "购买时间"});
    double sum = 0;
    auto buyers = store.ReadBuyers(args.positionals[0], args.positionals[1], bound);
    for (const auto& buyer : buyers) {
        sum += buyer.price;
        table.AddRow({buyer.Buyer, Money(buyer.price), std::to_string(buyer.amount), buyer.sku,
                      TimeText(buyer.buytime)});
    }
    table.Print(std::cout);
    std::cout << "共有 " << buyers.size() << " 条记录. 总额 " << Money(sum) << " 元。\n";
    return 0;
}

int RunReviews(const CliArgs& args) {
    ExpectPositionals(args, 2, "SID ITEMID [--window ...] [--db FILE]");
    auto bound = WindowBound(args);
    Store store = OpenStore(args);
    TextTable table({"买家名称", "评论内容", "评论时间"});
    auto rates = store.ReadRates(args.positionals[0], args.positionals[1], bound);
    for (const auto& rate : rates) {
        table.AddRow({rate.displayUserNick, rate.rateContent, TimeText(rate.rateDate)});
    }
    table.Print(std::cout);
    std::cout << "共有 " << rates.size() << " 条记录.\n";
    return 0;
}

int RunInitDb(const CliArgs& args) {
    ExpectPositionals(args, 1, "postgresql://USER@HOST/DATABASE");
    const std::string& location = args.positionals[0];
    if (!IsServerLocation(location)) {
        throw UsageError(
            "init-db sets up a PostgreSQL database (postgresql://...); a database "
            "file starts as a copy of the empty vexodb.qdb, not " +
            location);
    }
    try {
        PostgresStore::CreateSchema(location);
    } catch (const DatabaseError& error) {
        throw std::runtime_error(ShownLocation(location) + ": " + error.what());
    }
    std::cout << "已在 " << ShownLocation(location) << " 建好分析数据表。\n";
    return 0;
}

int RunDelete(const CliArgs& args) {
    ExpectPositionals(args, 1, "SID [--db FILE]");
    Store store = OpenStore(args);
    store.DeleteShop(args.positionals[0]);
    return 0;
}

}  // namespace tarnwick::cli
