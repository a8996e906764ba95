#include "notify/WebhookChannel.h"

#include <nlohmann/json.hpp>

#include "notify/CurlEasy.h"

namespace tarnwick {

namespace {

constexpr long kConnectTimeoutMs = 10'000;
constexpr long kTimeoutMs = 30'000;
// A robot's answer is a few dozen bytes; anything beyond this is not one.
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

// Page text may hold bytes that are not UTF-8, which JSON cannot carry: each becomes U+FFFD.
std::string Dump(const nlohmann::json& body) {
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string FirstLine(std::string_view text) {
    const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    return std::string(line.substr(0, 200));
}

}  // namespace

std::string WebhookBody(ChannelConfig::Style style, const Notification& notice) {
    if (style != ChannelConfig::Style::Json) {
        // Both robots take this same text message; their markdown would turn a title such as
        // "[领券](http://...)" into a live link.
        return Dump({{"msgtype", "text"}, {"text", {{"content", notice.Text()}}}});
    }
    nlohmann::json alerts = nlohmann::json::array();
    for (const Notification::Entry& entry : notice.entries) {
        alerts.push_back({{"kind", entry.kind},
                          {"WWName", entry.shop},
                          {"ItemID", entry.itemId},
                          {"before", entry.before},
                          {"after", entry.after},
                          {"text", entry.text}});
    }
    return Dump({{"title", notice.title},
                 {"text", notice.Text()},
                 {"alerts", alerts},
                 {"more", notice.omitted}});
}

void CheckWebhookAnswer(ChannelConfig::Style style, long status, std::string_view body) {
    if (status < 200 || status > 299) {
        throw NotifyError("HTTP " + std::to_string(status) +
                          (body.empty() ? std::string() : ": " + FirstLine(body)));
    }
    if (style == ChannelConfig::Style::Json) {
        return;
    }
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    if (!answer.is_object() || !answer.contains("errcode") || !answer["errcode"].is_number()) {
        throw NotifyError("the robot's answer has no errcode: " + FirstLine(body));
    }
    if (answer["errcode"].get<long long>() != 0) {
        const std::string message = answer.contains("errmsg") && answer["errmsg"].is_string()
                                        ? answer["errmsg"].get<std::string>()
                                        : std::string();
        throw NotifyError("the robot refused the message: errcode " +
                          std::to_string(answer["errcode"].get<long long>()) +
                          (message.empty() ? "" : " " + FirstLine(message)));
    }
}

WebhookChannel::WebhookChannel(std::string url, ChannelConfig::Style style)
    : m_url(std::move(url)), m_style(style) {
}

void WebhookChannel::Send(const Notification& notice) {
    const std::string where = "webhook " + ShownAddress(m_url);
    if (!IsWebhookAddress(m_url)) {
        throw NotifyError(where + ": not an http or https address");
    }
    const std::string body = WebhookBody(m_style, notice);
    std::string answer;
    CurlEasy curl;
    curl.Set(CURLOPT_URL, m_url.c_str(), "address");
    curl.Set(CURLOPT_PROTOCOLS_STR, "http,https", "protocols");
    // A redirect would turn the POST into a GET somewhere else; a hook that moved says so.
    curl.Set(CURLOPT_FOLLOWLOCATION, 0L, "redirects");
    curl.Set(CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs, "connect time-out");
    curl.Set(CURLOPT_TIMEOUT_MS, kTimeoutMs, "time-out");
    curl.Set(CURLOPT_POSTFIELDS, body.c_str(), "body");
    curl.Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()), "body size");
    curl.AppendToList(CURLOPT_HTTPHEADER, "Content-Type: application/json; charset=utf-8",
                      "headers");
    curl.AppendToList(CURLOPT_HTTPHEADER, "Expect:", "headers");
    curl.CollectBody(answer, kMaxAnswerBytes);
    curl.Perform(where);
    try {
        CheckWebhookAnswer(m_style, curl.ResponseCode(), answer);
    } catch (const NotifyError& error) {
        throw NotifyError(where + ": " + error.what());
    }
}

}  // namespace tarnwick
