#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>

namespace tarnwick {

// A fetch that failed: for an HTTP error status the message is the status line as the server
// sent it, otherwise the transport's own message.
class FetchError : public std::runtime_error {
public:
    // TooLarge: the body passed the client's limit. Scheme: an address (or a redirect target)
    // that is not http or https, refused before anything is sent.
    enum class Kind { Status, Redirect, Timeout, Network, Aborted, TooLarge, Scheme };

    FetchError(Kind kind, const std::string& message, int status = 0)
        : std::runtime_error(message), m_kind(kind), m_status(status) {}

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }  // the HTTP status, 0 when none was received

    // How long the server asked us to wait before asking again (its Retry-After header, in
    // seconds or as a date), when it said.
    std::optional<std::chrono::seconds> retryAfter() const { return m_retryAfter; }
    void SetRetryAfter(std::chrono::seconds wait) { m_retryAfter = wait; }
    // The server refused us for asking too often: 429, or 503 with a Retry-After.
    bool RateRefusal() const {
        return m_kind == Kind::Status && (m_status == 429 || (m_status == 503 && m_retryAfter));
    }

private:
    Kind m_kind;
    int m_status;
    std::optional<std::chrono::seconds> m_retryAfter;
};

}  // namespace tarnwick
