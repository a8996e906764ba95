#include <gtest/gtest.h>

#include "analysis/RunHealth.h"

namespace tarnwick::test {
namespace {

constexpr AnswerClass kOk = AnswerClass::Ok;
constexpr AnswerClass kLogin = AnswerClass::Login;

DateTime At(int second) {
    return DateTime::FromParts({2026, 12, 9, 10, 0, second, 0});
}

// A run of `good` good item answers after a good card and listing page, then `bad` answers of
// the given class.
HealthTally Answers(int good, int bad, AnswerClass badClass = kLogin,
                    PageKind badKind = PageKind::Item) {
    HealthTally tally;
    tally.Add(PageKind::Card, kOk, At(0));
    tally.Add(PageKind::Listing, kOk, At(1));
    for (int i = 0; i < good; ++i) {
        tally.Add(PageKind::Item, kOk, At(2));
    }
    for (int i = 0; i < bad; ++i) {
        tally.Add(badKind, badClass, At(3 + i % 50));
    }
    return tally;
}

RunFacts Found(bool stoppedEarly = false) {
    return RunFacts{true, stoppedEarly};
}

TEST(RunHealthTest, StreakIsReportedOnceAtTheThreshold) {
    HealthTally tally;
    int reported = 0;
    int at = 0;
    for (int i = 1; i <= 2 * kBlockStreak + 5; ++i) {
        // A good answer in the middle restarts the count.
        AnswerClass c = i == 10 ? kOk : AnswerClass::Verification;
        if (tally.Add(PageKind::Item, c, At(0))) {
            ++reported;
            at = i;
        }
    }
    EXPECT_EQ(reported, 1);
    EXPECT_EQ(at, 10 + kBlockStreak);
    EXPECT_EQ(tally.Count(AnswerClass::Verification), 2 * kBlockStreak + 4);
    EXPECT_EQ(tally.Failures(PageKind::Item), 2 * kBlockStreak + 4);
    EXPECT_EQ(tally.Failures(PageKind::Card), 0);
}

TEST(RunHealthTest, VerdictsFollowTheAnswers) {
    struct Case {
        const char* name;
        HealthTally tally;
        RunFacts facts;
        Verdict expected;
    };
    HealthTally unreachable;
    unreachable.Add(PageKind::Card, AnswerClass::Network, At(0));
    HealthTally cardTimeout;
    cardTimeout.Add(PageKind::Card, AnswerClass::Timeout, At(0));
    HealthTally notFound;
    notFound.Add(PageKind::Card, kOk, At(0));
    HealthTally cardLogin;
    cardLogin.Add(PageKind::Card, kLogin, At(0));
    HealthTally onePageListing;
    onePageListing.Add(PageKind::Card, kOk, At(0));
    onePageListing.Add(PageKind::Listing, AnswerClass::Shapeless, At(1));
    HealthTally scattered = Answers(50, 0);
    for (int i = 0; i < 3; ++i) {
        scattered.Add(PageKind::Item, AnswerClass::Shapeless, At(5));
        scattered.Add(PageKind::Views, kOk, At(5));
        scattered.Add(PageKind::Deals, kOk, At(5));
    }
    const Case cases[] = {
        {"all good", Answers(40, 0), Found(), Verdict::Healthy},
        {"one 404", Answers(40, 1, AnswerClass::HttpError, PageKind::Views), Found(),
         Verdict::Degraded},
        {"changed items here and there", scattered, Found(), Verdict::Degraded},
        {"a few login pages at the end are chance", Answers(40, kMinBlockedAnswers - 1), Found(),
         Verdict::Degraded},
        {"login pages from some point on", Answers(40, kMinBlockedAnswers), Found(),
         Verdict::Blocked},
        {"a one-page listing without its section", onePageListing, Found(), Verdict::Blocked},
        {"nothing answered", unreachable, RunFacts{}, Verdict::Unreachable},
        {"the first list page failed", Answers(0, 1, AnswerClass::Timeout, PageKind::Listing),
         RunFacts{.shopFound = true, .unreachable = true}, Verdict::Unreachable},
        {"the card timed out", cardTimeout, RunFacts{}, Verdict::Unreachable},
        {"no shop on the card", notFound, RunFacts{}, Verdict::ShopNotFound},
        {"the card itself is a login page", cardLogin, RunFacts{}, Verdict::Blocked},
        {"nothing at all", HealthTally{}, RunFacts{}, Verdict::Unreachable},
        {"stopped before the first answer", HealthTally{}, RunFacts{.stoppedByUser = true},
         Verdict::Healthy},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeHealth(c.tally, c.facts).verdict, c.expected) << c.name;
    }
}

TEST(RunHealthTest, BlockStartsAtTheFirstAnswerOfTheBlockedTail) {
    HealthTally tally = Answers(30, 25);
    HealthReport report = JudgeHealth(tally, Found(true));
    ASSERT_EQ(report.verdict, Verdict::Blocked);
    EXPECT_EQ(report.blockedAtRequest, 2 + 30 + 1);
    EXPECT_EQ(report.blockedAt, At(3));
    EXPECT_TRUE(report.stoppedEarly);
    ASSERT_GE(report.reasons.size(), 3u);
    EXPECT_EQ(report.reasons[0],
              "从第 33 个请求 (10:00:03) 起被拦截: 登录页 25, 验证页 0, 页面改版 0");
    EXPECT_EQ(report.reasons[1], "连续 20 个请求被拦截, 已提前停止");
    EXPECT_EQ(report.reasons[2], "宝贝页: 25/55 失败 (登录页 25)");
    EXPECT_EQ(HealthLine(report), "运行状况: 被拦截 - " + report.reasons[0]);

    // A good answer now and then inside the block does not move its start.
    HealthTally mixed = Answers(30, 0);
    for (int i = 0; i < 30; ++i) {
        mixed.Add(PageKind::Item, i % 10 == 5 ? kOk : kLogin, At(4));
    }
    EXPECT_EQ(JudgeHealth(mixed, Found()).blockedAtRequest, 33);
}

TEST(RunHealthTest, DegradedSaysWhichKindsAndHowMany) {
    HealthTally tally = Answers(10, 0);
    tally.Add(PageKind::Views, AnswerClass::HttpError, At(9));
    tally.Add(PageKind::Reviews, AnswerClass::Timeout, At(9));
    tally.Add(PageKind::Reviews, AnswerClass::Shapeless, At(9));
    tally.Add(PageKind::Reviews, kOk, At(9));
    HealthReport report = JudgeHealth(tally, Found());
    ASSERT_EQ(report.verdict, Verdict::Degraded);
    ASSERT_EQ(report.reasons.size(), 2u);
    EXPECT_EQ(report.reasons[0], "评价: 2/3 失败 (超时 1, 页面改版 1)");
    EXPECT_EQ(report.reasons[1], "浏览量: 1/1 失败 (HTTP 错误 1)");
}

TEST(RunHealthTest, StoredRowCarriesTheCounts) {
    HealthTally tally = Answers(30, 25);
    tally.Add(PageKind::Listing, AnswerClass::Shapeless, At(59));
    HealthReport report = JudgeHealth(tally, Found(true));
    RunHealthRow row = MakeRunHealthRow("20261209100000000", tally, report, At(0), At(59));
    EXPECT_EQ(row.verdict, "blocked");
    EXPECT_EQ(row.requests, 58);
    EXPECT_EQ(row.loginPages, 25);
    EXPECT_EQ(row.shapeless, 1);
    EXPECT_EQ(row.failedItem, 25);
    EXPECT_EQ(row.failedListing, 1);
    EXPECT_EQ(row.failedCard, 0);
    EXPECT_EQ(row.detail, "listing.shapeless=1 item.login=25");
    EXPECT_EQ(row.blockedAtRequest, 33);
    EXPECT_EQ(row.stoppedEarly, 1);
    EXPECT_EQ(row.reasons.substr(0, row.reasons.find('\n')), report.reasons[0]);
    for (Verdict v : {Verdict::Healthy, Verdict::Degraded, Verdict::Blocked, Verdict::ShopNotFound,
                      Verdict::Unreachable}) {
        EXPECT_EQ(VerdictFromName(VerdictName(v)), v);
    }
    EXPECT_FALSE(VerdictFromName("fine").has_value());
}

}  // namespace
}  // namespace tarnwick::test
