// The one serial line to the handset: a device opened raw at 8N1, held exclusively, with a reader
// thread that hands every received byte, in order, to the frame layer's byte handler. What differs
// between systems is the device itself (serial_line.h); the reader, the checks and the loss
// handling here are the same everywhere.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "serial_line.h"

namespace handlink {

inline constexpr int32_t kSerialOk = 0;
inline constexpr int32_t kSerialBadPort = 34;
inline constexpr int32_t kSerialBadBaud = 36;
inline constexpr int32_t kSerialNotOpened = 37;

// The reader's longest sleep between two looks at the line; it wakes at once when bytes arrive.
inline constexpr int kPollIntervalMs = 40;
// The pause at the end of every close, which lets the handset notice the dropped line.
inline constexpr int kCloseSettleMs = 200;
// How often an idle reader checks that the device node still names the open device.
inline constexpr int kNodeCheckMs = 500;
// The most bytes handed to the byte handler per read.
inline constexpr size_t kReadChunkBytes = 1024;

// The baud rates the link accepts.
bool is_supported_baud(uint32_t baud);

// Why the last open of a device failed, so that the user can be told more than a status number.
struct OpenFailure {
    int error_number = 0;      // the system's error code of the failed step, 0 when none failed
    std::string device;        // the device path that was tried
    bool configuring = false;  // true when the device opened but its line settings were refused
    // A sentence for the user: "permission denied on /dev/ttyUSB0 (...)", "/dev/ttyUSB0 is busy
    // (another program holds it)", "no such device /dev/ttyUSB0", ...; empty when nothing failed.
    // Each system's serial line file words its own error codes.
    std::string describe() const;
};

class SerialPort {
  public:
    using ByteHandler = void (*)(void *context, uint8_t byte);
    using LostHandler = void (*)(void *context);

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Validates the port number (34) and the baud rate (36) before touching anything, then opens
    // the device COM port_number maps to (37 when that fails) and starts the reader.
    int32_t open(uint32_t port_number, uint32_t baud, ByteHandler handler, void *context);
    // Joins the reader, drops DTR, closes the device and sleeps 200 ms (also when never opened).
    void close();
    // One complete write of count bytes; false when the line refused it or the port is closed.
    bool write(const uint8_t *bytes, size_t count);
    bool write_byte(uint8_t b);
    bool is_open() const { return open_.load(std::memory_order_acquire); }
    // Called once on the reader thread when the line is lost: the device hung up, failed (EIO,
    // ENXIO, ENODEV) or its node vanished or now names another device. Set before open.
    void set_lost_handler(LostHandler handler, void *context);
    // True from the loss until the next open; writes then fail at once.
    bool line_lost() const { return lost_.load(std::memory_order_acquire); }
    // The reason of the last failed open (status 37); error_number 0 when the last open succeeded.
    OpenFailure last_open_failure() const;
    // The device path of the last open attempt.
    std::string device() const;

  private:
    void record_failure(int error_number, const std::string &path, bool configuring);
    void reader_loop();
    void lose();

    SerialLine line_;
    std::atomic<bool> open_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> lost_{false};
    LostHandler lost_handler_ = nullptr;
    void *lost_context_ = nullptr;
    std::thread reader_;
    ByteHandler handler_ = nullptr;
    void *context_ = nullptr;
    mutable std::mutex failure_mutex_;
    OpenFailure failure_;
    std::string device_;
};

}  // namespace handlink
