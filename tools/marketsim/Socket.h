#pragma once

namespace marketsim {

// Owns one descriptor: a socket, or the event descriptor that wakes the accept loop.
// Shutdown() may be called from another thread while the owner blocks in recv/send on it;
// that is how the server wakes its connections when it stops.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    void Shutdown() const;  // both directions; the peer sees the connection end
    void ShutdownWrite() const;
    void Close();

private:
    int m_fd = -1;
};

}  // namespace marketsim
