// Which device a COM number means: a path the program set, else the environment variable
// HANDLINK_COM<n>, else /dev/ttyS<n-1>.
#pragma once

#include <cstdint>
#include <string>

namespace handlink {

inline constexpr const char *kPortEnvPrefix = "HANDLINK_COM";
inline constexpr const char *kDefaultDevicePrefix = "/dev/ttyS";

// Maps COM port to device; nullptr or "" removes the mapping. Safe from any thread.
void set_port_device(uint32_t port, const char *device);
// The device COM port (one-based) resolves to now.
std::string resolve_port_device(uint32_t port);

}  // namespace handlink
