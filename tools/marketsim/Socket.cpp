#include "Socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace marketsim {

Socket::~Socket() {
    Close();
}

Socket::Socket(Socket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

// A failed shutdown means the peer is already gone (ENOTCONN), which is what we wanted anyway.
void Socket::Shutdown() const {
    if (m_fd >= 0) {
        (void)::shutdown(m_fd, SHUT_RDWR);
    }
}

void Socket::ShutdownWrite() const {
    if (m_fd >= 0) {
        (void)::shutdown(m_fd, SHUT_WR);
    }
}

// close() can only fail with EINTR or EIO here; the descriptor is released either way on Linux,
// and retrying would risk closing a descriptor another thread has just been given.
void Socket::Close() {
    if (m_fd >= 0) {
        (void)::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace marketsim
