#include "serial_port_check.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>

namespace zemlo::cli {

namespace {
// Pseudo-terminal slaves (/dev/pts/N) have no sysfs entry; their majors are fixed.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;
}  // namespace

bool is_serial_port_kind(bool char_device, unsigned major, std::string_view subsystem) {
    if (!char_device) {
        return false;
    }
    return subsystem == "tty" || (major >= kFirstPtyMajor && major <= kLastPtyMajor);
}

bool is_serial_port(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    const bool char_device = S_ISCHR(st.st_mode);
    const unsigned major = char_device ? ::major(st.st_rdev) : 0;
    std::string subsystem;
    if (char_device) {
        std::error_code ec;
        const auto link =
            std::filesystem::read_symlink("/sys/dev/char/" + std::to_string(major) + ":" +
                                              std::to_string(::minor(st.st_rdev)) + "/subsystem",
                                          ec);
        if (!ec) {
            subsystem = link.filename().string();
        }
    }
    return is_serial_port_kind(char_device, major, subsystem);
}

}  // namespace zemlo::cli
