#include "serial_port.h"

#include <chrono>
#include <system_error>

#include "port_directory.h"
#include "time_scale.h"

namespace handlink {
namespace {

constexpr uint32_t kBauds[] = {4800, 9600, 19200, 28800, 38400, 57600, 115200, 230400};

void sleep_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

bool is_supported_baud(uint32_t baud) {
    for (const uint32_t allowed : kBauds) {
        if (allowed == baud) {
            return true;
        }
    }
    return false;
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
    const SerialLine::Opened opened = line_.open(path, baud);
    if (opened.error_number != 0) {
        record_failure(opened.error_number, path, opened.configuring);
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
        line_.close();
        return kSerialNotOpened;
    }
    record_failure(0, path, false);
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

void SerialPort::reader_loop() {
    uint8_t buffer[kReadChunkBytes];
    const std::string path = device();
    auto next_node_check = std::chrono::steady_clock::now();
    // A lost line does not come back: the reader ends and the device is left to close().
    while (running_.load()) {
        size_t got = 0;
        switch (
            line_.read(buffer, sizeof buffer, &got, std::chrono::milliseconds(kPollIntervalMs))) {
            case SerialLine::Read::Bytes:
                for (size_t i = 0; i < got; ++i) {
                    handler_(context_, buffer[i]);
                }
                break;
            case SerialLine::Read::Woken:
                return;  // close() wants us gone
            case SerialLine::Read::Lost:
                lose();
                return;
            case SerialLine::Read::Quiet:
                if (std::chrono::steady_clock::now() >= next_node_check) {
                    next_node_check =
                        std::chrono::steady_clock::now() + std::chrono::milliseconds(kNodeCheckMs);
                    if (line_.node_changed(path)) {
                        lose();
                        return;
                    }
                }
                break;
            case SerialLine::Read::Again:
                break;
        }
    }
}

void SerialPort::close() {
    if (running_.exchange(false)) {
        line_.wake();
        if (reader_.joinable()) {
            reader_.join();
        }
    }
    if (open_.exchange(false)) {
        line_.close();
    }
    handler_ = nullptr;
    context_ = nullptr;
    sleep_ms(static_cast<int>(scaled_ms(kCloseSettleMs)));
}

bool SerialPort::write(const uint8_t *bytes, size_t count) {
    if (!open_.load(std::memory_order_acquire) || lost_.load(std::memory_order_acquire)) {
        return false;
    }
    return line_.write(bytes, count);
}

bool SerialPort::write_byte(uint8_t b) {
    return write(&b, 1);
}

}  // namespace handlink
