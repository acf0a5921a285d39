#include "port_directory.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace handlink {
namespace {

std::mutex &directory_mutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<uint32_t, std::string> &directory() {
    static std::map<uint32_t, std::string> mapping;
    return mapping;
}

}  // namespace

void set_port_device(uint32_t port, const char *device) {
    std::lock_guard lock(directory_mutex());
    if (device == nullptr || *device == '\0') {
        directory().erase(port);
    } else {
        directory()[port] = device;
    }
}

std::string resolve_port_device(uint32_t port) {
    {
        std::lock_guard lock(directory_mutex());
        auto it = directory().find(port);
        if (it != directory().end()) {
            return it->second;
        }
    }
    const std::string variable = kPortEnvPrefix + std::to_string(port);
    const char *from_env = std::getenv(variable.c_str());
    if (from_env != nullptr && *from_env != '\0') {
        return from_env;
    }
    // COM1 is the first serial device, as the usual Windows-on-Linux convention has it.
    return kDefaultDevicePrefix + std::to_string(port == 0 ? 0 : port - 1);
}

}  // namespace handlink
