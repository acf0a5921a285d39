// Low-latency mode of a serial driver: a USB serial adapter otherwise holds received bytes for up
// to its latency timer (commonly 16 ms), and the link waits for an answer after every frame.
// Asked for on open and given back on close; a device without the setting (a pseudo-terminal,
// many UARTs) or a driver that refuses it is used as it is. Windows has no such request: there
// every device reports Unsupported.
#pragma once

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace zemlo {

#if defined(__linux__)
// The seam over the two ioctl calls, so that every answer a driver can give is testable.
// Each returns 0 or the errno of the failed call.
class SerialInfoIo {
  public:
    virtual ~SerialInfoIo() = default;
    virtual int get(int fd, serial_struct &info) = 0;        // TIOCGSERIAL
    virtual int set(int fd, const serial_struct &info) = 0;  // TIOCSSERIAL
};

// The calls on a real device.
SerialInfoIo &system_serial_info_io();
#endif

enum class LowLatency {
    Unknown,      // not asked (no device open)
    TurnedOn,     // the driver took the request; to be turned off again at close
    AlreadyOn,    // it was on before we came
    Refused,      // the driver has the setting but did not take it (permission, or ignored)
    Unsupported,  // no such setting on this device
};

#if defined(__linux__)
// Turns low-latency mode on where the device has it.
LowLatency request_low_latency(int fd, SerialInfoIo &io = system_serial_info_io());
// Undoes request_low_latency's change (only when it was TurnedOn); errors are of no consequence.
void release_low_latency(int fd, LowLatency state, SerialInfoIo &io = system_serial_info_io());
#endif

// "on", "already on", "refused", "not supported", "unknown": for diagnostics.
const char *describe(LowLatency state);

}  // namespace zemlo
