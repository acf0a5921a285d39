// The serial devices of this machine as the user needs to see them to pick the handset's: what
// QSerialPortInfo knows (driver, USB ids, serial number), the /dev/serial/by-id name, the COM
// number that maps to each, and the devices that only the COM mapping names (a pseudo-terminal
// of the emulator, say).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "port_names.h"

namespace zemlo::cli {

struct SerialDevice {
    std::string path;  // /dev/ttyUSB0
    std::string description;
    std::string manufacturer;
    std::string driver;
    std::optional<std::string> usb_vendor;   // four hex digits
    std::optional<std::string> usb_product;  // four hex digits
    std::string serial_number;
    std::string by_id;                // /dev/serial/by-id/... or empty
    std::vector<uint32_t> com_ports;  // the COM numbers that resolve to this device
    bool exists = true;
};

// mapping: the COM mapping in force (the user's profile, with --device applied).
std::vector<SerialDevice> list_serial_devices(const std::map<uint32_t, std::string> &mapping,
                                              const EnvLookup &env);

// The USB vendor and product ids of a tty device, read from sysfs; nothing for other devices.
std::optional<std::pair<std::string, std::string>> usb_ids(const std::string &device);

}  // namespace zemlo::cli
