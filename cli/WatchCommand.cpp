#include "WatchCommand.h"

#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "ExitCodes.h"
#include "Interrupts.h"
#include "OptionChecks.h"
#include "acquire/AcquisitionController.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "export/TerminalText.h"
#include "fetch/Gbk.h"
#include "watch/RemoteClock.h"
#include "watch/StoreWatchStore.h"
#include "watch/WatchRunner.h"

namespace tarnwick::cli {
namespace {

constexpr int kMostParallel = 8;

// Lines from several watches' runs at once: each goes out whole.
class ConsoleRunnerObserver : public RunnerObserver {
public:
    void Line(const std::string& line) override {
        std::lock_guard lock(m_mutex);
        std::cout << TerminalText(line) << '\n' << std::flush;
    }

private:
    std::mutex m_mutex;
};

// The runner's own lines are read in a journal; each run's whole log only when asked for.
RunLogSink RunLog(bool verbose, const RunLogSink& log) {
    return verbose ? log : RunLogSink();
}

std::string RulesText(const WatchRow& row) {
    std::string text;
    auto add = [&](bool on, const char* name) {
        if (on) {
            text += (text.empty() ? "" : " ") + std::string(name);
        }
    };
    if (row.PriceChange > 0 && (row.PriceDown != 0 || row.PriceUp != 0)) {
        text = "价格±" + NumberText(row.PriceChange) + "%";
        if (row.PriceDown == 0 || row.PriceUp == 0) {
            text += row.PriceDown != 0 ? "(仅降价)" : "(仅涨价)";
        }
    }
    add(row.NewItems != 0, "上新");
    add(row.RemovedItems != 0, "下架");
    add(row.Stock != 0, "库存");
    if (row.SalesJump > 0) {
        add(true, ("销量≥" + std::to_string(row.SalesJump)).c_str());
    }
    return text;
}

}  // namespace

WatchCommand::WatchCommand()
    : ViewCommand("watch", "Watch shops: analyse them on a schedule and alert on what changed") {
}

WatchCommand::SettingOptions WatchCommand::DeclareSettings(CLI::App& app) {
    SettingOptions o;
    o.every = app.add_option("--every", m_every,
                             "How often: a whole number of minutes, hours or days, 10m to 366d "
                             "(30m, 6h, 1d; 1d by default)")
                  ->type_name("DURATION")
                  ->group("Schedule");
    o.at = app.add_option("--at", m_at, "Once a day at this local time instead (08:30)")
               ->type_name("HH:MM")
               ->group("Schedule");
    o.every->excludes(o.at);
    o.threads = app.add_option("--threads", m_threads, "Items read at once, 1 to 30 (6 by default)")
                    ->type_name("N")
                    ->check(WholeNumberFrom(AcquisitionController::kMinThreads,
                                            AcquisitionController::kMaxThreads))
                    ->group("Runs");
    o.maxRate = app.add_option("--max-rate", m_maxRate,
                               "Requests a second across all threads at most (no limit by default)")
                    ->type_name("N")
                    ->check(NumberAbove0UpTo(1000, "requests a second"))
                    ->group("Runs");
    o.delayMs = app.add_option("--delay-ms", m_delayMs,
                               "A pause before each request of a thread (none by default)")
                    ->type_name("N")
                    ->check(WholeNumberFrom(0, 600000))
                    ->group("Runs");
    o.priceChange =
        app.add_option("--price-change", m_priceChange,
                       "Alert on a price cut or rise of at least this many percent (10 by "
                       "default; 0: no price alerts)")
            ->type_name("PERCENT")
            ->check(NumberFrom0UpTo(1000, "percent"))
            ->group("Alerts");
    o.noPriceDown =
        app.add_flag("--no-price-down", m_noPriceDown, "No alerts on price cuts")->group("Alerts");
    o.noPriceUp =
        app.add_flag("--no-price-up", m_noPriceUp, "No alerts on price rises")->group("Alerts");
    o.noNew = app.add_flag("--no-new", m_noNew, "No alerts on new items")->group("Alerts");
    o.noRemoved =
        app.add_flag("--no-removed", m_noRemoved, "No alerts on removed items")->group("Alerts");
    o.noStock = app.add_flag("--no-stock", m_noStock, "No alerts on stock running out or back")
                    ->group("Alerts");
    o.salesJump = app.add_option("--sales-jump", m_salesJump,
                                 "Alert when an item sold at least this many pieces since the "
                                 "last run (20 by default; 0: never)")
                      ->type_name("N")
                      ->check(WholeNumberFrom(0, 1000000))
                      ->group("Alerts");
    return o;
}

void WatchCommand::Declare(CLI::App& app) {
    app.require_subcommand(1, 1);
    m_add = app.add_subcommand("add", "Watch a shop by its shopkeeper's nick");
    m_add->add_option("NICK", m_nick, "The shopkeeper's nick, as analyse takes it")->required();
    m_addOptions = DeclareSettings(*m_add);
    AddDatabaseOption(*m_add);

    m_edit = app.add_subcommand("edit", "Change how a watched shop is analysed or alerted on");
    m_edit->add_option("NICK", m_nick, "The watched nick")->required();
    m_editOptions = DeclareSettings(*m_edit);
    AddDatabaseOption(*m_edit);

    m_list =
        app.add_subcommand("list", "List the watched shops with their last run and next due time");
    AddFormatOptions(*m_list);

    m_remove = app.add_subcommand("remove", "Stop watching a shop (its runs and alerts stay)");
    m_remove->add_option("NICK", m_nick, "The watched nick")->required();
    AddDatabaseOption(*m_remove);

    m_run = app.add_subcommand(
        "run", "Analyse every watched shop that is due, store and send the alerts, and exit");
    m_run->add_flag("--all", m_all, "Every watched shop, due or not");
    m_run
        ->add_option("--market", m_market,
                     "Send the marketplace's requests to this server instead (marketsim's "
                     "http://127.0.0.1:PORT)")
        ->type_name("URL");
    m_run->add_option("--parallel", m_parallel, "Shops analysed at once, 1 to 8 (1 by default)")
        ->type_name("N")
        ->check(WholeNumberFrom(1, kMostParallel));
    m_run->add_flag("--verbose", m_verbose, "Print every line of each run's log too");
    m_run
        ->add_option("--clock", m_clock,
                     "Take the time from this address instead of the system clock, for tests "
                     "and the demo (marketsim's http://127.0.0.1:PORT/_sim/clock)")
        ->type_name("URL");
    AddDatabaseOption(*m_run);
    m_run->footer(
        "\nExit status: 0 every due shop was analysed completely and every alert sent; 1 the "
        "database failed; 2 bad usage; 9 a watched run did not complete (its \"监控失败\" alert "
        "is stored); 10 a notification channel did not take an alert after its retries (it is "
        "sent again at the next run).");
}

void WatchCommand::ApplySettings(const SettingOptions& given, WatchRow& row) const {
    const bool adding = given.every == m_addOptions.every;
    auto set = [&](CLI::Option* option) { return adding || option->count() > 0; };
    if (given.at->count() > 0) {
        const std::optional<Schedule> daily = Schedule::Parse("daily " + m_at);
        if (!daily) {
            throw UsageError("--at needs a time of day such as 08:30, not " + m_at);
        }
        row.Schedule = daily->Text();
    } else if (set(given.every)) {
        const std::optional<Schedule> every = Schedule::Parse(m_every);
        if (!every || every->IsDaily()) {
            throw UsageError(
                "--every needs a whole number of minutes, hours or days from 10m to "
                "366d (30m, 6h, 1d), not " +
                m_every);
        }
        row.Schedule = every->Text();
    }
    if (set(given.threads)) {
        row.Threads = m_threads;
    }
    if (set(given.maxRate)) {
        row.MaxRate = m_maxRate;
    }
    if (set(given.delayMs)) {
        row.DelayMs = m_delayMs;
    }
    if (set(given.priceChange)) {
        row.PriceChange = m_priceChange;
    }
    if (set(given.noPriceDown)) {
        row.PriceDown = m_noPriceDown ? 0 : 1;
    }
    if (set(given.noPriceUp)) {
        row.PriceUp = m_noPriceUp ? 0 : 1;
    }
    if (set(given.noNew)) {
        row.NewItems = m_noNew ? 0 : 1;
    }
    if (set(given.noRemoved)) {
        row.RemovedItems = m_noRemoved ? 0 : 1;
    }
    if (set(given.noStock)) {
        row.Stock = m_noStock ? 0 : 1;
    }
    if (set(given.salesJump)) {
        row.SalesJump = m_salesJump;
    }
}

int WatchCommand::Run() {
    if (m_add->parsed()) {
        return Add();
    }
    if (m_edit->parsed()) {
        return Edit();
    }
    if (m_list->parsed()) {
        return List();
    }
    if (m_remove->parsed()) {
        return Remove();
    }
    return RunDue();
}

int WatchCommand::Add() {
    const std::string nick = Trim(m_nick);
    if (nick.empty()) {
        throw UsageError(AcquisitionController::kBlankInputNotice);
    }
    if (GbkToUtf8(Utf8ToGbk(nick)) != nick) {
        throw UsageError(AcquisitionController::kUnencodableNickNotice);
    }
    WatchRow row;
    row.WWName = nick;
    ApplySettings(m_addOptions, row);
    row.Created = DateTime::Now();
    Store store = OpenStore();
    RequireWatchTables(store);
    if (FindWatchRow(store, nick)) {
        throw std::runtime_error("已在监控 " + nick + " (改设置用 tarnwick-cli watch edit)");
    }
    store.AddWatch(row);
    std::cout
        << "已加入监控: " << TerminalText(nick) << ", " << row.Schedule
        << " 分析一次; 提醒: " << RulesText(row) << "\n"
        << "第一次分析作为基准, 之后每次与上一次完整的分析对比. 运行: tarnwick-cli watch run\n";
    return 0;
}

int WatchCommand::Edit() {
    Store store = OpenStore();
    RequireWatchTables(store);
    std::optional<WatchRow> row = FindWatchRow(store, Trim(m_nick));
    if (!row) {
        throw std::runtime_error("没有监控 " + Trim(m_nick) + " (tarnwick-cli watch list 列出)");
    }
    ApplySettings(m_editOptions, *row);
    store.UpdateWatchSettings(*row);
    std::cout << "已更新监控: " << TerminalText(row->WWName) << ", " << row->Schedule
              << " 分析一次; 提醒: " << RulesText(*row) << "\n";
    return 0;
}

ViewTable WatchCommand::WatchTable(Store& store) {
    std::map<std::int32_t, std::int64_t> unread;
    AlertFilter filter;
    filter.unreadOnly = true;
    for (const AlertRow& alert : store.ReadAlerts(filter)) {
        ++unread[alert.WatchID];
    }
    ViewTable table({{"WatchID", "编号"},
                     {"WWName", "掌柜"},
                     {"Schedule", "频率"},
                     {"Rules", "提醒"},
                     {"LastStarted", "上次分析"},
                     {"LastOutcome", "结果"},
                     {"NextDue", "下次分析"},
                     {"Unread", "未读提醒"}});
    for (const WatchRow& row : store.ReadWatches()) {
        const Watch watch = WatchFromRow(row);
        ViewCell last;
        if (watch.lastStarted) {
            last = *watch.lastStarted;
        }
        table.AddRow({std::int64_t{row.WatchID}, row.WWName, row.Schedule, RulesText(row), last,
                      row.LastOutcome, NextDue(watch), unread[row.WatchID]});
    }
    return table;
}

int WatchCommand::List() {
    Store store = OpenStore();
    RequireWatchTables(store);
    Emit(WatchTable(store));
    return 0;
}

int WatchCommand::Remove() {
    Store store = OpenStore();
    RequireWatchTables(store);
    std::optional<WatchRow> row = FindWatchRow(store, Trim(m_nick));
    if (!row) {
        throw std::runtime_error("没有监控 " + Trim(m_nick) + " (tarnwick-cli watch list 列出)");
    }
    store.RemoveWatch(row->WatchID);
    std::cout << "已取消监控: " << TerminalText(row->WWName) << " (分析和提醒保留)\n";
    return 0;
}

int WatchCommand::RunDue() {
    Endpoints endpoints = Endpoints::Defaults();
    if (!m_market.empty() && !endpoints.PointMarketAt(m_market)) {
        throw UsageError(Endpoints::MarketOptionRefused(m_market));
    }
    const StoreSource source = Source();
    // Kept open for the whole run, as analyse keeps its own: the file's journal is folded back
    // in only when the last connection closes.
    Store keeper = OpenStore(source);
    RequireWatchTables(keeper);
    try {
        keeper.CheckWritable();
    } catch (const DatabaseError& error) {
        throw std::runtime_error("数据文件无法写入： \"" + source.Shown() + "\" " + error.what());
    }
    std::optional<RemoteClock> remote;
    if (!m_clock.empty()) {
        try {
            remote = RemoteClock::Read(m_clock);
        } catch (const std::exception& error) {
            throw std::runtime_error("--clock " + m_clock + ": " + error.what());
        }
    }
    const Clock& clock = remote ? static_cast<const Clock&>(*remote) : SystemClock::Instance();

    RunnerSettings settings;
    settings.all = m_all;
    settings.parallel = m_parallel;
    ConsoleRunnerObserver observer;
    std::stop_source stop;
    std::mutex pauseMutex;
    std::condition_variable_any pauseWake;
    WatchRunner runner(
        settings, [&source] { return std::make_unique<StoreWatchStore>(Store::Open(source)); },
        [&](const Watch& watch, std::stop_token token, const RunLogSink& log) {
            return AnalyseWatchedShop(watch, source, endpoints, clock, token,
                                      RunLog(m_verbose, log));
        },
        clock, observer,
        [&](std::chrono::milliseconds pause) {
            std::unique_lock lock(pauseMutex);
            pauseWake.wait_for(lock, stop.get_token(), pause, [] { return false; });
        });

    CatchInterrupts();
    RunnerReport report;
    std::string failure;
    std::atomic<bool> done{false};
    {
        std::jthread work([&] {
            try {
                report = runner.RunDue(stop.get_token());
            } catch (const std::exception& error) {
                failure = error.what();
            }
            done = true;
        });
        // A signal handler can only count; the stop is asked for from here.
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (InterruptCount() > 0 && !stop.stop_requested()) {
                observer.Line("正在停止监控, 分析中的店铺记为已停止...");
                stop.request_stop();
            }
        }
    }
    DefaultInterrupts();
    if (!failure.empty()) {
        throw std::runtime_error(failure);
    }
    std::cout << "== 监控: 到期 " << report.due << ", 已分析 " << report.ran;
    if (report.busy > 0) {
        std::cout << ", 其他监控进程正在分析 " << report.busy;
    }
    std::cout << ", 失败 " << report.failedRuns << ", 未送达 " << report.failedDeliveries << "\n";
    if (report.failedRuns > 0) {
        return kExitWatchFailed;
    }
    return report.failedDeliveries > 0 ? kExitNotifyFailed : kExitComplete;
}

}  // namespace tarnwick::cli
