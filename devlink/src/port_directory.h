// Which device a COM number means: the paths the program set, resolved by the one COM rule
// (zemlo/com_port_rule.h) that the program's port dialog and the command line use as well.
#pragma once

#include <cstdint>
#include <string>

namespace handlink {

// Maps COM port to device; nullptr or "" removes the mapping. Safe from any thread.
void set_port_device(uint32_t port, const char *device);
// The device COM port (one-based) resolves to now.
std::string resolve_port_device(uint32_t port);

}  // namespace handlink
