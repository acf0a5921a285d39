// One serial device as this system opens, reads, writes and closes it: the part of the port that
// differs between systems. serial_line_posix.cpp does it with termios, serial_line_win32.cpp with
// the Win32 communications functions; SerialPort keeps the reader thread, the checks and the loss
// handling above it, the same on every system.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "zemlo/low_latency.h"

namespace handlink {

class SerialLine {
  public:
    SerialLine();
    ~SerialLine();
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;

    struct Opened {
        int error_number = 0;      // the system's error code; 0 when the device is open
        bool configuring = false;  // it opened, but refused the line settings
    };
    // Opens path for this process alone, raw, 8 data bits, no parity, one stop bit, no flow
    // control, at baud, with both queues emptied. On failure nothing stays open.
    Opened open(const std::string &path, uint32_t baud);

    enum class Read {
        Bytes,  // *count bytes are in the buffer
        Quiet,  // the timeout passed with nothing to read
        Again,  // nothing read for a passing reason: look again
        Woken,  // wake() was called
        Lost,   // the device hung up or failed
    };
    // Waits up to timeout for bytes, then takes what is queued (at most capacity). Called by one
    // thread at a time, the reader.
    Read read(uint8_t *buffer, size_t capacity, size_t *count, std::chrono::milliseconds timeout);
    // Ends the reader's wait at once, and every later one until the next open. Any thread.
    void wake();
    // One complete write; false when the device refused it or did not take it within the write
    // wait. Any thread.
    bool write(const uint8_t *bytes, size_t count);
    // True when path no longer names the open device (an unplugged adapter's node vanished, or
    // now belongs to another device). False where the system has no such names.
    bool node_changed(const std::string &path) const;
    // Drops DTR, empties the queues and closes the device. Only once the reader has ended.
    void close();

  private:
    struct System;
    std::unique_ptr<System> system_;
};

}  // namespace handlink
