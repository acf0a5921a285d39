#include "serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include "custom_baud.h"
#include "port_directory.h"

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

void sleep_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

bool is_supported_baud(uint32_t baud) {
    return find_baud(baud) != nullptr;
}

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

SerialPort::~SerialPort() {
    if (open_.load() || running_.load()) {
        close();
    }
}

OpenFailure SerialPort::last_open_failure() const {
    std::lock_guard lock(failure_mutex_);
    return failure_;
}

std::string SerialPort::device() const {
    std::lock_guard lock(failure_mutex_);
    return device_;
}

void SerialPort::record_failure(int error_number, const std::string &path, bool configuring) {
    std::lock_guard lock(failure_mutex_);
    failure_ = OpenFailure{error_number, path, configuring};
}

int32_t SerialPort::open(uint32_t port_number, uint32_t baud, ByteHandler handler, void *context) {
    if (port_number < 1) {
        return kSerialBadPort;
    }
    if (!is_supported_baud(baud)) {
        return kSerialBadBaud;
    }
    if (open_.load()) {
        return kSerialNotOpened;  // one device at a time; the holder must close first
    }
    const std::string path = resolve_port_device(port_number);
    {
        std::lock_guard lock(failure_mutex_);
        device_ = path;
    }
    const int32_t status = open_device(path, baud);
    if (status != kSerialOk) {
        return status;
    }
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) {
        record_failure(errno, path, false);
        ::close(fd_);
        fd_ = -1;
        return kSerialNotOpened;
    }
    handler_ = handler;
    context_ = context;
    lost_.store(false);
    open_.store(true, std::memory_order_release);
    running_.store(true);
    try {
        reader_ = std::thread([this] { reader_loop(); });
    } catch (const std::system_error &error) {
        running_.store(false);
        open_.store(false);
        record_failure(error.code().value(), path, false);
        ::close(wake_fd_);
        ::close(fd_);
        wake_fd_ = fd_ = -1;
        return kSerialNotOpened;
    }
    record_failure(0, path, false);
    return kSerialOk;
}

int32_t SerialPort::open_device(const std::string &path, uint32_t baud) {
    // Non-blocking, so that neither a missing carrier at open nor a device that stops taking
    // bytes can block us; reads and writes wait in poll() instead.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        record_failure(errno, path, false);
        return kSerialNotOpened;
    }
    auto fail = [&](int error_number, bool configuring) {
        record_failure(error_number, path, configuring);
        ::close(fd);
        return kSerialNotOpened;
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
    // A USB adapter would otherwise sit on every ACK and answer for its latency timer.
    low_latency_.store(zemlo::request_low_latency(fd));
    tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return kSerialOk;
}

void SerialPort::set_lost_handler(LostHandler handler, void *context) {
    lost_handler_ = handler;
    lost_context_ = context;
}

void SerialPort::lose() {
    if (!lost_.exchange(true) && lost_handler_ != nullptr) {
        lost_handler_(lost_context_);
    }
}

bool SerialPort::node_changed(const std::string &path) const {
    // An unplugged adapter's node goes away; a new one under the same name is another device.
    struct stat open_device {};
    struct stat named {};
    if (fstat(fd_, &open_device) != 0 || !S_ISCHR(open_device.st_mode)) {
        return false;
    }
    if (stat(path.c_str(), &named) != 0) {
        return errno == ENOENT || errno == ENOTDIR;
    }
    return named.st_rdev != open_device.st_rdev;
}

void SerialPort::reader_loop() {
    uint8_t buffer[kReadChunkBytes];
    pollfd waits[2] = {{fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    // A failing poll is retried once per poll interval instead of spinning.
    auto idle = [&] {
        pollfd wake{wake_fd_, POLLIN, 0};
        poll(&wake, 1, kPollIntervalMs);
    };
    const std::string path = device();
    auto next_node_check = std::chrono::steady_clock::now();
    // A lost line does not come back: the reader ends and the device is left to close().
    while (running_.load()) {
        const int ready = poll(waits, 2, kPollIntervalMs);
        if (ready < 0) {
            if (errno != EINTR) {
                idle();
            }
            continue;
        }
        if (waits[1].revents != 0) {
            break;  // close() wants us gone
        }
        if ((waits[0].revents & POLLIN) != 0) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got > 0) {
                for (ssize_t i = 0; i < got; ++i) {
                    handler_(context_, buffer[i]);
                }
            } else if (got == 0 || errno == EIO || errno == ENXIO || errno == ENODEV) {
                lose();  // readable with nothing to read: hung up
                break;
            } else if (errno != EAGAIN && errno != EINTR) {
                idle();
            }
        } else if ((waits[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            lose();
            break;
        } else if (ready == 0 && std::chrono::steady_clock::now() >= next_node_check) {
            next_node_check =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(kNodeCheckMs);
            if (node_changed(path)) {
                lose();
                break;
            }
        }
    }
}

void SerialPort::close() {
    if (running_.exchange(false)) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(wake_fd_, &one, sizeof one);
        if (reader_.joinable()) {
            reader_.join();
        }
    }
    if (open_.exchange(false)) {
        // A pseudo-terminal has no modem lines; the failure is expected there and harmless.
        int dtr = TIOCM_DTR;
        ioctl(fd_, TIOCMBIC, &dtr);
        tcflush(fd_, TCIOFLUSH);
        // The exclusive mark outlives our descriptor on some devices; take it back off so that
        // the next open (ours or another program's) is not refused.
        ioctl(fd_, TIOCNXCL);
        zemlo::release_low_latency(fd_, low_latency_.load());
        ::close(fd_);
        fd_ = -1;
    }
    if (wake_fd_ >= 0) {
        ::close(wake_fd_);
        wake_fd_ = -1;
    }
    handler_ = nullptr;
    context_ = nullptr;
    sleep_ms(kCloseSettleMs);
}

bool SerialPort::write(const uint8_t *bytes, size_t count) {
    if (!open_.load(std::memory_order_acquire) || lost_.load(std::memory_order_acquire)) {
        return false;
    }
    size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd_, bytes + done, count - done);
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
        pollfd room{fd_, POLLOUT, 0};
        if (poll(&room, 1, kWriteTimeoutMs) <= 0) {
            return false;
        }
    }
    return true;
}

bool SerialPort::write_byte(uint8_t b) {
    return write(&b, 1);
}

}  // namespace handlink
