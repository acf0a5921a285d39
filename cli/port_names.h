// Port names: how a COM number becomes a Linux device (as the link library resolves it) and how a
// Windows-style name given where a Linux device belongs is recognised, so it can be refused with
// the name to use instead.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "zemlo/com_port_rule.h"

namespace zemlo::cli {

// The COM numbers the port listing and the probe look at when nothing else names a device.
inline constexpr uint32_t kListedComPorts = 11;

// "COM3", "com3", "COM3:", "\\.\COM3": the COM number; nothing for any other name.
std::optional<uint32_t> windows_com_number(std::string_view name);

// Looks up an environment variable; nothing when unset.
using EnvLookup = zemlo::EnvLookup;
EnvLookup process_environment();

// The device COM n stands for: the user's mapping, else $HANDLINK_COM<n>, else /dev/ttyS<n-1>.
std::string com_device_path(uint32_t port, const std::map<uint32_t, std::string> &mapping,
                            const EnvLookup &env);

// Why a --device value cannot be a Linux device name, with the name to use instead; nothing when
// the name is acceptable.
std::optional<std::string> refuse_windows_device(std::string_view name,
                                                 const std::map<uint32_t, std::string> &mapping,
                                                 const EnvLookup &env);

}  // namespace zemlo::cli
