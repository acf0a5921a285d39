#include "port_names.h"

#include <cctype>
#include <charconv>

#include "handset_text.h"
#include "messages.h"

namespace zemlo::cli {

namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";  // \\.\COM12, the Win32 device namespace
constexpr uint32_t kLargestComNumber = 255;

bool starts_with_com(std::string_view s) {
    return s.size() > 3 && std::toupper(static_cast<unsigned char>(s[0])) == 'C' &&
           std::toupper(static_cast<unsigned char>(s[1])) == 'O' &&
           std::toupper(static_cast<unsigned char>(s[2])) == 'M';
}

}  // namespace

std::optional<uint32_t> windows_com_number(std::string_view name) {
    if (name.substr(0, kDevicePrefix.size()) == kDevicePrefix) {
        name.remove_prefix(kDevicePrefix.size());
    }
    if (!name.empty() && name.back() == ':') {
        name.remove_suffix(1);
    }
    if (!starts_with_com(name)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    uint32_t n = 0;
    const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || p != digits.data() + digits.size() || n < 1 || n > kLargestComNumber) {
        return std::nullopt;
    }
    return n;
}

EnvLookup process_environment() {
    return zemlo::process_env;
}

std::string com_device_path(uint32_t port, const std::map<uint32_t, std::string> &mapping,
                            const EnvLookup &env) {
    std::optional<std::string> mapped;
    if (auto it = mapping.find(port); it != mapping.end()) {
        mapped = it->second;
    }
    return zemlo::com_device(port, mapped, env);
}

std::optional<std::string> refuse_windows_device(std::string_view name,
                                                 const std::map<uint32_t, std::string> &mapping,
                                                 const EnvLookup &env) {
    // Printed on a terminal: the names' controls escaped.
    const auto shown = [](std::string_view text) { return app::printable_local_text(text); };
    if (auto n = windows_com_number(name)) {
        const std::string device = shown(com_device_path(*n, mapping, env));
        return app::render(app::MessageId::WindowsPortName,
                           {shown(name), device, std::to_string(*n)});
    }
    if (!name.empty() && name.back() == ':') {
        std::string_view bare = name;
        bare.remove_suffix(1);
        return app::render(app::MessageId::DeviceTrailingColon, {shown(name), shown(bare)});
    }
    return std::nullopt;
}

}  // namespace zemlo::cli
