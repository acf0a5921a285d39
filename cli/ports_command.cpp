// zemlo-cli ports [--probe]: the serial devices, what they are and the COM number each maps to;
// with --probe, which one a handset answers on.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "adapter_latency.h"
#include "cli_args.h"
#include "global_options.h"
#include "handset_text.h"
#include "messages.h"
#include "port_names.h"
#include "port_probe.h"
#include "profile.h"
#include "serial_inventory.h"

namespace zemlo::cli {

namespace {

int run(const std::vector<std::string> &args);

const Command kCommand{"ports", "[--probe]",
                       "list the serial devices with their descriptions and COM numbers; "
                       "--probe tries a handshake on each and says which one answers",
                       &run};
const CommandRegistration kRegistration{kCommand};

// Paths come from the user, the environment and the profile: shown with their controls escaped.
std::string shown(const std::string &path) {
    return app::printable_local_text(path);
}

std::string describe(const SerialDevice &d) {
    std::string s = shown(d.path);
    std::string coms;
    for (uint32_t n : d.com_ports) {
        coms += (coms.empty() ? "" : ",") + std::string("COM") + std::to_string(n);
    }
    s += "  " + (coms.empty() ? std::string("(no COM number)") : coms);
    if (!d.exists) {
        s += "  (missing)";
    }
    s += "\n";
    auto field = [&s](const char *label, const std::string &value) {
        if (!value.empty()) {
            s += std::string("    ") + label + ": " + value + "\n";
        }
    };
    field("description", d.description);
    field("manufacturer", d.manufacturer);
    field("driver", d.driver);
    if (d.usb_vendor && d.usb_product) {
        field("usb", *d.usb_vendor + ":" + *d.usb_product);
    }
    field("serial number", d.serial_number);
    field("by-id", d.by_id);
    // A USB adapter's timer holds every answer of the handset; show it and, where the driver
    // refuses the low-latency mode the link asks for, the rule that fixes it for good.
    if (const auto timer = d.exists ? read_latency_timer(d.path) : std::nullopt) {
        const LowLatency state = try_low_latency(d.path);
        field("latency timer", std::to_string(*timer) + " ms");
        field("low-latency mode", zemlo::describe(state));
        if (latency_rule_needed(timer, state)) {
            s += "    every answer waits up to " + std::to_string(*timer) +
                 " ms; this udev rule sets the timer to 1 ms at plug-in\n"
                 "    (in /etc/udev/rules.d/99-zemlo-latency.rules, then sudo udevadm control "
                 "--reload and plug the adapter in again):\n      " +
                 latency_udev_rule(d.driver) + "\n";
        }
    }
    return s;
}

int run(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--probe"}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (!parsed->positional.empty()) {
        return usage_error(kCommand, "ports takes no arguments");
    }
    const GlobalOptions &options = global_options();
    app::SettingsProfile user;
    std::map<uint32_t, std::string> mapping = user.port_devices();
    const uint32_t com = options.port.value_or(user.com_port());
    if (options.device) {
        if (auto refusal = refuse_windows_device(*options.device, mapping, process_environment())) {
            std::fprintf(stderr, "zemlo-cli: %s\n", refusal->c_str());
            return kExitUsage;
        }
        mapping[com] = *options.device;
    }
    const std::vector<SerialDevice> devices = list_serial_devices(mapping, process_environment());
    if (devices.empty()) {
        std::printf("no serial devices found\n");
    }
    const std::string used = com_device_path(com, mapping, process_environment());
    std::error_code ec;
    // A port that names nothing fails every handset command: say so here, not after a connect.
    const bool used_exists = std::filesystem::exists(used, ec);
    std::printf("the handset commands use COM%u (%s)%s\n", com, shown(used).c_str(),
                used_exists ? ""
                            : ", which does not exist: choose a port below with --port or "
                              "--device");
    PortProbe probe;
    const bool probing = parsed->flag("--probe");
    if (probing && !probe.load(&error)) {
        return fail(app::render(app::MessageId::LibraryLoadFailed) + " " + error);
    }
    std::vector<const SerialDevice *> answering;
    for (const auto &d : devices) {
        std::string text = describe(d);
        if (probing && d.exists) {
            std::fputs(text.c_str(), stdout);
            std::fflush(stdout);
            const ProbeResult r = probe.probe(d.path);
            text = r.answered ? "    probe: a handset answers\n"
                   : r.opened ? "    probe: no answer\n"
                              : "    probe: cannot open: " + r.problem + "\n";
            for (auto &c : text) {
                if (c == '\n' && &c != &text.back()) {
                    c = ' ';  // the open error's explanation on the same line
                }
            }
            if (r.answered) {
                answering.push_back(&d);
            }
        }
        std::fputs(text.c_str(), stdout);
    }
    if (!probing) {
        return kExitOk;
    }
    if (answering.empty()) {
        // An emulator's link is a path no scan guesses; handsim prints the --device to use.
        std::printf(
            "no handset answered: check the cable, that the handset is on and in its data mode; "
            "for a link of its own (handsim --link PATH) give --device PATH\n");
        return kExitFailure;
    }
    for (const SerialDevice *d : answering) {
        std::printf("handset found on %s: use --device %s%s\n", shown(d->path).c_str(),
                    shown(d->path).c_str(),
                    d->com_ports.empty()
                        ? ""
                        : (" or --port " + std::to_string(d->com_ports.front())).c_str());
    }
    return kExitOk;
}

}  // namespace

}  // namespace zemlo::cli
