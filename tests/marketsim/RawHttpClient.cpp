#include "RawHttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "HttpWire.h"

namespace marketsim::test {

std::string RawAnswer::Header(std::string_view name) const {
    return HeaderValue(headers, name);
}

RawHttpClient::RawHttpClient(std::uint16_t port)
    : m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), m_port(port) {
    if (!m_socket.IsOpen()) {
        throw std::system_error(errno, std::generic_category(), "socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::system_error(errno, std::generic_category(), "connect");
    }
}

void RawHttpClient::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = ::send(m_socket.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            throw std::system_error(errno, std::generic_category(), "send");
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

void RawHttpClient::SendGet(std::string_view target, const std::vector<std::string>& extraLines) {
    std::string request = "GET " + std::string(target) +
                          " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(m_port) + "\r\n";
    for (const std::string& line : extraLines) {
        request += line + "\r\n";
    }
    Send(request + "\r\n");
}

bool RawHttpClient::Fill(std::chrono::steady_clock::time_point deadline) {
    if (m_closed) {
        return false;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd watched{m_socket.Get(), POLLIN, 0};
    if (left.count() < 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    char chunk[16384];
    ssize_t n = ::recv(m_socket.Get(), chunk, sizeof chunk, 0);
    if (n <= 0) {
        m_closed = true;
        return false;
    }
    m_buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
}

RawAnswer RawHttpClient::Read(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    RawAnswer answer;
    std::size_t headEnd;
    while ((headEnd = m_buffer.find("\r\n\r\n")) == std::string::npos) {
        if (!Fill(deadline)) {
            return answer;
        }
    }
    std::string head = m_buffer.substr(0, headEnd);
    m_buffer.erase(0, headEnd + 4);
    std::size_t lineEnd = head.find("\r\n");
    answer.statusLine = head.substr(0, lineEnd);
    if (answer.statusLine.size() >= 12) {
        answer.status = std::stoi(answer.statusLine.substr(9, 3));
    }
    while (lineEnd != std::string::npos) {
        std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        std::string line =
            head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::size_t value = line.find_first_not_of(' ', colon + 1);
            answer.headers.emplace_back(line.substr(0, colon),
                                        value == std::string::npos ? "" : line.substr(value));
        }
    }
    std::string lengthText = answer.Header("Content-Length");
    std::size_t length = lengthText.empty() ? 0 : std::stoul(lengthText);
    while (m_buffer.size() < length) {
        if (!Fill(deadline)) {
            answer.body = std::move(m_buffer);
            m_buffer.clear();
            return answer;
        }
    }
    answer.body = m_buffer.substr(0, length);
    m_buffer.erase(0, length);
    answer.complete = true;
    return answer;
}

RawAnswer RawHttpClient::Get(std::string_view target, const std::vector<std::string>& extraLines) {
    SendGet(target, extraLines);
    return Read();
}

bool RawHttpClient::ClosedWithin(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Fill(deadline)) {
    }
    return m_closed;
}

bool RawHttpClient::DataWithin(std::chrono::milliseconds timeout) {
    std::size_t before = m_buffer.size();
    return Fill(std::chrono::steady_clock::now() + timeout) && m_buffer.size() > before;
}

}  // namespace marketsim::test
