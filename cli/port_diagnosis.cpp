#include "port_diagnosis.h"

#include <cerrno>
#include <cstring>

#include "handset_text.h"

namespace zemlo::cli {

namespace {

constexpr const char *kSerialGroup = "dialout";
constexpr const char *kModemManager = "ModemManager";
constexpr const char *kUdevRuleFile = "/etc/udev/rules.d/99-zemlo-handset.rules";

bool held_by_modem_manager(const OpenFacts &f) {
    for (const auto &h : f.holders) {
        if (h.rfind(kModemManager, 0) == 0) {
            return true;
        }
    }
    return false;
}

std::string join(const std::vector<std::string> &items) {
    std::string s;
    for (const auto &i : items) {
        s += (s.empty() ? "" : ", ") + i;
    }
    return s;
}

std::string udev_match(const OpenFacts &f) {
    if (f.usb_vendor && f.usb_product) {
        return "ATTRS{idVendor}==\"" + *f.usb_vendor + "\", ATTRS{idProduct}==\"" + *f.usb_product +
               "\"";
    }
    const auto slash = f.device.rfind('/');
    return "KERNEL==\"" + (slash == std::string::npos ? f.device : f.device.substr(slash + 1)) +
           "\"";
}

void permission(const OpenFacts &f, Diagnosis &d) {
    // A device owned by root's group alone gives no group to join; the serial group is the
    // usual way to be given such devices.
    const std::string group =
        f.device_group.empty() || f.device_group == "root" ? kSerialGroup : f.device_group;
    const std::string user = f.user.empty() ? "$USER" : f.user;
    if (f.group_listed && !f.group_active) {
        d.why = "permission denied on " + f.device + ": " + user + " is in the " + group +
                " group, but this login session started before that";
        d.fixes = {"log out and log in again (or start a shell with the group: newgrp " + group +
                   ")"};
        return;
    }
    if (f.group_listed) {
        d.why = "permission denied on " + f.device + " although " + user + " is in the " + group +
                " group";
        d.fixes = {"check the device's mode: ls -l " + f.device};
        return;
    }
    d.why = "permission denied on " + f.device + ": " + user + " is not in the " + group + " group";
    d.fixes = {"sudo usermod -aG " + group + " " + user,
               "then log out and log in again so that the new group takes effect"};
}

void busy(const OpenFacts &f, Diagnosis &d) {
    d.why = f.device + " is busy: another program holds it";
    if (!f.holders.empty()) {
        d.why += " (" + join(f.holders) + ")";
    }
    if (held_by_modem_manager(f) || f.holders.empty()) {
        d.fixes.push_back(std::string(held_by_modem_manager(f) ? "" : "if it is ") +
                          "ModemManager, which probes new USB serial devices: tell it to leave "
                          "this one alone with a udev rule:");
        d.fixes.push_back("  echo '" + udev_match(f) +
                          ", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee " + kUdevRuleFile);
        d.fixes.push_back("  sudo udevadm control --reload-rules && sudo udevadm trigger");
        d.fixes.push_back("  then unplug the cable and plug it in again");
    }
    if (!f.holders.empty() && !held_by_modem_manager(f)) {
        d.fixes.push_back("close the program that holds it, then try again");
    }
}

void missing(const OpenFacts &f, Diagnosis &d) {
    d.why = "no such device " + f.device;
    if (f.existing.empty()) {
        d.fixes = {
            "no serial device was found: check that the cable is plugged in "
            "(zemlo-cli ports lists them)"};
    } else {
        d.fixes = {"serial devices that exist: " + join(f.existing),
                   "pick one with --device PATH (zemlo-cli ports --probe finds the handset)"};
    }
}

}  // namespace

Diagnosis diagnose_open_failure(const OpenFacts &facts) {
    // The path is the user's, but it is shown on a terminal: its controls are escaped.
    OpenFacts f = facts;
    f.device = app::printable_local_text(facts.device);
    for (auto &other : f.existing) {
        other = app::printable_local_text(other);
    }
    Diagnosis d;
    if (!f.other_kind.empty()) {
        d.why = f.device + " is " + f.other_kind + ", not a serial device";
        d.fixes = {"give the handset's serial device with --device (zemlo-cli ports lists them)"};
        return d;
    }
    if (f.not_a_terminal) {
        d.why = f.device + " is not a serial device";
        d.fixes = {"give the handset's serial device with --device (zemlo-cli ports lists them)"};
        return d;
    }
    switch (f.error_number) {
        case EACCES:
        case EPERM:
            permission(f, d);
            break;
        case EBUSY:
        case EWOULDBLOCK:
            busy(f, d);
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            missing(f, d);
            break;
        case ENOTDIR:
        case ENOTTY:
            d.why = f.device + " is not a serial device";
            d.fixes = {
                "give the handset's serial device with --device (zemlo-cli ports lists them)"};
            break;
        case 0:
            d.why = f.device + " opens now; it may have been busy for a moment";
            d.fixes = {"try again"};
            break;
        default:
            d.why = "cannot open " + f.device + ": " + std::strerror(f.error_number);
            break;
    }
    return d;
}

std::string format_diagnosis(const Diagnosis &d) {
    std::string s = "  why: " + d.why + "\n";
    for (size_t i = 0; i < d.fixes.size(); ++i) {
        s += (i == 0 ? "  fix: " : "       ") + d.fixes[i] + "\n";
    }
    return s;
}

}  // namespace zemlo::cli
