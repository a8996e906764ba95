#include "AnalyseCommand.h"

#include <unistd.h>

#include <iostream>

#include "ExitCodes.h"
#include "Interrupts.h"
#include "OptionChecks.h"
#include "ProgressLine.h"
#include "acquire/EventLoop.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "export/TerminalText.h"

namespace tarnwick::cli {
namespace {

class ConsoleObserver : public RunObserver {
public:
    explicit ConsoleObserver(bool progress) : m_progress(progress) {}

    void LogLineAdded(const std::string& line) override {
        ClearProgress();
        // Log lines carry titles, nicks and answers of the marketplace.
        std::cout << TerminalText(line) << '\n';
        std::cout.flush();
    }
    void LogCleared() override {}
    void RunningChanged(bool) override {}
    void RunCompleted() override { m_completed = true; }

    bool Completed() const { return m_completed; }

    void ShowProgress(tarnwick::Run& run) {
        if (!m_progress) {
            return;
        }
        const RunTotals totals = run.Totals();
        ProgressLine::Sample sample;
        sample.time = ProgressLine::Clock::now();
        sample.itemsQueued = totals.itemsQueued;
        sample.itemsDone = totals.downloadsEnded;
        sample.rowsStored = totals.itemsStored + totals.buyersStored + totals.ratesStored;
        sample.requests = totals.requests;
        sample.listingComplete = !run.ReaderRunning();
        std::cout << "\r\033[K" << m_line.Update(sample) << std::flush;
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
    ProgressLine m_line;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

void PrintSummary(const RunTotals& totals, const std::string& runId, RunOutcome outcome,
                  const HealthReport& health, const RunOutcomeRow& record) {
    std::cout << "== 运行摘要 " << runId << " ==\n";
    // The verdict first: the figures below mean little when the marketplace shut us out.
    std::cout << "运行状况: " << VerdictLabel(health.verdict) << " (" << VerdictName(health.verdict)
              << ")\n";
    for (const std::string& reason : health.reasons) {
        std::cout << "  " << TerminalText(reason) << '\n';
    }
    std::cout << "结果: " << OutcomeName(outcome) << '\n';
    for (const std::string& line :
         record.detail.empty() ? std::vector<std::string>{} : SplitLines(record.detail)) {
        std::cout << "  " << TerminalText(line) << '\n';
    }
    std::cout << "宝贝: 入库 " << totals.itemsStored << " / 入队 " << totals.itemsQueued << '\n';
    std::cout << "读取: " << totals.items.read << " / " << totals.items.queued << " 个宝贝";
    if (totals.items.notRead > 0) {
        std::cout << ", 未读取 " << totals.items.notRead << " 个:";
        constexpr std::size_t kShown = 20;
        for (std::size_t i = 0; i < totals.itemsNotRead.size() && i < kShown; ++i) {
            std::cout << ' ' << TerminalText(totals.itemsNotRead[i]);
        }
        if (totals.itemsNotRead.size() > kShown) {
            std::cout << " 等";
        }
    }
    std::cout << '\n';
    std::cout << "宝贝列表: " << record.listPagesRead << " / " << record.listPages << " 页"
              << (record.listComplete != 0 ? "" : ", 未读完") << '\n';
    if (totals.ratePauses > 0) {
        std::cout << "限流暂停: " << totals.ratePauses << " 次, 共 "
                  << (totals.ratePausedFor.count() + 500) / 1000 << " 秒\n";
    }
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
            std::cout << ' ' << TerminalText(id);
        }
        std::cout << '\n';
    }
    for (const auto& error : totals.errors) {
        std::cout << "错误: " << TerminalText(error) << '\n';
    }
}

}  // namespace

AnalyseCommand::AnalyseCommand()
    : Command("analyse",
              "Analyse a shop: read its items, deal records and reviews into the "
              "database") {
}

void AnalyseCommand::Declare(CLI::App& app) {
    app.add_option("NICK", m_nick,
                   "The shopkeeper's nick; put -- before a nick that begins with '-'")
        ->required();
    AddDatabaseOption(app);
    app.add_option("--market", m_market,
                   "Send the marketplace's requests to this server instead (for example "
                   "marketsim's http://127.0.0.1:PORT)")
        ->type_name("URL");
    app.add_option("--threads", m_threads, "Items read at once, 1 to 30 (6 by default)")
        ->type_name("N")
        ->check(WholeNumberFrom(AcquisitionController::kMinThreads,
                                AcquisitionController::kMaxThreads));
    // A hostile or broken marketplace cannot take a run past these.
    auto limit = [&app](const char* name, int& value, const char* unit, int most,
                        const char* help) {
        app.add_option(name, value, help)
            ->type_name(unit)
            ->check(WholeNumberFrom(1, most))
            ->group("Limits");
    };
    constexpr int kMostPages = 1000000;
    limit("--max-list-pages", m_limits.maxListPages, "N", kMostPages,
          "Item-list pages read at most (500 by default)");
    limit("--max-deal-pages", m_limits.maxDealPages, "N", kMostPages,
          "Deal-record pages per item at most (500 by default)");
    limit("--max-review-pages", m_limits.maxReviewPages, "N", kMostPages,
          "Review pages per item at most (500 by default)");
    limit("--max-body-mb", m_maxBodyMb, "N", 4096,
          "A larger answer fails as too large (32 by default)");
    limit("--fetch-timeout", m_fetchTimeoutSeconds, "S", 86400,
          "Seconds one fetch may take in all, redirects included (300 by default)");
    // All off by default, so that a run goes as fast as it always did.
    constexpr double kMostRate = 1000;
    constexpr int kMostDelayMs = 600000;
    app.add_option("--max-rate", m_options.maxRate,
                   "Requests a second across all threads at most (no limit by default)")
        ->type_name("N")
        ->check(NumberAbove0UpTo(kMostRate, "requests a second"))
        ->group("Politeness");
    app.add_option("--delay-ms", m_options.delayMs,
                   "A pause before each request of a thread, in milliseconds (none by default)")
        ->type_name("N")
        ->check(WholeNumberFrom(0, kMostDelayMs))
        ->group("Politeness");
    app.add_flag("--keep-going", m_options.keepGoing,
                 "Read on when the marketplace blocks the run (login or verification pages, "
                 "pages without their usual shape) instead of stopping after 20 in a row")
        ->group("Politeness");
}

int AnalyseCommand::Run() {
    // Refused before the run's log starts, as the dialog refuses it before its log changes.
    if (Trim(m_nick).empty()) {
        throw UsageError(AcquisitionController::kBlankInputNotice);
    }
    Endpoints endpoints = Endpoints::Defaults();
    if (!m_market.empty() && !endpoints.PointMarketAt(m_market)) {
        throw UsageError(Endpoints::MarketOptionRefused(m_market));
    }
    const StoreSource source = Source();
    // Opened now so a missing file fails with the user's message rather than in every worker, and
    // kept open for the run: closing the last connection to the file folds its journal back in,
    // which would otherwise happen after every item.
    Store keeper = OpenStore(source);
    // A file we may read but not write would otherwise cost the whole shop's requests before
    // the first row fails.
    try {
        keeper.CheckWritable();
    } catch (const DatabaseError& error) {
        throw std::runtime_error("数据文件无法写入： \"" + source.Shown() + "\" " + error.what());
    }
    m_limits.maxBodyBytes = std::int64_t{m_maxBodyMb} * 1024 * 1024;
    m_limits.maxFetchMs = m_fetchTimeoutSeconds * 1000;

    EventLoop loop;
    ConsoleObserver observer(isatty(STDOUT_FILENO) == 1);
    CatchInterrupts();
    int totalInterrupts = 0;
    std::shared_ptr<tarnwick::Run> run;
    {
        AcquisitionController controller(loop, observer, source, endpoints,
                                         SystemClock::Instance());
        controller.Reset();
        controller.SetLimits(m_limits);
        controller.SetRunOptions(m_options);
        switch (controller.Start(m_nick, m_threads)) {
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
            loop.RunUntil([&] { return over() || InterruptCount() > totalInterrupts; },
                          std::chrono::milliseconds(200));
            if (InterruptCount() > 0 && !stopAsked) {
                stopAsked = true;
                totalInterrupts = InterruptCount();
                controller.Stop();
            }
            observer.ShowProgress(*run);
        }
        observer.ClearProgress();
    }
    DefaultInterrupts();
    const RunOutcome outcome = run->Outcome();
    const HealthReport health =
        run->FinalHealth() ? *run->FinalHealth() : run->JudgeHealth(run->HealthSnapshot());
    PrintSummary(run->Totals(), run->RunId(), outcome, health, run->OutcomeRow(DateTime()));
    return ExitCodeFor(outcome);
}

}  // namespace tarnwick::cli
