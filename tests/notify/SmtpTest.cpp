// E-mail to a local SMTP server: the exchange, the message it receives, and refusals.
#include <gtest/gtest.h>

#include "notify/Delivery.h"
#include "notify/SmtpChannel.h"
#include "support/SmtpTestServer.h"

namespace tarnwick {
namespace {

using test::DecodeBase64;
using test::SmtpTestServer;

Notification SampleNotice() {
    Notification notice;
    notice.title = "监控 小店: 2 条提醒";
    // A title from a page that tries to end the message and start another.
    notice.lines = {"降价 10.0% (99.90 → 89.91): 连衣裙", "新上架: \r\n.\r\nMAIL FROM:<x@y>"};
    return notice;
}

ChannelConfig MailTo(const SmtpTestServer& server) {
    ChannelConfig config;
    config.kind = ChannelConfig::Kind::Email;
    config.address = "smtp://shop@example.com@127.0.0.1:" + std::to_string(server.Port());
    config.password = "p4ss:word";
    config.to = "boss@example.com";
    config.plain = true;  // the test server has no TLS
    return config;
}

// The header's value, folded lines joined.
std::string Header(const std::string& message, const std::string& name) {
    const std::size_t start = message.find("\r\n" + name + ": ");
    if (start == std::string::npos) {
        return "";
    }
    std::string value;
    std::size_t at = start + 2 + name.size() + 2;
    for (;;) {
        const std::size_t end = message.find("\r\n", at);
        value += message.substr(at, end - at);
        if (message[end + 2] != ' ') {
            return value;
        }
        at = end + 3;
    }
}

std::string DecodedWords(const std::string& header) {
    std::string text;
    for (std::size_t at = header.find("=?UTF-8?B?"); at != std::string::npos;
         at = header.find("=?UTF-8?B?", at)) {
        const std::size_t end = header.find("?=", at + 10);
        text += DecodeBase64(header.substr(at + 10, end - at - 10));
        at = end + 2;
    }
    return text;
}

TEST(SmtpTest, LogsInAndDeliversTheSummaryToTheLocalServer) {
    SmtpTestServer server;
    server.RequireLogin("shop@example.com", "p4ss:word");
    SmtpChannel(MailTo(server)).Send(SampleNotice());

    const auto mails = server.Mails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].user, "shop@example.com");
    EXPECT_EQ(mails[0].password, "p4ss:word");
    EXPECT_EQ(mails[0].from, "shop@example.com");
    EXPECT_EQ(mails[0].to, (std::vector<std::string>{"boss@example.com"}));

    const std::string& data = mails[0].data;
    EXPECT_EQ(data.substr(0, data.find("\r\n")), "From: Quorvane <shop@example.com>");
    EXPECT_EQ(Header(data, "To"), "<boss@example.com>");
    EXPECT_EQ(DecodedWords(Header(data, "Subject")), "监控 小店: 2 条提醒");
    EXPECT_EQ(Header(data, "Content-Type"), "text/plain; charset=UTF-8");
    const std::string body = DecodeBase64(data.substr(data.find("\r\n\r\n") + 4));
    EXPECT_EQ(
        body,
        "监控 小店: 2 条提醒\r\n\r\n降价 10.0% (99.90 → 89.91): 连衣裙\r\n新上架: \r\r\n.\r\r\n"
        "MAIL FROM:<x@y>\r\n");
    // The page's attempt stayed inside the body: one message, one sender, no raw command.
    for (const std::string& command : server.Commands()) {
        EXPECT_NE(command, "MAIL FROM:<x@y>");
    }
}

TEST(SmtpTest, EncodedWordsStayShortAndWhole) {
    const std::string subject = "监控 一家名字非常非常非常非常非常非常非常长的店铺: 12 条提醒";
    const std::string words = EncodedWords(subject);
    std::string joined;
    std::size_t at = 0;
    while (at <= words.size()) {
        const std::size_t end = std::min(words.find("\r\n ", at), words.size());
        const std::string word = words.substr(at, end - at);
        EXPECT_LE(word.size(), 75u) << word;
        const std::string text = DecodeBase64(word.substr(10, word.size() - 12));
        // Each word holds whole characters: the first byte is never a continuation byte.
        EXPECT_NE(static_cast<unsigned char>(text[0]) & 0xC0, 0x80);
        joined += text;
        at = end + 3;
    }
    EXPECT_EQ(joined, subject);
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64("\xff\xfe\xfd\x00"), "//79");
}

TEST(SmtpTest, WithoutStartTlsThePasswordIsNotSentAndTheFailureSaysWhy) {
    SmtpTestServer server;
    ChannelConfig config = MailTo(server);
    config.plain = false;  // the default: STARTTLS required, which this server does not offer
    try {
        SmtpChannel(config).Send(SampleNotice());
        ADD_FAILURE() << "sent without TLS";
    } catch (const NotifyError& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("smtp://shop@example.com@127.0.0.1:"), std::string::npos) << text;
        EXPECT_EQ(text.find("p4ss"), std::string::npos) << text;
    }
    EXPECT_TRUE(server.Mails().empty());
    for (const std::string& command : server.Commands()) {
        EXPECT_EQ(command.find("AUTH"), std::string::npos) << command;
    }
}

TEST(SmtpTest, ARefusingServerIsTriedAgainThenReported) {
    SmtpTestServer server;
    server.RefuseNext(2);
    SmtpChannel channel(MailTo(server));
    const Pause none = [](std::chrono::milliseconds) {};
    DeliveryResult result = Deliver(channel, SampleNotice(), RetryPolicy{}, none);
    EXPECT_TRUE(result.delivered);
    EXPECT_EQ(result.attempts, 3);
    EXPECT_EQ(server.Sessions(), 3);
    EXPECT_EQ(server.Mails().size(), 1u);

    server.RequireLogin("shop@example.com", "another");
    result = Deliver(channel, SampleNotice(), RetryPolicy{}, none);
    EXPECT_FALSE(result.delivered);
    EXPECT_EQ(result.attempts, 3);
    EXPECT_NE(result.error.find("e-mail smtp://shop@example.com@127.0.0.1"), std::string::npos)
        << result.error;
    EXPECT_EQ(result.error.find("p4ss"), std::string::npos) << result.error;
    EXPECT_EQ(server.Mails().size(), 1u);
}

}  // namespace
}  // namespace tarnwick
