#include "port_diagnosis.h"

#include <cerrno>
#include <cstring>

#include "handset_text.h"
#include "messages.h"

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
        d.why = app::render(app::MessageId::PermissionNewSession, {f.device, user, group});
        d.fixes = {app::render(app::MessageId::LogInAgainOrNewgrp, {group})};
        return;
    }
    if (f.group_listed) {
        d.why = app::render(app::MessageId::PermissionInGroup, {f.device, user, group});
        d.fixes = {app::render(app::MessageId::CheckDeviceMode, {f.device})};
        return;
    }
    d.why = app::render(app::MessageId::PermissionNotInGroup, {f.device, user, group});
    d.fixes = {"sudo usermod -aG " + group + " " + user,
               app::render(app::MessageId::LogInAgainForGroup)};
}

void busy(const OpenFacts &f, Diagnosis &d) {
    d.why = f.holders.empty()
                ? app::render(app::MessageId::PortBusyHeld, {f.device})
                : app::render(app::MessageId::PortBusyHeldBy, {f.device, join(f.holders)});
    if (held_by_modem_manager(f) || f.holders.empty()) {
        d.fixes.push_back(app::render(held_by_modem_manager(f)
                                          ? app::MessageId::ModemManagerHolds
                                          : app::MessageId::ModemManagerMaybe));
        d.fixes.push_back("  echo '" + udev_match(f) +
                          ", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee " + kUdevRuleFile);
        d.fixes.push_back("  sudo udevadm control --reload-rules && sudo udevadm trigger");
        d.fixes.push_back("  " + app::render(app::MessageId::ReplugCable));
    }
    if (!f.holders.empty() && !held_by_modem_manager(f)) {
        d.fixes.push_back(app::render(app::MessageId::CloseHolder));
    }
}

void missing(const OpenFacts &f, Diagnosis &d) {
    d.why = app::render(app::MessageId::NoSuchDevice, {f.device});
    if (f.existing.empty()) {
        d.fixes = {app::render(app::MessageId::NoSerialDeviceFound)};
    } else {
        d.fixes = {app::render(app::MessageId::SerialDevicesThatExist, {join(f.existing)}),
                   app::render(app::MessageId::PickWithDevice)};
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
        d.why = app::render(app::MessageId::OtherKindOfFile, {f.device, f.other_kind});
        d.fixes = {app::render(app::MessageId::GiveSerialDevice)};
        return d;
    }
    if (f.not_a_terminal) {
        d.why = app::render(app::MessageId::NotSerialDevice, {f.device});
        d.fixes = {app::render(app::MessageId::GiveSerialDevice)};
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
            d.why = app::render(app::MessageId::NotSerialDevice, {f.device});
            d.fixes = {app::render(app::MessageId::GiveSerialDevice)};
            break;
        case 0:
            d.why = app::render(app::MessageId::OpensNow, {f.device});
            d.fixes = {app::render(app::MessageId::TryAgain)};
            break;
        default:
            d.why = app::render(app::MessageId::CannotOpenDevice,
                                {f.device, std::strerror(f.error_number)});
            break;
    }
    return d;
}

std::string format_diagnosis(const Diagnosis &d) {
    std::string s = "  " + app::render(app::MessageId::DiagnosisWhy, {d.why}) + "\n";
    for (size_t i = 0; i < d.fixes.size(); ++i) {
        s += "  " +
             app::render(i == 0 ? app::MessageId::DiagnosisFix : app::MessageId::DiagnosisFixMore,
                         {d.fixes[i]}) +
             "\n";
    }
    return s;
}

}  // namespace zemlo::cli
