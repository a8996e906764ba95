#pragma once

#include <string>
#include <string_view>

#include "notify/NotifyChannel.h"

namespace tarnwick {

// An HTTP POST of JSON: our own fields, or the text message that WeCom's and DingTalk's group
// robots take.
class WebhookChannel : public NotifyChannel {
public:
    WebhookChannel(std::string url, ChannelConfig::Style style);
    void Send(const Notification& notice) override;

private:
    std::string m_url;
    ChannelConfig::Style m_style;
};

// The body posted for a notice in a style.
std::string WebhookBody(ChannelConfig::Style style, const Notification& notice);
// Throws NotifyError unless the answer says the message was taken. The robots answer 200 to a
// message they refuse (a wrong key, a missing keyword, too many messages a minute) and say so
// in the errcode of their JSON.
void CheckWebhookAnswer(ChannelConfig::Style style, long status, std::string_view body);

}  // namespace tarnwick
