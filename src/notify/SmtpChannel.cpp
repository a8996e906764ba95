#include "notify/SmtpChannel.h"

#include <ctime>
#include <random>

#include "notify/CurlEasy.h"

namespace tarnwick {

namespace {

constexpr long kConnectTimeoutMs = 15'000;
constexpr long kTimeoutMs = 60'000;
// UTF-8 bytes per encoded word: 45 bytes are 60 base64 characters, so a word with its
// "=?UTF-8?B?" and "?=" stays within the 75 that RFC 2047 allows.
constexpr std::size_t kWordBytes = 45;
constexpr std::size_t kBodyLine = 76;

struct Upload {
    const std::string* message = nullptr;
    std::size_t offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* data) noexcept {
    auto* upload = static_cast<Upload*>(data);
    const std::size_t left = upload->message->size() - upload->offset;
    const std::size_t bytes = std::min(left, size * count);
    upload->message->copy(buffer, bytes, upload->offset);
    upload->offset += bytes;
    return bytes;
}

// How many bytes of `text` from `start` form whole characters within `limit` bytes.
std::size_t WholeCharacters(std::string_view text, std::size_t start, std::size_t limit) {
    std::size_t end = std::min(text.size(), start + limit);
    if (end == text.size()) {
        return end - start;
    }
    // Back off continuation bytes so that no character is split between two words.
    while (end > start && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return end > start ? end - start : std::min(limit, text.size() - start);
}

std::string MessageId(std::string_view host) {
    std::random_device entropy;
    return "<" + std::to_string(entropy()) + "." + std::to_string(entropy()) + "." +
           std::to_string(std::time(nullptr)) + "@" + std::string(host) + ">";
}

}  // namespace

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t chunk = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            chunk = chunk << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? kDigits[(chunk >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

std::string EncodedWords(std::string_view text) {
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t length = WholeCharacters(text, start, kWordBytes);
        if (!out.empty()) {
            out += "\r\n ";
        }
        out += "=?UTF-8?B?" + Base64(text.substr(start, length)) + "?=";
        start += length;
    }
    return out;
}

std::string MailMessage(std::string_view from, std::string_view to, const Notification& notice,
                        std::string_view date, std::string_view messageId) {
    std::string message;
    message += "From: Quorvane <" + std::string(from) + ">\r\n";
    message += "To: <" + std::string(to) + ">\r\n";
    message += "Subject: " + EncodedWords(notice.title) + "\r\n";
    message += "Date: " + std::string(date) + "\r\n";
    message += "Message-ID: " + std::string(messageId) + "\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: text/plain; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: base64\r\n";
    message += "\r\n";
    std::string text;
    for (char c : notice.Text()) {
        if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    const std::string body = Base64(text);
    for (std::size_t i = 0; i < body.size(); i += kBodyLine) {
        message += body.substr(i, kBodyLine) + "\r\n";
    }
    return message;
}

std::string MailDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Names in English whatever the locale: the header's grammar fixes them.
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long offset = local.tm_gmtoff / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

SmtpChannel::SmtpChannel(ChannelConfig config) : m_config(std::move(config)) {
}

void SmtpChannel::Send(const Notification& notice) {
    const std::string where = "e-mail " + ShownChannel(m_config);
    const std::optional<SmtpAddress> server = ParseSmtpAddress(m_config.address);
    if (!server) {
        throw NotifyError(where + ": not an smtp:// or smtps:// address with a user and a host");
    }
    const std::string from = !m_config.from.empty()        ? m_config.from
                             : IsMailAddress(server->user) ? server->user
                                                           : server->user + "@" + server->host;
    if (!IsMailAddress(from) || !IsMailAddress(m_config.to)) {
        throw NotifyError(where + ": the sender or the recipient is not a plain e-mail address");
    }
    const std::string message =
        MailMessage(from, m_config.to, notice, MailDateNow(), MessageId(server->host));
    const std::string url = std::string(server->implicitTls ? "smtps://" : "smtp://") +
                            server->host + ":" + std::to_string(server->port);
    const std::string password = !m_config.password.empty() ? m_config.password : server->password;

    CurlEasy curl;
    curl.Set(CURLOPT_URL, url.c_str(), "server address");
    curl.Set(CURLOPT_PROTOCOLS_STR, "smtp,smtps", "protocols");
    curl.Set(CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs, "connect time-out");
    curl.Set(CURLOPT_TIMEOUT_MS, kTimeoutMs, "time-out");
    // smtp:// without STARTTLS would send the password in the clear: refused unless the
    // seller asked for a plain connection (a relay on this machine).
    curl.Set(CURLOPT_USE_SSL,
             static_cast<long>(server->implicitTls || !m_config.plain ? CURLUSESSL_ALL
                                                                      : CURLUSESSL_NONE),
             "TLS requirement");
    curl.Set(CURLOPT_USERNAME, server->user.c_str(), "user");
    if (!password.empty()) {
        curl.Set(CURLOPT_PASSWORD, password.c_str(), "password");
    }
    const std::string mailFrom = "<" + from + ">";
    curl.Set(CURLOPT_MAIL_FROM, mailFrom.c_str(), "sender");
    curl.AppendToList(CURLOPT_MAIL_RCPT, "<" + m_config.to + ">", "recipient");
    Upload upload{&message, 0};
    curl.Set(CURLOPT_UPLOAD, 1L, "upload");
    curl.Set(CURLOPT_READFUNCTION, &ReadUpload, "message reader");
    curl.Set(CURLOPT_READDATA, &upload, "message reader");
    curl.Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()), "message size");
    curl.Perform(where);
}

}  // namespace tarnwick
