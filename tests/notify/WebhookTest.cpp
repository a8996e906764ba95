// The webhook's POST as a local listener receives it, the robots' refusals, and retries.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "notify/Delivery.h"
#include "notify/WebhookChannel.h"
#include "support/HttpTestListener.h"

namespace tarnwick {
namespace {

using test::HttpTestListener;

Notification SampleNotice() {
    Notification notice;
    notice.title = "监控 小店: 2 条提醒";
    notice.lines = {"降价 10.0% (99.90 → 89.91): 连衣裙 \"新款\"", "新上架 (59.00): 外套"};
    notice.entries = {{"price_down", "小店", "101", "99.90", "89.91", notice.lines[0]},
                      {"new", "小店", "102", "", "59.00", notice.lines[1]}};
    return notice;
}

TEST(WebhookTest, PostsOurJsonWithTheAlertsFields) {
    HttpTestListener listener;
    WebhookChannel(listener.Url("/hook?token=t"), ChannelConfig::Style::Json).Send(SampleNotice());
    const auto requests = listener.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/hook?token=t");
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/json; charset=utf-8");
    const auto body = nlohmann::json::parse(requests[0].body);
    EXPECT_EQ(body["title"], "监控 小店: 2 条提醒");
    EXPECT_EQ(body["text"], SampleNotice().Text());
    EXPECT_EQ(body["more"], 0);
    ASSERT_EQ(body["alerts"].size(), 2u);
    EXPECT_EQ(body["alerts"][0],
              (nlohmann::json{{"kind", "price_down"},
                              {"WWName", "小店"},
                              {"ItemID", "101"},
                              {"before", "99.90"},
                              {"after", "89.91"},
                              {"text", "降价 10.0% (99.90 → 89.91): 连衣裙 \"新款\""}}));
    EXPECT_EQ(body["alerts"][1]["before"], "");
}

TEST(WebhookTest, RobotsGetATextMessageOfTheSummary) {
    for (auto style : {ChannelConfig::Style::WeCom, ChannelConfig::Style::DingTalk}) {
        HttpTestListener listener;
        WebhookChannel(listener.Url(), style).Send(SampleNotice());
        const auto requests = listener.Requests();
        ASSERT_EQ(requests.size(), 1u);
        const auto body = nlohmann::json::parse(requests[0].body);
        EXPECT_EQ(body, (nlohmann::json{{"msgtype", "text"},
                                        {"text", {{"content", SampleNotice().Text()}}}}));
    }
}

TEST(WebhookTest, TextThatIsNotUtf8StillMakesValidJson) {
    Notification notice = SampleNotice();
    notice.lines[0] = "bad \xff\xfe bytes";
    notice.entries[0].text = notice.lines[0];
    for (auto style : {ChannelConfig::Style::Json, ChannelConfig::Style::WeCom}) {
        const std::string body = WebhookBody(style, notice);
        EXPECT_TRUE(nlohmann::json::accept(body)) << body;
        EXPECT_NE(body.find("bad \xef\xbf\xbd\xef\xbf\xbd bytes"), std::string::npos);
    }
}

TEST(WebhookTest, AnswersThatRefuseTheMessageFailIt) {
    using Style = ChannelConfig::Style;
    struct {
        Style style;
        long status;
        const char* body;
        const char* error;  // empty: taken
    } cases[] = {
        {Style::Json, 200, "", ""},
        {Style::Json, 204, "", ""},
        {Style::Json, 500, "boom\nmore", "HTTP 500: boom"},
        {Style::Json, 301, "", "HTTP 301"},
        {Style::WeCom, 200, R"({"errcode":0,"errmsg":"ok"})", ""},
        {Style::WeCom, 200, R"({"errcode":93000,"errmsg":"invalid webhook url"})",
         "errcode 93000 invalid webhook url"},
        {Style::DingTalk, 200, R"({"errcode":310000,"errmsg":"keywords not in content"})",
         "errcode 310000 keywords not in content"},
        {Style::DingTalk, 200, "<html>portal</html>", "has no errcode"},
        {Style::WeCom, 200, R"({"errcode":"0"})", "has no errcode"},
        {Style::WeCom, 429, "", "HTTP 429"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(StyleName(c.style)) + " " + std::to_string(c.status) + " " +
                     c.body);
        if (std::string(c.error).empty()) {
            EXPECT_NO_THROW(CheckWebhookAnswer(c.style, c.status, c.body));
            continue;
        }
        try {
            CheckWebhookAnswer(c.style, c.status, c.body);
            ADD_FAILURE() << "taken";
        } catch (const NotifyError& error) {
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
        }
    }
}

TEST(WebhookTest, ARefusingHookIsTriedAgainAndItsFailureReportedWithoutItsKey) {
    HttpTestListener listener;
    WebhookChannel hook(listener.Url("/send?key=secret-key"), ChannelConfig::Style::WeCom);
    std::vector<std::chrono::milliseconds> pauses;
    const Pause record = [&](std::chrono::milliseconds pause) { pauses.push_back(pause); };

    // Refused twice, then taken.
    listener.QueueAnswer(503, "busy");
    listener.QueueAnswer(200, R"({"errcode":45009,"errmsg":"api freq out of limit"})");
    DeliveryResult result = Deliver(hook, SampleNotice(), RetryPolicy{}, record);
    EXPECT_TRUE(result.delivered);
    EXPECT_EQ(result.attempts, 3);
    EXPECT_EQ(listener.Requests().size(), 3u);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{std::chrono::seconds(5),
                                                              std::chrono::seconds(20)}));

    // Refused every time: the last reason comes back, and the key stays hidden.
    for (int i = 0; i < 3; ++i) {
        listener.QueueAnswer(500, "down");
    }
    result = Deliver(hook, SampleNotice(), RetryPolicy{}, record);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.attempts, 3);
    EXPECT_EQ(listener.Requests().size(), 6u);
    EXPECT_NE(result.error.find("HTTP 500: down"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find("key=***"), std::string::npos) << result.error;
    EXPECT_EQ(result.error.find("secret-key"), std::string::npos) << result.error;
}

TEST(WebhookTest, ANonWebAddressIsNeverAsked) {
    WebhookChannel hook("file:///etc/passwd", ChannelConfig::Style::Json);
    EXPECT_THROW(hook.Send(SampleNotice()), NotifyError);
}

}  // namespace
}  // namespace tarnwick
