#include "sweep_plan.h"

#include "sweep_settings.h"

#include <algorithm>
#include <utility>

namespace zemlo::sweep {

namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 10> kNames = {{
    {FaultKind::Drop, "drop"},
    {FaultKind::Damage, "damage"},
    {FaultKind::Twice, "twice"},
    {FaultKind::Delay, "delay"},
    {FaultKind::Nak, "nak"},
    {FaultKind::LoseAck, "lose-ack"},
    {FaultKind::Withhold, "withhold"},
    {FaultKind::Event, "event"},
    {FaultKind::HangUp, "hangup"},
    {FaultKind::Cancel, "cancel"},
}};

// The event placed before a frame: an incoming call.
constexpr uint32_t kIncomingCall = 1;

bool named(const std::vector<std::string> &names, const std::string &message) {
    return std::find(names.begin(), names.end(), message) != names.end();
}

}  // namespace

std::string_view fault_kind_name(FaultKind kind) {
    for (const auto &[k, n] : kNames) {
        if (k == kind) {
            return n;
        }
    }
    return "?";
}

std::optional<FaultKind> fault_kind_from_name(std::string_view name) {
    for (const auto &[k, n] : kNames) {
        if (n == name) {
            return k;
        }
    }
    return std::nullopt;
}

std::optional<std::string> fault_command(FaultKind kind, uint32_t k, uint32_t delay_ms) {
    const std::string at = "at " + std::to_string(k) + " ";
    switch (kind) {
        case FaultKind::Cancel:
            return std::nullopt;
        case FaultKind::Delay:
            return at + "delay " + std::to_string(delay_ms);
        case FaultKind::Event:
            return at + "event " + std::to_string(kIncomingCall);
        default:
            return at + std::string(fault_kind_name(kind));
    }
}

bool tried_at(FaultKind kind, const handsim::ExchangePoint &point) {
    if (kind == FaultKind::Withhold || kind == FaultKind::Event) {
        return point.from_pc || point.segment == 0;
    }
    return true;
}

std::optional<Span> find_span(const std::vector<handsim::ExchangePoint> &exchange,
                              const SpanRule &rule) {
    size_t first = 0;
    if (!rule.starts.empty()) {
        const auto it = std::find_if(exchange.begin(), exchange.end(), [&](const auto &p) {
            return p.from_pc && p.segment == 0 && named(rule.starts, p.message);
        });
        if (it == exchange.end()) {
            return std::nullopt;
        }
        first = static_cast<size_t>(it - exchange.begin());
    }
    if (first >= exchange.size()) {
        return std::nullopt;
    }
    size_t end = exchange.size();
    for (size_t i = first + 1; i < exchange.size(); ++i) {
        const auto &p = exchange[i];
        if (p.from_pc && p.segment == 0 && named(rule.ends, p.message)) {
            end = i;
            break;
        }
    }
    return Span{exchange[first].index, exchange[end - 1].index};
}

std::vector<PlannedRun> plan_runs(const std::string &operation,
                                  const std::vector<handsim::ExchangePoint> &exchange,
                                  const Span &span, const std::optional<Span> &skip) {
    std::vector<PlannedRun> runs;
    for (FaultKind kind : kFaultKinds) {
        for (const auto &p : exchange) {
            if (p.index < span.first || p.index > span.last) {
                continue;
            }
            if (skip && p.index >= skip->first && p.index <= skip->last) {
                continue;
            }
            if (tried_at(kind, p)) {
                runs.push_back({operation, kind, p.index});
            }
        }
    }
    return runs;
}

std::vector<PlannedRun> shard(const std::vector<PlannedRun> &runs, uint32_t index, uint32_t count) {
    std::vector<PlannedRun> mine;
    if (count == 0 || index == 0 || index > count) {
        return mine;
    }
    for (size_t i = index - 1; i < runs.size(); i += count) {
        mine.push_back(runs[i]);
    }
    return mine;
}

handsim::EmulatorOptions emulator_options(const std::filesystem::path &dir, const Settings &s,
                                          const std::optional<PlannedRun> &fault) {
    handsim::EmulatorOptions o;
    o.link_path = (dir / "ttyHS").string();
    o.store_dir = (dir / "store").string();
    o.ack_timeout = s.ack_timeout;
    o.restart_quiet = s.restart_quiet;
    if (fault) {
        if (auto command = fault_command(fault->kind, fault->point, s.delay_ms)) {
            o.controls.push_back(*command);
        }
    }
    return o;
}

}  // namespace zemlo::sweep
