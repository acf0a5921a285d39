// The serial line on a POSIX system: a termios device, read with poll(), woken through an eventfd.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "custom_baud.h"
#include "serial_line.h"
#include "serial_port.h"

namespace handlink {
namespace {

// How long one write may wait for room in the driver's queue before it counts as failed; a
// device that stops taking bytes must not hang the sender.
constexpr int kWriteTimeoutMs = 1000;
constexpr uint32_t kCustomBaud28800 = 28800;

struct BaudEntry {
    uint32_t baud;
    speed_t speed;  // 0: no constant, set through set_custom_baud
};

constexpr BaudEntry kBauds[] = {
    {4800, B4800},   {9600, B9600},   {19200, B19200},   {kCustomBaud28800, 0},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

const BaudEntry *find_baud(uint32_t baud) {
    for (const BaudEntry &entry : kBauds) {
        if (entry.baud == baud) {
            return &entry;
        }
    }
    return nullptr;
}

std::string error_text(int error_number) {
    char buffer[128];
    // The GNU strerror_r returns the text, which may or may not live in buffer.
    return strerror_r(error_number, buffer, sizeof buffer);
}

}  // namespace

std::string OpenFailure::describe() const {
    if (error_number == 0) {
        return {};
    }
    if (configuring) {
        if (error_number == ENOTTY || error_number == EINVAL) {
            return device + " is not a serial device or does not take these line settings";
        }
        return device + " refused the line settings (" + error_text(error_number) + ")";
    }
    switch (error_number) {
        case EACCES:
        case EPERM:
            return "permission denied on " + device + " (join the dialout group and log in again)";
        case EBUSY:
        case EWOULDBLOCK:
            return device + " is busy (another program holds it)";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no such device " + device;
        default:
            return "cannot open " + device + ": " + error_text(error_number);
    }
}

struct SerialLine::System {
    int fd = -1;
    int wake_fd = -1;  // eventfd that ends the reader's wait at close
    zemlo::LowLatency low_latency = zemlo::LowLatency::Unknown;

    // A failing poll or read is retried once per poll interval instead of spinning.
    void idle(std::chrono::milliseconds timeout) const {
        pollfd wake{wake_fd, POLLIN, 0};
        poll(&wake, 1, static_cast<int>(timeout.count()));
    }
};

SerialLine::SerialLine() : system_(std::make_unique<System>()) {}

SerialLine::~SerialLine() {
    close();
}

SerialLine::Opened SerialLine::open(const std::string &path, uint32_t baud) {
    // Non-blocking, so that neither a missing carrier at open nor a device that stops taking
    // bytes can block us; reads and writes wait in poll() instead.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {errno, false};
    }
    auto fail = [&](int error_number, bool configuring) {
        ::close(fd);
        return Opened{error_number, configuring};
    };
    // flock keeps out every other cooperating opener, root and this process included;
    // TIOCEXCL keeps out the ones that do not lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail(errno == EWOULDBLOCK ? EBUSY : errno, false);
    }
    ioctl(fd, TIOCEXCL);

    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return fail(errno, true);
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    const BaudEntry *entry = find_baud(baud);
    if (entry == nullptr) {
        return fail(EINVAL, true);
    }
    if (entry->speed != 0) {
        cfsetispeed(&settings, entry->speed);
        cfsetospeed(&settings, entry->speed);
    }
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        return fail(errno, true);
    }
    if (entry->speed == 0 && !set_custom_baud(fd, baud)) {
        return fail(errno, true);
    }
    const int wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd < 0) {
        return fail(errno, false);
    }
    // A USB adapter would otherwise sit on every ACK and answer for its latency timer.
    system_->low_latency = zemlo::request_low_latency(fd);
    tcflush(fd, TCIOFLUSH);
    system_->fd = fd;
    system_->wake_fd = wake_fd;
    return {};
}

SerialLine::Read SerialLine::read(uint8_t *buffer, size_t capacity, size_t *count,
                                  std::chrono::milliseconds timeout) {
    *count = 0;
    System &s = *system_;
    pollfd waits[2] = {{s.fd, POLLIN, 0}, {s.wake_fd, POLLIN, 0}};
    const int ready = poll(waits, 2, static_cast<int>(timeout.count()));
    if (ready < 0) {
        if (errno != EINTR) {
            s.idle(timeout);
        }
        return Read::Again;
    }
    if (waits[1].revents != 0) {
        return Read::Woken;
    }
    if ((waits[0].revents & POLLIN) != 0) {
        const ssize_t got = ::read(s.fd, buffer, capacity);
        if (got > 0) {
            *count = static_cast<size_t>(got);
            return Read::Bytes;
        }
        if (got == 0 || errno == EIO || errno == ENXIO || errno == ENODEV) {
            return Read::Lost;  // readable with nothing to read: hung up
        }
        if (errno != EAGAIN && errno != EINTR) {
            s.idle(timeout);
        }
        return Read::Again;
    }
    if ((waits[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return Read::Lost;
    }
    return ready == 0 ? Read::Quiet : Read::Again;
}

void SerialLine::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(system_->wake_fd, &one, sizeof one);
}

bool SerialLine::write(const uint8_t *bytes, size_t count) {
    const int fd = system_->fd;
    size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd, bytes + done, count - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0 && errno != EAGAIN) {
            return false;
        }
        pollfd room{fd, POLLOUT, 0};
        if (poll(&room, 1, kWriteTimeoutMs) <= 0) {
            return false;
        }
    }
    return true;
}

bool SerialLine::node_changed(const std::string &path) const {
    // An unplugged adapter's node goes away; a new one under the same name is another device.
    struct stat open_device {};
    struct stat named {};
    if (fstat(system_->fd, &open_device) != 0 || !S_ISCHR(open_device.st_mode)) {
        return false;
    }
    if (stat(path.c_str(), &named) != 0) {
        return errno == ENOENT || errno == ENOTDIR;
    }
    return named.st_rdev != open_device.st_rdev;
}

void SerialLine::close() {
    System &s = *system_;
    if (s.fd >= 0) {
        // A pseudo-terminal has no modem lines; the failure is expected there and harmless.
        int dtr = TIOCM_DTR;
        ioctl(s.fd, TIOCMBIC, &dtr);
        tcflush(s.fd, TCIOFLUSH);
        // The exclusive mark outlives our descriptor on some devices; take it back off so that
        // the next open (ours or another program's) is not refused.
        ioctl(s.fd, TIOCNXCL);
        zemlo::release_low_latency(s.fd, s.low_latency);
        ::close(s.fd);
        s.fd = -1;
    }
    if (s.wake_fd >= 0) {
        ::close(s.wake_fd);
        s.wake_fd = -1;
    }
}

}  // namespace handlink
