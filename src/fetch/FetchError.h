#pragma once

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

private:
    Kind m_kind;
    int m_status;
};

}  // namespace tarnwick
