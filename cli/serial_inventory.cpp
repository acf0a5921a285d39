#include "serial_inventory.h"

#include <QSerialPortInfo>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

extern char **environ;

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char *kByIdDir = "/dev/serial/by-id";
constexpr const char *kEnvPrefix = zemlo::kComEnvPrefix;
constexpr int kSysfsLevels = 6;  // from the tty's device up to its USB device
constexpr int kHexDigits = 4;

std::string canonical(const std::string &path) {
    std::error_code ec;
    const fs::path p = fs::canonical(path, ec);
    return ec ? path : p.string();
}

std::string hex4(quint16 v) {
    char buf[kHexDigits + 1];
    std::snprintf(buf, sizeof buf, "%04x", v);
    return buf;
}

std::string read_line(const fs::path &p) {
    std::ifstream f(p);
    std::string s;
    std::getline(f, s);
    return s;
}

std::string driver_of(const std::string &device) {
    const fs::path name = fs::path(canonical(device)).filename();
    std::error_code ec;
    const fs::path driver =
        fs::read_symlink(fs::path("/sys/class/tty") / name / "device" / "driver", ec);
    return ec ? std::string() : driver.filename().string();
}

// Every COM number worth looking at: the usual eleven, the mapped ones and those named by the
// environment.
std::set<uint32_t> com_numbers(const std::map<uint32_t, std::string> &mapping) {
    std::set<uint32_t> out;
    for (uint32_t n = 1; n <= kListedComPorts; ++n) {
        out.insert(n);
    }
    for (const auto &[n, _] : mapping) {
        out.insert(n);
    }
    for (char **e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind(kEnvPrefix, 0) != 0) {
            continue;
        }
        const auto eq = entry.find('=');
        const std::string digits =
            entry.substr(std::string(kEnvPrefix).size(), eq - std::string(kEnvPrefix).size());
        if (!digits.empty() && digits.size() <= 3 &&
            digits.find_first_not_of("0123456789") == std::string::npos) {
            const auto n = static_cast<uint32_t>(std::stoul(digits));
            if (n >= 1) {
                out.insert(n);
            }
        }
    }
    return out;
}

}  // namespace

std::optional<std::pair<std::string, std::string>> usb_ids(const std::string &device) {
    const fs::path name = fs::path(canonical(device)).filename();
    std::error_code ec;
    fs::path dir = fs::canonical(fs::path("/sys/class/tty") / name / "device", ec);
    for (int i = 0; !ec && i < kSysfsLevels && !dir.empty(); ++i, dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", ec) && fs::exists(dir / "idProduct", ec)) {
            return std::make_pair(read_line(dir / "idVendor"), read_line(dir / "idProduct"));
        }
    }
    return std::nullopt;
}

std::vector<SerialDevice> list_serial_devices(const std::map<uint32_t, std::string> &mapping,
                                              const EnvLookup &env) {
    std::vector<SerialDevice> out;
    std::map<std::string, size_t> by_real;  // canonical path -> index in out
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.path = info.systemLocation().toStdString();
        d.description = info.description().toStdString();
        d.manufacturer = info.manufacturer().toStdString();
        d.serial_number = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier()) {
            d.usb_vendor = hex4(info.vendorIdentifier());
        }
        if (info.hasProductIdentifier()) {
            d.usb_product = hex4(info.productIdentifier());
        }
        d.driver = driver_of(d.path);
        by_real[canonical(d.path)] = out.size();
        out.push_back(std::move(d));
    }
    std::error_code ec;
    for (fs::directory_iterator it(kByIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (auto found = by_real.find(canonical(it->path().string())); found != by_real.end()) {
            out[found->second].by_id = it->path().string();
        }
    }
    // The COM numbers, and the devices only the mapping names.
    for (uint32_t n : com_numbers(mapping)) {
        const std::string path = com_device_path(n, mapping, env);
        const std::string real = canonical(path);
        auto found = by_real.find(real);
        if (found == by_real.end()) {
            const bool mapped = mapping.count(n) != 0 || (env && env(zemlo::com_env_variable(n)));
            if (!mapped) {
                continue;  // an unmapped default name that QSerialPortInfo did not report
            }
            SerialDevice d;
            d.path = path;
            d.description = "mapped to COM" + std::to_string(n);
            d.exists = fs::exists(path, ec);
            d.driver = driver_of(path);
            found = by_real.emplace(real, out.size()).first;
            out.push_back(std::move(d));
        }
        out[found->second].com_ports.push_back(n);
    }
    return out;
}

}  // namespace zemlo::cli
