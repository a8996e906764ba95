#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tarnwick::test {

// One accepted connection of a LoopbackServer: reads and writes with a time-out, so that a
// client that stops talking fails its test instead of hanging it.
class Connection {
public:
    explicit Connection(int fd) : m_fd(fd) {}
    // The next line, without its CR LF; false when the peer closed or went quiet.
    bool ReadLine(std::string& line);
    // Exactly `count` bytes (after what ReadLine had buffered); false when they do not come.
    bool ReadBytes(std::size_t count, std::string& out);
    void Write(std::string_view bytes);

private:
    bool Fill();

    int m_fd;
    std::string m_buffer;
};

// A TCP server on 127.0.0.1 and a free port that hands each connection, one after the other,
// to a handler on its own thread. Loopback only: nothing a test sends leaves the machine.
class LoopbackServer {
public:
    using Handler = std::function<void(Connection&)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    int Connections() const { return m_connections.load(); }

private:
    void Serve();

    Handler m_handler;
    int m_listener = -1;
    int m_wake = -1;
    std::uint16_t m_port = 0;
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

}  // namespace tarnwick::test
