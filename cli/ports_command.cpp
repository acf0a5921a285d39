// zemlo-cli ports [--probe]: the serial devices, what they are and the COM number each maps to;
// with --probe, which one a handset answers on; --json gives the same as one document.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "adapter_latency.h"
#include "cli_args.h"
#include "global_options.h"
#include "handset_text.h"
#include "json_text.h"
#include "messages.h"
#include "port_names.h"
#include "port_probe.h"
#include "profile.h"
#include "serial_inventory.h"
#include "zemlo/link_announcement.h"

namespace zemlo::cli {

namespace {

int run(const std::vector<std::string> &args);

const Command kCommand{"ports", "[--probe] [--json]", app::MessageId::SummaryPorts, &run};
const CommandRegistration kRegistration{kCommand};

// Paths come from the user, the environment and the profile: shown with their controls escaped.
std::string shown(const std::string &path) {
    return app::printable_local_text(path);
}

// What is known of the device, in order: the label shown, the key under --json, the value (empty
// when unknown).
void each_field(
    const SerialDevice &d,
    const std::function<void(const std::string &, const char *, const std::string &)> &f) {
    f(app::render(app::MessageId::FieldDescription), "description", d.description);
    f(app::render(app::MessageId::FieldManufacturer), "manufacturer", d.manufacturer);
    f(app::render(app::MessageId::FieldDriver), "driver", d.driver);
    if (d.usb_vendor && d.usb_product) {
        f("usb", "usb", *d.usb_vendor + ":" + *d.usb_product);
    }
    f(app::render(app::MessageId::FieldSerialNumber), "serial_number", d.serial_number);
    f("by-id", "by_id", d.by_id);
}

app::MessageId low_latency_text(LowLatency state) {
    switch (state) {
        case LowLatency::TurnedOn:
            return app::MessageId::LowLatencyOn;
        case LowLatency::AlreadyOn:
            return app::MessageId::LowLatencyAlreadyOn;
        case LowLatency::Refused:
            return app::MessageId::LowLatencyRefused;
        case LowLatency::Unsupported:
            return app::MessageId::LowLatencyUnsupported;
        case LowLatency::Unknown:
            break;
    }
    return app::MessageId::LowLatencyUnknown;
}

std::string describe(const SerialDevice &d) {
    std::string s = shown(d.path);
    std::string coms;
    for (uint32_t n : d.com_ports) {
        coms += (coms.empty() ? "" : ",") + std::string("COM") + std::to_string(n);
    }
    s += "  " + (coms.empty() ? app::render(app::MessageId::NoComNumber) : coms);
    if (!d.exists) {
        s += "  " + app::render(app::MessageId::DeviceMissing);
    }
    s += "\n";
    auto field = [&s](const std::string &label, const std::string &value) {
        if (!value.empty()) {
            s += "    " + label + ": " + value + "\n";
        }
    };
    each_field(d, [&](const std::string &label, const char *, const std::string &value) {
        field(label, value);
    });
    // A USB adapter's timer holds every answer of the handset; show it and, where the driver
    // refuses the low-latency mode the link asks for, the rule that fixes it for good.
    if (const auto timer = d.exists ? read_latency_timer(d.path) : std::nullopt) {
        const LowLatency state = try_low_latency(d.path);
        field(app::render(app::MessageId::FieldLatencyTimer), std::to_string(*timer) + " ms");
        field(app::render(app::MessageId::FieldLowLatency), app::render(low_latency_text(state)));
        if (latency_rule_needed(timer, state)) {
            s += "    " + app::render(app::MessageId::LatencyRuleHint, {std::to_string(*timer)}) +
                 "\n      " + latency_udev_rule(d.driver) + "\n";
        }
    }
    return s;
}

// The links the user's running emulators announced, after the devices the scan found (the scan
// already has those that a COM number maps to).
void add_announced_links(std::vector<SerialDevice> &devices,
                         const std::map<uint32_t, std::string> &mapping) {
    for (const std::string &link :
         announced_links(link_announcement_folder(process_environment()))) {
        const auto same = [&link](const SerialDevice &d) { return d.path == link; };
        if (std::any_of(devices.begin(), devices.end(), same)) {
            continue;
        }
        SerialDevice d;
        d.path = link;
        d.description = "handset emulator (handsim --link)";
        for (const auto &[com, path] : mapping) {
            if (path == link) {
                d.com_ports.push_back(com);
            }
        }
        devices.push_back(std::move(d));
    }
}

// A device as --json gives it; probe is the probe's word on it, or empty when it was not probed.
std::string device_json(const SerialDevice &d, const std::string &probe) {
    std::string coms;
    for (uint32_t n : d.com_ports) {
        coms += (coms.empty() ? "" : ",") + std::to_string(n);
    }
    std::string out = "{\"path\":" + json_string(d.path) + ",\"com_ports\":[" + coms +
                      "],\"exists\":" + (d.exists ? "true" : "false");
    const auto field = [&out](const char *key, const std::string &value) {
        if (!value.empty()) {
            out += ",\"" + std::string(key) + "\":" + json_string(value);
        }
    };
    each_field(d, [&](const std::string &, const char *key, const std::string &value) {
        field(key, value);
    });
    field("probe", probe);
    return out + "}";
}

int run(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--probe", "--json"}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (!parsed->positional.empty()) {
        return usage_error(kCommand, app::render(app::MessageId::PortsNoArguments));
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
    std::vector<SerialDevice> devices = list_serial_devices(mapping, process_environment());
    add_announced_links(devices, mapping);
    const bool json = parsed->flag("--json");
    // Under --json nothing but the one document goes to standard output.
    const auto say = [json](const std::string &text) {
        if (!json) {
            std::fputs(text.c_str(), stdout);
            std::fflush(stdout);
        }
    };
    if (devices.empty()) {
        say(app::render(app::MessageId::NoSerialDevices) + "\n");
    }
    const std::string used = com_device_path(com, mapping, process_environment());
    std::error_code ec;
    // A port that names nothing fails every handset command: say so here, not after a connect.
    const bool used_exists = std::filesystem::exists(used, ec);
    say(app::render(used_exists ? app::MessageId::PortInUse : app::MessageId::PortInUseMissing,
                    {std::to_string(com), shown(used)}) +
        "\n");
    std::string json_text =
        "{\"port\":" + std::to_string(com) + ",\"device\":" + json_string(used) +
        ",\"device_exists\":" + (used_exists ? "true" : "false") + ",\"devices\":[";
    PortProbe probe;
    const bool probing = parsed->flag("--probe");
    if (probing && !probe.load(&error)) {
        const std::string why = app::render(app::MessageId::LibraryLoadFailed) + " " + error;
        if (json) {
            std::fputs(json_failure(kExitFailure, why).c_str(), stdout);
        }
        return fail(why);
    }
    std::vector<const SerialDevice *> answering;
    for (const auto &d : devices) {
        std::string text = describe(d);
        std::string word;
        if (probing && d.exists) {
            say(text);
            const ProbeResult r = probe.probe(d.path);
            word = r.answered ? "answers" : r.opened ? "no answer" : "cannot open: " + r.problem;
            text = "    " +
                   (r.answered ? app::render(app::MessageId::ProbeAnswers)
                    : r.opened ? app::render(app::MessageId::ProbeNoAnswer)
                               : app::render(app::MessageId::ProbeCannotOpen, {r.problem})) +
                   "\n";
            for (auto &c : text) {
                if (c == '\n' && &c != &text.back()) {
                    c = ' ';  // the open error's explanation on the same line
                }
            }
            if (r.answered) {
                answering.push_back(&d);
            }
        }
        say(text);
        json_text += (&d == &devices.front() ? "" : ",") + device_json(d, word);
    }
    json_text += "]";
    if (probing) {
        json_text += ",\"answering\":[";
        for (const SerialDevice *d : answering) {
            json_text += (d == answering.front() ? "" : ",") + json_string(d->path);
        }
        json_text += "]";
    }
    json_text += "}\n";
    if (probing && answering.empty()) {
        // An emulator's link is a path no scan guesses unless handsim announced it.
        const std::string why = app::render(app::MessageId::NoHandsetAnswered);
        say(why + "\n");
        if (json) {
            std::fputs(json_failure(kExitFailure, why).c_str(), stdout);
            std::fflush(stdout);
        }
        return kExitFailure;
    }
    if (json) {
        std::fputs(json_text.c_str(), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    if (!probing) {
        return kExitOk;
    }
    for (const SerialDevice *d : answering) {
        const std::string found =
            d->com_ports.empty()
                ? app::render(app::MessageId::HandsetFound, {shown(d->path)})
                : app::render(app::MessageId::HandsetFoundWithCom,
                              {shown(d->path), std::to_string(d->com_ports.front())});
        std::printf("%s\n", found.c_str());
    }
    return kExitOk;
}

}  // namespace

}  // namespace zemlo::cli
