// The name of a serial device that survives re-plugging: a USB adapter becomes /dev/ttyUSB0 or
// /dev/ttyUSB3 depending on the order and the socket, while its /dev/serial/by-id name (built
// from the adapter's own description and serial number) stays. A chosen device is stored under
// that name, so the same adapter is found next time.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace zemlo {

// The by-id link in by_id_dir that leads to the same device as path; path itself when there is
// none (a UART, a pseudo-terminal, a device that is not plugged in) or when path already is one.
inline std::string stable_device_name(const std::string &path,
                                      const std::string &by_id_dir = "/dev/serial/by-id") {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (path.empty() || fs::path(path).parent_path() == fs::path(by_id_dir)) {
        return path;
    }
    const fs::path target = fs::canonical(path, ec);
    if (ec) {
        return path;
    }
    for (fs::directory_iterator it(by_id_dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code link_ec;
        if (fs::canonical(it->path(), link_ec) == target && !link_ec) {
            return it->path().string();
        }
    }
    return path;
}

}  // namespace zemlo
