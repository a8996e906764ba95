#include "notify/NotifyChannel.h"

#include <charconv>

#include "notify/SmtpChannel.h"
#include "notify/WebhookChannel.h"

namespace tarnwick {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool HasBlankOrControl(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

int HexValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The query's values hidden: the robots' keys and tokens travel there.
std::string HiddenQuery(std::string_view query) {
    std::string out;
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        out += std::string(pair.substr(0, pair.find('=')));
        if (pair.find('=') != std::string_view::npos) {
            out += "=***";
        }
        if (end == std::string_view::npos) {
            break;
        }
        out += '&';
        query.remove_prefix(end + 1);
    }
    return out;
}

}  // namespace

std::string_view StyleName(ChannelConfig::Style style) {
    switch (style) {
        case ChannelConfig::Style::Json:
            return "json";
        case ChannelConfig::Style::WeCom:
            return "wecom";
        case ChannelConfig::Style::DingTalk:
            return "dingtalk";
    }
    return "json";
}

std::optional<ChannelConfig::Style> ParseStyle(std::string_view name) {
    for (auto style : {ChannelConfig::Style::Json, ChannelConfig::Style::WeCom,
                       ChannelConfig::Style::DingTalk}) {
        if (StyleName(style) == name) {
            return style;
        }
    }
    return std::nullopt;
}

std::string_view KindName(ChannelConfig::Kind kind) {
    return kind == ChannelConfig::Kind::Email ? "email" : "webhook";
}

std::optional<SmtpAddress> ParseSmtpAddress(std::string_view address) {
    SmtpAddress parsed;
    std::string_view rest;
    if (StartsWithNoCase(address, "smtps://")) {
        parsed.implicitTls = true;
        rest = address.substr(8);
    } else if (StartsWithNoCase(address, "smtp://")) {
        rest = address.substr(7);
    } else {
        return std::nullopt;
    }
    if (rest.ends_with('/')) {
        rest.remove_suffix(1);
    }
    // The last '@' ends the user, which may itself be an address.
    const std::size_t at = rest.rfind('@');
    if (at == std::string_view::npos || HasBlankOrControl(rest) ||
        rest.find_first_of("/?#") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view userInfo = rest.substr(0, at);
    std::string_view hostPort = rest.substr(at + 1);
    const std::size_t colon = userInfo.find(':');
    parsed.user = PercentDecoded(userInfo.substr(0, colon));
    if (colon != std::string_view::npos) {
        parsed.password = PercentDecoded(userInfo.substr(colon + 1));
    }
    std::string_view port;
    if (hostPort.starts_with('[')) {  // an IPv6 literal keeps its brackets
        const std::size_t close = hostPort.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        parsed.host = std::string(hostPort.substr(0, close + 1));
        std::string_view after = hostPort.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return std::nullopt;
            }
            port = after.substr(1);
        }
    } else {
        const std::size_t portColon = hostPort.find(':');
        parsed.host = std::string(hostPort.substr(0, portColon));
        if (portColon != std::string_view::npos) {
            port = hostPort.substr(portColon + 1);
        }
    }
    parsed.port = parsed.implicitTls ? 465 : 587;
    if (!port.empty() || hostPort.ends_with(':')) {
        int value = 0;
        auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || error != std::errc() || end != port.data() + port.size() || value < 1 ||
            value > 65535) {
            return std::nullopt;
        }
        parsed.port = value;
    }
    if (parsed.user.empty() || parsed.host.empty()) {
        return std::nullopt;
    }
    return parsed;
}

bool IsWebhookAddress(std::string_view address) {
    std::string_view rest;
    if (StartsWithNoCase(address, "https://")) {
        rest = address.substr(8);
    } else if (StartsWithNoCase(address, "http://")) {
        rest = address.substr(7);
    } else {
        return false;
    }
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    const std::string_view host = authority.substr(authority.rfind('@') + 1);
    return !host.empty() && host.front() != ':' && !HasBlankOrControl(address);
}

bool IsMailAddress(std::string_view address) {
    const std::size_t at = address.rfind('@');
    if (at == 0 || at == std::string_view::npos || at + 1 == address.size() ||
        address.size() > 254) {
        return false;
    }
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '<' || c == '>' || c == ',' || c == ';' ||
            c == '"' || c == '(' || c == ')' || c == '\\' || c == '[' || c == ']' || c == ':') {
            return false;
        }
    }
    return address.find('@') == at;
}

std::string ShownAddress(std::string_view address) {
    if (std::optional<SmtpAddress> smtp = ParseSmtpAddress(address)) {
        return std::string(smtp->implicitTls ? "smtps://" : "smtp://") + smtp->user + "@" +
               smtp->host + ":" + std::to_string(smtp->port);
    }
    const std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos) {
        // Not an address we could have sent to; shown without anything that may be a secret.
        return std::string(address.substr(0, address.find_first_of("?#@")));
    }
    std::string_view rest = address.substr(scheme + 3);
    rest = rest.substr(0, rest.find('#'));
    const std::size_t authorityEnd = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, authorityEnd);
    const std::string_view tail =
        authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    std::string shown = std::string(address.substr(0, scheme + 3));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view user = authority.substr(0, at);
        shown += std::string(user.substr(0, user.find(':')));
        shown += user.find(':') != std::string_view::npos ? ":***@" : "@";
        authority.remove_prefix(at + 1);
    }
    shown += std::string(authority);
    const std::size_t question = tail.find('?');
    shown += std::string(tail.substr(0, question));
    if (question != std::string_view::npos) {
        shown += "?" + HiddenQuery(tail.substr(question + 1));
    }
    return shown;
}

std::string ShownChannel(const ChannelConfig& channel) {
    if (channel.kind == ChannelConfig::Kind::Email) {
        return ShownAddress(channel.address) + " → " + channel.to;
    }
    return ShownAddress(channel.address) + " (" + std::string(StyleName(channel.style)) + ")";
}

std::unique_ptr<NotifyChannel> MakeChannel(const ChannelConfig& config) {
    if (config.kind == ChannelConfig::Kind::Email) {
        return std::make_unique<SmtpChannel>(config);
    }
    return std::make_unique<WebhookChannel>(config.address, config.style);
}

}  // namespace tarnwick
