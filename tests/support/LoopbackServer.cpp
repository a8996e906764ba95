#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace tarnwick::test {

namespace {

constexpr int kQuietMs = 10'000;

}  // namespace

bool Connection::Fill() {
    pollfd wait{m_fd, POLLIN, 0};
    if (poll(&wait, 1, kQuietMs) <= 0) {
        return false;
    }
    char chunk[4096];
    const ssize_t got = recv(m_fd, chunk, sizeof chunk, 0);
    if (got <= 0) {
        return false;
    }
    m_buffer.append(chunk, static_cast<std::size_t>(got));
    return true;
}

bool Connection::ReadLine(std::string& line) {
    for (;;) {
        const std::size_t end = m_buffer.find("\r\n");
        if (end != std::string::npos) {
            line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 2);
            return true;
        }
        if (!Fill()) {
            return false;
        }
    }
}

bool Connection::ReadBytes(std::size_t count, std::string& out) {
    while (m_buffer.size() < count) {
        if (!Fill()) {
            return false;
        }
    }
    out = m_buffer.substr(0, count);
    m_buffer.erase(0, count);
    return true;
}

void Connection::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_wake = eventfd(0, EFD_CLOEXEC);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || m_wake < 0 ||
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    const std::uint64_t one = 1;
    (void)!write(m_wake, &one, sizeof one);
    m_thread.join();
    close(m_listener);
    close(m_wake);
}

void LoopbackServer::Serve() {
    for (;;) {
        pollfd waits[2] = {{m_listener, POLLIN, 0}, {m_wake, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 || (waits[1].revents & POLLIN) != 0) {
            return;
        }
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        ++m_connections;
        Connection connection(fd);
        m_handler(connection);
        close(fd);
    }
}

}  // namespace tarnwick::test
