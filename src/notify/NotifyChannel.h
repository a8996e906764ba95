#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "notify/Notification.h"

namespace tarnwick {

// A channel that did not take a message; the text says what failed and where, never with a
// password or a webhook's key in it.
class NotifyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where notifications go, as the seller configured it once.
struct ChannelConfig {
    enum class Kind { Webhook, Email };
    // The JSON a webhook receives: our own fields, or the text message of a chat tool's group
    // robot.
    enum class Style { Json, WeCom, DingTalk };

    std::int64_t id = 0;
    Kind kind = Kind::Webhook;
    // The webhook's URL, or the mail server as smtp[s]://USER@HOST[:PORT] without a password.
    std::string address;
    Style style = Style::Json;
    std::string to;        // e-mail: the recipient
    std::string from;      // e-mail: the sender; the user's address when empty
    std::string password;  // e-mail: the login's; never shown
    // e-mail over smtp://: STARTTLS is required unless this is set (a relay on this machine).
    bool plain = false;
};

std::string_view StyleName(ChannelConfig::Style style);  // "json", "wecom", "dingtalk"
std::optional<ChannelConfig::Style> ParseStyle(std::string_view name);
std::string_view KindName(ChannelConfig::Kind kind);  // "webhook", "email"

// A mail server address taken apart. A password may come with the user ("user:secret@"), as
// in curl's own addresses; it is moved to the channel's password.
struct SmtpAddress {
    bool implicitTls = false;  // smtps
    std::string user;
    std::string password;
    std::string host;
    int port = 0;  // 465 for smtps, 587 for smtp when none is given
};
// Nothing for anything but smtp:// or smtps:// with a user, a host and at most a port.
std::optional<SmtpAddress> ParseSmtpAddress(std::string_view address);
// A webhook must be an http or https address with a host.
bool IsWebhookAddress(std::string_view address);
// An e-mail address we put into a header: local@domain, printable ASCII, no blanks or
// brackets, so that no address can add a header line of its own.
bool IsMailAddress(std::string_view address);

// The channel as it may be shown: "smtps://shop@smtp.example.com:465 → boss@example.com", a
// webhook with the values of its query (the robots' keys and tokens) hidden.
std::string ShownChannel(const ChannelConfig& channel);
std::string ShownAddress(std::string_view address);

// One way of sending, made from its configuration.
class NotifyChannel {
public:
    virtual ~NotifyChannel() = default;
    // Throws NotifyError when the message was not accepted.
    virtual void Send(const Notification& notice) = 0;
};

std::unique_ptr<NotifyChannel> MakeChannel(const ChannelConfig& config);

}  // namespace tarnwick
