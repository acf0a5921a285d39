// Whether a path names a serial port: a character device of the terminal kind (a UART, a USB
// serial adapter, or the pseudo-terminal of an emulator). A folder, a plain file, /dev/null or
// /dev/zero are not, even when the COM mapping names them. Decided from the device numbers alone:
// the device is never opened, as opening a real port may change its modem lines.
#pragma once

#include <string>
#include <string_view>

namespace zemlo::cli {

// subsystem: the last part of the device's sysfs class link ("tty", "mem"), empty when it has none.
bool is_serial_port_kind(bool char_device, unsigned major, std::string_view subsystem);

bool is_serial_port(const std::string &path);

}  // namespace zemlo::cli
