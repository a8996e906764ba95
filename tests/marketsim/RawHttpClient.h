#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Socket.h"

namespace marketsim::test {

struct RawAnswer {
    bool complete = false;  // a whole answer arrived: head and Content-Length bytes of body
    std::string statusLine;
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // as received, GBK stays GBK

    std::string Header(std::string_view name) const;  // first with that name, no case; or empty
};

// A deliberately small HTTP/1.1 client over one loopback connection: it sends exactly the
// bytes it is given and reads answers by Content-Length, so the tests see the wire as it is.
class RawHttpClient {
public:
    explicit RawHttpClient(std::uint16_t port);

    void Send(std::string_view bytes);
    // "GET target HTTP/1.1" with a Host header and the extra lines (each without its CRLF).
    void SendGet(std::string_view target, const std::vector<std::string>& extraLines = {});
    RawAnswer Read(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    RawAnswer Get(std::string_view target, const std::vector<std::string>& extraLines = {});

    // True when the server closed the connection within the time (all data before it read).
    bool ClosedWithin(std::chrono::milliseconds timeout);
    // True when any byte arrives within the time.
    bool DataWithin(std::chrono::milliseconds timeout);

private:
    bool Fill(std::chrono::steady_clock::time_point deadline);  // false on close or time-out

    Socket m_socket;
    std::uint16_t m_port;
    std::string m_buffer;
    bool m_closed = false;
};

}  // namespace marketsim::test
