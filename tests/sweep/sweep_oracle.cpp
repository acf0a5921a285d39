#include "sweep_oracle.h"

#include <array>
#include <utility>

namespace zemlo::sweep {

namespace {

constexpr std::array<std::pair<Violation, std::string_view>, 10> kViolationNames = {{
    {Violation::Hang, "hang"},
    {Violation::Spin, "spin"},
    {Violation::FalseSuccess, "false-success"},
    {Violation::LostFile, "lost-file"},
    {Violation::FailureWithoutUnknown, "failure-without-unknown"},
    {Violation::Unnamed, "unnamed-failure"},
    {Violation::StateDisagrees, "state-disagrees"},
    {Violation::ReconnectDisagrees, "reconnect-disagrees"},
    {Violation::SecondFails, "second-fails"},
    {Violation::WorkLeft, "work-left"},
}};

}  // namespace

std::string_view told_name(Told told) {
    switch (told) {
        case Told::Success:
            return "success";
        case Told::Failure:
            return "failure";
        case Told::Unknown:
            return "unknown";
    }
    return "?";
}

std::string_view violation_name(Violation v) {
    for (const auto &[k, n] : kViolationNames) {
        if (k == v) {
            return n;
        }
    }
    return "?";
}

std::optional<Violation> violation_from_name(std::string_view name) {
    for (const auto &[k, n] : kViolationNames) {
        if (n == name) {
            return k;
        }
    }
    return std::nullopt;
}

Judgement judge(const RunFacts &f, const Bounds &bounds) {
    Judgement j;
    j.told = f.told;
    auto add = [&](Violation v) { j.violations.push_back(v); };
    if (!f.ended) {
        add(Violation::Hang);
    }
    if (f.cpu_seconds > bounds.cpu_seconds) {
        add(Violation::Spin);
    }
    const bool changes = f.intended != f.before;
    const bool as_intended = f.after == f.intended;
    const bool as_before = f.after == f.before;
    j.carried_out = changes && as_intended;
    if (!as_intended && !as_before) {
        add(Violation::LostFile);
    }
    if (f.ended) {
        if (f.told == Told::Success && changes && !as_intended) {
            add(Violation::FalseSuccess);
        }
        if (f.told == Told::Failure && j.carried_out) {
            add(Violation::FailureWithoutUnknown);
        }
        if (f.told == Told::Failure && !f.failure_named) {
            add(Violation::Unnamed);
        }
    }
    if (f.shown_agrees && !*f.shown_agrees) {
        add(Violation::StateDisagrees);
    }
    if (!f.reconnect_agrees) {
        add(Violation::ReconnectDisagrees);
    }
    if (!f.second_works) {
        add(Violation::SecondFails);
    }
    if (!f.left_behind.empty()) {
        add(Violation::WorkLeft);
    }
    return j;
}

}  // namespace zemlo::sweep
