// The few blocking steps of a local (Unix domain) stream socket that a later start takes, each
// bounded by a deadline, on the system's own sockets: the window's start then loads no network
// library for a socket that never leaves the machine.
#pragma once

#include <QByteArray>
#include <chrono>
#include <cstddef>

namespace zemlo::shell {

using SocketClock = std::chrono::steady_clock;

// Owns a file descriptor and closes it once.
class SocketFd {
  public:
    SocketFd() = default;
    explicit SocketFd(int fd) : fd_(fd) {}
    ~SocketFd();
    SocketFd(SocketFd &&other) noexcept : fd_(other.release()) {}
    SocketFd &operator=(SocketFd &&other) noexcept;
    SocketFd(const SocketFd &) = delete;
    SocketFd &operator=(const SocketFd &) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();

  private:
    int fd_ = -1;
};

// The longest path a socket address holds, without its terminator.
std::size_t max_socket_path();

struct Connection {
    SocketFd socket;  // valid when connected
    int error = 0;    // otherwise the errno: ENOENT or ECONNREFUSED when nobody listens there,
                      // EAGAIN when the listener's queue stayed full until the deadline
};
// Connects to the socket at path (bytes), waiting at most until deadline when the listener's queue
// is full. The socket is closed on exec, and does not block once connected (the calls below wait
// with poll against their deadline).
Connection connect_local(const QByteArray &path, SocketClock::time_point deadline);

// Sends all of bytes before the deadline (false on any error, a peer gone included: no signal).
bool send_all(int fd, const QByteArray &bytes, SocketClock::time_point deadline);

// Reads up to and including the first newline, at most max_bytes in all. An empty result when
// the deadline passes, the peer closes, or max_bytes arrive without a newline.
QByteArray receive_line(int fd, std::size_t max_bytes, SocketClock::time_point deadline);

}  // namespace zemlo::shell
