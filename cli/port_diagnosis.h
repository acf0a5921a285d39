// Why a serial device could not be opened and what the user can do about it, worked out from the
// facts gathered about it (the error, the device's group, the user's groups, who holds it, which
// devices exist). Pure, so each case is tested without the device.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zemlo::cli {

struct OpenFacts {
    std::string device;
    int error_number = 0;         // errno of the failed open or lock; 0 when it opened this time
    bool not_a_terminal = false;  // it opened, but takes no line settings
    // What the path is when it exists but is no character device ("a socket", "a folder"); the
    // open fails on such a path with errors that would read as a missing device.
    std::string other_kind;
    std::string user;
    std::string device_group;                // the group that owns the device ("dialout")
    bool group_listed = false;               // the user is a member in the group database
    bool group_active = false;               // this login session already has the group
    std::vector<std::string> holders;        // "ModemManager (pid 612)"
    std::optional<std::string> usb_vendor;   // four hex digits
    std::optional<std::string> usb_product;  // four hex digits
    std::vector<std::string> existing;       // serial devices that do exist
};

struct Diagnosis {
    std::string why;
    std::vector<std::string> fixes;  // one step a line, commands ready to paste
};

Diagnosis diagnose_open_failure(const OpenFacts &facts);

// The diagnosis as the lines printed on standard error.
std::string format_diagnosis(const Diagnosis &d);

}  // namespace zemlo::cli
