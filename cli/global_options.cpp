#include "global_options.h"

#include <charconv>

#include "messages.h"

namespace zemlo::cli {

namespace {

std::optional<uint32_t> parse_in_range(const std::string &text, uint32_t highest) {
    uint32_t n = 0;
    const char *end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, n);
    if (ec != std::errc() || p != end || n < 1 || n > highest) {
        return std::nullopt;
    }
    return n;
}

}  // namespace

std::optional<GlobalOptions> extract_global_options(std::vector<std::string> &args,
                                                    std::string *error) {
    GlobalOptions out;
    bool deadline_given = false;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<long>(i), args.end());
            break;
        }
        std::string name = a;
        std::optional<std::string> value;
        if (const auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        if (name != "--port" && name != "--device" && name != "--trace" && name != "--deadline") {
            rest.push_back(a);
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                *error = app::render(app::MessageId::OptionNeedsValue, {name});
                return std::nullopt;
            }
            value = args[++i];
        }
        if (value->empty()) {
            *error = app::render(app::MessageId::OptionNeedsValue, {name});
            return std::nullopt;
        }
        if (name == "--port") {
            if (!out.ports.empty() && out.several_error.empty()) {
                out.several_error = app::render(app::MessageId::OptionGivenTwice, {"--port"});
            }
            size_t from = 0;
            for (;;) {
                const size_t comma = value->find(',', from);
                const auto port =
                    parse_in_range(value->substr(from, comma - from), kHighestComPort);
                if (!port) {
                    *error = app::render(app::MessageId::PortTakesNumber,
                                         {std::to_string(kHighestComPort)});
                    return std::nullopt;
                }
                out.ports.push_back(*port);
                if (comma == std::string::npos) {
                    break;
                }
                from = comma + 1;
            }
            if (out.ports.size() > 1 && out.several_error.empty()) {
                out.several_error = app::render(app::MessageId::SeveralPortsOnly);
            }
            out.port = out.ports.front();
        } else if (name == "--device") {
            if (!out.devices.empty() && out.several_error.empty()) {
                out.several_error = app::render(app::MessageId::OptionGivenTwice, {"--device"});
            }
            out.devices.push_back(*value);
            out.device = out.devices.front();
        } else if (name == "--deadline") {
            const auto seconds = parse_in_range(*value, kLongestDeadlineSeconds);
            if (deadline_given || !seconds) {
                *error = deadline_given
                             ? app::render(app::MessageId::OptionGivenTwice, {"--deadline"})
                             : app::render(app::MessageId::DeadlineTakesSeconds,
                                           {std::to_string(kLongestDeadlineSeconds)});
                return std::nullopt;
            }
            deadline_given = true;
            out.deadline_seconds = *seconds;
        } else {
            if (out.trace) {
                *error = app::render(app::MessageId::OptionGivenTwice, {"--trace"});
                return std::nullopt;
            }
            out.trace = *value;
        }
    }
    if (out.port && out.device) {
        *error = app::render(app::MessageId::PortOrDevice);
        return std::nullopt;
    }
    args = std::move(rest);
    return out;
}

GlobalOptions &global_options() {
    static GlobalOptions options;
    return options;
}

}  // namespace zemlo::cli
