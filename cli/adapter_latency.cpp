#include "adapter_latency.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>

namespace zemlo::cli {

namespace {
constexpr size_t kMaxSysfsText = 16;
}  // namespace

std::optional<int> read_latency_timer(const std::string &device, const std::string &sys_root) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(device, ec);
    const std::string name = (ec ? std::filesystem::path(device) : real).filename().string();
    if (name.empty() || name == "." || name == "..") {
        return std::nullopt;
    }
    std::ifstream in(std::filesystem::path(sys_root) / "class" / "tty" / name / "device" /
                     "latency_timer");
    if (!in) {
        return std::nullopt;
    }
    char text[kMaxSysfsText] = {};
    in.read(text, sizeof text - 1);
    const size_t got = static_cast<size_t>(in.gcount());
    int ms = 0;
    const auto [p, e] = std::from_chars(text, text + got, ms);
    if (e != std::errc() || p == text || ms < 0) {
        return std::nullopt;
    }
    return ms;
}

LowLatency try_low_latency(const std::string &device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return LowLatency::Unknown;
    }
    const LowLatency state = request_low_latency(fd);
    release_low_latency(fd, state);
    ::close(fd);
    return state;
}

bool latency_rule_needed(std::optional<int> timer_ms, LowLatency state) {
    return timer_ms && *timer_ms > 1 &&
           (state == LowLatency::Refused || state == LowLatency::Unsupported);
}

std::string latency_udev_rule(const std::string &driver) {
    std::string rule = "ACTION==\"add\", SUBSYSTEM==\"usb-serial\", ";
    if (!driver.empty()) {
        rule += "DRIVERS==\"" + driver + "\", ";
    }
    return rule + "ATTR{latency_timer}=\"1\"";
}

}  // namespace zemlo::cli
