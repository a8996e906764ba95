#include "analysis/RunHealth.h"

#include <algorithm>

namespace tarnwick {
namespace {

constexpr std::array<Verdict, 5> kVerdicts = {Verdict::Healthy, Verdict::Degraded, Verdict::Blocked,
                                              Verdict::ShopNotFound, Verdict::Unreachable};

constexpr std::array<AnswerClass, kAnswerClassCount> kClasses = {
    AnswerClass::Ok,           AnswerClass::HttpError, AnswerClass::Network,
    AnswerClass::Timeout,      AnswerClass::TooLarge,  AnswerClass::Login,
    AnswerClass::Verification, AnswerClass::Shapeless, AnswerClass::RateLimited};

constexpr std::array<PageKind, kPageKindCount> kKinds = {
    PageKind::Card,  PageKind::Listing, PageKind::Item,   PageKind::SoldCount,
    PageKind::Views, PageKind::Deals,   PageKind::Reviews};

bool IsTransportFailure(AnswerClass c) {
    return c == AnswerClass::HttpError || c == AnswerClass::Network || c == AnswerClass::Timeout ||
           c == AnswerClass::TooLarge || c == AnswerClass::RateLimited;
}

std::string ClockText(DateTime at) {
    try {
        return at.ToText().substr(11, 8);
    } catch (const std::exception&) {
        return "??:??:??";
    }
}

// "宝贝页: 登录页 12, 页面改版 3" for every kind with a failure, the most failures first.
std::vector<std::string> FailuresByKind(const HealthTally& tally) {
    std::vector<std::pair<int, std::string>> lines;
    for (PageKind kind : kKinds) {
        int failed = tally.Failures(kind);
        if (failed == 0) {
            continue;
        }
        std::string line = std::string(PageKindLabel(kind)) + ": " + std::to_string(failed) + "/" +
                           std::to_string(failed + tally.Count(kind, AnswerClass::Ok)) + " 失败 (";
        bool first = true;
        for (AnswerClass c : kClasses) {
            if (int n = tally.Count(kind, c); c != AnswerClass::Ok && n > 0) {
                line += (first ? "" : ", ") + std::string(AnswerClassLabel(c)) + " " +
                        std::to_string(n);
                first = false;
            }
        }
        lines.emplace_back(failed, line + ")");
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> out;
    for (auto& [failed, line] : lines) {
        out.push_back(std::move(line));
    }
    return out;
}

// The earliest answer from which at least kBlockedShare of the answers to the end, and at
// least kMinBlockedAnswers of them, are blocking ones; -1 when there is none.
int BlockStart(const std::vector<AnswerRecord>& answers) {
    int blocking = 0;
    int start = -1;
    for (int i = static_cast<int>(answers.size()) - 1; i >= 0; --i) {
        if (!IsBlockingClass(answers[static_cast<std::size_t>(i)].answer)) {
            continue;
        }
        ++blocking;
        int tail = static_cast<int>(answers.size()) - i;
        // Nothing good since the first answer (the IM card): however few, the run was
        // blocked from the start.
        bool fromTheStart = i <= 1;
        if ((blocking >= kMinBlockedAnswers || fromTheStart) && blocking >= kBlockedShare * tail) {
            start = i;
        }
    }
    return start;
}

}  // namespace

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Healthy:
            return "healthy";
        case Verdict::Degraded:
            return "degraded";
        case Verdict::Blocked:
            return "blocked";
        case Verdict::ShopNotFound:
            return "shop-not-found";
        case Verdict::Unreachable:
            return "unreachable";
    }
    return "healthy";
}

const char* VerdictLabel(Verdict verdict) {
    switch (verdict) {
        case Verdict::Healthy:
            return "正常";
        case Verdict::Degraded:
            return "数据不全";
        case Verdict::Blocked:
            return "被拦截";
        case Verdict::ShopNotFound:
            return "找不到店铺";
        case Verdict::Unreachable:
            return "无法连接";
    }
    return "正常";
}

std::optional<Verdict> VerdictFromName(std::string_view name) {
    for (Verdict verdict : kVerdicts) {
        if (name == VerdictName(verdict)) {
            return verdict;
        }
    }
    return std::nullopt;
}

bool HealthTally::Add(PageKind kind, AnswerClass answer, DateTime at) {
    m_answers.push_back(AnswerRecord{kind, answer, at});
    ++m_counts[static_cast<std::size_t>(kind)][static_cast<std::size_t>(answer)];
    m_streak = IsBlockingClass(answer) ? m_streak + 1 : 0;
    if (m_streak >= kBlockStreak && !m_streakReached) {
        m_streakReached = true;
        return true;
    }
    return false;
}

int HealthTally::Count(PageKind kind, AnswerClass answer) const {
    return m_counts[static_cast<std::size_t>(kind)][static_cast<std::size_t>(answer)];
}

int HealthTally::Count(AnswerClass answer) const {
    int n = 0;
    for (PageKind kind : kKinds) {
        n += Count(kind, answer);
    }
    return n;
}

int HealthTally::Failures(PageKind kind) const {
    int n = 0;
    for (AnswerClass c : kClasses) {
        if (c != AnswerClass::Ok) {
            n += Count(kind, c);
        }
    }
    return n;
}

int HealthTally::Failures() const {
    return Requests() - Count(AnswerClass::Ok);
}

HealthReport JudgeHealth(const HealthTally& tally, const RunFacts& facts) {
    HealthReport report;
    report.stoppedEarly = facts.stoppedEarly;
    const auto& answers = tally.Answers();

    int start = BlockStart(answers);
    if (facts.stoppedEarly && start < 0) {
        // Stopped on a streak that the share rule does not see (many good answers came after
        // it from downloads already under way): the streak itself marks the start.
        start = std::max(0, tally.Requests() - tally.Streak());
    }
    bool allTransportFailures =
        !answers.empty() && std::all_of(answers.begin(), answers.end(),
                                        [](const auto& a) { return IsTransportFailure(a.answer); });

    if (start >= 0) {
        const AnswerRecord& first = answers[static_cast<std::size_t>(start)];
        report.verdict = Verdict::Blocked;
        report.blockedAtRequest = start + 1;
        report.blockedAt = first.at;
        int login = 0, verification = 0, shapeless = 0;
        for (std::size_t i = static_cast<std::size_t>(start); i < answers.size(); ++i) {
            login += answers[i].answer == AnswerClass::Login;
            verification += answers[i].answer == AnswerClass::Verification;
            shapeless += answers[i].answer == AnswerClass::Shapeless;
        }
        report.reasons.push_back(
            "从第 " + std::to_string(start + 1) + " 个请求 (" + ClockText(first.at) +
            ") 起被拦截: 登录页 " + std::to_string(login) + ", 验证页 " +
            std::to_string(verification) + ", 页面改版 " + std::to_string(shapeless));
        if (facts.stoppedEarly) {
            report.reasons.push_back("连续 " + std::to_string(kBlockStreak) +
                                     " 个请求被拦截, 已提前停止");
        }
    } else if (allTransportFailures || facts.unreachable) {
        report.verdict = Verdict::Unreachable;
        report.reasons.push_back(
            allTransportFailures ? "全部 " + std::to_string(tally.Requests()) + " 个请求都失败了"
                                 : std::string("旺旺名片或第一页宝贝列表无法读取"));
    } else if (answers.empty()) {
        // A stop before the first answer says nothing about the marketplace.
        report.verdict = facts.stoppedByUser ? Verdict::Healthy : Verdict::Unreachable;
        report.reasons.push_back("没有发出任何请求");
    } else if (!facts.shopFound) {
        report.verdict = Verdict::ShopNotFound;
        report.reasons.push_back("旺旺名片上没有店铺");
    } else if (tally.Failures() >= kDegradedFromFailures) {
        report.verdict = Verdict::Degraded;
    }
    // Every answer may have been fine and still the run did not read the whole shop.
    if (report.verdict == Verdict::Healthy || report.verdict == Verdict::Degraded) {
        if (facts.itemsNotRead > 0) {
            report.verdict = Verdict::Degraded;
            report.reasons.push_back(std::to_string(facts.itemsNotRead) + " / " +
                                     std::to_string(facts.itemsQueued) + " 个宝贝未读取");
        }
        if (!facts.listingComplete && facts.shopFound) {
            report.verdict = Verdict::Degraded;
            std::string reason = "宝贝列表未读完";
            if (facts.listingPromised > 0) {
                reason += ": 读了 " + std::to_string(facts.listingRead) + " / " +
                          std::to_string(facts.listingPromised) + " 页";
            }
            if (facts.listingPromised > facts.listingToRead) {
                reason += " (超过页数上限 " + std::to_string(facts.listingToRead) + ")";
            }
            report.reasons.push_back(reason);
        }
    }
    if (report.verdict != Verdict::Healthy && report.verdict != Verdict::ShopNotFound) {
        for (std::string& line : FailuresByKind(tally)) {
            report.reasons.push_back(std::move(line));
        }
    }
    return report;
}

std::string HealthLine(const HealthReport& report) {
    std::string line = std::string("运行状况: ") + VerdictLabel(report.verdict);
    if (!report.reasons.empty()) {
        line += " - " + report.reasons.front();
    }
    return line;
}

RunHealthRow MakeRunHealthRow(const std::string& sid, const HealthTally& tally,
                              const HealthReport& report, DateTime started, DateTime ended) {
    RunHealthRow row;
    row.sid = sid;
    row.verdict = VerdictName(report.verdict);
    row.started = started;
    row.ended = ended;
    row.requests = tally.Requests();
    row.httpErrors = tally.Count(AnswerClass::HttpError);
    row.networkErrors = tally.Count(AnswerClass::Network);
    row.timeouts = tally.Count(AnswerClass::Timeout);
    row.tooLarge = tally.Count(AnswerClass::TooLarge);
    row.loginPages = tally.Count(AnswerClass::Login);
    row.verificationPages = tally.Count(AnswerClass::Verification);
    row.shapeless = tally.Count(AnswerClass::Shapeless);
    row.failedCard = tally.Failures(PageKind::Card);
    row.failedListing = tally.Failures(PageKind::Listing);
    row.failedItem = tally.Failures(PageKind::Item);
    row.failedSold = tally.Failures(PageKind::SoldCount);
    row.failedViews = tally.Failures(PageKind::Views);
    row.failedDeals = tally.Failures(PageKind::Deals);
    row.failedReviews = tally.Failures(PageKind::Reviews);
    for (PageKind kind : kKinds) {
        for (AnswerClass c : kClasses) {
            if (int n = tally.Count(kind, c); c != AnswerClass::Ok && n > 0) {
                row.detail += (row.detail.empty() ? "" : " ") + std::string(PageKindName(kind)) +
                              "." + AnswerClassName(c) + "=" + std::to_string(n);
            }
        }
    }
    row.blockedAtRequest = report.blockedAtRequest;
    row.blockedAt = report.blockedAt;
    row.stoppedEarly = report.stoppedEarly ? 1 : 0;
    for (const std::string& reason : report.reasons) {
        row.reasons += (row.reasons.empty() ? "" : "\n") + reason;
    }
    return row;
}

}  // namespace tarnwick
