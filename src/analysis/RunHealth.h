#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/AnswerClassifier.h"
#include "base/DateTime.h"
#include "store/Rows.h"

namespace tarnwick {

// How far a run can be trusted, worst first where it matters to the user.
enum class Verdict { Healthy, Degraded, Blocked, ShopNotFound, Unreachable };

const char* VerdictName(Verdict verdict);   // "healthy", ... as stored
const char* VerdictLabel(Verdict verdict);  // "正常", ... as shown
std::optional<Verdict> VerdictFromName(std::string_view name);

// Consecutive login, verification or shapeless answers after which a run is judged blocked
// while it runs. A changed item here and there never comes twenty in a row; a marketplace that
// has shut us out answers nothing else, so twenty more requests cannot tell us anything new.
inline constexpr int kBlockStreak = 20;
// After the run: from the point where at least this share of the remaining answers ...
inline constexpr double kBlockedShare = 0.8;
// ... and at least this many of them are blocking answers, the run was blocked from there. Fewer
// is chance (a few odd items at the end of a run make it degraded, and a script acts on the
// exit code of a blocked run), unless nothing good came after the IM card at all: a one-page
// shop whose listing lost its section was blocked from the start.
inline constexpr int kMinBlockedAnswers = 10;
// A single missing page already means a figure of zero that is not the marketplace's: the run
// is degraded from the first failure, and the reasons say how many.
inline constexpr int kDegradedFromFailures = 1;

struct AnswerRecord {
    PageKind kind;
    AnswerClass answer;
    DateTime at;
};

// Every answer of a run in the order it arrived. Not thread-safe: the run guards it.
class HealthTally {
public:
    // Returns true for the answer that completes the first run of kBlockStreak blocking
    // answers in a row.
    bool Add(PageKind kind, AnswerClass answer, DateTime at);

    int Requests() const { return static_cast<int>(m_answers.size()); }
    int Count(PageKind kind, AnswerClass answer) const;
    int Count(AnswerClass answer) const;
    int Failures(PageKind kind) const;  // every class but Ok
    int Failures() const;
    int Streak() const { return m_streak; }
    const std::vector<AnswerRecord>& Answers() const { return m_answers; }

private:
    std::vector<AnswerRecord> m_answers;
    std::array<std::array<int, kAnswerClassCount>, kPageKindCount> m_counts{};
    int m_streak = 0;
    bool m_streakReached = false;
};

struct HealthReport {
    Verdict verdict = Verdict::Healthy;
    std::vector<std::string> reasons;  // one line each, the most telling first
    int blockedAtRequest = 0;          // counting from 1; 0 when not blocked
    DateTime blockedAt;
    bool stoppedEarly = false;  // the run stopped itself because it was blocked
};

struct RunFacts {
    bool shopFound = false;      // the nick resolved to a shop
    bool stoppedEarly = false;   // stopped because of kBlockStreak
    bool stoppedByUser = false;  // the user stopped it
    bool unreachable = false;    // the IM card or the first list page could not be fetched, or
                                 // every request failed
    // How much of the shop the run read. A healthy run read its listing to its end and every
    // item it queued.
    bool listingComplete = true;
    int listingPromised = 0;  // pages the listing's page info promised
    int listingToRead = 0;    // pages the run meant to read (the limit may cut it short)
    int listingRead = 0;
    int itemsQueued = 0;
    int itemsNotRead = 0;
};

HealthReport JudgeHealth(const HealthTally& tally, const RunFacts& facts);

// The first line of a run's summary and the dialog's closing line: the verdict and, for
// anything but a healthy run, the first reason.
std::string HealthLine(const HealthReport& report);

// The stored form: counts by class and by page kind, and the whole table in `detail`.
RunHealthRow MakeRunHealthRow(const std::string& sid, const HealthTally& tally,
                              const HealthReport& report, DateTime started, DateTime ended);

}  // namespace tarnwick
