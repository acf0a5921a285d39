#include "control_command.h"

#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace handsim {

namespace {
constexpr uint32_t kMaxCount = 1000000;
constexpr uint32_t kMaxDelayMs = 60000;
constexpr uint32_t kMaxCode = 0xFFFF;
constexpr size_t kMaxNameBytes = 200;
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;

constexpr std::array<std::pair<PointFault, std::string_view>, 9> kPointFaultNames = {{
    {PointFault::Drop, "drop"},
    {PointFault::Damage, "damage"},
    {PointFault::Twice, "twice"},
    {PointFault::Delay, "delay"},
    {PointFault::Nak, "nak"},
    {PointFault::LoseAck, "lose-ack"},
    {PointFault::Withhold, "withhold"},
    {PointFault::Event, "event"},
    {PointFault::HangUp, "hangup"},
}};

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) {
            ++pos;
        }
        const size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t' && line[pos] != '\r') {
            ++pos;
        }
        if (pos > start) {
            out.push_back(line.substr(start, pos - start));
        }
    }
    return out;
}

bool fail(std::string *error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}
}  // namespace

std::optional<PointFault> point_fault_from_name(std::string_view name) {
    for (const auto &[f, n] : kPointFaultNames) {
        if (n == name) {
            return f;
        }
    }
    return std::nullopt;
}

std::string_view point_fault_name(PointFault fault) {
    for (const auto &[f, n] : kPointFaultNames) {
        if (f == fault) {
            return n;
        }
    }
    return "?";
}

std::optional<uint32_t> parse_number(std::string_view text, uint32_t max) {
    int base = kDecimalBase;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = kHexBase;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<ControlCommand> parse_control(std::string_view line, std::string *error) {
    const auto w = words(line);
    if (w.empty()) {
        fail(error, "empty command");
        return std::nullopt;
    }
    ControlCommand c;
    const std::string_view verb = w[0];
    auto number_arg = [&](uint32_t max) -> bool {
        if (w.size() != 2) {
            return fail(error, std::string(verb) + " takes one number");
        }
        const auto n = parse_number(w[1], max);
        if (!n) {
            return fail(error, "bad number for " + std::string(verb) + ": " + std::string(w[1]));
        }
        c.number = *n;
        return true;
    };
    bool ok = true;
    if (verb == "event") {
        c.kind = ControlCommand::Kind::Event;
        if (w.size() != 2 && !(w.size() == 4 && w[2] == "after")) {
            return fail(error, "usage: event CODE [after N]"), std::nullopt;
        }
        const auto code = parse_number(w[1], kMaxCode);
        const auto after =
            w.size() == 4 ? parse_number(w[3], kMaxCode) : std::optional<uint32_t>(0);
        if (!code || !after) {
            return fail(error, "bad number in event command"), std::nullopt;
        }
        c.number = *code;
        c.after = static_cast<uint16_t>(*after);
    } else if (verb == "nak-every") {
        c.kind = ControlCommand::Kind::NakEvery;
        ok = number_arg(kMaxCount);
    } else if (verb == "drop-ack") {
        c.kind = ControlCommand::Kind::DropAck;
        ok = number_arg(kMaxCount);
    } else if (verb == "bad-checksum") {
        c.kind = ControlCommand::Kind::BadChecksum;
        ok = number_arg(kMaxCount);
    } else if (verb == "delay") {
        c.kind = ControlCommand::Kind::Delay;
        ok = number_arg(kMaxDelayMs);
    } else if (verb == "hangup-after") {
        c.kind = ControlCommand::Kind::HangUpAfter;
        ok = number_arg(kMaxCode);
    } else if (verb == "silent" || verb == "answer") {
        c.kind = verb == "silent" ? ControlCommand::Kind::Silent : ControlCommand::Kind::Answer;
        const auto command = w.size() == 2 ? command_from_name(w[1]) : std::nullopt;
        if (!command) {
            return fail(error, std::string(verb) + " takes a command name"), std::nullopt;
        }
        c.command = *command;
    } else if (verb == "in-use" || verb == "release") {
        c.kind = verb == "in-use" ? ControlCommand::Kind::InUse : ControlCommand::Kind::Release;
        if (w.size() != 2) {
            return fail(error, std::string(verb) + " takes a file name"), std::nullopt;
        }
        c.name = std::string(w[1]);
    } else if (verb == "format") {
        c.kind = ControlCommand::Kind::Format;
        if (w.size() == 2 && w[1] == "ok") {
            c.format = FormatFault::None;
        } else if (w.size() == 2 && w[1] == "refuse") {
            c.format = FormatFault::Refuse;
        } else if (w.size() == 2 && w[1] == "block") {
            c.format = FormatFault::Block;
        } else {
            return fail(error, "usage: format ok|refuse|block"), std::nullopt;
        }
    } else if (verb == "noise") {
        c.kind = ControlCommand::Kind::Noise;
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) {
            return fail(error, "usage: noise on|off"), std::nullopt;
        }
        c.on = w[1] == "on";
    } else if (verb == "start-packets") {
        c.kind = ControlCommand::Kind::StartPackets;
        const auto n = w.size() == 2 || (w.size() == 3 && w[2] == "at-list")
                           ? parse_number(w[1], kMaxCount)
                           : std::nullopt;
        if (!n) {
            return fail(error, "usage: start-packets N [at-list]"), std::nullopt;
        }
        c.number = *n;
        c.on = w.size() == 3;
    } else if (verb == "storage") {
        c.kind = ControlCommand::Kind::Storage;
        if (w.size() == 2 && w[1] == "off") {
            c.on = false;
        } else {
            const auto total = w.size() == 3 ? parse_number(w[1], UINT32_MAX) : std::nullopt;
            const auto free_units = w.size() == 3 ? parse_number(w[2], UINT32_MAX) : std::nullopt;
            if (!total || !free_units) {
                return fail(error, "usage: storage TOTAL FREE|off"), std::nullopt;
            }
            c.on = true;
            c.number = *total;
            c.second = *free_units;
        }
    } else if (verb == "listing-name") {
        c.kind = ControlCommand::Kind::ListingName;
        if (w.size() == 2 && w[1] == "off") {
            c.on = false;
        } else if (w.size() == 2 && !w[1].empty() && w[1].size() % 2 == 0 &&
                   w[1].size() <= 2 * kMaxNameBytes) {
            c.on = true;
            for (size_t i = 0; i < w[1].size(); i += 2) {
                const auto byte = parse_number("0x" + std::string(w[1].substr(i, 2)), 0xFF);
                if (!byte || w[1][i] == '+' || w[1][i] == '-') {
                    return fail(error, "listing-name takes hexadecimal bytes"), std::nullopt;
                }
                c.name += static_cast<char>(*byte);
            }
        } else {
            return fail(error, "usage: listing-name HEX|off"), std::nullopt;
        }
    } else if (verb == "at") {
        c.kind = ControlCommand::Kind::At;
        const auto frame = w.size() >= 3 ? parse_number(w[1], kMaxCount) : std::nullopt;
        const auto fault = w.size() >= 3 ? point_fault_from_name(w[2]) : std::nullopt;
        if (!frame || *frame == 0 || !fault) {
            return fail(error, "usage: at N FAULT [ARG] (N from 1)"), std::nullopt;
        }
        const bool takes_argument = *fault == PointFault::Delay || *fault == PointFault::Event;
        if (w.size() != (takes_argument ? 4u : 3u)) {
            return fail(error, std::string("at N ") + std::string(w[2]) +
                                   (takes_argument ? " takes one number" : " takes no argument")),
                   std::nullopt;
        }
        const auto argument =
            takes_argument
                ? parse_number(w[3], *fault == PointFault::Delay ? kMaxDelayMs : kMaxCode)
                : std::optional<uint32_t>(0);
        if (!argument) {
            return fail(error, "bad number in at command"), std::nullopt;
        }
        c.number = *frame;
        c.point = *fault;
        c.second = *argument;
    } else if (verb == "clear" && w.size() == 1) {
        c.kind = ControlCommand::Kind::Clear;
    } else {
        return fail(error, "unknown command: " + std::string(line)), std::nullopt;
    }
    if (!ok) {
        return std::nullopt;
    }
    return c;
}

}  // namespace handsim
