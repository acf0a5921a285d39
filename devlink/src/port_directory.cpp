#include "port_directory.h"

#include <map>
#include <mutex>
#include <optional>

#include "zemlo/com_port_rule.h"

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
    std::optional<std::string> mapped;
    {
        std::lock_guard lock(directory_mutex());
        auto it = directory().find(port);
        if (it != directory().end()) {
            mapped = it->second;
        }
    }
    return zemlo::com_device(port, mapped);
}

}  // namespace handlink
