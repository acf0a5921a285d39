// Which serial device a COM number stands for. One rule for the device library, the desktop
// program's port dialog and the command-line companion: the device the program mapped to it,
// else the environment variable HANDLINK_COM<n>, else /dev/ttyS<n-1> (COM1 is the first serial
// device, as the usual Windows-on-Linux convention has it). On Windows the last is the system's
// own \\.\COM<n>, the form that reaches COM10 and above as well.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace zemlo {

inline constexpr const char *kComEnvPrefix = "HANDLINK_COM";
#if defined(_WIN32)
inline constexpr const char *kComDefaultPrefix = "\\\\.\\COM";
inline constexpr uint32_t kComDefaultFirst = 1;  // COM1 is \\.\COM1
#else
inline constexpr const char *kComDefaultPrefix = "/dev/ttyS";
inline constexpr uint32_t kComDefaultFirst = 0;  // COM1 is /dev/ttyS0
#endif

// Looks up an environment variable; nothing when it is unset or empty.
using EnvLookup = std::function<std::optional<std::string>(const std::string &)>;

inline std::optional<std::string> process_env(const std::string &name) {
    const char *value = std::getenv(name.c_str());
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

// "HANDLINK_COM3" for COM3.
inline std::string com_env_variable(uint32_t port) {
    return kComEnvPrefix + std::to_string(port);
}

// The device COM n stands for when the program has not mapped it: $HANDLINK_COM<n>, else
// /dev/ttyS<n-1> (\\.\COM<n> on Windows).
inline std::string unmapped_com_device(uint32_t port, const EnvLookup &env = process_env) {
    if (env) {
        if (auto from_env = env(com_env_variable(port))) {
            return *from_env;
        }
    }
    return kComDefaultPrefix + std::to_string(port == 0 ? 0 : port - 1 + kComDefaultFirst);
}

// The device COM n stands for: mapped (when given and not empty), else the unmapped device.
inline std::string com_device(uint32_t port, const std::optional<std::string> &mapped,
                              const EnvLookup &env = process_env) {
    if (mapped && !mapped->empty()) {
        return *mapped;
    }
    return unmapped_com_device(port, env);
}

}  // namespace zemlo
