#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "frame_receiver.h"

namespace handlink::testing {
namespace {

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

PtyPeer::PtyPeer() {
    termios raw{};
    cfmakeraw(&raw);
    char name[128] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    device_ = name;
}

PtyPeer::~PtyPeer() {
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyPeer::write(const Bytes &bytes) {
    size_t done = 0;
    const auto deadline = Clock::now() + kPeerTimeout;
    while (done < bytes.size()) {
        const ssize_t put = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        pollfd room{master_, POLLOUT, 0};
        if (poll(&room, 1, remaining_ms(deadline)) <= 0) {
            return false;
        }
    }
    return true;
}

Bytes PtyPeer::read(size_t count, milliseconds timeout) {
    Bytes got;
    const auto deadline = Clock::now() + timeout;
    while (got.size() < count) {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, remaining_ms(deadline)) <= 0) {
            break;
        }
        uint8_t buffer[512];
        const size_t want = std::min(count - got.size(), sizeof buffer);
        const ssize_t n = ::read(master_, buffer, want);
        if (n > 0) {
            got.insert(got.end(), buffer, buffer + n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            // EIO while no one holds the slave: wait for the library to open it.
            poll(nullptr, 0, 1);
        }
    }
    return got;
}

std::optional<uint8_t> PtyPeer::read_byte(milliseconds timeout) {
    const Bytes one = read(1, timeout);
    if (one.empty()) {
        return std::nullopt;
    }
    return one[0];
}

Bytes PtyPeer::read_frame(milliseconds timeout) {
    Bytes frame = read(2, timeout);
    if (frame.size() < 2 || frame[0] != kStx) {
        return {};
    }
    const size_t payload = frame[1] == 0 ? kMaxReceivedPayload : frame[1];
    const Bytes rest = read(payload + 2, timeout);
    frame.insert(frame.end(), rest.begin(), rest.end());
    if (frame.size() != payload + kFrameOverhead) {
        return {};
    }
    return frame;
}

Bytes PtyPeer::drain(milliseconds quiet) {
    Bytes got;
    for (;;) {
        const Bytes more = read(1, quiet);
        if (more.empty()) {
            return got;
        }
        got.insert(got.end(), more.begin(), more.end());
    }
}

Bytes frame_of(const Bytes &payload) {
    Bytes frame(payload.size() + kFrameOverhead);
    frame.resize(encode_frame(payload.data(), payload.size(), frame.data()));
    return frame;
}

Bytes long_frame_of(const Bytes &payload) {
    // A length byte of 0 stands for 256; the checksum takes the length byte as sent.
    Bytes frame{kStx, 0};
    uint8_t sum = kStx;
    for (uint8_t b : payload) {
        frame.push_back(b);
        sum ^= b;
    }
    frame.push_back(sum);
    frame.push_back(kEtx);
    return frame;
}

}  // namespace handlink::testing
