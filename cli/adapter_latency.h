// A USB serial adapter's latency timer as `ports` shows it: the timer read from sysfs, whether
// the driver takes low-latency mode, and the udev rule that sets the timer where it does not.
#pragma once

#include <optional>
#include <string>

#include "zemlo/low_latency.h"

namespace zemlo::cli {

// The timer in milliseconds from <sys_root>/class/tty/<name>/device/latency_timer, following a
// link such as a /dev/serial/by-id name to the device; nothing when the driver has no timer.
std::optional<int> read_latency_timer(const std::string &device,
                                      const std::string &sys_root = "/sys");

// Opens the device for a moment and asks its driver for low-latency mode (given back at once);
// Unknown when it cannot be opened (busy, no permission).
LowLatency try_low_latency(const std::string &device);

// True when every download through the adapter waits out a timer above 1 ms: the driver did not
// take low-latency mode.
bool latency_rule_needed(std::optional<int> timer_ms, LowLatency state);

// The rule, ready to paste into /etc/udev/rules.d/, that sets the timer to 1 ms at every plug-in
// of an adapter with this driver (any driver when empty).
std::string latency_udev_rule(const std::string &driver);

}  // namespace zemlo::cli
