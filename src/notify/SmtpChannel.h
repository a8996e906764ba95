#pragma once

#include <string>
#include <string_view>

#include "notify/NotifyChannel.h"

namespace tarnwick {

// E-mail through the seller's own mail server: smtps (TLS from the start) or smtp with
// STARTTLS, logging in with the channel's user and password.
class SmtpChannel : public NotifyChannel {
public:
    explicit SmtpChannel(ChannelConfig config);
    void Send(const Notification& notice) override;

private:
    ChannelConfig m_config;
};

// The whole message as it goes over the wire, CR LF line ends: headers whose texts are RFC 2047
// encoded words and a base64 body, so that nothing a page put into a title can start a header
// line, end the message early or be cut by a mail server's line limit.
std::string MailMessage(std::string_view from, std::string_view to, const Notification& notice,
                        std::string_view date, std::string_view messageId);
// "=?UTF-8?B?...?=" words of at most 75 characters, folded onto lines of their own.
std::string EncodedWords(std::string_view text);
std::string Base64(std::string_view bytes);
// The date of a mail header for now: "Mon, 02 Mar 2026 09:00:00 +0800".
std::string MailDateNow();

}  // namespace tarnwick
