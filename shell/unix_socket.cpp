#include "unix_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zemlo::shell {

namespace {

// Whole milliseconds left before the deadline, rounded up so that a wait never ends early.
int remaining_ms(SocketClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SocketClock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 24 * 3600 * 1000));
}

// Waits for events on fd until the deadline; false when it passed or the wait failed.
bool wait_for(int fd, short events, SocketClock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, remaining_ms(deadline));
        if (n > 0) {
            return true;
        }
        if (n == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

SocketFd::~SocketFd() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

SocketFd &SocketFd::operator=(SocketFd &&other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.release();
    }
    return *this;
}

int SocketFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

std::size_t max_socket_path() {
    return sizeof(sockaddr_un::sun_path) - 1;
}

Connection connect_local(const QByteArray &path, SocketClock::time_point deadline) {
    Connection result;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) > max_socket_path()) {
        result.error = ENAMETOOLONG;
        return result;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    for (;;) {
        SocketFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!socket.valid()) {
            result.error = errno;
            return result;
        }
        // A listener whose queue is full keeps a blocking connect waiting; the send timeout bounds
        // that wait (a zero timeout would mean none, so the last moment does not block at all).
        const int ms = remaining_ms(deadline);
        if (ms == 0) {
            ::fcntl(socket.get(), F_SETFL, O_NONBLOCK);
        } else {
            const timeval limit{ms / 1000, (ms % 1000) * 1000};
            ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        }
        if (::connect(socket.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) ==
            0) {
            // From here every wait is a poll against the same deadline.
            ::fcntl(socket.get(), F_SETFL, O_NONBLOCK);
            result.socket = std::move(socket);
            return result;
        }
        if (errno != EINTR || remaining_ms(deadline) == 0) {
            result.error = (errno == EINTR || errno == EINPROGRESS) ? EAGAIN : errno;
            return result;
        }
    }
}

bool send_all(int fd, const QByteArray &bytes, SocketClock::time_point deadline) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent,
                                 static_cast<std::size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait_for(fd, POLLOUT, deadline)) {
            continue;
        }
        return false;
    }
    return true;
}

QByteArray receive_line(int fd, std::size_t max_bytes, SocketClock::time_point deadline) {
    QByteArray got;
    char buffer[256];
    while (static_cast<std::size_t>(got.size()) < max_bytes) {
        const std::size_t want =
            std::min(sizeof buffer, max_bytes - static_cast<std::size_t>(got.size()));
        const ssize_t n = ::recv(fd, buffer, want, 0);
        if (n > 0) {
            got.append(buffer, n);
            const qsizetype end = got.indexOf('\n');
            if (end >= 0) {
                return got.left(end + 1);
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait_for(fd, POLLIN, deadline)) {
            continue;
        }
        return {};
    }
    return {};
}

}  // namespace zemlo::shell
